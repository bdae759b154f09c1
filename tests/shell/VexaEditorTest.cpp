#include "img/images/Images.h"
#include "shell/MeshViewer.h"
#include "shell/VexaEditor.h"
#include "tests/platform/vx/TestProjects.h"
#include "tests/support/MessageBoxWatcher.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

// The main window reads and writes the init file below $HOME, so every case gets a home of its own.
class VexaEditorTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<QTemporaryDir> home_;

  QString initFile() const { return home_->filePath(".VEXA/vexa_ui.init"); }

  QString write(const QString& name, const QByteArray& content = QByteArray()) {
    testprojects::writeText(home_->filePath(name), content);
    return home_->filePath(name);
  }

 private slots:
  void initTestCase() { vexaInitImages(); }

  void init() {
    home_ = std::make_unique<QTemporaryDir>();
    qputenv("HOME", home_->path().toUtf8());
  }

  void firstStartWritesTheDefaultInitFile() {
    QVERIFY(!QFile::exists(initFile()));
    {
      VexaEditor editor;
      QCOMPARE(editor.initFilePath(), QFileInfo(initFile()).absoluteFilePath());
      QVERIFY(QFile::exists(initFile()));
    }
    QVERIFY(testprojects::readText(initFile()).startsWith("<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<VEXAInitFile>"));
  }

  void anUnwritableInitFolderIsReportedAtStartAndAtExit() {
    write(".VEXA");  // a file where the folder should be
    MessageBoxWatcher boxes;
    {
      VexaEditor editor;
      QCOMPARE(boxes.texts().size(), 1);
    }
    const QString expected = "Could not save VEXA init file " + QFileInfo(initFile()).absoluteFilePath();
    QCOMPARE(boxes.texts(), QStringList({expected, expected}));
  }

  // A damaged init file does not keep the editor from starting: it is kept beside, named in a
  // message, and the editor starts with defaults.
  void aDamagedInitFileIsSetAsideAndTheEditorStarts() {
    const QByteArray damaged = "<VEXAInitFile><settings>";
    write(".VEXA/vexa_ui.init", damaged);
    MessageBoxWatcher boxes;
    {
      VexaEditor editor;
      QCOMPARE(boxes.texts().size(), 1);
    }
    QCOMPARE(boxes.texts().size(), 1);
    const QString path = QFileInfo(initFile()).absoluteFilePath();
    QVERIFY2(boxes.texts()[0].contains(path + ".damaged") && boxes.texts()[0].contains("The init file " + path),
             qPrintable(boxes.texts()[0]));
    QCOMPARE(testprojects::readText(initFile() + ".damaged"), damaged);
    QVERIFY(testprojects::readText(initFile()).contains("<MaxThreads>1</MaxThreads>"));
  }

  void startupFilesAreDispatchedByCaseSensitiveSuffix() {
    VexaEditor editor;
    QSignalSpy meshes(&editor, &VexaEditor::signal_openMesh);
    const QString missingMesh = home_->filePath("absent.osgb");
    MessageBoxWatcher boxes;  // the viewer may refuse or report; nothing may block
    editor.openStartupFiles({write("CAMERAS.TXT"), missingMesh, home_->filePath("model.OSGB"), write("model.obj")});
    QCOMPARE(meshes.size(), 2);
    QCOMPARE(meshes[0][0].toString(), missingMesh);
    QCOMPARE(meshes[1][0].toString(), home_->filePath("model.obj"));  // the suffixes the viewer reads
    QVERIFY(!editor.meshViewer()->project());
  }
};

QTEST_MAIN(VexaEditorTest)
#include "VexaEditorTest.moc"
