#include <QTemporaryDir>
#include <QTest>

#include "project/ProjectImages.h"
#include "tests/platform/vx/TestProjects.h"
#include "vx/VEXAProject.h"

namespace {
// Images 0..3: 0 selected, 1 selected without orientation file, 2 unselected, 3 selected.
vx::VEXAProject makeProject(const QString& folder) {
  vx::VEXAProject project;
  project.setOutputFolder(folder.toStdString(), 0, 0);
  QDir().mkpath(folder + "/Internal/Orientations");
  for (int i : {0, 2, 3}) {
    testprojects::nadirOrientation("img" + std::to_string(i) + ".jpg", i)
        .writeFile((folder + QString("/Internal/Orientations/img%1.ori").arg(i)).toStdString());
  }
  for (int i = 0; i < 4; ++i) {
    const std::string name = "img" + std::to_string(i);
    project.addImage({name + ".jpg", "Images/" + name + ".jpg", "Internal/Orientations/" + name + ".ori", i != 2});
  }
  return project;
}
}  // namespace

class ProjectImagesTest : public QObject {
  Q_OBJECT

 private slots:
  void unreadableImagesAreSkippedAndOnlyAMatchingTopologyFollows() {
    QTemporaryDir dir;
    const vx::VEXAProject project = makeProject(dir.path());
    QCOMPARE(qvx::collectProjectImages(project).topology.imageCount(), 0);
    const std::string topologyFile = dir.filePath("Internal/Topologies/Topology.tif").toStdString();
    QVERIFY(QDir().mkpath(dir.filePath("Internal/Topologies")));
    vx::StereoModels(5).saveTopology(topologyFile);
    const qvx::ProjectImages mismatched = qvx::collectProjectImages(project);
    QCOMPARE(mismatched.topology.imageCount(), 0);
    QCOMPARE(mismatched.orientations.size(), size_t(3));

    // The topology numbers the selected images 0, 1, 3 as 0, 1, 2.
    vx::StereoModels topology(3);
    topology.setPair(0, 1);
    topology.setPair(0, 2);
    topology.saveTopology(topologyFile);
    const qvx::ProjectImages images = qvx::collectProjectImages(project);
    QCOMPARE(images.orientations.size(), size_t(3));
    QCOMPARE(images.orientations[1].imageName(), std::string("img2.jpg"));
    QCOMPARE(images.selected, (std::vector<bool>{true, false, true}));
    QCOMPARE(QString::fromStdString(images.photoPaths[1]),
             QDir::toNativeSeparators(QDir::cleanPath(dir.filePath("Images/img2.jpg"))));
    QCOMPARE(images.topology.imageCount(), 2);  // images 0 and 3
    QVERIFY(images.topology.isPair(0, 1));
  }
};

QTEST_GUILESS_MAIN(ProjectImagesTest)
#include "ProjectImagesTest.moc"
