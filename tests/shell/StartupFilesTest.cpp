#include "shell/StartupFiles.h"

#include <QTemporaryDir>
#include <QtTest>

using qvx::StartupAction;

class StartupFilesTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir m_dir;
  const QStringList m_meshExtensions{"osg", "osgb", "ply", "dae", "shp"};

  QString touch(const QString& name) {
    const QString path = m_dir.filePath(name);
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    return path;
  }

 private slots:
  void classification() {
    const QString ori = touch("cameras.txt");
    const QString upperOri = touch("cameras.TXT");
    const QString project = touch("Project.vpr");
    const QString mesh = touch("tile.osgb");
    QVERIFY(QDir().mkpath(m_dir.filePath("folder.vpr")));

    QCOMPARE(qvx::startupActionsFor(ori, m_meshExtensions), QList<StartupAction>{StartupAction::OrientationList});
    QCOMPARE(qvx::startupActionsFor(project, m_meshExtensions), QList<StartupAction>{StartupAction::Project});
    QCOMPARE(qvx::startupActionsFor(mesh, m_meshExtensions), QList<StartupAction>{StartupAction::Mesh});
    // Suffix tests are case-sensitive.
    QVERIFY(qvx::startupActionsFor(upperOri, m_meshExtensions).isEmpty());
    QVERIFY(qvx::startupActionsFor(touch("model.PLY"), m_meshExtensions).isEmpty());
    // Orientation lists and projects must exist; meshes are left to the loader to report.
    QVERIFY(qvx::startupActionsFor(m_dir.filePath("absent.txt"), m_meshExtensions).isEmpty());
    QVERIFY(qvx::startupActionsFor(m_dir.filePath("absent.vpr"), m_meshExtensions).isEmpty());
    QVERIFY(qvx::startupActionsFor(m_dir.filePath("folder.vpr"), m_meshExtensions).isEmpty());
    QCOMPARE(qvx::startupActionsFor(m_dir.filePath("absent.ply"), m_meshExtensions),
             QList<StartupAction>{StartupAction::Mesh});
    // Only the text after the last dot counts.
    QCOMPARE(qvx::startupActionsFor(touch("archive.txt.osg"), m_meshExtensions),
             QList<StartupAction>{StartupAction::Mesh});
    QVERIFY(qvx::startupActionsFor(touch("noext"), m_meshExtensions).isEmpty());
  }
};

QTEST_GUILESS_MAIN(StartupFilesTest)
#include "StartupFilesTest.moc"
