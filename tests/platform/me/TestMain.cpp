#include <QCoreApplication>

#include "me/Augments.h"

int runTreeStructureTests(int argc, char** argv);
int runForceLODPagedLODTests(int argc, char** argv);
int runAugmentsTests(int argc, char** argv);

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  vx::me::Init init;
  int failures = 0;
  failures += runTreeStructureTests(argc, argv);
  failures += runForceLODPagedLODTests(argc, argv);
  failures += runAugmentsTests(argc, argv);
  return failures;
}
