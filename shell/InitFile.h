#pragma once

#include <QDir>
#include <QFileInfo>
#include <QList>
#include <QObject>
#include <QString>

#include <memory>

// The user's init file: per-user settings shared by the suite's programs, kept in a small XML
// file. The editor itself only consults the silenced dialogs and the temporary-files location;
// everything else is read and written back so the file stays valid for the other programs.
class InitFile : public QObject {
  Q_OBJECT

 public:
  InitFile();
  ~InitFile() override;

  // Returns false, changing nothing, when no file exists at `path`. Throws the XML parser's
  // error on a malformed file and boost's "No such node" error when the root is missing.
  bool load(const QString& path);
  // Replaces the file atomically. Throws a boost xml_parser_error whose message() is
  // "cannot open file" or "write error".
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
  std::unique_ptr<QFileInfo> m_pointcloudViewer;
  std::unique_ptr<QDir> m_defaultWorkspace;
  bool m_useCuda = true;
  bool m_updaterAtStartup = true;
  qint32 m_maxThreads = 1;
  QList<QFileInfo> m_recentProjects;
};
