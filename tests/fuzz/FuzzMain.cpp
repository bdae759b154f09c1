// vexa-fuzz: feeds mutated project, init and scene files to the editor's readers in child
// processes and counts the inputs that crash or hang them.

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>

#include <cstdio>
#include <exception>
#include <iostream>
#include <string>

#include <osg/Notify>

#ifdef Q_OS_UNIX
#include <sys/resource.h>
#endif

#include "tests/fuzz/ChildProcess.h"
#include "tests/fuzz/FuzzRun.h"
#include "tests/fuzz/Readers.h"

namespace {

// A mutated size field must end in a refused allocation, not in a machine out of memory.
constexpr unsigned long long kChildMemoryBytes = 4ull << 30;

void limitMemory() {
#ifdef Q_OS_UNIX
  rlimit limit{kChildMemoryBytes, kChildMemoryBytes};
  setrlimit(RLIMIT_AS, &limit);
#endif
}

int runChild(const QString& readerName) {
  const fuzz::Reader* reader = fuzz::findReader(readerName);
  if (!reader) {
    std::cerr << "vexa-fuzz: unknown reader " << readerName.toStdString() << "\n";
    return 2;
  }
  limitMemory();
  osg::setNotifyLevel(osg::FATAL);
  std::string line;
  while (std::getline(std::cin, line)) {
    const fuzz::Outcome outcome = reader->read(QString::fromUtf8(line.c_str()));
    std::cout << fuzz::ChildProcess::answerPrefix() << (outcome == fuzz::Outcome::Accepted ? "accepted" : "rejected")
              << std::endl;
  }
  return 0;
}

QStringList readerNames() {
  QStringList names;
  for (const fuzz::Reader& reader : fuzz::readers()) names << reader.name;
  return names;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QCommandLineParser parser;
  parser.setApplicationDescription(
      "Feeds mutated files to the editor's readers (" + readerNames().join(", ") +
      ") in child processes. Prints per reader and in total: inputs=... crashes=... hangs=...\n"
      "Exit code 0 without crashes and hangs, 1 with any, 2 when the run could not be set up.");
  parser.addHelpOption();
  const QCommandLineOption inputs("inputs", "Inputs per reader (default 100).", "N", "100");
  const QCommandLineOption first("first", "Number of the first input; with --inputs 1 repeats one input.", "I", "0");
  const QCommandLineOption seed("seed", "Seed of the mutations (default 1).", "S", "1");
  const QCommandLineOption only("readers", "Comma-separated readers (default all).", "NAMES");
  const QCommandLineOption work("work", "Work folder (default ./fuzz-work); its corpus, scratch and found folders are replaced.",
                                "DIR", "fuzz-work");
  const QCommandLineOption timeout("timeout", "Seconds before a silent reader counts as hanging (default 10).", "SEC", "10");
  const QCommandLineOption demo("demo", "The demo project program.", "PROGRAM", VEXA_DEMO_PROGRAM);
  const QCommandLineOption child("child", "Run as the reader process of READER (one input path per line).", "READER");
  parser.addOptions({inputs, first, seed, only, work, timeout, demo, child});
  parser.process(app);

  if (parser.isSet(child)) return runChild(parser.value(child));

  bool ok = true;
  fuzz::RunOptions options;
  options.inputs = parser.value(inputs).toInt(&ok);
  bool valid = ok && options.inputs >= 0;
  options.first = parser.value(first).toInt(&ok);
  valid = valid && ok && options.first >= 0;
  options.seed = parser.value(seed).toULongLong(&ok);
  valid = valid && ok;
  const int seconds = parser.value(timeout).toInt(&ok);
  valid = valid && ok && seconds > 0;
  if (!valid) {
    std::fprintf(stderr, "vexa-fuzz: --inputs, --first and --seed take whole numbers, --timeout a positive one.\n");
    return 2;
  }
  options.timeoutMs = seconds * 1000;
  options.workFolder = parser.value(work);
  options.demoProgram = parser.value(demo);
  options.childProgram = QCoreApplication::applicationFilePath();
  if (parser.isSet(only)) options.readers = parser.value(only).split(',', Qt::SkipEmptyParts);
  try {
    const fuzz::Tally total = fuzz::runFuzz(options);
    return total.crashes + total.hangs > 0 ? 1 : 0;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "vexa-fuzz: %s\n", error.what());
    return 2;
  }
}
