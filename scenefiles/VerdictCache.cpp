#include "scenefiles/VerdictCache.h"

#include "vx/AtomicFile.h"
#include "vx/SafeRead.h"

#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace scenefiles {

namespace {

constexpr int kFormatVersion = 1;

}  // namespace

QString VerdictCache::keyOf(const QString& path) {
  const QFileInfo info(path);
  const QString canonical = info.canonicalFilePath();
  if (canonical.isEmpty()) return {};
  return canonical + '|' + QString::number(info.size()) + '|' +
         QString::number(info.lastModified().toMSecsSinceEpoch());
}

bool VerdictCache::find(const QString& key, Verdict& verdict) const {
  std::lock_guard<std::mutex> lock(mutex_);
  const auto it = verdicts_.constFind(key);
  if (it == verdicts_.constEnd()) return false;
  verdict = it.value();
  return true;
}

void VerdictCache::insert(const QString& key, const Verdict& verdict) {
  if (key.isEmpty() || verdict.state == Verdict::Unchecked) return;
  std::lock_guard<std::mutex> lock(mutex_);
  verdicts_.insert(key, verdict);
  changed_ = true;
}

int VerdictCache::size() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return verdicts_.size();
}

bool VerdictCache::load(const QString& file) {
  // Room for the verdicts of a few hundred thousand files; anything larger is not ours.
  constexpr std::uint64_t kMaxBytes = 64u << 20;
  if (!QFileInfo::exists(file)) return false;
  std::string bytes;
  try {
    bytes = vx::readRegularFile(file.toUtf8().toStdString(), kMaxBytes, "The scene file verdict cache");
  } catch (const vx::FileError& refused) {
    qDebug().noquote() << "Ignoring scene file verdict cache:" << refused.what();
    return false;
  }
  QJsonParseError error;
  const QJsonDocument document =
      QJsonDocument::fromJson(QByteArray::fromRawData(bytes.data(), int(bytes.size())), &error);
  const QJsonObject root = document.object();
  if (error.error != QJsonParseError::NoError || root.value("version").toInt() != kFormatVersion ||
      !root.value("verdicts").isArray()) {
    qDebug().noquote() << "Ignoring damaged scene file verdict cache:" << QDir::toNativeSeparators(file);
    return false;
  }
  QHash<QString, Verdict> loaded;
  for (const QJsonValue& value : root.value("verdicts").toArray()) {
    const QJsonObject entry = value.toObject();
    const QString key = entry.value("key").toString();
    if (key.isEmpty() || !entry.value("good").isBool()) continue;
    Verdict verdict;
    verdict.state = entry.value("good").toBool() ? Verdict::Good : Verdict::Bad;
    verdict.message = entry.value("message").toString();
    loaded.insert(key, verdict);
  }
  std::lock_guard<std::mutex> lock(mutex_);
  verdicts_ = loaded;
  changed_ = false;
  return true;
}

bool VerdictCache::save(const QString& file) {
  QJsonArray entries;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!changed_) return true;
    for (auto it = verdicts_.constBegin(); it != verdicts_.constEnd(); ++it) {
      // Copies live as long as the run that made them.
      if (!it.value().readInstead.isEmpty()) continue;
      QJsonObject entry;
      entry.insert("key", it.key());
      entry.insert("good", it.value().state == Verdict::Good);
      if (!it.value().message.isEmpty()) entry.insert("message", it.value().message);
      entries.append(entry);
    }
    changed_ = false;
  }
  QJsonObject root;
  root.insert("version", kFormatVersion);
  root.insert("verdicts", entries);
  QDir().mkpath(QFileInfo(file).absolutePath());
  try {
    const QByteArray bytes = QJsonDocument(root).toJson(QJsonDocument::Compact);
    vx::writeFileAtomically(file.toUtf8().toStdString(), std::string_view(bytes.constData(), size_t(bytes.size())));
  } catch (const vx::FileError& error) {
    qDebug().noquote() << "Couldn't save the scene file verdict cache:" << error.what();
    std::lock_guard<std::mutex> lock(mutex_);
    changed_ = true;
    return false;
  }
  return true;
}

}  // namespace scenefiles
