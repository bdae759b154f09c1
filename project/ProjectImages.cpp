#include "project/ProjectImages.h"

#include <QDebug>
#include <QDir>

#include "vx/VEXAProject.h"

namespace qvx {

namespace {

std::string absolutePhotoPath(const vx::VEXAProject& project, const vx::ProjectImage& image) {
  if (image.photoPath.empty()) return {};
  const QDir folder(QString::fromStdString(project.projectFolderUtf8()));
  return QDir::toNativeSeparators(QDir::cleanPath(folder.filePath(QString::fromStdString(image.photoPath))))
      .toStdString();
}

}  // namespace

ProjectImages collectProjectImages(const vx::VEXAProject& project) {
  ProjectImages result;
  // Positions among the project's selected images of the selected images that were kept.
  std::vector<int> keptSelected;
  int selectedCount = 0;
  for (size_t i = 0; i < project.imageCount(); ++i) {
    const vx::ProjectImage& image = project.image(i);
    const bool selected = project.isImageSelected(image);
    try {
      result.orientations.push_back(project.imageOrientation(image));
      result.selected.push_back(selected);
      result.photoPaths.push_back(absolutePhotoPath(project, image));
      if (selected) keptSelected.push_back(selectedCount);
    } catch (const std::exception& error) {
      qDebug() << "Skipping image" << QString::fromStdString(image.name) << ":" << error.what();
    }
    if (selected) ++selectedCount;
  }

  // The topology numbers the project's selected images; renumber it over the kept ones.
  const vx::StereoModels topology = project.stereoModels();
  if (topology.imageCount() == 0) return result;
  if (topology.imageCount() != selectedCount) {
    qDebug() << "Ignoring the stereo topology: it covers" << topology.imageCount()
             << "images, the project has" << selectedCount << "selected images";
    return result;
  }
  result.topology = vx::StereoModels(static_cast<int>(keptSelected.size()));
  for (size_t a = 0; a < keptSelected.size(); ++a) {
    for (size_t b = a + 1; b < keptSelected.size(); ++b) {
      if (topology.isPair(keptSelected[a], keptSelected[b])) {
        result.topology.setPair(static_cast<int>(a), static_cast<int>(b));
      }
    }
  }
  return result;
}

}  // namespace qvx
