#include <QCheckBox>
#include <QPushButton>
#include <QTextBlock>
#include <QPlainTextEdit>
#include <QtTest>

#include "tools/run/TerminalLines.h"
#include "tools/run/TextTerminal.h"

namespace {
QTextDocument* documentOf(TextTerminal& terminal) { return terminal.findChild<QPlainTextEdit*>("textEdit")->document(); }

// Foreground colour of each non-empty line in the view.
QVector<QColor> lineColours(TextTerminal& terminal) {
  terminal.flush();
  QVector<QColor> colours;
  for (QTextBlock b = documentOf(terminal)->begin(); b.isValid(); b = b.next()) {
    if (b.text().isEmpty()) continue;
    colours.append(b.begin().fragment().charFormat().foreground().color());
  }
  return colours;
}
}  // namespace

class TextTerminalTest : public QObject {
  Q_OBJECT
 private slots:
  void indentationFollowsTheProcessCode();
  void linesAreColouredByKind();
  void filtersDropLinesWhileOff();
  void clearAndStateZero();
  void startedModuleNamesTheStep();
  void floodKeepsOrderAndTheNewestLines();
  void oneBigFlushKeepsTheNewestLines();
};

void TextTerminalTest::indentationFollowsTheProcessCode() {
  QCOMPARE(TerminalLines::indentation(0), 0);
  QCOMPARE(TerminalLines::indentation(1000), 0);
  QCOMPARE(TerminalLines::indentation(3000), 0);
  QCOMPARE(TerminalLines::indentation(1700), 1);
  QCOMPARE(TerminalLines::indentation(1710), 2);
  QCOMPARE(TerminalLines::indentation(1711), 3);
  QCOMPARE(TerminalLines::indentation(7), 3);
  QCOMPARE(TerminalLines::format("done", 1710), QString(">>\t\t\tdone"));

  TextTerminal terminal;
  terminal.on_infoMsg("start");  // no process: counts as 0
  terminal.on_warningMsg("mid", 1700);
  terminal.on_addLine(QDir::fromNativeSeparators(QDir::toNativeSeparators("a/b.txt")), 1711);
  const QString expected = QString(">>\tstart\n>>\t\tmid\n>>\t\t\t\t") + QDir::toNativeSeparators("a/b.txt");
  QCOMPARE(terminal.plainText(), expected);
}

void TextTerminalTest::linesAreColouredByKind() {
  TextTerminal terminal;
  terminal.on_errorMsg("e1", 1000);
  terminal.on_errorMsg("e2", 1000);
  terminal.on_infoMsg("i", 1000);
  terminal.on_warningMsg("w", 1000);
  terminal.on_infoMsg("after warning", 1000);
  const QVector<QColor> colours = lineColours(terminal);
  const QVector<QColor> expected = {Qt::red, Qt::red, Qt::black, QColor(255, 140, 0), Qt::black};
  QCOMPARE(colours, expected);
}

void TextTerminalTest::filtersDropLinesWhileOff() {
  TextTerminal terminal;
  terminal.show();
  QVERIFY(QTest::qWaitForWindowExposed(&terminal));
  QTest::mouseClick(terminal.findChild<QCheckBox*>("InfoBox"), Qt::LeftButton);
  terminal.on_infoMsg("hidden", 0);
  terminal.on_warningMsg("warned", 0);
  terminal.on_ErrorBox_clicked(false);
  terminal.on_errorMsg("hidden too", 0);
  QCOMPARE(terminal.plainText(), QString(">>\twarned"));
  // Switching a filter on again shows new lines, not the dropped ones.
  terminal.on_InfoBox_clicked(true);
  terminal.on_infoMsg("shown", 0);
  QCOMPARE(terminal.plainText(), QString(">>\twarned\n>>\tshown"));
}

void TextTerminalTest::clearAndStateZero() {
  TextTerminal terminal;
  terminal.show();
  QVERIFY(QTest::qWaitForWindowExposed(&terminal));
  terminal.on_infoMsg("written", 0);
  terminal.flush();
  terminal.on_infoMsg("pending", 0);
  QTest::mouseClick(terminal.findChild<QPushButton*>("ClearButton"), Qt::LeftButton);
  QCOMPARE(terminal.plainText(), QString());

  terminal.on_ErrorBox_clicked(false);
  terminal.findChild<QCheckBox*>("ErrorBox")->setChecked(false);
  terminal.on_infoMsg("kept", 0);
  terminal.setState(1);
  terminal.setState(2);
  QCOMPARE(terminal.plainText(), QString(">>\tkept"));
  terminal.on_errorMsg("filtered", 0);
  QCOMPARE(terminal.plainText(), QString(">>\tkept"));

  terminal.setState(0);
  QCOMPARE(terminal.plainText(), QString());
  QVERIFY(terminal.findChild<QCheckBox*>("ErrorBox")->isChecked());
  terminal.on_errorMsg("shown", 0);
  QCOMPARE(terminal.plainText(), QString(">>\tshown"));
}

void TextTerminalTest::startedModuleNamesTheStep() {
  TextTerminal terminal;
  QCOMPARE(terminal.currentModule(), QString("<<"));
  terminal.on_startedModule(1710);
  QCOMPARE(terminal.currentModule(), QString("DSM"));
  terminal.on_finishedModule(1710);
  QCOMPARE(terminal.currentModule(), QString("DSM"));
}

void TextTerminalTest::floodKeepsOrderAndTheNewestLines() {
  TextTerminal terminal;
  const int count = 50000;
  for (int i = 0; i < count; ++i) {
    if (i % 3 == 0)
      terminal.on_warningMsg(QString::number(i), 0);
    else
      terminal.on_infoMsg(QString::number(i), 0);
    if (i % 7000 == 0) QCoreApplication::processEvents();
  }
  // The flush comes from the event loop, without anyone asking for it.
  QTRY_VERIFY(documentOf(terminal)->lastBlock().text() == QString(">>\t%1").arg(count - 1));
  QTextDocument* document = documentOf(terminal);
  QVERIFY(document->blockCount() < count);
  QVERIFY(document->blockCount() >= 10000);
  int previous = -1;
  for (QTextBlock b = document->begin(); b.isValid(); b = b.next()) {
    if (b.text().isEmpty()) continue;
    const int n = b.text().mid(3).toInt();
    QVERIFY2(n == previous + 1 || previous == -1, qPrintable(QString("%1 after %2").arg(n).arg(previous)));
    previous = n;
  }
}

void TextTerminalTest::oneBigFlushKeepsTheNewestLines() {
  TextTerminal terminal;
  terminal.on_infoMsg("old", 0);
  terminal.flush();
  for (int i = 0; i < 30000; ++i) terminal.on_infoMsg(QString::number(i), 0);
  terminal.flush();
  QTextDocument* document = documentOf(terminal);
  const int kept = document->blockCount();
  QVERIFY(kept >= 10000 && kept < 30000);
  QCOMPARE(document->firstBlock().text(), QString(">>\t%1").arg(30000 - kept));
  QCOMPARE(document->lastBlock().text(), QString(">>\t29999"));
  // Later lines push the oldest out without changing how many are kept.
  terminal.on_warningMsg("next", 0);
  terminal.flush();
  QCOMPARE(document->blockCount(), kept);
  QCOMPARE(document->firstBlock().text(), QString(">>\t%1").arg(30001 - kept));
  QCOMPARE(lineColours(terminal).last(), QColor(255, 140, 0));
}

QTEST_MAIN(TextTerminalTest)
#include "TextTerminalTest.moc"
