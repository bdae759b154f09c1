#pragma once

#include <QFileInfo>
#include <QList>
#include <QMap>
#include <QObject>
#include <QPointer>
#include <QStringList>

#include <memory>

#include <osg/Node>
#include <osg/ref_ptr>

#include "resources/TileRootValues.h"

namespace vx {
class VEXAProject;
}

namespace MeshTree {

class DataLoader;
class Group;
class Item;
class TileBoundsReader;

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
  // Drops the waiting requests and stops the running load before its next file (through the
  // loader's feedback); nothing of it is added.
  void cancelLoad();
  // A load requested while another runs waits for it and starts after its signal_loadingDone.
  bool isLoading() const { return loader_ != nullptr; }
  // Whether the data announced by the latest signal_newData should reset the camera: false only
  // for data of reloadAll(false).
  bool resetCameraOnNewData() const { return resetCamera_; }

  // The result files to load for an opened project, from its two project databases; empty when
  // either database cannot be read. Entries outside the project folder or naming no file, and
  // rows with wrong values, are left out. Every such problem adds a sentence naming the file to `problems`; a project with
  // neither database (not processed yet) has none. Reads files: not for the GUI thread.
  static QStringList currentResources(const vx::VEXAProject& project, QStringList* problems = nullptr);

  // All live groups in order of creation (the tree owns them once added; deleted ones drop out).
  QList<Group*> groups() const;
  // Groups created since the last call; the central widget adds them to the tree.
  QList<Group*> takeNewGroups();
  // Adds a digitized polygon as an item of the polygon group (created, and then reported by
  // takeNewGroups, when there is none). The polygon stays in the digitization's scene.
  Item* addPolygon(osg::ref_ptr<osg::Node> polygon);

  // Scene nodes of all mesh groups, for the scene root. Hidden entries carry an empty node mask.
  osg::ref_ptr<osg::Node> sceneData() const;
  // Height range (world z) of the loaded data as far as it is known; false when nothing is known.
  // Tiles that are not paged in count once the tile bounds reader has read their roots, which
  // signal_heightRangeChanged announces.
  bool heightRange(float& minHeight, float& maxHeight) const;
  // True while any mesh item is loaded.
  bool hasData() const;
  // The files that were read to make the loaded mesh items, in group order, each once.
  QStringList loadedFiles() const;
  // The suffixes of loadedFiles(), each once.
  QStringList fileSuffixes() const;

  // Re-points loaded tiles to the reprocessed tiles listed in `listFile` (one path per line).
  // Failures are reported through signal_error; returns the number of tiles re-pointed.
  int replaceTiles(const QString& listFile);

 signals:
  void signal_busy(bool busy, QString msg);
  void signal_newData();
  void signal_clearData();
  void signal_error(QString msg);
  void signal_loadingDone();
  void signal_savingDone();
  void signal_heightRangeChanged();

 private slots:
  void on_dataLoaded();
  void on_dataNotLoaded(QString errorString);
  void on_dataSaved();
  void on_dataNotSaved(QString errorString);
  void on_tileBoundsRead(const QMap<QString, TileBounds>& read);

 private:
  struct LoadRequest {
    QString busyMessage;
    QList<std::shared_ptr<QFileInfo>> files;
    bool resetCamera = true;
  };

  static LoadRequest meshResourcesRequest(const QStringList& files, bool resetCamera);
  void requestLoad(const LoadRequest& request);
  void startLoader(const LoadRequest& request);
  void startNextRequest();
  void finishLoader();
  void addLoadedNode(osg::ref_ptr<osg::Node> node, const QFileInfo& file);
  void addTiledMesh(osg::ref_ptr<osg::Node> node, const QFileInfo& file, unsigned int structure);
  void addPlainMesh(osg::ref_ptr<osg::Node> node, const QFileInfo& file, unsigned int structure);
  bool isLoaded(const QString& path) const;
  Group* findGroup(const QString& databasePath, int type) const;
  Group* findGroupOfType(int type) const;
  Group* createGroup(const QString& name, int type, bool container, const QString& nodeName);
  // Deletes the groups that no tree took over.
  void deleteUnownedGroups();
  // Hands the tiles whose bounds are unknown to the tile bounds reader.
  void readMissingTileBounds();

  QList<QPointer<Group>> groups_;
  QList<QPointer<Group>> newGroups_;
  DataLoader* loader_ = nullptr;
  bool loaderResetsCamera_ = true;
  QList<LoadRequest> pending_;
  bool resetCamera_ = true;
  TileBoundsReader* boundsReader_;
};

}  // namespace MeshTree
