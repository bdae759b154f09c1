#include "tools/forms/TexturedMeshFormatPopup.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "tools/forms/CtrlParameter.h"

namespace meshio = vx::meshio;

namespace {
const QString kBothTextures = "jpg & dds";

void sizeRow(QWidget* row) {
  row->setMinimumWidth(500);
  row->setMinimumHeight(32);
  row->setMaximumHeight(40);
}
}  // namespace

TexturedMeshFormatPopup::TexturedMeshFormatPopup(std::shared_ptr<vx::VEXAProject> project, QWidget* parent)
    : QDialog(parent), m_project(std::move(project)) {
  setWindowTitle("Mesh Formats");
  if (m_project) m_copy.copySettingsFrom(*m_project);
  auto* layout = new QVBoxLayout(this);
  for (meshio::MeshFileFormat format : meshio::allMeshFileFormats()) {
    addFormatRows(format);
    layout->addWidget(m_formatRows[format]);
    layout->addWidget(m_textureRows[format]);
  }
  auto* buttons = new QHBoxLayout;
  auto* cancel = new QPushButton("Cancel", this);
  auto* apply = new QPushButton("Apply", this);
  buttons->addStretch();
  buttons->addWidget(cancel);
  buttons->addWidget(apply);
  layout->addLayout(buttons);
  connect(cancel, &QPushButton::clicked, this, &TexturedMeshFormatPopup::slot_cancel);
  connect(apply, &QPushButton::clicked, this, &TexturedMeshFormatPopup::slot_apply);
}

QString TexturedMeshFormatPopup::textureLabel(meshio::TextureFileFormat texture) {
  return texture == meshio::JPG_DDS ? kBothTextures : QString::fromStdString(meshio::toString(texture));
}

meshio::TextureFileFormat TexturedMeshFormatPopup::textureOfLabel(const QString& label) {
  return label == kBothTextures ? meshio::JPG_DDS : meshio::stringToTextureFileFormat(label.toStdString());
}

void TexturedMeshFormatPopup::addFormatRows(meshio::MeshFileFormat format) {
  const QString name = QString::fromStdString(meshio::toString(format));
  auto* written = new CtrlParameterCheckBox(
      "Mesh format: " + name,
      "Export mesh " + QString(meshio::hasLevelsOfDetail(format) ? "with level of detail " : "") + "to " + name +
          " format.",
      ValueBinding<bool>([this, format] { return m_copy.isMeshFormatWritten(format); },
                         [this, format](const bool& on) { m_copy.setMeshFormatWritten(format, on); }),
      this);

  QStringList labels;
  for (meshio::TextureFileFormat texture : meshio::getValidTextureFormats(format)) labels << textureLabel(texture);
  // Only a written format has a texture format to show or change.
  auto* texture = new CtrlParameterStringFromList(
      "Texture format", "Texture format used when exporting mesh to " + name + " format.", labels,
      ValueBinding<QString>(
          [this, format] {
            return m_copy.isMeshFormatWritten(format) ? textureLabel(m_copy.textureFormat(format)) : QString();
          },
          [this, format](const QString& label) {
            if (m_copy.isMeshFormatWritten(format)) m_copy.setTextureFormat(format, textureOfLabel(label));
          }),
      this);
  texture->setEnabledCondition([this, format] { return m_copy.isMeshFormatWritten(format); });
  connect(written, &CtrlParameter::signal_modified, texture, &CtrlParameter::slot_updateUi);
  sizeRow(written);
  sizeRow(texture);
  m_formatRows[format] = written;
  m_textureRows[format] = texture;
}

void TexturedMeshFormatPopup::slot_apply() {
  if (m_project) m_project->copySettingsFrom(m_copy);
  accept();
}

void TexturedMeshFormatPopup::slot_cancel() { reject(); }
