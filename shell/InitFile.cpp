#include "shell/InitFile.h"

#include "dialogs/MessageDialogs.h"

#include "vx/AtomicFile.h"
#include "vx/SafeRead.h"

#include <QFile>

#include <boost/property_tree/ptree.hpp>
#include <boost/property_tree/xml_parser.hpp>

#include <sstream>
#include <stdexcept>
#include <string>

namespace pt = boost::property_tree;

struct InitFile::Document {
  pt::ptree tree;
};

namespace {

const char* const kRoot = "VEXAInitFile";
// Settings of a handful of programs take kilobytes; anything near this is not an init file.
const std::uint64_t kMaxInitFileBytes = std::uint64_t(4) << 20;
// The editor's elements are three levels deep; the rest leaves the other programs room.
const int kMaxInitFileDepth = 32;

QFileInfo g_editorTemporaryFiles;

QString text(const pt::ptree& section, const char* key) {
  return QString::fromStdString(section.get<std::string>(key, std::string()));
}

std::string utf8(const QString& text) { return text.toUtf8().toStdString(); }

// The first child named `name`, in document order; later ones of the same name belong to nobody
// the editor knows and stay as they are.
pt::ptree* firstChild(pt::ptree& parent, const std::string& name) {
  for (auto& [key, child] : parent)
    if (key == name) return &child;
  return nullptr;
}

pt::ptree& section(pt::ptree& parent, const std::string& name) {
  if (pt::ptree* child = firstChild(parent, name)) return *child;
  return parent.push_back({name, pt::ptree()})->second;
}

// Replaces the repeated elements `key` of `parent` by `values`, where the first of them stood.
void replaceRepeated(pt::ptree& parent, const std::string& key, const std::vector<std::string>& values) {
  std::ptrdiff_t firstIndex = -1;
  std::ptrdiff_t index = 0;
  for (auto it = parent.begin(); it != parent.end();) {
    if (it->first == key) {
      if (firstIndex < 0) firstIndex = index;
      it = parent.erase(it);
    } else {
      ++it;
      ++index;
    }
  }
  auto position = firstIndex < 0 ? parent.end() : std::next(parent.begin(), firstIndex);
  for (const std::string& value : values) position = std::next(parent.insert(position, {key, pt::ptree(value)}));
}

}  // namespace

InitFile::InitFile()
    : m_pointcloudViewer(std::make_unique<QFileInfo>(QStringLiteral("not_specified"))),
      m_defaultWorkspace(std::make_unique<QDir>(QDir::home())) {}

InitFile::~InitFile() = default;

bool InitFile::load(const QString& path) {
  const QFileInfo info(path);
  if (!info.exists() && !info.isSymLink()) return false;

  const std::string name = "The init file " + utf8(path);
  const std::string content = vx::readRegularFile(utf8(path), kMaxInitFileBytes, "The init file");
  // The parser recurses once per level; a deep file would overflow the stack.
  if (vx::xmlNestingDepth(content, kMaxInitFileDepth) > kMaxInitFileDepth) {
    throw std::runtime_error(name + " is nested deeper than " + std::to_string(kMaxInitFileDepth) +
                             " levels; it is not an init file.");
  }
  auto document = std::make_unique<Document>();
  std::istringstream in(content);
  try {
    pt::read_xml(in, document->tree);
  } catch (const pt::xml_parser_error& e) {
    throw std::runtime_error(name + " is not valid XML: " + e.message() + " (line " + std::to_string(e.line()) + ").");
  }
  pt::ptree* root = firstChild(document->tree, kRoot);
  if (!root) throw std::runtime_error(name + " has no <" + kRoot + "> root element.");

  if (const pt::ptree* tools = firstChild(*root, "external_tools")) {
    *m_pointcloudViewer = QFileInfo(text(*tools, "PointcloudViewer"));
    // A workspace that is missing now (an unplugged drive) stays as written.
    if (const auto workspace = tools->get_optional<std::string>("DefaultWorkspace")) {
      m_workspaceAsWritten = QString::fromStdString(*workspace);
      *m_defaultWorkspace = QDir(m_workspaceAsWritten);
    } else {
      m_workspaceAsWritten.clear();
      *m_defaultWorkspace = QDir(QDir::currentPath());
    }
    setEditorTemporaryFiles(text(*tools, "EditorTemporaryFiles"));
  }
  if (const pt::ptree* settings = firstChild(*root, "settings")) {
    m_useCuda = settings->get<bool>("UseCUDA", false);
    m_maxThreads = settings->get<qint32>("MaxThreads", 1);
    m_updaterAtStartup = settings->get<bool>("UpdaterAtStartup", true);
  }
  if (const pt::ptree* recent = firstChild(*root, "recent_projects")) {
    for (const auto& [key, project] : *recent)
      if (key == "project") m_recentProjects.append(QFileInfo(QString::fromStdString(project.data())));
  }
  if (const pt::ptree* dialogs = firstChild(*root, "ignore_dialogs")) {
    for (const auto& [key, dialog] : *dialogs) {
      if (key != "dialog") continue;
      // An entry that is not a number cannot name a dialog; it is dropped like an unconvertible setting.
      if (const auto id = dialog.get_value_optional<quint32>()) ignoreDialog(*id);
    }
  }
  m_document = std::move(document);
  return true;
}

