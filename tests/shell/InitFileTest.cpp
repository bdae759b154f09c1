#include "shell/InitFile.h"
#include "tests/platform/vx/SaveFaults.h"
#include "tests/platform/vx/TestProjects.h"

#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

Q_DECLARE_METATYPE(savefaults::Fault)

namespace {

const QByteArray kDeclaration = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n";

QByteArray initFile(const QByteArray& body) { return kDeclaration + "<VEXAInitFile>" + body + "</VEXAInitFile>"; }

}  // namespace

class InitFileTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir m_dir;

  QString path(const QString& name) const { return m_dir.filePath(name); }

  QString write(const QString& name, const QByteArray& content) {
    testprojects::writeText(path(name), content);
    return path(name);
  }

  QByteArray read(const QString& name) const { return testprojects::readText(path(name)); }

  // Loads `content` into `file` and saves it again as "saved.init".
  QByteArray resave(InitFile& file, const QByteArray& content) {
    if (!file.load(write("in.init", content)) || !file.save(path("saved.init"))) return QByteArray();
    return read("saved.init");
  }

 private slots:
  void init() { InitFile::setEditorTemporaryFiles(QString()); }

  // Runs first, while no dialog has been silenced yet.
  void savesTheExactLayout() {
    InitFile file;
    QVERIFY(!file.load(path("absent.init")));
    QCOMPARE(file.defaultWorkspace(), QDir::home());
    file.on_setDefaultWorkspace(m_dir.path());
    QVERIFY(file.save(path("layout.init")));
    QCOMPARE(read("layout.init"),
             initFile("<settings><UseCUDA>true</UseCUDA><MaxThreads>1</MaxThreads>"
                      "<UpdaterAtStartup>true</UpdaterAtStartup></settings>"
                      "<external_tools><PointcloudViewer>not_specified</PointcloudViewer>"
                      "<DefaultWorkspace>" + QDir(m_dir.path()).absolutePath().toUtf8() +
                      "</DefaultWorkspace></external_tools><recent_projects/><ignore_dialogs/>"));
  }

  void settingValues_data() {
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("expected");  // use CUDA, updater at start-up, maximum threads
    const auto settings = [](const QByteArray& cuda, const QByteArray& threads, const QByteArray& updater) {
      return "<settings><UseCUDA>" + cuda + "</UseCUDA><MaxThreads>" + threads + "</MaxThreads><UpdaterAtStartup>" +
             updater + "</UpdaterAtStartup></settings>";
    };
    QTest::newRow("empty section") << QByteArray("<settings/>") << "false true 1";
    QTest::newRow("absent section") << QByteArray("<recent_projects/>") << "true true 1";
    QTest::newRow("words") << settings("true", "8", "false") << "true false 8";
    QTest::newRow("digits") << settings("1", "12", "0") << "true false 12";
    QTest::newRow("unconvertible") << settings("yes", "many", "2") << "false true 1";
  }

  void settingValues() {
    QFETCH(QByteArray, body);
    InitFile file;
    QVERIFY(file.load(write("settings.init", initFile(body))));
    QTEST(QString("%1 %2 %3")
              .arg(QVariant(file.useCuda()).toString(), QVariant(file.updaterAtStartup()).toString())
              .arg(file.maxThreads()),
          "expected");
  }

  // A workspace that is missing now stays as written; a missing temporary folder is not written back.
  void missingFolders() {
    const QString temp = path("editor_temp");
    const QByteArray gone = path("gone").toUtf8() + "/";
    InitFile file;
    const QByteArray saved = resave(file, initFile("<external_tools><DefaultWorkspace>" + gone +
                                                   "</DefaultWorkspace><EditorTemporaryFiles>" + temp.toUtf8() +
                                                   "</EditorTemporaryFiles></external_tools>"));
    QCOMPARE(file.defaultWorkspace().absolutePath(), path("gone"));
    QCOMPARE(InitFile::editorTemporaryFiles().filePath(), temp);
    QVERIFY2(saved.contains("<external_tools><DefaultWorkspace>" + gone + "</DefaultWorkspace>"), saved);
    file.on_setDefaultWorkspace(m_dir.path() + "/");
    QVERIFY(file.save(path("saved.init")));
    QVERIFY(read("saved.init").contains("<DefaultWorkspace>" + m_dir.path().toUtf8() + "</DefaultWorkspace>"));
  }

  void duplicateDialogsHeldOnce() {
    QVERIFY(!InitFile::isDialogIgnored(4101));
    InitFile file;
    const QByteArray saved = resave(file, initFile("<ignore_dialogs><dialog>4101</dialog><dialog>4102</dialog>"
                                                   "<dialog>4101</dialog><dialog>not a number</dialog>"
                                                   "</ignore_dialogs>"));
    QVERIFY(InitFile::isDialogIgnored(4101) && InitFile::isDialogIgnored(4102));
    QCOMPARE(InitFile::ignoredDialogs().count(4101), 1);
    InitFile::ignoreDialog(4102);
    QCOMPARE(InitFile::ignoredDialogs().count(4102), 1);
    QCOMPARE(saved.count("<dialog>4101</dialog>"), 1);
  }

  void roundTripIsByteIdentical() {
    const QByteArray temp = path("roundtrip_temp").toUtf8();
    QVERIFY(QDir().mkpath(temp));
    InitFile first;
    const QByteArray written = resave(
        first, initFile("<unknown><x>1</x></unknown><settings><UseCUDA>0</UseCUDA><MaxThreads>12</MaxThreads>"
                        "</settings>"
                        "<external_tools><PointcloudViewer>C:/Tools/Viewer &amp; Co.exe</PointcloudViewer>"
                        "<DefaultWorkspace>" + m_dir.path().toUtf8() + "</DefaultWorkspace>"
                        "<EditorTemporaryFiles>" + temp + "</EditorTemporaryFiles></external_tools>"
                        "<recent_projects><project>/data/Grün/Project.vpr</project>"
                        "<project>/data/b/Project.vpr</project></recent_projects>"
                        "<ignore_dialogs><dialog>3003</dialog></ignore_dialogs>"));
    InitFile second;
    QCOMPARE(resave(second, written), written);
    QVERIFY(written.startsWith(kDeclaration +
                               "<VEXAInitFile><unknown><x>1</x></unknown><settings><UseCUDA>false</UseCUDA><MaxThreads>12"));
    // The viewer path stays as given, not made absolute.
    QVERIFY(written.contains("<PointcloudViewer>C:/Tools/Viewer &amp; Co.exe</PointcloudViewer><DefaultWorkspace>" +
                             m_dir.path().toUtf8() + "</DefaultWorkspace><EditorTemporaryFiles>" + temp));
    QVERIFY(written.contains("<project>/data/Grün/Project.vpr</project><project>/data/b/Project.vpr</project>"));
  }

  // The suite's other programs keep their settings in the same file: a save changes only the
  // editor's own values and leaves every other element, comment and attribute where it was.
  void foreignElementsAreKeptInPlace() {
    const QByteArray foreign =
        "<!-- written by the planner --><planner version=\"3\"><grid size=\"5\"><cell>a</cell></grid></planner>"
        "<settings><Theme>dark</Theme><UseCUDA>true</UseCUDA><MaxThreads>4</MaxThreads><Language>de</Language>"
        "</settings>"
        "<recent_projects><pinned>/data/p</pinned><project>/data/a/Project.vpr</project><other/>"
        "<project>/data/b/Project.vpr</project></recent_projects>"
        "<settings><UseCUDA>false</UseCUDA></settings>"
        "<viewer><Colors>7</Colors></viewer>";
    InitFile file;
    QVERIFY(file.load(write("foreign.init", initFile(foreign))));
    QVERIFY(file.useCuda());  // the first settings section is the editor's
    InitFile::ignoreDialog(77);
    QVERIFY(file.save(path("foreign.init")));
    const QByteArray expected = kDeclaration + "<VEXAInitFile>" +
        QByteArray("<!-- written by the planner --><planner version=\"3\"><grid size=\"5\"><cell>a</cell></grid></planner>"
        "<settings><Theme>dark</Theme><UseCUDA>true</UseCUDA><MaxThreads>4</MaxThreads><Language>de</Language>"
        "<UpdaterAtStartup>true</UpdaterAtStartup></settings>"
        "<recent_projects><pinned>/data/p</pinned><project>/data/a/Project.vpr</project>"
        "<project>/data/b/Project.vpr</project><other/></recent_projects>"
        "<settings><UseCUDA>false</UseCUDA></settings>"
        "<viewer><Colors>7</Colors></viewer>"
        "<external_tools><PointcloudViewer>not_specified</PointcloudViewer><DefaultWorkspace>") +
        QDir::homePath().toUtf8() + "</DefaultWorkspace></external_tools><ignore_dialogs>";
    const QByteArray saved = read("foreign.init");
    QVERIFY2(saved.startsWith(expected) && saved.contains("<dialog>77</dialog>"), saved);
  }

  void damagedFilesAreRefusedByName_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("expected");
    QTest::newRow("empty") << QByteArray() << "has no <VEXAInitFile> root element.";
    QTest::newRow("not xml") << QByteArray("just text") << "is not valid XML: expected < (line 1).";
    const QByteArray valid = initFile("<settings><UseCUDA>true</UseCUDA></settings><recent_projects><project>/a"
                                      "</project></recent_projects>");
    for (int cut : {20, 45, 70, 100, valid.size() - 2})
      QTest::addRow("truncated at %d", cut) << valid.left(cut) << "is not valid XML: ";
    QByteArray noise(2048, '\0');
    quint32 state = 99;
    for (char& byte : noise) byte = char((state = state * 1103515245u + 12345u) >> 16);
    QTest::newRow("random bytes") << noise << "is not valid XML: ";
    QTest::newRow("deeply nested") << "<VEXAInitFile>" + QByteArray("<a>").repeated(100000)
                                   << "is nested deeper than 32 levels; it is not an init file.";
    QTest::newRow("other root") << kDeclaration + "<OtherRoot><settings/></OtherRoot>"
                                << "has no <VEXAInitFile> root element.";
  }
  void damagedFilesAreRefusedByName() {
    QFETCH(QByteArray, content);
    QFETCH(QString, expected);
    const QString bad = write("bad.init", content);
    InitFile file;
    const QString message = testprojects::errorOf([&] { file.load(bad); });
    QVERIFY2(message.startsWith("The init file " + bad + " ") && message.contains(expected), qPrintable(message));
    QVERIFY(file.useCuda());
  }

  void onlyPlainFilesOfPlausibleSizeAreRead() {
    InitFile file;
    const auto loadError = [&](const QString& target) { return testprojects::errorOf([&] { file.load(target); }); };
    QCOMPARE(loadError(m_dir.path()), "The init file " + m_dir.path() + " is not a regular file.");
    const QString fifo = path("fifo.init");
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QCOMPARE(loadError(fifo), "The init file " + fifo + " is not a regular file.");  // and did not block
    const QString huge = write("huge.init", initFile(""));
    QCOMPARE(::truncate(QFile::encodeName(huge).constData(), off_t(2) << 30), 0);
    QVERIFY2(loadError(huge).startsWith("The init file " + huge + " is 2147483648 bytes, far larger"),
             qPrintable(loadError(huge)));
  }

  // At start-up a damaged file is kept beside the init file and the editor goes on with defaults.
  void aDamagedFileIsSetAsideAtStartUp() {
    const QString target = write("start.init", initFile("<settings><MaxThreads>3</MaxThreads></settings>"));
    InitFile good;
    QString message;
    bool setAside = false;
    QCOMPARE(good.loadAtStartup(target, &message, &setAside), InitFile::StartupLoad::Loaded);
    QCOMPARE(good.maxThreads(), 3);
    QCOMPARE(good.loadAtStartup(path("none.init"), &message, &setAside), InitFile::StartupLoad::Missing);

    const QByteArray damaged = "<VEXAInitFile><settings><MaxThreads>3";
    write("start.init", damaged);
    InitFile fresh;
    QCOMPARE(fresh.loadAtStartup(target, &message, &setAside), InitFile::StartupLoad::Damaged);
    QVERIFY(setAside);
    QCOMPARE(fresh.maxThreads(), 1);
    QVERIFY(!QFile::exists(target));
    QCOMPARE(read("start.init.damaged"), damaged);
    QVERIFY2(message.contains(target + ".damaged") && message.contains("The init file " + target + " is not valid XML"),
             qPrintable(message));

    // When it cannot be set aside either, it is left alone and the caller must not overwrite it.
    write("start.init", damaged);
    QVERIFY(QFile::remove(path("start.init.damaged")) && QDir().mkpath(path("start.init.damaged/full")));
    QCOMPARE(fresh.loadAtStartup(target, &message, &setAside), InitFile::StartupLoad::Damaged);
    QVERIFY(!setAside);
    QCOMPARE(read("start.init"), damaged);
    QVERIFY2(message.contains("nor kept aside as " + target + ".damaged"), qPrintable(message));
  }

  void unwritablePathsAreReportedByName() {
    InitFile file;
    for (const QString& target : {path("missing_folder/vexa_ui.init"), m_dir.path()}) {
      const QString message = testprojects::errorOf([&] { file.save(target); });
      QVERIFY2(message.startsWith("Cannot save " + target + ": "), qPrintable(message));
    }
    QVERIFY(QFileInfo(m_dir.path()).isDir());
  }

  void aSaveStoppedAtAnyStepLeavesTheOldOrTheNewFile_data() {
    QTest::addColumn<savefaults::Fault>("fault");
    QTest::newRow("full disk") << savefaults::Fault::NoSpace;
    QTest::newRow("kill") << savefaults::Fault::Kill;
  }
  void aSaveStoppedAtAnyStepLeavesTheOldOrTheNewFile() {
    QFETCH(savefaults::Fault, fault);
    const QByteArray old = initFile("<settings><UseCUDA>true</UseCUDA><MaxThreads>3</MaxThreads></settings>");
    const QString target = path("faults.init");
    const int steps = savefaults::forEachStep(
        fault, [&] { write("faults.init", old); },
        [&] {
          InitFile file;
          file.load(target);
          file.on_setDefaultWorkspace(m_dir.path());
          file.save(target);
        },
        [&](int step, bool completed) {
          InitFile reloaded;
          QVERIFY2(reloaded.load(target), qPrintable(QString::number(step)));
          QCOMPARE(reloaded.maxThreads(), 3);
          const bool isNew = reloaded.defaultWorkspace() == QDir(m_dir.path());
          QVERIFY2(isNew ? read("faults.init") != old : read("faults.init") == old, qPrintable(QString::number(step)));
          if (completed || fault == savefaults::Fault::NoSpace) QCOMPARE(isNew, completed);
        });
    QCOMPARE(steps, 6);
  }

  void aFullDiskKeepsTheOldFile() {
    savefaults::SmallDisk disk(path("disk"));
    if (!disk.mounted()) QSKIP("this process may not mount a file system; the injected faults cover it");
    const QByteArray old = initFile("<settings><MaxThreads>3</MaxThreads></settings>");
    const QString target = write("disk/vexa_ui.init", old);
    disk.fill();
    InitFile file;
    QVERIFY(file.load(target));
    const QString message = testprojects::errorOf([&] { file.save(target); });
    QVERIFY2(message.startsWith("Cannot save " + target) && message.contains("space"), qPrintable(message));
    QCOMPARE(read("disk/vexa_ui.init"), old);
    InitFile again;
    QVERIFY(again.load(target));
  }

  void saveReplacesTheFileInsteadOfRewritingIt() {
    // A hard link keeps the old content only if the new file was written beside it and renamed over it.
    const QByteArray old = initFile("<settings><MaxThreads>3</MaxThreads></settings>");
    const QString target = write("atomic.init", old);
    QCOMPARE(::link(QFile::encodeName(target).constData(), QFile::encodeName(path("atomic.link")).constData()), 0);
    InitFile file;
    QVERIFY(file.load(target));
    QVERIFY(file.save(target));
    QCOMPARE(read("atomic.link"), old);
    QVERIFY(read("atomic.init").contains("<MaxThreads>3</MaxThreads><UseCUDA>false</UseCUDA><UpdaterAtStartup>"));
    QCOMPARE(QDir(m_dir.path()).entryList({"atomic*"}, QDir::Files | QDir::Hidden),
             QStringList({"atomic.init", "atomic.link"}));
  }
};

QTEST_GUILESS_MAIN(InitFileTest)
#include "InitFileTest.moc"
