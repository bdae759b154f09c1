#pragma once

#include <QList>
#include <QWidget>

#include <functional>
#include <memory>

#include "tools/forms/FormSetting.h"

namespace vx {
class VEXAProject;
}
class AreaSetter;
class CtrlParameter;
class ExpandFrame;
class QComboBox;
class QDoubleSpinBox;
class QSpinBox;
class QVBoxLayout;
class QLabel;

// The processing parameters of a project: header fields (point format, GSD) and the parameter rows
// in three sections. Every field edits a working copy of the bound project; on_acceptParams hands
// the working copy's settings to the bound project.
class ControlForm : public QWidget {
  Q_OBJECT

 public:
  // Asks for a coordinate system as WKT, starting with the given text; false when cancelled.
  using WktAsker = std::function<bool(QString& wkt)>;

  explicit ControlForm(FormSetting setting, QWidget* parent = nullptr);
  ~ControlForm() override;

  // Copies the project's settings into the working copy and shows them.
  void bindProject(std::shared_ptr<vx::VEXAProject> project);
  const std::shared_ptr<vx::VEXAProject>& boundProject() const { return m_bound; }
  const std::shared_ptr<vx::VEXAProject>& workingCopy() const { return m_work; }

  FormSetting setting() const { return m_setting; }
  // 0: editable on a fresh working copy, 1: showing the bound project's settings, 2: disabled.
  void setMode(int mode);
  int mode() const { return m_mode; }

  // The parameter rows in table order, and the sections.
  const QList<CtrlParameter*>& rows() const { return m_rows; }
  const QList<ExpandFrame*>& sections() const { return m_sections; }

  void setWktAsker(WktAsker asker) { m_askWkt = std::move(asker); }

 signals:
  void signal_updateUI();
  void signal_numProjectImagesChanged();
  void signal_busy(bool busy);
  void signal_ParamsModified(const bool& modified);

 public slots:
  // Finishes pending edits and hands the working copy's settings to the bound project, saving it
  // when `save` is set. With `checkImages`, a changed project area or terrain height first updates
  // the image selection (project-wide) or warns (inside a tool).
  void on_acceptParams(bool save, bool checkImages);
  // Writes the bound project's file; a failure goes to the error box.
  void saveParamsToFile();
  void imageSelectionChanged();
  // Drops the edits: the working copy takes the bound project's settings again.
  void on_resetParams();
  // Shows the working copy's values in every field.
  void on_updateUI();
  void on_TriangulationPointformat_currentIndexChanged(const QString& arg1);
  void on_DSMGSD_editingFinished();
  void on_DSMGSDAutoSwitch_currentIndexChanged(int index);
  void on_InterpolationGsdMulti_editingFinished();
  void updateEffectiveGSD();
  void slot_configureTexturedMeshFormatsClicked();
  void slot_configureWktStringClicked();
  void slot_paramChanged();

 private:
  void buildHeader(QVBoxLayout* layout);
  void buildRows(QVBoxLayout* layout);
  void loadHeader();
  void refreshRows();
  void applySetting();
  void updateMeshFormatSummary();
  // The project area editor, between the coordinate system and the tile size.
  void insertAreaEditor(ExpandFrame* general);
  // Asks whether to process only the images that see the new area, and selects them.
  void runAreaImageSelection();
  // Runs a change of a header field on the working copy; on failure shows the stored values again.
  void storeHeader(const std::function<void()>& store);

  FormSetting m_setting;
  int m_mode = 0;
  std::shared_ptr<vx::VEXAProject> m_bound;
  std::shared_ptr<vx::VEXAProject> m_work;
  WktAsker m_askWkt;

  QComboBox* m_pointFormat = nullptr;
  QComboBox* m_gsdAutoSwitch = nullptr;
  QDoubleSpinBox* m_gsd = nullptr;
  QSpinBox* m_interpolationGsdMulti = nullptr;
  QDoubleSpinBox* m_effectiveGsd = nullptr;

  QList<CtrlParameter*> m_rows;
  QList<ExpandFrame*> m_sections;
  CtrlParameter* m_coordinateSystemRow = nullptr;
  AreaSetter* m_areaSetter = nullptr;
  QLabel* m_meshFormatSummary = nullptr;
};
