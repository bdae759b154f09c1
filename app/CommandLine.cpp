#include "app/CommandLine.h"

#include "shell/MeshSuffixes.h"
#include "shell/StartupFiles.h"

#include <QFileInfo>

#include <boost/program_options.hpp>

namespace po = boost::program_options;

namespace {

// What a start-up file was named for, and so which test it must pass.
struct Expected {
  const char* option;  // "--mesh" ...; empty for a plain argument
  qvx::StartupAction action;
};

QString describe(const Expected& expected) {
  switch (expected.action) {
    case qvx::StartupAction::OrientationList:
      return QStringLiteral("an orientation list (.txt)");
    case qvx::StartupAction::Project:
      return QStringLiteral("a project file (.vpr)");
    case qvx::StartupAction::Mesh:
      break;
  }
  return "a mesh file (." + qvx::meshSuffixes().join(QStringLiteral(", .")) + ")";
}

// Empty when `path` can be opened as `expected`; a plain argument (`expected` null) may be any kind.
QString problemOf(const QString& path, const Expected* expected) {
  const QString named = expected ? QString::fromLatin1(expected->option) + ": " : QString();
  const QFileInfo info(path);
  if (!info.exists()) return named + path + " does not exist; it was not opened.";
  if (info.isDir()) {
    const QString hint = expected && expected->action == qvx::StartupAction::Project
                             ? " Name the Project.vpr inside it."
                             : QString();
    return named + path + " is a folder, not a file; it was not opened." + hint;
  }
  if (!info.isFile()) return named + path + " is not a regular file; it was not opened.";
  const QList<qvx::StartupAction> actions = qvx::startupActionsFor(path, qvx::meshSuffixes());
  if (expected && !actions.contains(expected->action))
    return named + path + " is not " + describe(*expected) + "; it was not opened.";
  if (!expected && actions.isEmpty())
    return path + " is neither " + describe({"", qvx::StartupAction::Mesh}) + ", " +
           describe({"", qvx::StartupAction::OrientationList}) + " nor " +
           describe({"", qvx::StartupAction::Project}) + "; it was not opened.";
  return {};
}

}  // namespace

StartupOptions parseCommandLine(int argc, char** argv) {
  StartupOptions options;
  if (argc <= 1) return options;

  po::options_description group("Command Line Parameters");
  group.add_options()
      ("mesh", po::value<std::string>(&options.mesh), "Path to mesh file.")
      ("ori", po::value<std::string>(&options.ori), "Path to ori list file.")
      ("project", po::value<std::string>(&options.project), "Path to the VEXA Project.vpr file.")
      ("render_directory", po::value<std::string>(&options.render_directory),
       "Render screenshots from all camera positions and save to this folder. The Editor will "
       "close afterwards in order to allow scripting.");

  const po::parsed_options parsed = po::parse_command_line(argc, argv, group);
  po::variables_map values;
  po::store(parsed, values);
  po::notify(values);
  options.plain = po::collect_unrecognized(parsed.options, po::include_positional);
  return options;
}

QStringList startupFileList(const StartupOptions& options, int argc, char** argv, QStringList* problems) {
  QStringList files;
  auto take = [&](const QString& path, const Expected* expected) {
    const QString problem = problemOf(path, expected);
    if (problem.isEmpty())
      files << path;
    else if (problems)
      *problems << problem;
  };
  const Expected named[] = {{"--mesh", qvx::StartupAction::Mesh},
                            {"--ori", qvx::StartupAction::OrientationList},
                            {"--project", qvx::StartupAction::Project}};
  const std::string* values[] = {&options.mesh, &options.ori, &options.project};
  bool anyNamed = false;
  for (int i = 0; i < 3; ++i) {
    if (values[i]->empty()) continue;
    anyNamed = true;
    take(QString::fromStdString(*values[i]), &named[i]);
  }

  if (!anyNamed && options.render_directory.empty()) {
    for (int i = 1; i < argc; ++i) take(QString::fromLocal8Bit(argv[i]), nullptr);
  } else if (problems) {
    for (const std::string& plain : options.plain)
      *problems << "The argument " + QString::fromLocal8Bit(plain.c_str()) +
                       " was ignored: beside options, name files with --mesh, --ori or --project.";
  }
  return files;
}