InitFile::StartupLoad InitFile::loadAtStartup(const QString& path, QString* message, bool* setAside) {
  *setAside = true;
  try {
    return load(path) ? StartupLoad::Loaded : StartupLoad::Missing;
  } catch (const std::exception& error) {
    const QString reason = QString::fromUtf8(error.what());
    const QString damaged = path + QStringLiteral(".damaged");
    QFile::remove(damaged);
    *setAside = QDir().rename(path, damaged);
    *message = *setAside ? QStringLiteral("The VEXA init file cannot be used and was kept as %1. The editor starts "
                                          "with default settings.\n\n%2")
                               .arg(damaged, reason)
                         : QStringLiteral("The VEXA init file cannot be used, nor kept aside as %1. The editor starts "
                                          "with default settings and leaves the file as it is.\n\n%2")
                               .arg(damaged, reason);
    return StartupLoad::Damaged;
  }
}

bool InitFile::save(const QString& path) {
  pt::ptree tree = m_document ? m_document->tree : pt::ptree();
  pt::ptree& root = section(tree, kRoot);

  pt::ptree& settings = section(root, "settings");
  settings.put("UseCUDA", m_useCuda);
  settings.put("MaxThreads", m_maxThreads);
  settings.put("UpdaterAtStartup", m_updaterAtStartup);

  pt::ptree& tools = section(root, "external_tools");
  tools.put("PointcloudViewer", utf8(m_pointcloudViewer->filePath()));
  tools.put("DefaultWorkspace",
            utf8(m_workspaceAsWritten.isEmpty() ? m_defaultWorkspace->absolutePath() : m_workspaceAsWritten));
  if (g_editorTemporaryFiles.exists())
    tools.put("EditorTemporaryFiles", utf8(g_editorTemporaryFiles.absoluteFilePath()));
  else
    tools.erase("EditorTemporaryFiles");

  std::vector<std::string> projects;
  for (const QFileInfo& project : m_recentProjects) projects.push_back(utf8(project.absoluteFilePath()));
  replaceRepeated(section(root, "recent_projects"), "project", projects);

  std::vector<std::string> dialogs;
  for (quint32 id : qvx::ignoredDialogs()) dialogs.push_back(std::to_string(id));
  replaceRepeated(section(root, "ignore_dialogs"), "dialog", dialogs);

  std::ostringstream out;
  pt::write_xml(out, tree, pt::xml_writer_make_settings<std::string>(' ', 0));
  vx::writeFileAtomically(utf8(path), out.str());
  return true;
}

QFileInfo InitFile::editorTemporaryFiles() { return g_editorTemporaryFiles; }

void InitFile::setEditorTemporaryFiles(const QString& location) {
  g_editorTemporaryFiles = QFileInfo(location);
}

bool InitFile::isDialogIgnored(quint32 dialogId) { return qvx::isDialogIgnored(dialogId); }

void InitFile::ignoreDialog(quint32 dialogId) { qvx::ignoreDialog(dialogId); }

QList<quint32> InitFile::ignoredDialogs() { return qvx::ignoredDialogs(); }

void InitFile::on_setDefaultWorkspace(QString dir) {
  *m_defaultWorkspace = QDir(dir);
  m_workspaceAsWritten.clear();
}
