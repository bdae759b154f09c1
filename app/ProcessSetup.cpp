#include "app/ProcessSetup.h"

#include "vx/Vexa.h"

#include <boost/nowide/utf8_codecvt.hpp>
#include <osg/Notify>

#include <QDebug>
#include <QSet>
#include <QString>

#include <csignal>
#include <locale>
#include <mutex>

namespace {

void onFatalSignal(int signalNumber) {
  vx::handleFatalSignal(signalNumber);
  std::signal(signalNumber, SIG_DFL);
  std::raise(signalNumber);
}

}  // namespace

void installUtf8Locale() {
  std::locale::global(std::locale(std::locale(), new boost::nowide::utf8_codecvt<wchar_t>()));
}

void installFatalSignalHandlers() {
  for (int signalNumber : {SIGTERM, SIGSEGV, SIGINT, SIGILL, SIGABRT, SIGFPE})
    std::signal(signalNumber, onFatalSignal);
#ifdef SIGBREAK
  std::signal(SIGBREAK, onFatalSignal);
#endif
}

namespace {

// The pager asks for a tile it could not read again at every frame, and OpenSceneGraph repeats
// its message each time; one line per distinct message keeps the log readable.
class DebugLogNotifyHandler : public osg::NotifyHandler {
 public:
  void notify(osg::NotifySeverity, const char* message) override {
    const QString text = QString::fromUtf8(message).trimmed();
    if (text.isEmpty()) return;
    {
      // Called from the pager's threads as well.
      std::lock_guard<std::mutex> lock(mutex_);
      if (said_.contains(text)) return;
      if (said_.size() < kRemembered) said_.insert(text);
    }
    qDebug().noquote() << "OSG:" << text;
  }

 private:
  static constexpr int kRemembered = 10000;
  std::mutex mutex_;
  QSet<QString> said_;
};

}  // namespace

void routeSceneGraphMessagesToDebugLog() { osg::setNotifyHandler(new DebugLogNotifyHandler); }
