#include "tools/forms/ControlForm.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QInputDialog>
#include <QLabel>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QVBoxLayout>

#include "dialogs/MessageDialogs.h"
#include "tools/forms/AreaSetter.h"
#include "tools/forms/CtrlParameter.h"
#include "tools/forms/ExpandFrame.h"
#include "tools/forms/ImageSelectionCheck.h"
#include "tools/forms/StoreOrReport.h"
#include "tools/forms/TexturedMeshFormatPopup.h"
#include "vx/VEXAProject.h"

namespace {
constexpr int kAutoIndex = 0;
constexpr int kManualIndex = 1;

bool askWktWithDialog(QString& wkt) {
  QInputDialog dialog;
  dialog.setWindowTitle(QStringLiteral("Specify Coordinate System"));
  dialog.setLabelText(QStringLiteral("WKT (well-known text format) string:"));
  dialog.setOption(QInputDialog::UsePlainTextEditForTextInput);
  dialog.setTextValue(wkt);
  dialog.resize(600, 400);
  if (dialog.exec() != QDialog::Accepted) return false;
  wkt = dialog.textValue();
  return true;
}

QString headerError() { return QStringLiteral("Error: Invalid parameter input."); }
}  // namespace

ControlForm::ControlForm(FormSetting setting, QWidget* parent)
    : QWidget(parent),
      m_setting(setting),
      m_bound(std::make_shared<vx::VEXAProject>()),
      m_work(std::make_shared<vx::VEXAProject>()),
      m_askWkt(askWktWithDialog) {
  setWindowTitle(QStringLiteral("Form"));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  buildHeader(layout);

  // 31 rows do not fit on a small screen.
  auto* scroll = new QScrollArea(this);
  scroll->setWidgetResizable(true);
  auto* content = new QWidget(scroll);
  auto* contentLayout = new QVBoxLayout(content);
  buildRows(contentLayout);
  contentLayout->addStretch(1);
  scroll->setWidget(content);
  layout->addWidget(scroll, 1);

  applySetting();
  on_updateUI();
}

ControlForm::~ControlForm() = default;

void ControlForm::buildHeader(QVBoxLayout* layout) {
  auto* grid = new QGridLayout;
  m_pointFormat = new QComboBox(this);
  m_pointFormat->setObjectName(QStringLiteral("TriangulationPointformat"));
  m_pointFormat->addItems({QStringLiteral("las"), QStringLiteral("laz")});
  m_pointFormat->setToolTip(QStringLiteral("The pointformat of the resulting 3D pointclouds."));
  grid->addWidget(new QLabel(QStringLiteral("Pointcloud format"), this), 0, 0);
  grid->addWidget(m_pointFormat, 0, 1);

  m_gsdAutoSwitch = new QComboBox(this);
  m_gsdAutoSwitch->setObjectName(QStringLiteral("DSMGSDAutoSwitch"));
  m_gsdAutoSwitch->addItems({QStringLiteral("auto"), QStringLiteral("manual")});
  m_gsd = new QDoubleSpinBox(this);
  m_gsd->setObjectName(QStringLiteral("DSMGSD"));
  m_gsd->setDecimals(4);
  m_gsd->setRange(0.0, 10000.0);
  m_gsd->setToolTip(QStringLiteral("Ground sampling Distance - width of raster cell on the ground [m]."));
  grid->addWidget(new QLabel(QStringLiteral("GSD"), this), 1, 0);
  grid->addWidget(m_gsdAutoSwitch, 1, 1);
  grid->addWidget(m_gsd, 1, 2);

  m_interpolationGsdMulti = new QSpinBox(this);
  m_interpolationGsdMulti->setObjectName(QStringLiteral("InterpolationGsdMulti"));
  m_interpolationGsdMulti->setRange(1, 1000);
  m_interpolationGsdMulti->setToolTip(QStringLiteral("Minimal count of detections in each cell."));
  m_effectiveGsd = new QDoubleSpinBox(this);
  m_effectiveGsd->setObjectName(QStringLiteral("EffectiveGSD"));
  m_effectiveGsd->setReadOnly(true);
  m_effectiveGsd->setButtonSymbols(QAbstractSpinBox::NoButtons);
  m_effectiveGsd->setDecimals(4);
  m_effectiveGsd->setRange(0.0, 1e9);
  m_effectiveGsd->setPrefix(QStringLiteral("= "));
  m_effectiveGsd->setSuffix(QStringLiteral(" [m]"));
  grid->addWidget(new QLabel(QStringLiteral("Interpolation GSD multiplier"), this), 2, 0);
  grid->addWidget(m_interpolationGsdMulti, 2, 1);
  grid->addWidget(m_effectiveGsd, 2, 2);
  layout->addLayout(grid);

  connect(m_pointFormat, &QComboBox::currentTextChanged, this,
          &ControlForm::on_TriangulationPointformat_currentIndexChanged);
  connect(m_gsdAutoSwitch, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
          &ControlForm::on_DSMGSDAutoSwitch_currentIndexChanged);
  connect(m_gsd, &QDoubleSpinBox::editingFinished, this, &ControlForm::on_DSMGSD_editingFinished);
  connect(m_interpolationGsdMulti, &QSpinBox::editingFinished, this,
          &ControlForm::on_InterpolationGsdMulti_editingFinished);
}

void ControlForm::applySetting() {
  const bool texturing = m_setting == FormSetting::TexturingTool;
  for (CtrlParameter* row : m_rows) {
    bool hidden = row->isHiddenIn(m_setting);
    if (texturing) hidden = hidden || row->isHiddenIn(FormSetting::WorkflowTool);
    row->hideParameter(hidden);
  }
  // The texturing tool needs the general and the mesh settings at hand.
  if (texturing) {
    m_sections.first()->slot_expand(true);
    m_sections.last()->slot_expand(true);
  }
}

