#include <QSignalSpy>
#include <QtTest>

#include "shell/UnattendedRun.h"

class UnattendedRunTest : public QObject {
  Q_OBJECT

 private slots:
  // The render starts only once every start-up file is handed out and every load has ended,
  // whichever comes last, and only once.
  void rendersAfterTheLastLoad() {
    UnattendedRun run("out");
    QSignalSpy render(&run, &UnattendedRun::signal_render);
    run.beginLoad();  // the project
    run.beginLoad();  // an orientation list
    run.endLoad();
    QCOMPARE(render.count(), 0);
    run.startupFilesDispatched();
    QCOMPARE(render.count(), 0);
    run.beginLoad();  // the project's meshes, begun when the project was opened
    run.endLoad();
    QCOMPARE(render.count(), 0);
    run.endLoad();
    QCOMPARE(render.count(), 1);
    run.endLoad();  // a late second batch of the same load
    QCOMPARE(render.count(), 1);

    UnattendedRun nothingToWaitFor("out");
    QSignalSpy immediate(&nothingToWaitFor, &UnattendedRun::signal_render);
    nothingToWaitFor.startupFilesDispatched();
    QCOMPARE(immediate.count(), 1);
  }

  // Only a run that wrote every picture ends with 0; load problems are reported with it.
  void theExitCodeTellsTheTruth() {
    UnattendedRun good("out");
    QSignalSpy end(&good, &UnattendedRun::signal_end);
    good.startupFilesDispatched();
    good.setCameraCount(3);
    QCOMPARE(end.count(), 0);
    good.renderFinished(3, {});
    QCOMPARE(end.count(), 1);
    QCOMPARE(end.at(0).at(0).toInt(), 0);
    QVERIFY(end.at(0).at(1).toString().contains("3 picture(s) written"));
    good.renderFinished(3, {});
    QCOMPARE(end.count(), 1);

    UnattendedRun partly("out");
    QSignalSpy partEnd(&partly, &UnattendedRun::signal_end);
    partly.beginLoad();
    partly.startupFilesDispatched();
    partly.endLoad("Orientation file /p/IMG_2.ori, line 3: bad focal");
    partly.setCameraCount(2);
    partly.renderFinished(1, {"Could not write /out/IMG_1.jpg: disk full"});
    QCOMPARE(partEnd.count(), 1);
    QCOMPARE(partEnd.at(0).at(0).toInt(), 1);
    const QString report = partEnd.at(0).at(1).toString();
    QVERIFY(report.contains("IMG_2.ori") && report.contains("disk full") && report.contains("1 picture(s) written"));
  }

  void nothingToRenderEndsAtOnce() {
    UnattendedRun none("renders");
    QSignalSpy end(&none, &UnattendedRun::signal_end);
    none.beginLoad();
    none.startupFilesDispatched();
    none.endLoad("Orientation list /data/empty.txt names no orientation file");
    none.setCameraCount(0);
    QCOMPARE(end.count(), 1);
    QCOMPARE(end.at(0).at(0).toInt(), 1);
    QVERIFY(end.at(0).at(1).toString().contains("empty.txt"));

    UnattendedRun broken("renders");
    QSignalSpy brokenEnd(&broken, &UnattendedRun::signal_end);
    QSignalSpy render(&broken, &UnattendedRun::signal_render);
    broken.beginLoad();
    broken.fail("Project file /p/Project.vpr is not valid XML");
    broken.endLoad();
    broken.startupFilesDispatched();
    QCOMPARE(brokenEnd.count(), 1);
    QCOMPARE(brokenEnd.at(0).at(0).toInt(), 1);
    QCOMPARE(render.count(), 0);
    QVERIFY(broken.hasEnded());
  }
};

QTEST_GUILESS_MAIN(UnattendedRunTest)
#include "UnattendedRunTest.moc"
