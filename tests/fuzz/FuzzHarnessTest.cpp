#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

#include "tests/fuzz/ChildProcess.h"
#include "tests/fuzz/Corpus.h"
#include "tests/fuzz/Mutator.h"
#include "tests/fuzz/Readers.h"

using fuzz::ChildProcess;
using fuzz::Mutation;

class FuzzHarnessTest : public QObject {
  Q_OBJECT

 private slots:
  void mutationsAreRepeatableAndDoWhatTheySay() {
    const QByteArray input = QByteArray("0123456789abcdef").repeated(64);
    const QByteArray donor = QByteArray("XYZ").repeated(50);
    for (int kind = 0; kind < int(Mutation::Count); ++kind) {
      const auto mutation = static_cast<Mutation>(kind);
      for (std::uint64_t seed = 1; seed <= 20; ++seed) {
        fuzz::Random first(seed), second(seed);
        QString description;
        const QByteArray once = fuzz::applyMutation(mutation, input, donor, first, &description);
        QCOMPARE(fuzz::applyMutation(mutation, input, donor, second, nullptr), once);
        QVERIFY(description.startsWith(fuzz::mutationName(mutation)));
        switch (mutation) {
          case Mutation::BitFlip:
          case Mutation::InterestingValue:
            QCOMPARE(once.size(), input.size());
            break;
          case Mutation::Truncate:
            QVERIFY(once.size() < input.size() && input.startsWith(once));
            break;
          case Mutation::InsertBytes:
            QVERIFY(once.size() > input.size() && once.size() <= input.size() + 16);
            break;
          case Mutation::Duplicate:
            QVERIFY(once.size() > input.size());
            break;
          case Mutation::Splice:
            QVERIFY(once.contains('X') || once.contains('Y') || once.contains('Z'));
            break;
          case Mutation::Count:
            break;
        }
      }
    }
    // Empty and tiny inputs are mutated without reading past their end.
    fuzz::Random random(7);
    for (int i = 0; i < 200; ++i) fuzz::mutate(QByteArray(i % 5, 'a'), QByteArray(), random, nullptr);

    QCOMPARE(fuzz::inputSeed(1, "tile", 5), fuzz::inputSeed(1, "tile", 5));
    QVERIFY(fuzz::inputSeed(1, "tile", 5) != fuzz::inputSeed(1, "tile", 6));
    QVERIFY(fuzz::inputSeed(1, "tile", 5) != fuzz::inputSeed(1, "index", 5));
    QVERIFY(fuzz::inputSeed(1, "tile", 5) != fuzz::inputSeed(2, "tile", 5));
  }

  void childrenThatDieOrFallSilentAreCountedAndReplaced() {
#ifndef Q_OS_UNIX
    QSKIP("the stand-in children are shell scripts");
#else
    QString detail;
    ChildProcess answering("/bin/sh", {"-c", "while read l; do echo noise; echo '@@fuzz rejected'; done"});
    QCOMPARE(answering.run("a", 60000, &detail), ChildProcess::Result::Rejected);
    QCOMPARE(answering.run("b", 60000, &detail), ChildProcess::Result::Rejected);

    ChildProcess signalled("/bin/sh", {"-c", "read l; kill -SEGV $$"});
    QCOMPARE(signalled.run("a", 60000, &detail), ChildProcess::Result::Crashed);
    QCOMPARE(detail, QString("killed by a signal"));
    QCOMPARE(signalled.run("b", 60000, &detail), ChildProcess::Result::Crashed);  // started again

    ChildProcess exiting("/bin/sh", {"-c", "read l; exit 200"});
    QCOMPARE(exiting.run("a", 60000, &detail), ChildProcess::Result::Crashed);
    QCOMPARE(detail, QString("exited with code 200"));

    ChildProcess silent("/bin/sh", {"-c", "read l; exec sleep 600"});
    QCOMPARE(silent.run("a", 200, &detail), ChildProcess::Result::Hung);
    QCOMPARE(detail, QString("no answer within 200 ms"));
#endif
  }

  void everyReaderAcceptsItsUnchangedSeeds() {
    QTemporaryDir dir;
    fuzz::writeCorpus(dir.filePath("corpus"), VEXA_DEMO_PROGRAM);
    const QDir corpus(dir.filePath("corpus"));
    for (const fuzz::Reader& reader : fuzz::readers()) {
      for (const QString& seed : reader.seeds) {
        QVERIFY2(QFileInfo(corpus.filePath(seed)).isFile(), qPrintable(seed));
        const QString entry = corpus.filePath(reader.entry.isEmpty() ? seed : reader.entry);
        QVERIFY2(reader.read(entry) == fuzz::Outcome::Accepted, qPrintable(reader.name + ": " + seed));
      }
      QVERIFY(reader.read(corpus.filePath("missing/file")) == fuzz::Outcome::Rejected);
    }
  }
};

QTEST_GUILESS_MAIN(FuzzHarnessTest)
#include "FuzzHarnessTest.moc"
