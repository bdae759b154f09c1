#include "app/ProcessSetup.h"

#include "vx/Vexa.h"

#include <boost/nowide/utf8_codecvt.hpp>
#include <osg/Notify>

#include <QDebug>
#include <QString>

#include <csignal>
#include <locale>

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

class DebugLogNotifyHandler : public osg::NotifyHandler {
 public:
  void notify(osg::NotifySeverity, const char* message) override {
    const QString text = QString::fromUtf8(message).trimmed();
    if (!text.isEmpty()) qDebug().noquote() << "OSG:" << text;
  }
};

}  // namespace

void routeSceneGraphMessagesToDebugLog() { osg::setNotifyHandler(new DebugLogNotifyHandler); }
