#pragma once

#include <QStringList>

#include <string>

// The options of the command line; each is empty when not given.
struct StartupOptions {
  std::string mesh;
  std::string ori;
  std::string project;
  std::string render_directory;
};

// Parses the group "Command Line Parameters" (long options only, value after a blank or "=",
// unambiguous abbreviations accepted, plain arguments ignored). Nothing is parsed without
// arguments besides the program name. Throws boost's program_options error on a malformed line.
StartupOptions parseCommandLine(int argc, char** argv);

// The files to open at start, in the order mesh, ori, project. When none is given and there is
// no render folder either, every plain argument after the program name is taken instead.
QStringList startupFileList(const StartupOptions& options, int argc, char** argv);
