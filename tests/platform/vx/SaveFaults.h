#pragma once

// Walks a save through every step of its atomic writes: the save runs once per step with a fault
// armed there, and a check looks at what is left on disk. Also a tiny real disk to fill up.

#include <QDir>
#include <QString>
#include <QtGlobal>
#include <functional>
#include <stdexcept>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#ifdef __linux__
#include <sys/mount.h>
#include <sys/wait.h>
#endif

#include "vx/WriteFaults.h"

namespace savefaults {

using vx::writefaults::Fault;

// For step 1, 2, ...: `prepare` sets up the old state, `save` runs with `fault` armed at that step
// (a killed save runs in a child process), then `check(step, completed)` inspects the result. Stops
// after the first step the save never reached. Returns the number of steps that hit a fault.
inline int forEachStep(Fault fault, const std::function<void()>& prepare, const std::function<void()>& save,
                       const std::function<void(int step, bool completed)>& check) {
  for (int step = 1; step < 500; ++step) {
    prepare();
    bool completed = false;
    bool reached = false;
    if (fault == Fault::NoSpace) {
      vx::writefaults::inject(step, fault);
      try {
        save();
        completed = true;
      } catch (const std::exception&) {
      }
      reached = vx::writefaults::stepsTaken() >= step;
      vx::writefaults::clear();
    } else {
#ifdef __linux__
      const pid_t child = fork();
      if (child < 0) qFatal("fork failed");
      if (child == 0) {
        vx::writefaults::inject(step, fault);
        try {
          save();
        } catch (...) {
          _exit(2);
        }
        _exit(0);
      }
      int status = 0;
      waitpid(child, &status, 0);
      reached = WIFSIGNALED(status);
      completed = WIFEXITED(status) && WEXITSTATUS(status) == 0;
#else
      return 0;
#endif
    }
    check(step, completed);
    if (!reached) return step - 1;
  }
  qFatal("a save with more than 500 steps");
}

// A tmpfs of a few pages mounted on a folder, where the process may mount one (root on Linux).
class SmallDisk {
 public:
  explicit SmallDisk(const QString& folder) : folder_(folder) {
#ifdef __linux__
    QDir().mkpath(folder);
    mounted_ = ::mount("tmpfs", QFile::encodeName(folder).constData(), "tmpfs", MS_NOSUID | MS_NODEV,
                       "size=256k") == 0;
#endif
  }
  ~SmallDisk() {
#ifdef __linux__
    if (mounted_) ::umount2(QFile::encodeName(folder_).constData(), MNT_DETACH);
#endif
  }
  SmallDisk(const SmallDisk&) = delete;
  SmallDisk& operator=(const SmallDisk&) = delete;

  bool mounted() const { return mounted_; }

  // Takes every free byte, so that the next write fails with ENOSPC.
  void fill() {
    const int fd = ::open(QFile::encodeName(folder_ + "/filler").constData(), O_WRONLY | O_CREAT | O_APPEND, 0600);
    if (fd < 0) qFatal("cannot create the filler file");
    const char block[512] = {};
    while (::write(fd, block, sizeof block) > 0) {
    }
    for (char byte = 0; ::write(fd, &byte, 1) > 0;) {
    }
    ::close(fd);
  }

 private:
  QString folder_;
  bool mounted_ = false;
};

}  // namespace savefaults
