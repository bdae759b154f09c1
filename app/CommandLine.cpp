#include "app/CommandLine.h"

#include <boost/program_options.hpp>

namespace po = boost::program_options;

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

  po::variables_map values;
  po::store(po::parse_command_line(argc, argv, group), values);
  po::notify(values);
  return options;
}

QStringList startupFileList(const StartupOptions& options, int argc, char** argv) {
  QStringList files;
  for (const std::string* value : {&options.mesh, &options.ori, &options.project})
    if (!value->empty()) files << QString::fromStdString(*value);

  if (files.isEmpty() && options.render_directory.empty())
    for (int i = 1; i < argc; ++i) files << QString::fromLocal8Bit(argv[i]);
  return files;
}
