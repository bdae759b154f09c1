#include <QCoreApplication>
#include <QTest>
#include <functional>
#include <memory>

std::unique_ptr<QObject> makeOrientationTest();
std::unique_ptr<QObject> makeTopologyTest();
std::unique_ptr<QObject> makeProjectFileTest();
std::unique_ptr<QObject> makeProjectStructureTest();
std::unique_ptr<QObject> makeFatalSignalTest();

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  int failed = 0;
  for (auto make : {makeOrientationTest, makeTopologyTest, makeProjectFileTest,
                    makeProjectStructureTest, makeFatalSignalTest}) {
    std::unique_ptr<QObject> test = make();
    failed += QTest::qExec(test.get(), argc, argv) != 0 ? 1 : 0;
  }
  return failed;
}
