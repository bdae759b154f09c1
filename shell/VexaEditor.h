#pragma once

#include <QFileInfo>
#include <QMainWindow>
#include <QStringList>

#include <memory>

namespace Ui {
class VexaEditor;
}
class InitFile;
class MeshViewer;

// The only top-level window: menus, status-bar logo, the init file and the start-up dispatch around
// the central MeshViewer, which does the work.
class VexaEditor : public QMainWindow {
  Q_OBJECT

 public:
  explicit VexaEditor(QWidget* parent = nullptr);
  ~VexaEditor() override;

  void openStartupFiles(const QStringList& files);
  void setRenderDirectory(const QString& directory);

  MeshViewer* meshViewer() const { return meshViewer_; }
  QString initFilePath() const;
  static QString aboutText();

 signals:
  void signal_openMesh(QString fileName);

 protected:
  void closeEvent(QCloseEvent* event) override;

 private slots:
  void on_actionExit_triggered();
  void on_actionAbout_VexaEditor_triggered();
  void on_actionAbout_Zentrik_triggered();
  void on_error(QString errorString);
  void saveInitFile();

 private:
  Ui::VexaEditor* ui_;
  MeshViewer* meshViewer_;
  QStringList meshExtensions_;
  std::shared_ptr<InitFile> initFile_;
  std::unique_ptr<QFileInfo> initFileInfo_;
  // False when a damaged init file could not be set aside: saving would overwrite it.
  bool mayWriteInitFile_ = true;
};
