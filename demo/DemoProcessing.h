#pragma once

#include <filesystem>
#include <functional>
#include <string>

namespace demo {

// Makes the demo project's results as an operator's run would: DSM, DSM mesh, true ortho and DSM
// mesh texturing, each by the processing engine from the project's point clouds and photos, with
// the run's messages appended to the project log. The results are registered in the project
// databases at fixed times, so that a seed always gives the same bytes. `progress` gets the share
// of the four runs done, 0 to 1, and what runs. Throws std::runtime_error with the failing
// module's message.
void processDemoProject(const std::filesystem::path& root,
                        const std::function<void(double done, const std::string& step)>& progress);

}  // namespace demo
