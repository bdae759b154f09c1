#include <QtTest>

#include <QTemporaryDir>

#include <cmath>
#include <fstream>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "rendering/PathTiming.h"
#include "rendering/WaypointFile.h"
#include "rendering/WaypointItem.h"
#include "rendering/WaypointList.h"
#include "rendering/WaypointTree.h"

using namespace qvx;

namespace {

// A view matrix of a camera at `eye` looking at the origin.
osg::Matrixd viewFrom(const osg::Vec3d& eye) {
  return osg::Matrixd::lookAt(eye, osg::Vec3d(0.0, 0.0, 0.0), osg::Vec3d(0.0, 0.0, 1.0));
}

osg::Vec3d eyeOf(const osg::Matrixd& view) { return osg::Matrixd::inverse(view).getTrans(); }

std::vector<double> pathTimes(const osg::AnimationPath& path) {
  std::vector<double> times;
  for (const auto& entry : path.getTimeControlPointMap()) times.push_back(entry.first);
  return times;
}

}  // namespace

class WaypointTest : public QObject {
  Q_OBJECT

 private slots:
  // A camera at constant speed: times follow the distance flown, from 0 to the duration.
  void timingFollowsDistance() {
    const std::vector<double> times =
        constantSpeedTimes({{0, 0, 0}, {30, 0, 0}, {30, 0, 0}, {30, 10, 0}}, 8.0);
    QCOMPARE(times.size(), size_t(4));
    QCOMPARE(times[0], 0.0);
    QCOMPARE(times[1], 6.0);
    QCOMPARE(times[2], 6.0);  // no distance, no time
    QCOMPARE(times[3], 8.0);
  }

  // Nothing to fly must give no times at all, never NaN.
  void timingWithoutFlight() {
    QVERIFY(constantSpeedTimes({}, 5.0).empty());
    QVERIFY(constantSpeedTimes({{1, 2, 3}}, 5.0).empty());
    QVERIFY(constantSpeedTimes({{1, 2, 3}, {1, 2, 3}, {1, 2, 3}}, 5.0).empty());
    QVERIFY(constantSpeedTimes({{0, 0, 0}, {1, 0, 0}}, 0.0).empty());
    QVERIFY(constantSpeedTimes({{0, 0, 0}, {1, 0, 0}}, std::nan("")).empty());
  }

  void pathThroughTickedWaypoints() {
    WaypointList list;
    WaypointTree tree;
    tree.addWaypoint(list, viewFrom({0, -100, 50}), "a");
    auto skipped = tree.addWaypoint(list, viewFrom({500, 500, 50}), "detour");
    tree.addWaypoint(list, viewFrom({0, 100, 50}), "b");
    tree.addWaypoint(list, viewFrom({0, 200, 50}), "c");
    skipped->setCheckState(0, Qt::Unchecked);

    osg::ref_ptr<osg::AnimationPath> path = list.buildAnimationPath(9.0);
    QVERIFY(path);
    const std::vector<double> times = pathTimes(*path);
    QCOMPARE(times.size(), size_t(3));
    QCOMPARE(times[0], 0.0);
    QVERIFY(std::abs(times[1] - 6.0) < 1e-9);
    QCOMPARE(times[2], 9.0);
    // The camera sits where the waypoint's view puts it, looking the same way.
    osg::AnimationPath::ControlPoint start;
    QVERIFY(path->getInterpolatedControlPoint(0.0, start));
    osg::Matrixd placed;
    start.getMatrix(placed);
    const osg::Matrixd view = osg::Matrixd::inverse(placed);
    for (int i = 0; i < 16; ++i) QVERIFY(std::abs(view.ptr()[i] - viewFrom({0, -100, 50}).ptr()[i]) < 1e-6);
    // The unticked waypoint stays in the list and in what is saved.
    QCOMPARE(list.size(), size_t(4));
    QCOMPARE(list.records()[1].name, std::string("detour"));
  }

