#include <QProcess>
#include <QtTest>

// The command-line guard runs before any window exists, so these cases need no display.
class EditorProcessTest : public QObject {
  Q_OBJECT

 private:
  struct Result {
    int exitCode;
    QString output;
  };

  Result run(const QStringList& arguments) {
    QProcess process;
    process.start(QStringLiteral(VEXA_EDITOR_EXECUTABLE), arguments);
    if (!process.waitForFinished(30000)) {
      process.kill();
      process.waitForFinished();
      return {-1000, QString()};
    }
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput())};
  }

 private slots:
  void anUnknownOptionEndsWithItsTextAndMinusOne() {
    const Result result = run({"--bogus", "x"});
    QCOMPARE(result.exitCode, 255);  // -1 as the process's exit status
    QCOMPARE(result.output,
             QString("Runtime error occured.\nDescription: unrecognised option '--bogus'\n"));
  }

  void aMissingValueEndsTheSameWay() {
    const Result result = run({"--mesh"});
    QCOMPARE(result.exitCode, 255);
    QVERIFY2(result.output.startsWith("Runtime error occured.\nDescription: "), qPrintable(result.output));
    QVERIFY(result.output.contains("mesh"));
  }
};

QTEST_GUILESS_MAIN(EditorProcessTest)
#include "EditorProcessTest.moc"
