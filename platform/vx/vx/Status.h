#pragma once

// The status callback shared by the engine, the utility functions and the project database, and
// the utility library's process-wide status channel.

#include <string>

namespace vx {

// code: vx::MSG layout; format: may hold placeholders, may be null; doubles and ints: three values
// each or null; string: a value for one placeholder or null; user: the pointer given at registration.
using StatusCallback = void (*)(int code, const char* format, const double* doubles, const int* ints,
                                const char* string, void* user);

namespace utils {
namespace status {

// The process-wide receiver of the utility functions' messages; null removes it.
void setStatusCallbackFunction(StatusCallback callback, void* user = nullptr);
// Hands a message to the process-wide receiver, when there is one. Safe from any thread.
void report(int code, const char* format, const double* doubles = nullptr, const int* ints = nullptr,
            const char* string = nullptr);
// Asks running utility functions to stop (true) or lets them run again (false).
void cancel(bool cancelled);
bool isCancelled();

}  // namespace status

namespace processing {

// The status (vx::steps::Status) that processing in this process last gave the step of this name
// ("Analysis", "DSM", ...): NotStarted when none did, -1 for a name that is no step.
int getProcessingStatus(const std::string& name);
// Called by the processing modules when they change a step's status.
void setProcessingStatus(const std::string& name, int status);

}  // namespace processing
}  // namespace utils
}  // namespace vx