  void noPathWithoutFlight() {
    WaypointTree tree;
    {
      WaypointList list;
      tree.addWaypoint(list, viewFrom({0, -100, 50}), "only");
      QVERIFY(!list.buildAnimationPath(10.0));
    }
    {
      WaypointList list;
      tree.addWaypoint(list, viewFrom({0, -100, 50}), "a");
      tree.addWaypoint(list, viewFrom({0, -100, 50}), "same place");
      QVERIFY(!list.buildAnimationPath(10.0));
    }
    {
      WaypointList list;
      tree.addWaypoint(list, viewFrom({0, -100, 50}), "a");
      tree.addWaypoint(list, viewFrom({0, 100, 50}), "b")->setCheckState(0, Qt::Unchecked);
      QVERIFY(!list.buildAnimationPath(10.0));  // one ticked waypoint
    }
  }

  void fileRoundTrip() {
    QTemporaryDir dir;
    const QString file = dir.filePath("path.txt");
    WaypointList list;
    WaypointTree tree;
    // Projected coordinates: six digits would move the camera by metres.
    tree.addWaypoint(list, viewFrom({482113.37, 5361057.91, 320.5}), "start");
    tree.addWaypoint(list, viewFrom({482200.0, 5361100.0, 300.0}), "two words");
    QVERIFY(list.save(file).isEmpty());

    const WaypointFileContent content = readWaypointFile(file);
    QVERIFY(content.error.isEmpty());
    QVERIFY(content.badLines.empty());
    QCOMPARE(content.waypoints.size(), size_t(2));
    QCOMPARE(content.waypoints[0].name, std::string("start"));
    QCOMPARE(content.waypoints[1].name, std::string("two_words"));
    QCOMPARE(content.waypoints[0].viewMatrix, *list.waypoints()[0]->viewMatrix());
    QCOMPARE(eyeOf(content.waypoints[1].viewMatrix), eyeOf(*list.waypoints()[1]->viewMatrix()));

    QVERIFY(tree.treeWidget()->isHeaderHidden());  // one column of names needs no header "1"

    // Loading appends: twice gives four.
    tree.addWaypoints(list, content.waypoints);
    QCOMPARE(list.size(), size_t(4));
    QCOMPARE(tree.treeWidget()->topLevelItemCount(), 4);
  }

  void savingToAnUnwritablePlaceNamesTheFile() {
    WaypointList list;
    WaypointTree tree;
    tree.addWaypoint(list, viewFrom({0, 1, 2}), "a");
    const QString file = QStringLiteral("/nonexistent-folder-of-test/path.txt");
    const QString error = list.save(file);
    QVERIFY(error.contains(file));
  }

  // Bad lines are skipped and named; the good ones are kept.
  void garbageLinesAreReported() {
    QTemporaryDir dir;
    const QString file = dir.filePath("damaged.txt");
    const std::string good = "a 1 0 0 0 0 1 0 0 0 0 1 0 5 6 7 1 \n";
    {
      std::ofstream out(file.toStdString(), std::ios::binary);
      out << good << "garbage line\n\n"
          << "b 1 0 0 0 0 1 0 0 0 0 1 0 5 6 \n"        // too few numbers
          << "c 1 0 0 0 0 1 0 0 0 0 1 0 5 6 7 nan \n"  // not finite
          << "two words 1 0 0 0 0 1 0 0 0 0 1 0 5 6 7 1 \n"
          << good
          << "d\x01 1 0 0 0 0 1 0 0 0 0 1 0 5 6 7 1 \n"      // control character in the name
          << "\xC3\x28 1 0 0 0 0 1 0 0 0 0 1 0 5 6 7 1 \n"  // name not UTF-8
          << "e 0 0 0 0 0 0 0 0 0 0 0 0 5 6 7 1 \n"          // no camera has such a view
          << "f 1 0 0 0 0 1 0 0 0 0 1 0 5 6 7 1e400 \n";     // beyond double
    }
    const WaypointFileContent content = readWaypointFileInBackground(file).result();
    QCOMPARE(content.waypoints.size(), size_t(2));
    QCOMPARE(content.waypoints[1].viewMatrix.getTrans(), osg::Vec3d(5, 6, 7));
    QCOMPARE(content.badLines, (std::vector<int>{2, 4, 5, 6, 8, 9, 10, 11}));
    const QString message = waypointReadMessage(file, content);
    QVERIFY(message.contains(file));
    QVERIFY(message.contains("line 2, 4, 5, 6, 8, 9, 10, 11."));
  }

