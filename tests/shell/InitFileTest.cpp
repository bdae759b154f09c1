#include "shell/InitFile.h"

#include <QTemporaryDir>
#include <QtTest>

#include <boost/property_tree/ptree.hpp>
#include <boost/property_tree/xml_parser.hpp>

#include <unistd.h>

namespace {

const QByteArray kDeclaration = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n";

void writeFile(const QString& path, const QByteArray& content) {
  QFile file(path);
  QVERIFY(file.open(QIODevice::WriteOnly));
  QCOMPARE(file.write(content), qint64(content.size()));
}

QByteArray readFile(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return QByteArray();
  return file.readAll();
}

QByteArray initFile(const QByteArray& body) {
  return kDeclaration + "<VEXAInitFile>" + body + "</VEXAInitFile>";
}

QByteArray dialogsXml() {
  QByteArray xml;
  for (quint32 id : InitFile::ignoredDialogs()) xml += "<dialog>" + QByteArray::number(id) + "</dialog>";
  return xml.isEmpty() ? QByteArray("<ignore_dialogs/>") : "<ignore_dialogs>" + xml + "</ignore_dialogs>";
}

}  // namespace

class InitFileTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir m_dir;
  QString path(const QString& name) const { return m_dir.filePath(name); }

 private slots:
  void init() { InitFile::setEditorTemporaryFiles(QString()); }

  void missingFileChangesNothing() {
    InitFile file;
    QVERIFY(!file.load(path("absent.init")));
    QVERIFY(!file.load(m_dir.path()));  // a folder is no init file either
    QCOMPARE(file.pointcloudViewer().filePath(), QString("not_specified"));
    QCOMPARE(file.defaultWorkspace(), QDir::home());
    QVERIFY(file.useCuda());
    QVERIFY(file.updaterAtStartup());
    QCOMPARE(file.maxThreads(), 1);
    QVERIFY(file.recentProjects().isEmpty());
  }

  void savesTheExactLayout() {
    InitFile file;
    file.on_setDefaultWorkspace(m_dir.path());
    QVERIFY(file.save(path("layout.init")));
    const QByteArray expected =
        initFile("<settings><UseCUDA>true</UseCUDA><MaxThreads>1</MaxThreads>"
                 "<UpdaterAtStartup>true</UpdaterAtStartup></settings>"
                 "<external_tools><PointcloudViewer>not_specified</PointcloudViewer>"
                 "<DefaultWorkspace>" + QDir(m_dir.path()).absolutePath().toUtf8() +
                 "</DefaultWorkspace></external_tools><recent_projects/>" + dialogsXml());
    QCOMPARE(readFile(path("layout.init")), expected);
  }

  void emptySettingsTakeTheAbsentValues() {
    writeFile(path("empty.init"), initFile("<settings/>"));
    InitFile file;
    QVERIFY(file.load(path("empty.init")));
    QVERIFY(!file.useCuda());
    QCOMPARE(file.maxThreads(), 1);
    QVERIFY(file.updaterAtStartup());
  }

  void absentSettingsKeepTheDefaults() {
    writeFile(path("nosettings.init"), initFile("<recent_projects/>"));
    InitFile file;
    QVERIFY(file.load(path("nosettings.init")));
    QVERIFY(file.useCuda());
    QCOMPARE(file.defaultWorkspace(), QDir::home());
  }

  void booleanForms_data() {
    QTest::addColumn<QByteArray>("cuda");
    QTest::addColumn<QByteArray>("updater");
    QTest::addColumn<bool>("expectedCuda");
    QTest::addColumn<bool>("expectedUpdater");
    QTest::newRow("words") << QByteArray("true") << QByteArray("false") << true << false;
    QTest::newRow("digits") << QByteArray("1") << QByteArray("0") << true << false;
    QTest::newRow("unconvertible") << QByteArray("yes") << QByteArray("2") << false << true;
  }

  void booleanForms() {
    QFETCH(QByteArray, cuda);
    QFETCH(QByteArray, updater);
    writeFile(path("bools.init"), initFile("<settings><UseCUDA>" + cuda + "</UseCUDA><MaxThreads>8</MaxThreads>"
                                           "<UpdaterAtStartup>" + updater + "</UpdaterAtStartup></settings>"));
    InitFile file;
    QVERIFY(file.load(path("bools.init")));
    QTEST(file.useCuda(), "expectedCuda");
    QTEST(file.updaterAtStartup(), "expectedUpdater");
    QCOMPARE(file.maxThreads(), 8);
  }

  void unconvertibleNumberTakesTheDefault() {
    writeFile(path("threads.init"), initFile("<settings><MaxThreads>many</MaxThreads></settings>"));
    InitFile file;
    QVERIFY(file.load(path("threads.init")));
    QCOMPARE(file.maxThreads(), 1);
  }

  void deletedWorkspaceBecomesTheCurrentFolder() {
    QTemporaryDir gone;
    const QString goneFolder = gone.path();
    gone.remove();
    writeFile(path("ws.init"), initFile("<external_tools><DefaultWorkspace>" + goneFolder.toUtf8() +
                                        "</DefaultWorkspace></external_tools>"));
    InitFile file;
    QVERIFY(file.load(path("ws.init")));
    QCOMPARE(file.defaultWorkspace().absolutePath(), QDir::currentPath());
    QVERIFY(file.save(path("ws2.init")));
    QVERIFY(readFile(path("ws2.init")).contains("<DefaultWorkspace>" + QDir::currentPath().toUtf8() +
                                                "</DefaultWorkspace>"));
  }

  void existingWorkspaceIsKept() {
    writeFile(path("ws3.init"), initFile("<external_tools><PointcloudViewer>viewer/run.exe</PointcloudViewer>"
                                         "<DefaultWorkspace>" + m_dir.path().toUtf8() +
                                         "</DefaultWorkspace></external_tools>"));
    InitFile file;
    QVERIFY(file.load(path("ws3.init")));
    QCOMPARE(file.defaultWorkspace().absolutePath(), QDir(m_dir.path()).absolutePath());
    QVERIFY(file.save(path("ws4.init")));
    // The viewer path is written as it was given, not made absolute.
    QVERIFY(readFile(path("ws4.init")).contains("<PointcloudViewer>viewer/run.exe</PointcloudViewer>"));
  }

  void temporaryFilesWrittenOnlyWhenPresent() {
    const QString temp = m_dir.filePath("editor_temp");
    writeFile(path("temp.init"), initFile("<external_tools><EditorTemporaryFiles>" + temp.toUtf8() +
                                          "</EditorTemporaryFiles></external_tools>"));
    InitFile file;
    QVERIFY(file.load(path("temp.init")));
    QCOMPARE(InitFile::editorTemporaryFiles().filePath(), temp);

    QVERIFY(file.save(path("temp2.init")));
    QVERIFY(!readFile(path("temp2.init")).contains("EditorTemporaryFiles"));

    QVERIFY(QDir().mkpath(temp));
    QVERIFY(file.save(path("temp3.init")));
    QVERIFY(readFile(path("temp3.init")).contains("<EditorTemporaryFiles>" + temp.toUtf8() +
                                                  "</EditorTemporaryFiles>"));
  }

  void duplicateDialogsHeldOnce() {
    writeFile(path("dialogs.init"),
              initFile("<ignore_dialogs><dialog>4101</dialog><dialog>4102</dialog><dialog>4101</dialog>"
                       "<dialog>not a number</dialog></ignore_dialogs>"));
    InitFile file;
    QVERIFY(!InitFile::isDialogIgnored(4101));
    QVERIFY(file.load(path("dialogs.init")));
    QVERIFY(InitFile::isDialogIgnored(4101));
    QVERIFY(InitFile::isDialogIgnored(4102));
    QCOMPARE(InitFile::ignoredDialogs().count(4101), 1);
    InitFile::ignoreDialog(4102);
    QCOMPARE(InitFile::ignoredDialogs().count(4102), 1);

    QVERIFY(file.save(path("dialogs2.init")));
    QCOMPARE(readFile(path("dialogs2.init")).count("<dialog>4101</dialog>"), 1);
  }

  void recentProjectsKeepOrderAndUtf8() {
    const QString first = m_dir.filePath("Käse/Project.vpr");
    const QString second = m_dir.filePath("b/Project.vpr");
    writeFile(path("recent.init"),
              initFile("<unknown><x>1</x></unknown><recent_projects><project>" + first.toUtf8() +
                       "</project><project>" + second.toUtf8() + "</project></recent_projects>"));
    InitFile file;
    QVERIFY(file.load(path("recent.init")));
    QCOMPARE(file.recentProjects().size(), 2);
    QCOMPARE(file.recentProjects().at(0).absoluteFilePath(), first);
    QCOMPARE(file.recentProjects().at(1).absoluteFilePath(), second);
  }

  void roundTripIsByteIdentical() {
    const QString temp = m_dir.filePath("roundtrip_temp");
    QVERIFY(QDir().mkpath(temp));
    writeFile(path("rt.init"),
              initFile("<settings><UseCUDA>0</UseCUDA><MaxThreads>12</MaxThreads></settings>"
                       "<external_tools><PointcloudViewer>C:/Tools/Viewer &amp; Co.exe</PointcloudViewer>"
                       "<DefaultWorkspace>" + m_dir.path().toUtf8() + "</DefaultWorkspace>"
                       "<EditorTemporaryFiles>" + temp.toUtf8() + "</EditorTemporaryFiles></external_tools>"
                       "<recent_projects><project>/data/Grün/Project.vpr</project>"
                       "<project>/data/b/Project.vpr</project></recent_projects>"
                       "<ignore_dialogs><dialog>3003</dialog></ignore_dialogs>"));
    InitFile first;
    QVERIFY(first.load(path("rt.init")));
    QVERIFY(first.save(path("rt1.init")));
    InitFile second;
    QVERIFY(second.load(path("rt1.init")));
    QVERIFY(second.save(path("rt2.init")));
    const QByteArray written = readFile(path("rt1.init"));
    QCOMPARE(readFile(path("rt2.init")), written);
    QVERIFY(written.startsWith(kDeclaration + "<VEXAInitFile><settings><UseCUDA>false</UseCUDA>"
                                              "<MaxThreads>12</MaxThreads>"));
    QVERIFY(written.contains("<PointcloudViewer>C:/Tools/Viewer &amp; Co.exe</PointcloudViewer>"));
    QVERIFY(written.contains("<project>/data/Grün/Project.vpr</project><project>/data/b/Project.vpr</project>"));
    QCOMPARE(written.count('\n'), 1);
  }

  void malformedXmlThrowsTheParserText_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("expected");
    QTest::newRow("not xml") << QByteArray("just text") << "<unspecified file>(1): expected <";
    QTest::newRow("truncated") << QByteArray("<?xml version=\"1.0\"?>\n<VEXAInitFile><settings>")
                               << "<unspecified file>(2): unexpected end of data";
  }

  void malformedXmlThrowsTheParserText() {
    QFETCH(QByteArray, content);
    QFETCH(QString, expected);
    writeFile(path("bad.init"), content);
    InitFile file;
    try {
      file.load(path("bad.init"));
      QFAIL("no exception");
    } catch (const boost::property_tree::xml_parser_error& e) {
      QCOMPARE(QString::fromStdString(e.what()), expected);
    }
    QVERIFY(file.useCuda());
  }

  void missingRootThrowsNoSuchNode() {
    writeFile(path("noroot.init"), kDeclaration + "<OtherRoot><settings/></OtherRoot>");
    InitFile file;
    try {
      file.load(path("noroot.init"));
      QFAIL("no exception");
    } catch (const boost::property_tree::ptree_bad_path& e) {
      QCOMPARE(QString::fromStdString(e.what()), QString("No such node (VEXAInitFile)"));
    }
  }

  void unwritablePathThrowsCannotOpenFile() {
    InitFile file;
    for (const QString& target : {m_dir.filePath("missing_folder/vexa_ui.init"), m_dir.path()}) {
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
    // A hard link still sees the old content only if the new file was written beside the old one
    // and renamed over it; writing in place would have changed both names.
    const QByteArray old = initFile("<settings><MaxThreads>3</MaxThreads></settings>");
    writeFile(path("atomic.init"), old);
    QCOMPARE(::link(QFile::encodeName(path("atomic.init")).constData(),
                    QFile::encodeName(path("atomic.link")).constData()),
             0);
    InitFile file;
    QVERIFY(file.load(path("atomic.init")));
    QVERIFY(file.save(path("atomic.init")));
    QCOMPARE(readFile(path("atomic.link")), old);
    QVERIFY(readFile(path("atomic.init")).contains("<MaxThreads>3</MaxThreads>"));
    QVERIFY(readFile(path("atomic.init")) != old);
    const QStringList left = QDir(m_dir.path()).entryList({"atomic*"}, QDir::Files | QDir::Hidden);
    QCOMPARE(left, QStringList({"atomic.init", "atomic.link"}));
  }
};

QTEST_GUILESS_MAIN(InitFileTest)
#include "InitFileTest.moc"
