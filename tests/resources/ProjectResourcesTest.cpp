#include <QTemporaryDir>
#include <QtTest>

#include "resources/DataBase.h"
#include "vx/Msg.h"
#include "vx/VEXAProject.h"
#include "vxdb/Database.h"

using Type = vxdb::Resource::Type;

class ProjectResourcesTest : public QObject {
  Q_OBJECT

  QString internal(const QString& name) const { return QDir(dir_->path()).absoluteFilePath("Internal/" + name); }

  void registerResources(const std::vector<std::tuple<Type, std::string, int>>& entries) {
    auto resources = vxdb::DatabaseIO::openForWriting(internal("resources.vxdb").toStdString());
    auto chronicle = vxdb::DatabaseIO::openForWriting(internal("chronicle.vxdb").toStdString());
    for (const auto& [type, path, process] : entries)
      vxdb::registerResource(*resources, *chronicle, type, {path}, {process}, {100});
  }

 private slots:
  void init() {
    dir_.reset(new QTemporaryDir);
    QVERIFY(QDir(dir_->path()).mkpath("Internal"));
    project_ = vx::VEXAProject();
    QCOMPARE(project_.setOutputFolder(dir_->path().toStdString(), 0, 0), 0);
  }

  void currentMeshesOfTheProcessRangeAreListed() {
    registerResources({{Type::DSMMesh, "Results/DSM_Mesh/Mesh.osgb", vx::MSG::PRC_DSM_MESH},
                       // outside the range the editor asks for
                       {Type::DSMMeshForEditing, "Results/DSM_Mesh_For_Editing/Mesh.osgb", vx::MSG::PRC_DSM_MESH_FOR_EDITING},
                       {Type::DSM, "Results/DSM/dsm.tif", vx::MSG::PRC_DSM}});
    QCOMPARE(MeshTree::DataBase::currentResources(project_),
             QStringList({QDir::toNativeSeparators(QDir(dir_->path()).absoluteFilePath("Results/DSM_Mesh/Mesh.osgb"))}));
  }

  void missingOrCorruptDatabasesGiveNoResources() {
    QVERIFY(MeshTree::DataBase::currentResources(project_).isEmpty());
    registerResources({{Type::DSMMesh, "Results/DSM_Mesh/Mesh.osgb", vx::MSG::PRC_DSM_MESH}});
    QVERIFY(QFile::remove(internal("chronicle.vxdb")));
    QVERIFY(MeshTree::DataBase::currentResources(project_).isEmpty());
    for (const QString& name : {QString("resources.vxdb"), QString("chronicle.vxdb")}) {
      QFile file(internal(name));
      QVERIFY(file.open(QIODevice::WriteOnly));
      file.write("SQLite format 3\0 but not really", 32);
    }
    QVERIFY(MeshTree::DataBase::currentResources(project_).isEmpty());
  }

 private:
  std::unique_ptr<QTemporaryDir> dir_;
  vx::VEXAProject project_;
};

QTEST_GUILESS_MAIN(ProjectResourcesTest)
#include "ProjectResourcesTest.moc"
