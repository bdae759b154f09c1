#pragma once

#include <QFileInfo>
#include <QList>
#include <QObject>
#include <QStringList>

#include <memory>

#include <osg/Node>
#include <osg/ref_ptr>

namespace vx {
class VEXAProject;
}

namespace MeshTree {

class DataLoader;
class Group;
class Item;

// The model of everything the viewer has loaded: groups of items carrying scene nodes. Files are
// read on the global thread pool by one DataLoader at a time; grouping and scene changes happen on
// the main thread.
class DataBase : public QObject {
  Q_OBJECT

 public:
  explicit DataBase(QObject* parent = nullptr);
  ~DataBase() override;

  // A missing file is ignored without a message.
  void loadFile(const QFileInfo& file);
  // Missing files are skipped.
  void loadFiles(const QStringList& files);
  // Reloads the files of all loaded resources (clears first).
  void reloadAll(bool resetCamera = true);

  // The result files to load for an opened project, from its two project databases; empty when
  // either database cannot be read.
  static QStringList currentResources(const vx::VEXAProject& project);

  // All groups in order of creation (the tree owns them once added).
  const QList<Group*>& groups() const { return groups_; }
  // Groups created since the last call; the central widget adds them to the tree.
  QList<Group*> takeNewGroups();
  // Scene nodes of all groups, for the scene root.
  osg::ref_ptr<osg::Node> sceneData() const;
  // Height range (world z) of the loaded data; false when nothing is loaded.
  bool heightRange(float& minHeight, float& maxHeight) const;
  // Forgets groups that the tree deleted.
  void forgetGroup(Group* group);

 signals:
  void signal_busy(bool busy, QString msg);
  void signal_newData();
  void signal_clearData();
  void signal_error(QString msg);
  void signal_loadingDone();
  void signal_savingDone();

 private slots:
  void on_dataLoaded();
  void on_dataNotLoaded(QString errorString);
  void on_dataSaved();
  void on_dataNotSaved(QString errorString);

 private:
  void startLoader(const QList<std::shared_ptr<QFileInfo>>& files);
  void addLoadedNode(osg::ref_ptr<osg::Node> node, const QFileInfo& file);

  QList<Group*> groups_;
  QList<Group*> newGroups_;
  DataLoader* loader_ = nullptr;
};

}  // namespace MeshTree
