#pragma once

#include <QSpinBox>

#include <functional>
#include <memory>

#include "rendering/WaypointFile.h"
#include "resources/BaseTree.h"

namespace qvx {

class WaypointItem;
class WaypointList;

// The panel of animation waypoints: records, names, orders and removes waypoints and asks for
// playback, path files, screenshots and animation renders.
class WaypointTree : public BaseTree {
  Q_OBJECT

 public:
  explicit WaypointTree(QWidget* parent = nullptr);
  ~WaypointTree() override;

  // Message boxes live with the main window; the owner says how to show them.
  std::function<void(const QString& text, int milliseconds)> showTimedMessage;
  std::function<bool(const QString& question)> askYesNo;

  // Modes 0 and 1 enable the panel, 2 disables it, others change nothing.
  void setMode(int mode);

  // A new ticked waypoint at the end of the panel and of the list.
  std::shared_ptr<WaypointItem> addWaypoint(WaypointList& list, const osg::Matrixd& viewMatrix,
                                            const std::string& name);
  void addWaypoints(WaypointList& list, const std::vector<WaypointRecord>& records);

  QSpinBox* speedBox() const { return speed_; }

  static constexpr const char* kNotEnoughWaypoints =
      "Not enough waypoints avaiable. To render animation please add waypoints first. Minimum is 2.";
  static constexpr int kNotEnoughWaypointsMs = 3000;
  static constexpr const char* kLongRenderQuestion =
      "When rendering the current animation, the program will be busy for an extended period of time. "
      "Depending on your data, the process can require a significant amount of memory. Do you want to proceed?";

 signals:
  void signal_requestWaypoint();
  void signal_startAnimationPlayback();
  void signal_stopAnimationPlayback();
  void signal_modifyAnimationPlaybackSpeed(int percent);
  void signal_saveAnimationPath(QString file);
  void signal_loadAnimationPath(QString file);
  void signal_saveScreenshot(QString file, int width, int height);
  void signal_renderAnimation(QString file, int fps, int duration);

 public slots:
  void on_savePath();
  void on_loadPath();
  void on_clearPath();
  void on_addWaypoint();
  void on_deleteWaypoint();
  void on_playAnimation();
  void on_itemDoubleClick(QTreeWidgetItem* item, int column) override;
  void on_itemClicked(QTreeWidgetItem* item, int column) override;
  void on_recordingRequested();
  void on_screenshotRequested();

 private:
  void takeOut(QTreeWidgetItem* item);

  QSpinBox* speed_;
};

}  // namespace qvx
