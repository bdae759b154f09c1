#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>

namespace fuzz {

struct RunOptions {
  QString workFolder;      // corpus, scratch copies and kept inputs go below it
  QString demoProgram;     // vexa-demo-project, for the corpus
  QString childProgram;    // this program, started with --child READER
  QStringList readers;     // names; all when empty
  int inputs = 100;        // per reader
  int first = 0;           // number of the first input, to repeat a single one
  std::uint64_t seed = 1;
  int timeoutMs = 10000;
};

struct Tally {
  int inputs = 0;
  int accepted = 0;
  int rejected = 0;
  int crashes = 0;
  int hangs = 0;
};

// Writes the corpus, feeds every chosen reader its mutated inputs in a child process, keeps each
// crashing or hanging input below <work>/found/{crashes,hangs}/<reader>/ with a line in inputs.txt,
// and prints one line per reader and a total. Returns the total; throws std::runtime_error when the
// run cannot be set up.
Tally runFuzz(const RunOptions& options);

// "inputs=… crashes=… hangs=…", then the other counts.
QString tallyLine(const Tally& tally);

}  // namespace fuzz
