#include "rendering/WaypointFile.h"

#include <QDir>
#include <QStringList>
#include <QtConcurrent>

#include <cmath>
#include <limits>
#include <sstream>

#include "rendering/WaypointItem.h"
#include "vx/AtomicFile.h"
#include "vx/SafeRead.h"

namespace qvx {

std::string waypointFileName(const std::string& name) {
  std::string word;
  std::istringstream words(name);
  std::string part;
  while (words >> part) word += (word.empty() ? "" : "_") + part;
  return word.empty() ? std::string(WaypointItem::kDefaultName) : word;
}

std::string formatWaypoints(const std::vector<WaypointRecord>& waypoints) {
  std::ostringstream out;
  out.imbue(std::locale::classic());
  // All digits: a view matrix carries projected world coordinates, where six digits lose metres.
  out.precision(std::numeric_limits<double>::max_digits10);
  for (const WaypointRecord& waypoint : waypoints) {
    out << waypointFileName(waypoint.name) << ' ';
    const double* values = waypoint.viewMatrix.ptr();
    for (int i = 0; i < 16; ++i) out << values[i] << ' ';
    out << '\n';
  }
  return out.str();
}

namespace {

// A view matrix the camera can be placed by: finite, with a finite inverse.
bool isViewMatrix(const osg::Matrixd& view) {
  osg::Matrixd placement;
  if (!placement.invert(view)) return false;
  for (int i = 0; i < 16; ++i) {
    if (!std::isfinite(placement.ptr()[i])) return false;
  }
  return true;
}

bool parseLine(const std::string& line, WaypointRecord& record) {
  std::istringstream in(line);
  in.imbue(std::locale::classic());
  if (!(in >> record.name) || !vx::isPlainText(record.name)) return false;
  double* values = record.viewMatrix.ptr();
  for (int i = 0; i < 16; ++i) {
    if (!(in >> values[i]) || !std::isfinite(values[i])) return false;
  }
  std::string rest;
  return !(in >> rest) && isViewMatrix(record.viewMatrix);
}

bool isBlank(const std::string& line) { return line.find_first_not_of(" \t\r") == std::string::npos; }

}  // namespace

WaypointFileContent parseWaypoints(const std::string& text) {
  WaypointFileContent content;
  std::istringstream in(text);
  std::string line;
  int number = 0;
  while (std::getline(in, line)) {
    ++number;
    if (isBlank(line)) continue;
    WaypointRecord record;
    if (parseLine(line, record))
      content.waypoints.push_back(record);
    else
      content.badLines.push_back(number);
  }
  return content;
}

QString writeWaypointFile(const QString& file, const std::vector<WaypointRecord>& waypoints) {
  try {
    vx::writeFileAtomically(file.toStdString(), formatWaypoints(waypoints));
  } catch (const std::exception& e) {
    return QStringLiteral("Could not save the waypoints to \"%1\": %2")
        .arg(QDir::toNativeSeparators(file), QString::fromStdString(e.what()));
  }
  return {};
}

WaypointFileContent readWaypointFile(const QString& file) {
  try {
    return parseWaypoints(
        vx::readRegularFile(QDir::toNativeSeparators(file).toStdString(), kMaxWaypointFileBytes, "The waypoint file"));
  } catch (const std::exception& e) {
    WaypointFileContent content;
    content.error = QString::fromStdString(e.what());
    return content;
  }
}

QFuture<WaypointFileContent> readWaypointFileInBackground(const QString& file) {
  return QtConcurrent::run([file] { return readWaypointFile(file); });
}

QString waypointReadMessage(const QString& file, const WaypointFileContent& content) {
  if (!content.error.isEmpty()) return content.error;
  if (content.badLines.empty()) return {};
  // A damaged file can have thousands of bad lines; the first ones are enough to find it.
  constexpr size_t kListed = 20;
  QStringList numbers;
  for (size_t i = 0; i < content.badLines.size() && i < kListed; ++i) numbers << QString::number(content.badLines[i]);
  if (content.badLines.size() > kListed) numbers << QStringLiteral("...");
  return QStringLiteral("%1 line(s) of the waypoint file %2 are not waypoints (a name of one word and the 16 "
                        "numbers of an invertible view matrix) and were skipped: line %3.")
      .arg(content.badLines.size())
      .arg(QDir::toNativeSeparators(file), numbers.join(QStringLiteral(", ")));
}

}  // namespace qvx
