#pragma once

#include <QStringList>

#include <string>
#include <vector>

// The options of the command line; each is empty when not given.
struct StartupOptions {
  std::string mesh;
  std::string ori;
  std::string project;
  std::string render_directory;
  // The plain arguments (not options), in order.
  std::vector<std::string> plain;
};

// Parses the group "Command Line Parameters" (long options only, value after a blank or "=",
// unambiguous abbreviations accepted, plain arguments kept aside). Nothing is parsed without
// arguments besides the program name. Throws boost's program_options error on a malformed line.
StartupOptions parseCommandLine(int argc, char** argv);

// The files to open at start, in the order mesh, ori, project. When none is given and there is
// no render folder either, every plain argument after the program name is taken instead.
// A file that cannot be opened as what it was named for (missing, a folder or device, a suffix
// no start-up test takes) and a plain argument beside options are left out, each with a sentence
// in `problems` that names it.
QStringList startupFileList(const StartupOptions& options, int argc, char** argv, QStringList* problems = nullptr);
