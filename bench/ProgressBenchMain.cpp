// The progress benchmark: a module floods the message interface from a worker thread while a real
// terminal and progress monitor on the main thread show it. Prints
//   ui_max_stall_ms=S terminal_lines_per_s=L
// S: the longest time the main thread processed no event (a 1 ms timer's largest gap) while the
//    flood was arriving and being written; L: log lines written per second from the first message
//    sent to the last line shown.

#include <QApplication>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QLoggingCategory>
#include <QTextBlock>
#include <QPlainTextEdit>
#include <QTimer>
#include <QVBoxLayout>

#include <cstdio>

#include "FloodModule.h"
#include "img/images/Images.h"
#include "tools/run/ProgressMonitor.h"
#include "tools/run/TextTerminal.h"
#include "tools/run/VexaMsgInterface.h"

int main(int argc, char** argv) {
  vexaInitImages();
  QApplication app(argc, argv);
  // Every progress message has a debug line; writing 50,000 of them a second would measure the
  // console.
  QLoggingCategory::setFilterRules(QStringLiteral("*.debug=false"));

  QCommandLineParser parser;
  parser.addHelpOption();
  parser.addOption({"rate", "messages per second (default 100000)", "N", "100000"});
  parser.addOption({"seconds", "length of the flood (default 4)", "S", "4"});
  parser.addOption({"without", "leave the terminal or the monitor unconnected, to see what each costs", "terminal|monitor"});
  parser.process(app);
  const int rate = parser.value("rate").toInt();
  const double seconds = parser.value("seconds").toDouble();
  if (rate <= 0 || seconds <= 0) {
    std::fprintf(stderr, "progress-bench-run: --rate and --seconds must be positive\n");
    return 64;
  }

  QWidget window;
  auto* terminal = new TextTerminal(&window);
  auto* monitor = new ProgressMonitor(true, &window);
  auto* layout = new QVBoxLayout(&window);
  layout->addWidget(terminal, 1);
  layout->addWidget(monitor);
  window.resize(900, 600);
  window.show();

  VexaMsgInterface receiver(nullptr);
  // As a tool window wires them; the signals come from the worker thread, so they are queued.
  const QString without = parser.value("without");
  if (without != "terminal") {
  QObject::connect(&receiver, &VexaMsgInterface::signal_Info, terminal,
                   [terminal](QString text, int step) { terminal->on_infoMsg(text, step); });
  QObject::connect(&receiver, &VexaMsgInterface::signal_Warning, terminal,
                   [terminal](QString text, int step) { terminal->on_warningMsg(text, step); });
  QObject::connect(&receiver, &VexaMsgInterface::signal_Error, terminal,
                   [terminal](QString text, int step) { terminal->on_errorMsg(text, step); });
  } else {
    QObject::connect(&receiver, &VexaMsgInterface::signal_Info, terminal, [terminal](QString text, int) {
      if (text == QLatin1String("flood done")) terminal->on_infoMsg(text);
    });
  }
  if (without != "monitor") {
  QObject::connect(&receiver, &VexaMsgInterface::signal_ProgressInfo, monitor, &ProgressMonitor::slot_progress);
  QObject::connect(&receiver, &VexaMsgInterface::signal_ProcessStarted, monitor,
                   &ProgressMonitor::on_setSubprocessName);
  }

  FloodModule module(&receiver, rate, seconds);
  QTextDocument* document = terminal->findChild<QPlainTextEdit*>()->document();
  QElapsedTimer clock;
  qint64 lastTick = 0;
  qint64 maxStall = 0;
  qint64 doneAt = -1;
  QTimer ticker;
  ticker.setTimerType(Qt::PreciseTimer);
  ticker.setInterval(1);
  QObject::connect(&ticker, &QTimer::timeout, [&] {
    const qint64 now = clock.nsecsElapsed();
    maxStall = std::max(maxStall, now - lastTick);
    lastTick = now;
    if (doneAt < 0 && module.isFinished() && document->lastBlock().text().endsWith(QLatin1String("flood done"))) {
      doneAt = now;
      app.quit();
    }
  });
  // Give up when the last line has not been written long after the flood ended.
  QTimer::singleShot(static_cast<int>(seconds * 1000) + 60000, &app, [&] { app.quit(); });

  QTimer::singleShot(500, [&] {
    monitor->setState(2);
    clock.start();
    ticker.start();
    module.start();
  });
  app.exec();
  module.wait();
  if (doneAt < 0) {
    std::fprintf(stderr, "progress-bench-run: the terminal had not shown the last line 60 s after the flood\n");
    return 1;
  }
  const double elapsed = doneAt / 1e9;
  std::fprintf(stderr, "%ld messages (%ld log lines) in %.3f s, shown by %.3f s\n", module.messagesSent(),
               module.linesSent(), seconds, elapsed);
  std::printf("ui_max_stall_ms=%.1f terminal_lines_per_s=%.0f\n", maxStall / 1e6, module.linesSent() / elapsed);
  return 0;
}
