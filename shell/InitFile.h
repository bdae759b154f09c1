#pragma once

#include <QDir>
#include <QFileInfo>
#include <QList>
#include <QObject>
#include <QString>

#include <memory>

// The user's init file: per-user settings shared by the suite's programs, kept in a small XML
// file. The editor itself only consults the silenced dialogs and the temporary-files location;
// everything else is read and written back, and elements the editor does not know are kept as
// they are and where they are, so the file stays valid for the other programs.
class InitFile : public QObject {
  Q_OBJECT

 public:
  // What loadAtStartup() found.
  enum class StartupLoad { Loaded, Missing, Damaged };

  InitFile();
  ~InitFile() override;

  // Returns false, changing nothing, when nothing exists at `path`. Throws std::runtime_error
  // naming the file when it cannot be used: not a regular file, oversized, nested too deeply,
  // malformed XML or no root element; the object is unchanged then.
  bool load(const QString& path);
  // Like load(), but a file that cannot be used is kept beside it as "<path>.damaged" and the
  // defaults stay; `message` then tells the user so, naming both files. If the file cannot be set
  // aside either, `message` says so and `setAside` is false: it must not be overwritten.
  StartupLoad loadAtStartup(const QString& path, QString* message, bool* setAside);
  // Replaces the file atomically (vx::writeFileAtomically). Throws vx::FileError naming the file;
  // the previous file is untouched then.
  bool save(const QString& path);

  QFileInfo pointcloudViewer() const { return *m_pointcloudViewer; }
  QDir defaultWorkspace() const { return *m_defaultWorkspace; }
  bool useCuda() const { return m_useCuda; }
  bool updaterAtStartup() const { return m_updaterAtStartup; }
  int maxThreads() const { return m_maxThreads; }
  QList<QFileInfo> recentProjects() const { return m_recentProjects; }

  // Process-wide: where the mesh editor keeps its temporary files (empty until set).
  static QFileInfo editorTemporaryFiles();
  static void setEditorTemporaryFiles(const QString& location);

  // Process-wide: the dialogs the user asked not to see again, without duplicates.
  static bool isDialogIgnored(quint32 dialogId);
  static void ignoreDialog(quint32 dialogId);
  static QList<quint32> ignoredDialogs();

 public slots:
  void on_setDefaultWorkspace(QString dir);

 private:
  struct Document;

  std::unique_ptr<QFileInfo> m_pointcloudViewer;
  std::unique_ptr<QDir> m_defaultWorkspace;
  // The workspace text as the file has it, written back unchanged until the workspace is set.
  QString m_workspaceAsWritten;
  bool m_useCuda = true;
  bool m_updaterAtStartup = true;
  qint32 m_maxThreads = 1;
  QList<QFileInfo> m_recentProjects;
  // The whole file as last loaded, so that a save keeps what the editor does not own.
  std::unique_ptr<Document> m_document;
};
