#include "shell/VexaEditor.h"

#include "shell/BuildDate.h"
#include "shell/InitFile.h"
#include "shell/MeshSuffixes.h"
#include "shell/MeshViewer.h"
#include "dialogs/MessageDialogs.h"
#include "shell/StartupFiles.h"
#include "ui_VexaEditor.h"
#include "vxdb/Database.h"

#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QLabel>
#include <QMenuBar>
#include <QStatusBar>
#include <QUrl>

#include <exception>

Q_DECLARE_METATYPE(vxdb::Resource::Type)
Q_DECLARE_METATYPE(vxdb::attribute::MessageType)
Q_DECLARE_METATYPE(vxdb::attribute::Epoch)
Q_DECLARE_METATYPE(vxdb::attribute::Path)
Q_DECLARE_METATYPE(vxdb::attribute::Process)
Q_DECLARE_METATYPE(vxdb::attribute::Type)

namespace {
const char* const kMakerSite = "https://www.zentrik.example";
}

VexaEditor::VexaEditor(QWidget* parent) : QMainWindow(parent), ui_(new Ui::VexaEditor) {
  // Database values travel in queued signals between the workers and the main thread.
  qRegisterMetaType<vxdb::Resource::Type>("vxdb::Resource::Type");
  qRegisterMetaType<vxdb::attribute::MessageType>("vxdb::attribute::MessageType");
  qRegisterMetaType<vxdb::attribute::Epoch>("vxdb::attribute::Epoch");
  qRegisterMetaType<vxdb::attribute::Path>("vxdb::attribute::Path");
  qRegisterMetaType<vxdb::attribute::Process>("vxdb::attribute::Process");
  qRegisterMetaType<vxdb::attribute::Type>("vxdb::attribute::Type");
  ui_->setupUi(this);

  meshViewer_ = new MeshViewer(nullptr);
  meshViewer_->setViewerMode(1);
  connect(meshViewer_, &MeshViewer::signal_error, this, &VexaEditor::on_error);
  setCentralWidget(meshViewer_);

  auto* logo = new QLabel(this);
  logo->setPixmap(QPixmap(QStringLiteral(":/img/images/logo_Zentrik.png"))
                      .scaledToHeight(20, Qt::SmoothTransformation));
  statusBar()->addWidget(logo, 0);

  initFile_ = std::make_shared<InitFile>();
  initFileInfo_ = std::make_unique<QFileInfo>(QDir::home().absolutePath() + QDir::separator() +
                                              QStringLiteral(".VEXA") + QDir::separator() +
                                              QStringLiteral("vexa_ui.init"));
  QString problem;
  switch (initFile_->loadAtStartup(initFileInfo_->absoluteFilePath(), &problem, &mayWriteInitFile_)) {
    case InitFile::StartupLoad::Loaded:
      break;
    case InitFile::StartupLoad::Damaged:
      qvx::warningBox(problem);
      saveInitFile();
      break;
    case InitFile::StartupLoad::Missing:
      saveInitFile();
      break;
  }

  meshExtensions_ = qvx::meshSuffixes();
  connect(this, &VexaEditor::signal_openMesh, meshViewer_,
          static_cast<void (MeshViewer::*)(QString)>(&MeshViewer::on_loadResource));
  setWindowTitle(QStringLiteral("VEXA Editor"));
  menuBar()->addMenu(meshViewer_->viewerMenu());
  menuBar()->addMenu(meshViewer_->processingMenu());
}

VexaEditor::~VexaEditor() {
  saveInitFile();
  delete meshViewer_;
  delete ui_;
  initFile_.reset();
}

QString VexaEditor::initFilePath() const { return initFileInfo_->absoluteFilePath(); }

QString VexaEditor::aboutText() {
  return QStringLiteral(
             "VEXA Editor %1\nBuild date: %2\n\nThe editor for the results of VEXA processing "
             "projects: tiled meshes, DSM meshes, true orthophotos and oriented camera photos.")
      .arg(QStringLiteral(VEXA_VERSION), qvx::formatBuildDate(QStringLiteral(__DATE__)));
}

void VexaEditor::openStartupFiles(const QStringList& files) {
  for (const QString& file : files) {
    const QList<qvx::StartupAction> actions = qvx::startupActionsFor(file, meshExtensions_);
    if (actions.contains(qvx::StartupAction::OrientationList)) meshViewer_->on_loadCameraStations(file);
    if (actions.contains(qvx::StartupAction::Project)) meshViewer_->slot_loadVEXAProject(file);
    if (actions.contains(qvx::StartupAction::Mesh)) emit signal_openMesh(file);
  }
  meshViewer_->startupFilesDispatched();
}

void VexaEditor::setRenderDirectory(const QString& directory) { meshViewer_->setRenderDirectory(directory); }

void VexaEditor::closeEvent(QCloseEvent* event) {
  if (!meshViewer_->hasPendingEdits()) {
    meshViewer_->on_clearMeshResources();
    event->accept();
    return;
  }
  const bool mayClose = meshViewer_->resolvePendingEdits([this] { close(); });
  if (mayClose)
    event->accept();
  else
    event->ignore();
}

void VexaEditor::on_actionExit_triggered() {
  meshViewer_->on_clearMeshResources();
  close();
}

void VexaEditor::on_actionAbout_VexaEditor_triggered() { qvx::informationBox(aboutText()); }

void VexaEditor::on_actionAbout_Zentrik_triggered() { QDesktopServices::openUrl(QUrl(QString::fromLatin1(kMakerSite))); }

void VexaEditor::on_error(QString errorString) { qvx::criticalBox(errorString); }

void VexaEditor::saveInitFile() {
  if (!mayWriteInitFile_) return;
  const QString failure = QStringLiteral("Could not save VEXA init file ") + initFileInfo_->absoluteFilePath();
  const QDir folder = initFileInfo_->absoluteDir();
  if (!folder.exists() && !QDir().mkdir(folder.absolutePath())) {
    qvx::criticalBox(failure);
    return;
  }
  try {
    initFile_->save(initFileInfo_->absoluteFilePath());
  } catch (const std::exception& error) {
    qvx::criticalBox(failure + QStringLiteral("\n") + QString::fromUtf8(error.what()));
  }
}