void ControlForm::bindProject(std::shared_ptr<vx::VEXAProject> project) {
  if (!project) return;
  m_bound = std::move(project);
  // The whole project, images included, so that the image selection can run on the copy.
  *m_work = *m_bound;
  on_updateUI();
}

void ControlForm::setMode(int mode) {
  m_mode = mode;
  setEnabled(mode != 2);
}

void ControlForm::on_updateUI() {
  m_areaSetter->loadFromProject();
  loadHeader();
  refreshRows();
  updateMeshFormatSummary();
}

void ControlForm::loadHeader() {
  const QSignalBlocker blockFormat(m_pointFormat);
  const QSignalBlocker blockSwitch(m_gsdAutoSwitch);
  const QSignalBlocker blockGsd(m_gsd);
  const QSignalBlocker blockMulti(m_interpolationGsdMulti);
  const bool gsdAuto = m_work->isGsdAuto();
  m_gsdAutoSwitch->setCurrentIndex(gsdAuto ? kAutoIndex : kManualIndex);
  m_gsd->setEnabled(!gsdAuto);
  m_gsd->setValue(m_work->groundSampleDistance());
  m_interpolationGsdMulti->setValue(m_work->interpolationGsdMultiplier());
  m_effectiveGsd->setValue(m_work->effectiveGsd());
  m_pointFormat->setCurrentIndex(m_work->pointFormatIndex());
}

void ControlForm::refreshRows() {
  const bool texturing = m_setting == FormSetting::TexturingTool;
  for (CtrlParameter* row : m_rows) {
    row->slot_updateUi();
    if (texturing && row->isHiddenIn(FormSetting::TexturingTool)) row->setEnabled(false);
  }
}

void ControlForm::storeHeader(const std::function<void()>& store) {
  if (storeOrReport(store, headerError()))
    slot_paramChanged();
  else
    loadHeader();
}

void ControlForm::on_TriangulationPointformat_currentIndexChanged(const QString& arg1) {
  const int index = arg1 == QLatin1String("laz") ? 1 : 0;
  storeHeader([&] { m_work->setPointFormatIndex(index); });
}

void ControlForm::on_DSMGSDAutoSwitch_currentIndexChanged(int index) {
  storeHeader([&] { m_work->setGsdAuto(index == kAutoIndex); });
  m_gsd->setEnabled(m_gsdAutoSwitch->currentIndex() == kManualIndex);
  updateEffectiveGSD();
}

void ControlForm::on_DSMGSD_editingFinished() {
  if (m_gsd->value() == m_work->groundSampleDistance()) return;
  const double gsd = m_gsd->value();
  storeHeader([&] { m_work->setGroundSampleDistance(gsd); });
  updateEffectiveGSD();
}

void ControlForm::on_InterpolationGsdMulti_editingFinished() {
  if (m_interpolationGsdMulti->value() == m_work->interpolationGsdMultiplier()) return;
  const int factor = m_interpolationGsdMulti->value();
  storeHeader([&] { m_work->setInterpolationGsdMultiplier(factor); });
  updateEffectiveGSD();
}

void ControlForm::updateEffectiveGSD() { m_effectiveGsd->setValue(m_work->effectiveGsd()); }

void ControlForm::slot_paramChanged() { emit signal_ParamsModified(true); }

void ControlForm::slot_configureWktStringClicked() {
  QString wkt = QString::fromStdString(m_work->coordinateSystemWkt());
  // An invalid text is offered again, so that the operator can correct it.
  while (m_askWkt(wkt)) {
    const std::string text = wkt.toStdString();
    if (storeOrReport([&] { m_work->setCoordinateSystem(text); }, QStringLiteral("Error: Invalid WKT string."))) {
      m_coordinateSystemRow->slot_updateUi();
      slot_paramChanged();
      return;
    }
  }
}

void ControlForm::on_resetParams() {
  *m_work = *m_bound;
  on_updateUI();
  emit signal_ParamsModified(false);
}

void ControlForm::saveParamsToFile() {
  storeOrReport([this] { m_bound->saveProject(); }, QStringLiteral("Error: Invalid parameters."));
}

void ControlForm::imageSelectionChanged() { emit signal_numProjectImagesChanged(); }

void ControlForm::on_acceptParams(bool save, bool checkImages) {
  // Losing the focus finishes an edit still being typed.
  m_gsd->clearFocus();
  m_interpolationGsdMulti->clearFocus();
  for (CtrlParameter* row : m_rows) {
    try {
      row->finishEditing();
    } catch (...) {
      // One row's trouble must not keep the others' pending edits from being committed.
    }
  }
  storeOrReport(
      [&] {
        const bool imagesMayChange = checkImages && imageSelectionInputsDiffer(*m_work, *m_bound);
        if (imagesMayChange) {
          if (m_setting == FormSetting::ProjectWide)
            runAreaImageSelection();
          else
            qvx::warningBox(QStringLiteral(
                "Your changes can have an influence on the images that are required for processing the project "
                "area. Preparing images outside of the previous project area is only performed in the Analysis "
                "step."));
        }
        m_bound->copySettingsFrom(*m_work);
        if (save) saveParamsToFile();
        emit signal_updateUI();
        emit signal_ParamsModified(false);
        if (imagesMayChange) imageSelectionChanged();
      },
      QStringLiteral("Error: Invalid parameters."));
}

void ControlForm::slot_configureTexturedMeshFormatsClicked() {
  TexturedMeshFormatPopup popup(m_work, this);
  if (popup.exec() != QDialog::Accepted) return;
  updateMeshFormatSummary();
  slot_paramChanged();
}
