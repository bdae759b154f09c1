#include "shell/InitFile.h"
#include "tests/platform/vx/TestProjects.h"

#include <QTemporaryDir>
#include <QtTest>

#include <boost/property_tree/ptree.hpp>
#include <boost/property_tree/xml_parser.hpp>

#include <unistd.h>

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
    QVERIFY(!file.load(m_dir.path()));  // a folder is no init file either
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

  // A deleted workspace loads as the current folder; a missing temporary folder is not written back.
  void missingFolders() {
    const QString temp = path("editor_temp");
    InitFile file;
    const QByteArray saved = resave(file, initFile("<external_tools><DefaultWorkspace>" + path("gone").toUtf8() +
                                                   "</DefaultWorkspace><EditorTemporaryFiles>" + temp.toUtf8() +
                                                   "</EditorTemporaryFiles></external_tools>"));
    QCOMPARE(file.defaultWorkspace().absolutePath(), QDir::currentPath());
    QCOMPARE(InitFile::editorTemporaryFiles().filePath(), temp);
    QVERIFY(saved.contains("<DefaultWorkspace>" + QDir::currentPath().toUtf8() +
                           "</DefaultWorkspace></external_tools>"));
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
    QVERIFY(written.startsWith(kDeclaration + "<VEXAInitFile><settings><UseCUDA>false</UseCUDA><MaxThreads>12"));
    // The viewer path stays as given, not made absolute.
    QVERIFY(written.contains("<PointcloudViewer>C:/Tools/Viewer &amp; Co.exe</PointcloudViewer><DefaultWorkspace>" +
                             m_dir.path().toUtf8() + "</DefaultWorkspace><EditorTemporaryFiles>" + temp));
    QVERIFY(written.contains("<project>/data/Grün/Project.vpr</project><project>/data/b/Project.vpr</project>"));
    QVERIFY(!written.contains("unknown"));
  }

  void malformedFilesThrowTheParserText_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("expected");
    QTest::newRow("not xml") << QByteArray("just text") << "<unspecified file>(1): expected <";
    QTest::newRow("truncated") << QByteArray("<?xml version=\"1.0\"?>\n<VEXAInitFile><settings>")
                               << "<unspecified file>(2): unexpected end of data";
    QTest::newRow("other root") << kDeclaration + "<OtherRoot><settings/></OtherRoot>"
                                << "No such node (VEXAInitFile)";
  }

  void malformedFilesThrowTheParserText() {
    QFETCH(QByteArray, content);
    InitFile file;
    try {
      file.load(write("bad.init", content));
      QFAIL("no exception");
    } catch (const boost::property_tree::ptree_error& e) {
      QTEST(QString::fromStdString(e.what()), "expected");
    }
    QVERIFY(file.useCuda());
  }

  void unwritablePathThrowsCannotOpenFile() {
    InitFile file;
    for (const QString& target : {path("missing_folder/vexa_ui.init"), m_dir.path()}) {
      try {
        file.save(target);
        QFAIL("no exception");
      } catch (const boost::property_tree::xml_parser_error& e) {
        QCOMPARE(QString::fromStdString(e.message()), QString("cannot open file"));
      }
    }
    QVERIFY(QFileInfo(m_dir.path()).isDir());
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
    QVERIFY(read("atomic.init").contains("<MaxThreads>3</MaxThreads><UpdaterAtStartup>"));
    QCOMPARE(QDir(m_dir.path()).entryList({"atomic*"}, QDir::Files | QDir::Hidden),
             QStringList({"atomic.init", "atomic.link"}));
  }
};

QTEST_GUILESS_MAIN(InitFileTest)
#include "InitFileTest.moc"
