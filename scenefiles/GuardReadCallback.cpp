#include "scenefiles/GuardReadCallback.h"

#include <QString>

#include <osgDB/FileUtils>

#include "scenefiles/SceneFileGuard.h"

namespace scenefiles {

GuardReadCallback::GuardReadCallback(osg::ref_ptr<osgDB::Registry::ReadFileCallback> next)
    : next_(std::move(next)) {}

osgDB::ReaderWriter::ReadResult GuardReadCallback::readNode(const std::string& fileName,
                                                            const osgDB::Options* options) {
  if (SceneFileGuard* guard = SceneFileGuard::installed()) {
    // Names that are no file (pseudo-loaders, missing files) go on to the readers unchanged.
    const std::string found = osgDB::findDataFile(fileName, options);
    if (!found.empty()) {
      const Verdict verdict = guard->check(QString::fromUtf8(found.c_str()));
      if (verdict.isBad()) {
        return osgDB::ReaderWriter::ReadResult(verdict.message.toUtf8().toStdString());
      }
      if (!verdict.readInstead.isEmpty()) {
        const std::string copy = verdict.readInstead.toUtf8().toStdString();
        return next_ ? next_->readNode(copy, options) : ReadFileCallback::readNode(copy, options);
      }
    }
  }
  return next_ ? next_->readNode(fileName, options) : ReadFileCallback::readNode(fileName, options);
}

}  // namespace scenefiles
