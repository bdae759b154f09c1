#include "shell/InitFile.h"

#include <QFile>
#include <QSaveFile>

#include <boost/property_tree/ptree.hpp>
#include <boost/property_tree/xml_parser.hpp>

#include <sstream>
#include <string>

namespace pt = boost::property_tree;

namespace {

QFileInfo g_editorTemporaryFiles;
QList<quint32> g_ignoredDialogs;

QString text(const pt::ptree& section, const char* key) {
  return QString::fromStdString(section.get<std::string>(key, std::string()));
}

[[noreturn]] void throwFileError(const char* message, const QString& path) {
  throw pt::xml_parser_error(message, path.toStdString(), 0);
}

}  // namespace

InitFile::InitFile()
    : m_pointcloudViewer(std::make_unique<QFileInfo>(QStringLiteral("not_specified"))),
      m_defaultWorkspace(std::make_unique<QDir>(QDir::home())) {}

InitFile::~InitFile() = default;

bool InitFile::load(const QString& path) {
  if (!QFileInfo(path).isFile()) return false;

  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) throwFileError("cannot open file", path);
  // Parsing from a stream keeps the parser's error text free of the (possibly non-ASCII) path.
  std::istringstream in(file.readAll().toStdString());
  pt::ptree tree;
  pt::read_xml(in, tree);
  const pt::ptree& root = tree.get_child("VEXAInitFile");

  for (const auto& [name, section] : root) {
    if (name == "external_tools") {
      *m_pointcloudViewer = QFileInfo(text(section, "PointcloudViewer"));
      const QString workspace = text(section, "DefaultWorkspace");
      *m_defaultWorkspace = !workspace.isEmpty() && QDir(workspace).exists()
                                ? QDir(workspace)
                                : QDir(QDir::currentPath());
      setEditorTemporaryFiles(text(section, "EditorTemporaryFiles"));
    } else if (name == "settings") {
      m_useCuda = section.get<bool>("UseCUDA", false);
      m_maxThreads = section.get<qint32>("MaxThreads", 1);
      m_updaterAtStartup = section.get<bool>("UpdaterAtStartup", true);
    } else if (name == "recent_projects") {
      // Each section contributes its own entries once.
      for (const auto& [key, project] : section)
        if (key == "project")
          m_recentProjects.append(QFileInfo(QString::fromStdString(project.data())));
    } else if (name == "ignore_dialogs") {
      for (const auto& [key, dialog] : section) {
        if (key != "dialog") continue;
        // An entry that is not a number cannot name a dialog; it is dropped like an
        // unconvertible setting.
        if (const auto id = dialog.get_value_optional<quint32>()) ignoreDialog(*id);
      }
    }
  }
  return true;
}

bool InitFile::save(const QString& path) {
  pt::ptree tree;
  pt::ptree& root = tree.add_child("VEXAInitFile", pt::ptree());

  pt::ptree& settings = root.add_child("settings", pt::ptree());
  settings.put("UseCUDA", m_useCuda);
  settings.put("MaxThreads", m_maxThreads);
  settings.put("UpdaterAtStartup", m_updaterAtStartup);

  pt::ptree& tools = root.add_child("external_tools", pt::ptree());
  tools.put("PointcloudViewer", m_pointcloudViewer->filePath().toStdString());
  tools.put("DefaultWorkspace", m_defaultWorkspace->absolutePath().toStdString());
  if (g_editorTemporaryFiles.exists())
    tools.put("EditorTemporaryFiles", g_editorTemporaryFiles.absoluteFilePath().toStdString());

  pt::ptree& recent = root.add_child("recent_projects", pt::ptree());
  for (const QFileInfo& project : m_recentProjects)
    recent.add("project", project.absoluteFilePath().toStdString());

  pt::ptree& dialogs = root.add_child("ignore_dialogs", pt::ptree());
  for (quint32 id : g_ignoredDialogs) dialogs.add("dialog", id);

  std::ostringstream out;
  pt::write_xml(out, tree, pt::xml_writer_make_settings<std::string>(' ', 0));
  const std::string bytes = out.str();

  // Written beside the target and renamed over it, so a failure keeps the previous file.
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) throwFileError("cannot open file", path);
  if (file.write(bytes.data(), qint64(bytes.size())) != qint64(bytes.size()) || !file.commit())
    throwFileError("write error", path);
  return true;
}

QFileInfo InitFile::editorTemporaryFiles() { return g_editorTemporaryFiles; }

void InitFile::setEditorTemporaryFiles(const QString& location) {
  g_editorTemporaryFiles = QFileInfo(location);
}

bool InitFile::isDialogIgnored(quint32 dialogId) { return g_ignoredDialogs.contains(dialogId); }

void InitFile::ignoreDialog(quint32 dialogId) {
  if (!g_ignoredDialogs.contains(dialogId)) g_ignoredDialogs.append(dialogId);
}

QList<quint32> InitFile::ignoredDialogs() { return g_ignoredDialogs; }

void InitFile::on_setDefaultWorkspace(QString dir) { *m_defaultWorkspace = QDir(dir); }
