// vexa-demo-project: writes a synthetic project folder for trying out and benchmarking the editor.

#include <chrono>
#include <cstdint>
#include <limits>
#include <stdexcept>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <string>

#include <boost/program_options.hpp>

#include "demo/DemoProject.h"

namespace {

namespace po = boost::program_options;

const char* const kUsage = "Usage: vexa-demo-project OUTPUT_FOLDER [--tiles N] [--levels K] [--images M] [--seed S]\n";

// Progress lines at step changes and every 10 percent, not for every tile.
class ProgressPrinter {
 public:
  void operator()(int percent, const std::string& step) {
    const std::string kind = step.substr(0, step.find_first_of("0123456789"));
    if (kind == lastKind_ && percent < lastPercent_ + 10 && percent != 100) return;
    lastKind_ = kind;
    lastPercent_ = percent;
    std::printf("[%3d%%] %s\n", percent, step.c_str());
    std::fflush(stdout);
  }

 private:
  std::string lastKind_;
  int lastPercent_ = -100;
};

// The seed as a whole number that fits an unsigned 32-bit value; "-1" would otherwise wrap.
unsigned parseSeed(const std::string& text) {
  const bool digitsOnly = !text.empty() && text.size() <= 10 &&
                          text.find_first_not_of("0123456789") == std::string::npos;
  if (!digitsOnly || std::stoull(text) > std::numeric_limits<std::uint32_t>::max())
    throw std::runtime_error("The seed must be a whole number from 0 to 4294967295, not " + text + ".");
  return static_cast<unsigned>(std::stoull(text));
}

}  // namespace

int main(int argc, char** argv) {
  demo::DemoOptions options;
  std::string output;
  std::string seedText;
  po::options_description visible("Options");
  visible.add_options()("help,h", "show this help")(
      "tiles", po::value<int>(&options.tiles)->default_value(options.tiles), "tiles per side of the square mesh (N x N)")(
      "levels", po::value<int>(&options.levels)->default_value(options.levels), "levels of detail per tile")(
      "images", po::value<int>(&options.images)->default_value(options.images), "oriented images of the camera flight")(
      "seed", po::value<std::string>(&seedText)->default_value(std::to_string(options.seed)),
      "random seed 0 to 4294967295; a seed always gives the same project");
  po::options_description hidden;
  hidden.add_options()("output", po::value<std::string>(&output));
  po::options_description all;
  all.add(visible).add(hidden);
  po::positional_options_description positional;
  positional.add("output", 1);

  po::variables_map values;
  try {
    po::store(po::command_line_parser(argc, argv).options(all).positional(positional).run(), values);
    po::notify(values);
  } catch (const po::error& error) {
    std::cerr << "vexa-demo-project: " << error.what() << "\n" << kUsage;
    return 2;
  }
  if (values.count("help")) {
    std::cout << kUsage << "Writes a demo project (camera flight with photos, point clouds, and the DSM, DSM mesh, true orthos and textures processed from them, with the ground truth beside) into a new or empty folder.\n"
              << visible;
    return 0;
  }
  if (output.empty()) {
    std::cerr << "vexa-demo-project: the output folder is missing.\n" << kUsage;
    return 2;
  }
  try {
    options.seed = parseSeed(seedText);
    demo::validateOptions(options);
  } catch (const std::exception& error) {
    std::cerr << "vexa-demo-project: " << error.what() << "\n" << kUsage;
    return 2;
  }

  const auto start = std::chrono::steady_clock::now();
  try {
    ProgressPrinter printer;
    demo::writeDemoProject(output, options, std::ref(printer));
  } catch (const std::exception& error) {
    std::cerr << "vexa-demo-project: " << error.what() << "\n";
    return 1;
  }
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const std::filesystem::path folder = std::filesystem::absolute(std::filesystem::u8path(output)).lexically_normal();
  std::printf("Demo project written in %.1f s to: %s\n", seconds, folder.u8string().c_str());
  std::printf("Open it in the editor with: %s\n", (folder / "Project.vpr").u8string().c_str());
  return 0;
}
