#include <QProcess>
#include <QTemporaryDir>
#include <QtConcurrent>
#include <QtTest>

#include <osgDB/ReadFile>
#include <osgDB/WriteFile>
#include <osg/Geode>
#include <osg/Geometry>

#ifdef __linux__
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "scenefiles/FileLimits.h"
#include "scenefiles/SceneFileGuard.h"
#include "tests/scenefiles/DamagedFiles.h"
#include "tests/viewer/TestScenes.h"

using scenefiles::SceneFileGuard;
using scenefiles::Verdict;

namespace {

SceneFileGuard::Settings settingsWith(const QString& helper, const QString& cacheFile = {}, int timeoutMs = 60000) {
  SceneFileGuard::Settings settings;
  settings.helperProgram = helper;
  settings.cacheFile = cacheFile;
  settings.helpers = 2;
  settings.timeoutMs = timeoutMs;
  return settings;
}

QString writeScript(const QString& path, const QByteArray& body) {
  damaged::writeBytes(path, "#!/bin/sh\n" + body);
  QFile::setPermissions(path, QFile::permissions(path) | QFile::ExeOwner);
  return path;
}

}  // namespace

class SceneFileGuardTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    QVERIFY(dir_.isValid());
    good_ = dir_.filePath("mesh/Tile_0_0/Tile_0_0.osgb");
    QDir().mkpath(QFileInfo(good_).absolutePath());
    QVERIFY(osgDB::writeNodeFile(*viewertest::makeQuadScene(10, 0, true), good_.toStdString()));
  }

  // Whatever is not a plausible file of its kind never reaches a reader, and the message names it.
  void precheckRefusesWhatNoReaderShouldSee_data() {
    QTest::addColumn<QString>("name");
    QTest::newRow("tile") << "mesh/Tile_1_1/Tile_1_1.osgb";
    QTest::newRow("index") << "mesh/Mesh.osgb";
    QTest::newRow("ply") << "plain/model.ply";
    QTest::newRow("obj") << "plain/model.obj";
    QTest::newRow("osg") << "plain/model.osg";
  }
  void precheckRefusesWhatNoReaderShouldSee() {
    QFETCH(QString, name);
    const QString path = dir_.filePath(name);
    const qint64 limit = scenefiles::sizeLimit(scenefiles::fileKindOf(path));

    damaged::writeBytes(path, {});
    QVERIFY(scenefiles::precheck(path).contains(QDir::toNativeSeparators(path)));
    damaged::writeSparse(path, limit + 1);
    QVERIFY(scenefiles::precheck(path).contains("too large"));
    damaged::writeSparse(path, limit);
    QVERIFY(scenefiles::precheck(path).isEmpty());
    if (damaged::makeFifo(path)) QVERIFY(scenefiles::precheck(path).contains("Not a regular file"));
    QFile::remove(path);
    QVERIFY(!scenefiles::precheck(path).isEmpty());
  }

  void kindsFollowTheLayout() {
    using scenefiles::FileKind;
    QCOMPARE(scenefiles::fileKindOf("/p/Mesh.osgb"), FileKind::IndexFile);
    QCOMPARE(scenefiles::fileKindOf("/p/Tile_3_4/Tile_3_4.osgb"), FileKind::TileFile);
    QCOMPARE(scenefiles::fileKindOf("/p/Tile_3_4/Tile_3_4_L2_0.osgb"), FileKind::TileFile);
    QCOMPARE(scenefiles::fileKindOf("/p/other.osgb"), FileKind::SceneFile);
    QCOMPARE(scenefiles::fileKindOf("/p/a.PLY"), FileKind::PlyMesh);
    // A 2 GB tile is far beyond any real one.
    QVERIFY(scenefiles::sizeLimit(FileKind::TileFile) < 2048LL * 1024 * 1024);
  }

  // The real helper: what its readers accept is good, what they reject or die on is bad.
  void helperJudgesRealFiles() {
    SceneFileGuard guard(settingsWith({}));
    QCOMPARE(guard.check(good_).state, Verdict::Good);

    const QString ply = dir_.filePath("plain/bad_index.ply");
    damaged::writePlyWithBadIndex(ply);
    const Verdict badPly = guard.check(ply);
    QCOMPARE(badPly.state, Verdict::Bad);
    QVERIFY(badPly.message.contains(QDir::toNativeSeparators(ply)));

    const QString noise = dir_.filePath("plain/noise.osgb");
    damaged::writeRandom(noise, 4096, 7);
    QCOMPARE(guard.check(noise).state, Verdict::Bad);

    // Cut files are judged without taking this process down; a helper lost to one is replaced.
    for (double fraction : {0.1, 0.2, 0.5, 0.9}) {
      const QString cut = dir_.filePath(QString("cut/Tile_0_0_%1.osgb").arg(fraction));
      damaged::writeTruncated(good_, cut, fraction);
      QVERIFY(guard.check(cut).state != Verdict::Unchecked);
    }
    QCOMPARE(guard.check(good_).state, Verdict::Good);
  }

  // A reader that spins is ended by its processor-time budget, not by the much longer timeout,
  // and good files still pass within that budget, the first read loading the reader included.
  void aSpinningReadEndsWithinItsCpuBudget() {
#ifndef __linux__
    QSKIP("processor-time budgets are set on Linux");
#else
    SceneFileGuard::Settings settings = settingsWith({});
    settings.helpers = 1;
    settings.cpuBudgetMs = 300;
    SceneFileGuard guard(settings);
    QSignalSpy bad(&guard, &SceneFileGuard::signal_badFile);
    QCOMPARE(guard.check(good_).state, Verdict::Good);

    const QString spinning = dir_.filePath("spin/Mesh.osgb");
    damaged::writeSpinningIndex(spinning);
    QCOMPARE(guard.check(spinning).state, Verdict::Bad);
    QCOMPARE(bad.count(), 1);
    QVERIFY2(bad.at(0).at(0).toString().contains("of work"), qPrintable(bad.at(0).at(0).toString()));
    QVERIFY(bad.at(0).at(0).toString().contains(QDir::toNativeSeparators(spinning)));

    const QString copy = dir_.filePath("mesh2/Tile_0_0/Tile_0_0.osgb");
    QDir().mkpath(QFileInfo(copy).absolutePath());
    QVERIFY(QFile::copy(good_, copy));
    QCOMPARE(guard.check(copy).state, Verdict::Good);
    QCOMPARE(guard.startedHelpers(), 2);
#endif
  }

  // A helper spinning on a file when the editor dies must not spin on for ever.
  void aSpinningHelperEndsWithItsEditor() {
#ifndef __linux__
    QSKIP("helpers follow their parent on Linux");
#else
    const QString spinning = dir_.filePath("orphan/Mesh.osgb");
    damaged::writeSpinningIndex(spinning);
    // The shell stands for the editor: it starts the helper on the file and dies.
    QProcess editor;
    editor.start("/bin/sh", {"-c", "(printf '%s\\n' \"$1\"; sleep 60) | \"$2\" & echo $!; sleep 1", "sh", spinning,
                             SceneFileGuard::defaultHelperProgram()});
    QVERIFY(editor.waitForFinished(10000));
    const QString pid = QString::fromUtf8(editor.readAllStandardOutput()).trimmed();
    QVERIFY(!pid.isEmpty());
    const auto running = [&pid] {
      QFile stat("/proc/" + pid + "/stat");
      if (!stat.open(QIODevice::ReadOnly)) return false;
      const QList<QByteArray> fields = stat.readAll().split(')').value(1).trimmed().split(' ');
      return fields.value(0) != "Z";
    };
    QTRY_VERIFY_WITH_TIMEOUT(!running(), 10000);
#endif
  }

  // A few bytes may claim hundreds of millions of vertices; the reader then fills gigabytes before
  // it meets the end of the file. The helper refuses such a read within the room of the file's size.
  void aFileClaimingHugeArraysStaysWithinItsRoom() {
#ifndef __linux__
    QSKIP("memory rooms are set on Linux");
#else
    const QString claims = dir_.filePath("plain/claims.osgt");
    damaged::writeBytes(claims,
                        "#Ascii Scene\n#Version 161\n#Generator OpenSceneGraph 3.6.5\n\n"
                        "osg::Geode {\n  UniqueID 1\n  Drawables 1 {\n    osg::Geometry {\n      UniqueID 2\n"
                        "      VertexArray TRUE {\n        osg::Vec3Array {\n          UniqueID 3\n"
                        "          Binding BIND_PER_VERTEX\n          vector 200000000 {\n            0 0 0\n"
                        "            1 0 1\n          }\n        }\n      }\n    }\n  }\n}\n");
    int request[2];
    QCOMPARE(::pipe(request), 0);
    const pid_t pid = ::fork();
    if (pid == 0) {
      ::dup2(request[0], STDIN_FILENO);
      const int null = ::open("/dev/null", O_WRONLY);
      ::dup2(null, STDOUT_FILENO);
      ::dup2(null, STDERR_FILENO);
      ::close(request[1]);
      // Keeps a regressed helper from taking this machine's memory.
      const rlimit cap{rlim_t(4) << 30, rlim_t(4) << 30};
      ::setrlimit(RLIMIT_AS, &cap);
      ::execl(VEXA_SCENECHECK, "vexa-scenecheck", static_cast<char*>(nullptr));
      ::_exit(127);
    }
    ::close(request[0]);
    const QByteArray line = claims.toUtf8() + "\n";
    QCOMPARE(::write(request[1], line.constData(), size_t(line.size())), ssize_t(line.size()));
    ::close(request[1]);
    int status = 0;
    rusage usage{};
    QCOMPARE(::wait4(pid, &status, 0, &usage), pid);
    QVERIFY(!(WIFEXITED(status) && WEXITSTATUS(status) == 127));
    QVERIFY2(usage.ru_maxrss < 1024 * 1024, qPrintable(QString("peak %1 KiB").arg(usage.ru_maxrss)));

    SceneFileGuard guard(settingsWith({}));
    QCOMPARE(guard.check(claims).state, Verdict::Bad);
#endif
  }

  void crashingOrHangingHelpersAreReplaced() {
#ifdef _WIN32
    QSKIP("helpers are POSIX only");
#endif
    const QString helper = writeScript(dir_.filePath("fake-helper.sh"),
                                       "while read path; do\n"
                                       "  case \"$path\" in\n"
                                       "    *crash*) exit 3;;\n"
                                       "    *hang*) exec sleep 30;;\n"
                                       "    *) echo ok;;\n"
                                       "  esac\n"
                                       "done\n");
    SceneFileGuard guard(settingsWith(helper, {}, 300));
    QSignalSpy bad(&guard, &SceneFileGuard::signal_badFile);
    const QString crash = dir_.filePath("crash.osgb");
    const QString hang = dir_.filePath("hang.osgb");
    damaged::writeBytes(crash, "x");
    damaged::writeBytes(hang, "x");

    QCOMPARE(guard.check(good_).state, Verdict::Good);
    QCOMPARE(guard.check(crash).state, Verdict::Bad);
    QCOMPARE(guard.check(hang).state, Verdict::Bad);
    QCOMPARE(guard.check(good_).state, Verdict::Good);
    QVERIFY(guard.startedHelpers() >= 2);
    // Reported once each, naming the file; a cached bad verdict is not reported again.
    QCOMPARE(guard.check(crash).state, Verdict::Bad);
    QCOMPARE(bad.count(), 2);
    QVERIFY(bad.at(0).at(0).toString().contains(QDir::toNativeSeparators(crash)));
    QVERIFY(bad.at(1).at(0).toString().contains("longer than"));
  }

  // Two readers asking for one file at once (the tile bounds reader and the pager) share a read.
  void concurrentChecksShareOneRead() {
#ifdef _WIN32
    QSKIP("helpers are POSIX only");
#endif
    const QString log = dir_.filePath("reads.log");
    const QString helper = writeScript(dir_.filePath("slow-helper.sh"),
                                       "while read path; do echo \"$path\" >> '" + log.toUtf8() +
                                           "'; sleep 1; echo ok; done\n");
    SceneFileGuard guard(settingsWith(helper));
    QFuture<Verdict> first = QtConcurrent::run([&] { return guard.check(good_); });
    QFuture<Verdict> second = QtConcurrent::run([&] { return guard.check(good_); });
    QCOMPARE(first.result().state, Verdict::Good);
    QCOMPARE(second.result().state, Verdict::Good);
    QFile reads(log);
    QVERIFY(reads.open(QIODevice::ReadOnly));
    QCOMPARE(reads.readAll().count('\n'), 1);
  }

  // The second run needs no helper for known files; a changed or unknown file does, and a
  // damaged cache is as good as none.
  void verdictsPersist() {
    const QString cache = dir_.filePath("home/.VEXA/verdicts.json");
    const QString noise = dir_.filePath("persist/noise.ply");
    damaged::writeRandom(noise, 512, 3);
    {
      SceneFileGuard guard(settingsWith({}, cache));
      QCOMPARE(guard.check(good_).state, Verdict::Good);
      QCOMPARE(guard.check(noise).state, Verdict::Bad);
    }
    QVERIFY(QFileInfo(cache).isFile());
    const QString missingHelper = dir_.filePath("no-such-helper");
    {
      SceneFileGuard guard(settingsWith(missingHelper, cache));
      QSignalSpy bad(&guard, &SceneFileGuard::signal_badFile);
      QCOMPARE(guard.check(good_).state, Verdict::Good);
      QCOMPARE(guard.check(noise).state, Verdict::Bad);
      QCOMPARE(bad.count(), 1);
      damaged::writeRandom(noise, 600, 4);
      QCOMPARE(guard.check(noise).state, Verdict::Unchecked);
    }
    damaged::writeBytes(cache, "{\"version\": 1, \"verdicts\": [tru");
    SceneFileGuard guard(settingsWith(missingHelper, cache));
    QCOMPARE(guard.check(good_).state, Verdict::Unchecked);
  }

  // Installed, the guard answers reads through the registry: a bad file reads as nothing.
  void registryReadsAreGuarded() {
    SceneFileGuard guard(settingsWith({}));
    SceneFileGuard::install(&guard);
    const QString ply = dir_.filePath("registry/bad_index.ply");
    damaged::writePlyWithBadIndex(ply);
    QVERIFY(!osgDB::readRefNodeFile(ply.toStdString()));
    QVERIFY(osgDB::readRefNodeFile(good_.toStdString()));
    SceneFileGuard::install(nullptr);
  }

  void foreignMeshesAreReadOnlyThroughTheHelpersCopy() {
    SceneFileGuard guard(settingsWith({}));
    SceneFileGuard::install(&guard);
    const QString ply = dir_.filePath("copies/triangle.ply");
    damaged::writeBytes(ply,
                        "ply\nformat ascii 1.0\nelement vertex 3\nproperty float x\nproperty float y\n"
                        "property float z\nelement face 1\nproperty list uchar int vertex_indices\nend_header\n"
                        "0 0 0\n1 0 0\n0 1 0\n3 0 1 2\n");
    const Verdict verdict = guard.check(ply);
    QCOMPARE(verdict.state, Verdict::Good);
    QVERIFY(verdict.readInstead.endsWith(".osgb"));
    QVERIFY(QFileInfo(verdict.readInstead).isFile());

    // Swapping the copy shows whose bytes the editor reads: the copy's, never the PLY's.
    osg::ref_ptr<osg::Geometry> square = new osg::Geometry;
    osg::ref_ptr<osg::Vec3Array> corners = new osg::Vec3Array;
    for (const osg::Vec3& corner : {osg::Vec3(0, 0, 0), osg::Vec3(1, 0, 0), osg::Vec3(1, 1, 0), osg::Vec3(0, 1, 0)})
      corners->push_back(corner);
    square->setVertexArray(corners);
    square->addPrimitiveSet(new osg::DrawArrays(GL_QUADS, 0, 4));
    osg::ref_ptr<osg::Geode> geode = new osg::Geode;
    geode->addDrawable(square);
    QVERIFY(osgDB::writeNodeFile(*geode, verdict.readInstead.toStdString()));
    osg::ref_ptr<osg::Node> read = osgDB::readRefNodeFile(ply.toStdString());
    SceneFileGuard::install(nullptr);
    QVERIFY(read);
    auto* readGeode = read->asGeode();
    QVERIFY(readGeode && readGeode->getNumDrawables() == 1);
    QCOMPARE(readGeode->getDrawable(0)->asGeometry()->getVertexArray()->getNumElements(), 4u);
  }

  // OpenSceneGraph's text formats too: their reader may spin on a file that a helper read at once.
  void textScenesAreReadOnlyThroughTheHelpersCopy() {
    for (const char* name : {"a.ply", "a.obj", "a.3ds", "a.osg", "Tile_0_0/Tile_0_0.osgt", "a.OSGX"})
      QVERIFY2(scenefiles::readOnlyThroughCopy(QString("/p/") + name), name);
    for (const char* name : {"Mesh.osgb", "Tile_0_0/Tile_0_0.osgb", "a.ive"})
      QVERIFY2(!scenefiles::readOnlyThroughCopy(QString("/p/") + name), name);

    SceneFileGuard guard(settingsWith({}));
    const QString osg = dir_.filePath("copies/quad.osg");
    QDir().mkpath(QFileInfo(osg).absolutePath());
    QVERIFY(osgDB::writeNodeFile(*viewertest::makeQuadScene(10, 0, false), osg.toStdString()));
    const Verdict verdict = guard.check(osg);
    QCOMPARE(verdict.state, Verdict::Good);
    QVERIFY(QFileInfo(verdict.readInstead).isFile());
    QVERIFY(guard.check(good_).readInstead.isEmpty());
  }

 private:
  QTemporaryDir dir_;
  QString good_;
};

QTEST_GUILESS_MAIN(SceneFileGuardTest)
#include "SceneFileGuardTest.moc"
