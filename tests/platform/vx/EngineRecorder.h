#pragma once

// Keeps what an engine reports, for the tests of its modules.

#include <functional>
#include <string>
#include <vector>

#include "vx/MessageText.h"
#include "vx/Msg.h"

namespace testprojects {

struct Message {
  int type, step, sub;
  std::string text;
  std::vector<double> doubles;
};

// Keeps every message of an engine; `onMessage` may act on the engine while it runs.
struct Recorder {
  std::vector<Message> messages;
  std::function<void(const Message&, const int* ints)> onMessage;

  static void callback(int code, const char* format, const double* d, const int* i, const char* s, void* user) {
    auto* self = static_cast<Recorder*>(user);
    Message m{vx::MSG::typeOfCode(code), vx::MSG::stepOfCode(code), vx::MSG::subCodeOfCode(code), vx::msgtext::format(format, d, i, s),
              d ? std::vector<double>(d, d + 3) : std::vector<double>()};
    self->messages.push_back(m);
    if (self->onMessage) self->onMessage(m, i);
  }
  std::vector<Message> of(int type, int step) const {
    std::vector<Message> found;
    for (const Message& m : messages)
      if (m.type == type && m.step == step) found.push_back(m);
    return found;
  }
  std::vector<int> startedModules() const {
    std::vector<int> steps;
    for (const Message& m : messages)
      if (m.type == vx::MSG::TYPE_PROCESS_STARTED) steps.push_back(m.step);
    return steps;
  }
};

}  // namespace testprojects
