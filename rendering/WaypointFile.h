#pragma once

#include <QFuture>
#include <QString>

#include <osg/Matrixd>

#include <string>
#include <vector>

// The waypoint path file: UTF-8 text, one waypoint a line: its name (one word), a blank, then the
// 16 numbers of the view matrix in storage order, each followed by a blank.
namespace qvx {

struct WaypointRecord {
  std::string name;
  osg::Matrixd viewMatrix;
};

struct WaypointFileContent {
  std::vector<WaypointRecord> waypoints;
  std::vector<int> badLines;  // 1-based numbers of the lines that are not a waypoint
  QString error;              // set when the file could not be read at all; names the file
};

// Larger than any sensible list of waypoints; a bigger file is refused without reading it.
constexpr quint64 kMaxWaypointFileBytes = 16ull * 1024 * 1024;

// A name as written: blanks would split it when read back, so they become underscores, and an
// empty name becomes the default one.
std::string waypointFileName(const std::string& name);

std::string formatWaypoints(const std::vector<WaypointRecord>& waypoints);
// Blank lines are skipped; any other line that is not a name (UTF-8 text) and the 16 finite numbers
// of an invertible view matrix is a bad line.
WaypointFileContent parseWaypoints(const std::string& text);

// Atomic write; the error text naming the file, empty on success.
QString writeWaypointFile(const QString& file, const std::vector<WaypointRecord>& waypoints);
// Thread-safe: meant to run off the GUI thread.
WaypointFileContent readWaypointFile(const QString& file);
// The same on the thread pool, for the GUI thread.
QFuture<WaypointFileContent> readWaypointFileInBackground(const QString& file);

// What the user is told about a read: empty when every line was a waypoint.
QString waypointReadMessage(const QString& file, const WaypointFileContent& content);

}  // namespace qvx
