#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

#include "SaveFaults.h"
#include "TestProjects.h"
#include "vx/AtomicFile.h"
#include "vx/SafeRead.h"

using savefaults::Fault;
using testprojects::readText;
using testprojects::writeText;

namespace {

// Larger than one write, so that a save takes several write steps.
QByteArray bigContent() {
  QByteArray text;
  for (int i = 0; text.size() < (5 << 19); ++i) text += "line " + QByteArray::number(i) + "\n";
  return text;
}

void save(const QString& path, const QByteArray& content) {
  vx::writeFileAtomically(path.toStdString(), std::string_view(content.constData(), size_t(content.size())));
}

QStringList filesIn(const QString& folder) { return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name); }

QString errorOf(const std::function<void()>& run) {
  try {
    run();
  } catch (const vx::FileError& e) {
    return QString::fromUtf8(e.what());
  }
  return "no exception";
}

}  // namespace

class AtomicFileTest : public QObject {
  Q_OBJECT

 private slots:
  void replacesTheFileAndKeepsItsPermissions() {
    QTemporaryDir dir;
    const QString target = dir.filePath("file.txt");
    writeText(target, "old");
    QVERIFY(QFile::setPermissions(target, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup));
    // A hard link keeps the old content only if the new file was written beside it and renamed over it.
    QCOMPARE(::link(QFile::encodeName(target).constData(), QFile::encodeName(dir.filePath("link")).constData()), 0);
    save(target, "new");
    QCOMPARE(readText(target), QByteArray("new"));
    QCOMPARE(readText(dir.filePath("link")), QByteArray("old"));
    QCOMPARE(QFile::permissions(target), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup |
                                             QFileDevice::ReadUser | QFileDevice::WriteUser);
    QCOMPARE(filesIn(dir.path()), QStringList({"file.txt", "link"}));

    const QString folder = dir.filePath("folder");
    QVERIFY(QDir().mkpath(folder));
    QVERIFY2(errorOf([&] { save(folder, "x"); }).startsWith("Cannot save " + folder + ": "), "a folder");
    const QString orphan = dir.filePath("missing/file.txt");
    QVERIFY2(errorOf([&] { save(orphan, "x"); }).startsWith("Cannot save " + orphan + ": "), "no parent folder");
  }

  void aFailureAtAnyStepKeepsTheOldFile() {
    QTemporaryDir dir;
    const QString target = dir.filePath("file.txt");
    const QByteArray content = bigContent();
    const int steps = savefaults::forEachStep(
        Fault::NoSpace, [&] { writeText(target, "old"); }, [&] { save(target, content); },
        [&](int step, bool completed) {
          QVERIFY2(readText(target) == (completed ? content : QByteArray("old")), qPrintable(QString::number(step)));
          QCOMPARE(filesIn(dir.path()), QStringList({"file.txt"}));
        });
    QCOMPARE(steps, 8);  // create, three writes, flush, close, rename, flush the folder

    vx::writefaults::inject(2, Fault::NoSpace);
    const QString message = errorOf([&] { save(target, "new"); });
    vx::writefaults::clear();
    QVERIFY2(message.startsWith("Cannot save " + target + ": writing failed (") && message.contains("space"),
             qPrintable(message));
  }

  void aKillAtAnyStepLeavesTheOldOrTheNewFileWhole() {
    QTemporaryDir dir;
    const QString target = dir.filePath("file.txt");
    const QByteArray content = bigContent();
    int killedAfterRename = 0;
    const int steps = savefaults::forEachStep(
        Fault::Kill, [&] { writeText(target, "old"); }, [&] { save(target, content); },
        [&](int step, bool completed) {
          const QByteArray now = readText(target);
          QVERIFY2(now == "old" || now == content, qPrintable(QString::number(step)));
          if (completed) QCOMPARE(now, content);
          if (!completed && now == content) ++killedAfterRename;
        });
    QCOMPARE(steps, 8);
    QCOMPARE(killedAfterRename, 1);  // only a kill while the folder is flushed comes after the rename
  }

  void aFullDiskKeepsTheOldFile() {
    QTemporaryDir dir;
    savefaults::SmallDisk disk(dir.filePath("disk"));
    if (!disk.mounted()) QSKIP("this process may not mount a file system; the injected faults cover it");
    const QString target = dir.filePath("disk/file.txt");
    writeText(target, "old");
    disk.fill();
    const QString message = errorOf([&] { save(target, bigContent()); });
    QVERIFY2(message.startsWith("Cannot save " + target) && message.contains("space"), qPrintable(message));
    QCOMPARE(readText(target), QByteArray("old"));
    QCOMPARE(filesIn(dir.filePath("disk")), QStringList({"file.txt", "filler"}));
  }

  void onlyPlainFilesOfPlausibleSizeAreRead() {
    QTemporaryDir dir;
    const auto read = [](const QString& path) {
      return errorOf([&] { vx::readRegularFile(path.toStdString(), 1000, "The test file"); });
    };
    const QString fifo = dir.filePath("fifo");
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QCOMPARE(read(fifo), "The test file " + fifo + " is not a regular file.");  // and did not block
    QCOMPARE(read(dir.path()), "The test file " + dir.path() + " is not a regular file.");
    QCOMPARE(read(dir.filePath("none")), "The test file " + dir.filePath("none") + " does not exist.");

    // Sparse: refused by its size, never read.
    const QString huge = dir.filePath("huge");
    writeText(huge, "");
    QCOMPARE(::truncate(QFile::encodeName(huge).constData(), off_t(2) << 30), 0);
    QVERIFY2(read(huge).startsWith("The test file " + huge + " is 2147483648 bytes, far larger"), qPrintable(read(huge)));

    const QString exact = dir.filePath("exact");
    writeText(exact, QByteArray(1000, 'x'));
    QCOMPARE(vx::readRegularFile(exact.toStdString(), 1000, "The test file").size(), size_t(1000));
    writeText(exact, QByteArray(1001, 'x'));
    QVERIFY(read(exact).contains("1001 bytes"));
  }

  void nestingDepthIsCountedWithoutParsing_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("depth");
    QTest::newRow("flat") << QByteArray("<?xml version=\"1.0\"?><a><b/><c>x</c><d></d></a>") << 2;
    QTest::newRow("markup in comments and data")
        << QByteArray("<a><!-- <b><c> --><![CDATA[<d><e>]]><!DOCTYPE x [<!ELEMENT y>]></a>") << 1;
    QTest::newRow("quoted >") << QByteArray("<a x=\"/>\" y='>'><b></b></a>") << 2;
    QTest::newRow("truncated") << QByteArray("<a><b><c") << 3;
    QTest::newRow("deep") << QByteArray("<a>").repeated(100000) << 33;
  }
  void nestingDepthIsCountedWithoutParsing() {
    QFETCH(QByteArray, text);
    QTEST(vx::xmlNestingDepth(std::string_view(text.constData(), size_t(text.size())), 32), "depth");
  }
};

QTEST_GUILESS_MAIN(AtomicFileTest)
#include "AtomicFileTest.moc"
