#include "process/ProcessOptions.h"

#include <boost/program_options.hpp>

#include <algorithm>
#include <cctype>
#include <sstream>
#include <stdexcept>

namespace process {

namespace po = boost::program_options;

namespace {

std::string folded(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == ' ' || c == '-' || c == '_') continue;
    out += char(std::tolower(static_cast<unsigned char>(c)));
  }
  return out;
}

std::string stepNames() {
  std::string names;
  for (vx::steps::Steps step : vx::steps::kAllSteps) names += std::string(names.empty() ? "" : ", ") + vx::steps::stepName(step);
  return names;
}

po::options_description namedOptions() {
  po::options_description named("Options");
  named.add_options()("help,h", "show this text")("step", po::value<std::string>(), "the module to run (required)")(
      "tiles", po::value<std::string>(), "only these tiles, as x_y[,x_y...] (x east, y north, from 0)")(
      "threads", po::value<std::string>(), "tiles worked on at once, 1 to 256 (default 1)");
  return named;
}

}  // namespace

std::optional<vx::steps::Steps> stepNamed(const std::string& name) {
  for (vx::steps::Steps step : vx::steps::kAllSteps)
    if (folded(vx::steps::stepName(step)) == folded(name)) return step;
  return std::nullopt;
}

std::optional<std::vector<std::pair<int, int>>> tilesNamed(const std::string& list) {
  std::vector<std::pair<int, int>> tiles;
  std::size_t begin = 0;
  while (begin <= list.size()) {
    const std::size_t end = std::min(list.find(',', begin), list.size());
    const std::string item = list.substr(begin, end - begin);
    const std::size_t underscore = item.find('_');
    if (underscore == std::string::npos || underscore == 0 || underscore + 1 == item.size()) return std::nullopt;
    const std::string x = item.substr(0, underscore), y = item.substr(underscore + 1);
    const auto digits = [](const std::string& s) {
      return s.size() <= 6 && s.find_first_not_of("0123456789") == std::string::npos;
    };
    if (!digits(x) || !digits(y)) return std::nullopt;
    tiles.emplace_back(std::stoi(x), std::stoi(y));
    begin = end + 1;
  }
  return tiles;
}

std::string processUsage() {
  std::ostringstream text;
  text << "Usage: vexa-process PROJECT --step NAME [--tiles x_y,...] [--threads N]\n"
       << "Runs one processing module on the project file PROJECT (Project.vpr) without a window.\n"
       << "Steps: " << stepNames() << ".\n"
       << namedOptions()
       << "Exit codes: 0 done, 1 invalid input, 2 a file could not be written, 3 canceled (Ctrl+C),\n"
       << "4 the analysis needs a full run, 64 a usage error.\n";
  return text.str();
}

ProcessOptions parseProcessOptions(int argc, const char* const* argv) {
  po::options_description named = namedOptions();
  po::options_description all;
  all.add(named).add_options()("project", po::value<std::string>());
  po::positional_options_description positional;
  positional.add("project", 1);
  po::variables_map values;
  try {
    po::store(po::command_line_parser(argc, argv).options(all).positional(positional).run(), values);
  } catch (const po::error& error) {
    throw std::invalid_argument(error.what());
  }
  if (values.count("help")) throw std::invalid_argument("");
  if (!values.count("project")) throw std::invalid_argument("Name the project file (Project.vpr).");
  if (!values.count("step")) throw std::invalid_argument("Name the module to run with --step.");
  ProcessOptions options;
  options.projectFile = values["project"].as<std::string>();
  const std::string step = values["step"].as<std::string>();
  const std::optional<vx::steps::Steps> found = stepNamed(step);
  if (!found) throw std::invalid_argument("There is no step \"" + step + "\"; the steps are " + stepNames() + ".");
  options.step = *found;
  if (values.count("tiles")) {
    const std::string list = values["tiles"].as<std::string>();
    const auto tiles = tilesNamed(list);
    if (!tiles) throw std::invalid_argument("--tiles takes x_y[,x_y...], not \"" + list + "\".");
    options.tiles = *tiles;
  }
  if (values.count("threads")) {
    const std::string text = values["threads"].as<std::string>();
    const bool digits = !text.empty() && text.size() <= 3 && text.find_first_not_of("0123456789") == std::string::npos;
    const int threads = digits ? std::stoi(text) : 0;
    if (threads < 1 || threads > 256) throw std::invalid_argument("--threads takes a number from 1 to 256, not \"" + text + "\".");
    options.threads = threads;
  }
  return options;
}

}  // namespace process
