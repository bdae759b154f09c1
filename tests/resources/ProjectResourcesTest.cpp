#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include "resources/DataBase.h"
#include "vx/Msg.h"
#include "vx/VEXAProject.h"
#include "vxdb/Database.h"

namespace {

QString internalFile(const QTemporaryDir& dir, const QString& name) {
  return QDir(dir.path()).absoluteFilePath("Internal/" + name);
}

}  // namespace

class ProjectResourcesTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    dir_.reset(new QTemporaryDir);
    QVERIFY(dir_->isValid());
    QVERIFY(QDir(dir_->path()).mkpath("Internal"));
    project_ = vx::VEXAProject();
    QCOMPARE(project_.setOutputFolder(dir_->path().toStdString(), 0, 0), 0);
  }

  void missingDatabasesGiveNoResources() {
    QVERIFY(MeshTree::DataBase::currentResources(project_).isEmpty());
  }

  void corruptDatabasesGiveNoResources() {
    for (const QString& name : {QString("resources.vxdb"), QString("chronicle.vxdb")}) {
      QFile file(internalFile(*dir_, name));
      QVERIFY(file.open(QIODevice::WriteOnly));
      file.write("SQLite format 3\0 but not really", 32);
    }
    QVERIFY(MeshTree::DataBase::currentResources(project_).isEmpty());
  }

  void oneMissingDatabaseGivesNoResources() {
    auto resources = vxdb::DatabaseIO::openForWriting(internalFile(*dir_, "resources.vxdb").toStdString());
    auto chronicle = vxdb::DatabaseIO::openForWriting(internalFile(*dir_, "chronicle.vxdb").toStdString());
    vxdb::registerResource(*resources, *chronicle, vxdb::Resource::Type::DSMMesh, {"Results/DSM_Mesh/Mesh.osgb"},
                           {vx::MSG::PRC_DSM_MESH}, {100});
    resources.reset();
    chronicle.reset();
    QVERIFY(QFile::remove(internalFile(*dir_, "chronicle.vxdb")));
    QVERIFY(MeshTree::DataBase::currentResources(project_).isEmpty());
  }

  void currentMeshesOfTheProcessRangeAreListed() {
    {
      auto resources = vxdb::DatabaseIO::openForWriting(internalFile(*dir_, "resources.vxdb").toStdString());
      auto chronicle = vxdb::DatabaseIO::openForWriting(internalFile(*dir_, "chronicle.vxdb").toStdString());
      vxdb::registerResource(*resources, *chronicle, vxdb::Resource::Type::DSMMesh, {"Results/DSM_Mesh/Mesh.osgb"},
                             {vx::MSG::PRC_DSM_MESH}, {100});
      // Outside the range the editor asks for.
      vxdb::registerResource(*resources, *chronicle, vxdb::Resource::Type::DSMMeshForEditing,
                             {"Results/DSM_Mesh_For_Editing/Mesh.osgb"}, {vx::MSG::PRC_DSM_MESH_FOR_EDITING}, {100});
      vxdb::registerResource(*resources, *chronicle, vxdb::Resource::Type::DSM, {"Results/DSM/dsm.tif"},
                             {vx::MSG::PRC_DSM}, {100});
    }
    const QStringList files = MeshTree::DataBase::currentResources(project_);
    QCOMPARE(files, QStringList({QDir::toNativeSeparators(QDir(dir_->path()).absoluteFilePath("Results/DSM_Mesh/Mesh.osgb"))}));
  }

 private:
  std::unique_ptr<QTemporaryDir> dir_;
  vx::VEXAProject project_;
};

QTEST_GUILESS_MAIN(ProjectResourcesTest)
#include "ProjectResourcesTest.moc"
