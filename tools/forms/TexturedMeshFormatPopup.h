#pragma once

#include <QDialog>

#include <map>
#include <memory>

#include "vx/MeshIO.h"
#include "vx/VEXAProject.h"

class CtrlParameterCheckBox;
class CtrlParameterStringFromList;

// Chooses which mesh formats are written and with which texture format, on a working copy of the
// project's settings that reaches the project only on "Apply".
class TexturedMeshFormatPopup : public QDialog {
  Q_OBJECT

 public:
  explicit TexturedMeshFormatPopup(std::shared_ptr<vx::VEXAProject> project, QWidget* parent = nullptr);

  CtrlParameterCheckBox* formatRow(vx::meshio::MeshFileFormat format) const { return m_formatRows.at(format); }
  CtrlParameterStringFromList* textureRow(vx::meshio::MeshFileFormat format) const {
    return m_textureRows.at(format);
  }
  const vx::VEXAProject& workingCopy() const { return m_copy; }

  // The name a texture format has in the list ("jpg & dds" for both files) and back.
  static QString textureLabel(vx::meshio::TextureFileFormat texture);
  static vx::meshio::TextureFileFormat textureOfLabel(const QString& label);

 public slots:
  void slot_apply();
  void slot_cancel();

 private:
  void addFormatRows(vx::meshio::MeshFileFormat format);

  std::shared_ptr<vx::VEXAProject> m_project;
  vx::VEXAProject m_copy;
  std::map<vx::meshio::MeshFileFormat, CtrlParameterCheckBox*> m_formatRows;
  std::map<vx::meshio::MeshFileFormat, CtrlParameterStringFromList*> m_textureRows;
};