  // Cut anywhere, a file keeps its whole lines: each non-blank line is a waypoint or a bad line.
  // Noise is bad lines, never an error or a crash.
  void truncatedAndRandomFilesKeepWhatIsWhole() {
    QTemporaryDir dir;
    const QString file = dir.filePath("cut.txt");
    std::vector<WaypointRecord> records{{"a", viewFrom({482113.37, 5361057.91, 320.5})}, {"b", viewFrom({1, 2, 3})}};
    const QByteArray whole = QByteArray::fromStdString(formatWaypoints(records));
    const auto nonBlankLines = [](const QByteArray& text) {
      int count = 0;
      for (const QByteArray& line : text.split('\n'))
        count += line.toStdString().find_first_not_of(" \t\r") == std::string::npos ? 0 : 1;
      return count;
    };
    for (int cut = 0; cut <= whole.size(); cut += 7) {
      std::ofstream(file.toStdString(), std::ios::binary) << whole.left(cut).toStdString();
      const WaypointFileContent content = readWaypointFile(file);
      QVERIFY(content.error.isEmpty());
      QCOMPARE(int(content.waypoints.size() + content.badLines.size()), nonBlankLines(whole.left(cut)));
      QVERIFY(cut < whole.indexOf('\n') || content.waypoints.size() >= 1);
    }
    std::ofstream(file.toStdString(), std::ios::binary | std::ios::trunc).flush();
    const WaypointFileContent empty = readWaypointFile(file);
    QVERIFY(empty.waypoints.empty() && empty.badLines.empty() && waypointReadMessage(file, empty).isEmpty());

    QRandomGenerator random(3);
    for (int round = 0; round < 40; ++round) {
      QByteArray noise(1 + int(random.bounded(4000)), '\0');
      for (char& c : noise) c = char(random.bounded(256));
      std::ofstream(file.toStdString(), std::ios::binary) << noise.toStdString();
      const WaypointFileContent content = readWaypointFile(file);
      QVERIFY(content.error.isEmpty() && content.waypoints.empty());
      QCOMPARE(int(content.badLines.size()), nonBlankLines(noise));
    }
  }

  // Refused before reading, with the file named as the settings files are.
  void filesThatAreNoPlainFilesOfPlausibleSizeAreNotRead() {
    QTemporaryDir dir;
    const QString missing = dir.filePath("missing.txt");
    QCOMPARE(waypointReadMessage(missing, readWaypointFile(missing)), "The waypoint file " + missing + " does not exist.");
    QCOMPARE(readWaypointFile(dir.path()).error, "The waypoint file " + dir.path() + " is not a regular file.");
#ifdef Q_OS_UNIX
    const QString fifo = dir.filePath("fifo.txt");
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QCOMPARE(readWaypointFile(fifo).error, "The waypoint file " + fifo + " is not a regular file.");  // did not block
    const QString huge = dir.filePath("huge.txt");
    { std::ofstream(huge.toStdString()) << "a 1 0 0 0 0 1 0 0 0 0 1 0 5 6 7 1 \n"; }
    QCOMPARE(::truncate(QFile::encodeName(huge).constData(), off_t(2) << 30), 0);
    const QString error = readWaypointFile(huge).error;
    QVERIFY2(error.startsWith("The waypoint file " + huge + " is 2147483648 bytes, far larger"), qPrintable(error));
#endif
  }

  void treeSlotsDeleteClearRenameJump() {
    WaypointList list;
    WaypointTree tree;
    QSignalSpy updates(&tree, &WaypointTree::signal_update);
    auto first = tree.addWaypoint(list, viewFrom({0, -100, 50}), "pt");
    auto second = tree.addWaypoint(list, viewFrom({0, 100, 50}), "pt");
    auto third = tree.addWaypoint(list, viewFrom({0, 200, 50}), "pt");

    // Rename through the item's text.
    second->setText(0, "tower");
    QCOMPARE(second->getName(), std::string("tower"));

    // Jump: the double-clicked waypoint's view, once.
    tree.on_itemDoubleClick(third.get(), 0);
    QCOMPARE(updates.count(), 1);
    QCOMPARE(list.takeJumpTarget(), std::optional<osg::Matrixd>(viewFrom({0, 200, 50})));
    QVERIFY(!list.takeJumpTarget());

    // Delete the current waypoint: out of the panel at once, out of the list at the update.
    tree.treeWidget()->setCurrentItem(second.get());
    tree.on_deleteWaypoint();
    QCOMPARE(updates.count(), 2);
    QCOMPARE(tree.treeWidget()->topLevelItemCount(), 2);
    QVERIFY(!second->isActive());
    list.removeInactive();
    QCOMPARE(list.size(), size_t(2));
    QCOMPARE(list.last(), third);

    // Without a current item only the update is asked for.
    tree.treeWidget()->setCurrentItem(nullptr);
    tree.on_deleteWaypoint();
    QCOMPARE(updates.count(), 3);
    QCOMPARE(tree.treeWidget()->topLevelItemCount(), 2);

    tree.on_clearPath();
    QCOMPARE(updates.count(), 4);
    QCOMPARE(tree.treeWidget()->topLevelItemCount(), 0);
    QVERIFY(!first->isActive() && !third->isActive());
    list.removeInactive();
    QCOMPARE(list.size(), size_t(0));
    QVERIFY(!list.last());
  }

  void recordingNeedsTwoWaypointsAndAYes() {
    WaypointList list;
    WaypointTree tree;
    QStringList shown;
    int shownMs = 0;
    QStringList asked;
    tree.showTimedMessage = [&](const QString& text, int ms) {
      shown << text;
      shownMs = ms;
    };
    tree.askYesNo = [&](const QString& question) {
      asked << question;
      return false;
    };
    QSignalSpy render(&tree, &WaypointTree::signal_renderAnimation);
    tree.addWaypoint(list, viewFrom({0, -100, 50}), "pt");
    tree.on_recordingRequested();
    QCOMPARE(shown, QStringList{WaypointTree::kNotEnoughWaypoints});
    QCOMPARE(shownMs, 3000);
    QVERIFY(asked.isEmpty());

    tree.addWaypoint(list, viewFrom({0, 100, 50}), "pt");
    tree.on_recordingRequested();
    QCOMPARE(asked, QStringList{WaypointTree::kLongRenderQuestion});
    QCOMPARE(shown.size(), 1);
    QCOMPARE(render.count(), 0);
  }

  void modes() {
    WaypointTree tree;
    QVERIFY(tree.isEnabled());
    tree.setMode(2);
    QVERIFY(!tree.isEnabled());
    tree.setMode(7);
    QVERIFY(!tree.isEnabled());
    tree.setMode(1);
    QVERIFY(tree.isEnabled());
  }

  // The list owns the waypoints: either may go first without a double delete.
  void ownershipEitherWay() {
    {
      WaypointList list;
      auto tree = std::make_unique<WaypointTree>();
      tree->addWaypoint(list, viewFrom({0, 1, 2}), "pt");
      tree.reset();
      QCOMPARE(list.last()->getName(), std::string("pt"));
    }
    {
      WaypointTree tree;
      {
        WaypointList list;
        tree.addWaypoint(list, viewFrom({0, 1, 2}), "pt");
      }
      QCOMPARE(tree.treeWidget()->topLevelItemCount(), 0);
    }
  }
};

QTEST_MAIN(WaypointTest)
#include "WaypointTest.moc"
