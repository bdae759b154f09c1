#include <QTemporaryDir>
#include <QTest>
#include <algorithm>

#include "project/Layout.h"
#include "vx/VEXAProject.h"

namespace {
const std::wstring sep(1, static_cast<wchar_t>(QDir::separator().unicode()));
}

class LayoutTest : public QObject {
  Q_OBJECT

 private slots:
  void joinRules_data() {
    QTest::addColumn<QString>("left");
    QTest::addColumn<QString>("right");
    QTest::addColumn<QString>("joined");
    const QString s = QString::fromStdWString(sep);
    QTest::newRow("plain") << "a" << "b" << "a" + s + "b";
    QTest::newRow("empty left") << "" << "b" << "b";
    QTest::newRow("left ends in slash") << "a/" << "b" << "a/b";
    QTest::newRow("left ends in backslash") << "a\\" << "b" << "a\\b";
    QTest::newRow("right starts with slash") << "a" << "/b" << "a/b";
  }
  void joinRules() {
    QFETCH(QString, left);
    QFETCH(QString, right);
    QFETCH(QString, joined);
    QCOMPARE(QString::fromStdWString(layout::join(left.toStdWString(), right.toStdWString())), joined);
  }

  // Creating the folders one level at a time in this order must always find the parent in place.
  void allFoldersHoldsEachFolderOnceParentsFirst() {
    using namespace layout;
    const std::vector<std::wstring> folders = allFolders();
    for (auto it = folders.begin(); it != folders.end(); ++it) {
      QVERIFY2(std::count(folders.begin(), folders.end(), *it) == 1, toUtf8(*it).c_str());
      const size_t cut = it->rfind(sep);
      if (cut != std::wstring::npos)
        QVERIFY2(std::find(folders.begin(), it, it->substr(0, cut)) != it, toUtf8(*it).c_str());
    }
    for (const std::wstring* used : {&OrientationsDir, &ImagesColorDir, &ResultsDsmMeshDir, &ResultsDsmMeshForEditingDir,
                                     &ResultsDsmRoughnessDir, &DsmRawRawDir})
      QVERIFY2(std::count(folders.begin(), folders.end(), *used) == 1, toUtf8(*used).c_str());
    QVERIFY(ResultsDsmRoughnessDir == Results + sep + DSM_Metainformation + sep + L"DSM_Roughness");
    QVERIFY(ImageColorListFile == Internal + sep + Images + sep + Color + sep + L"image_color_list.txt");
  }

  void utf8Conversions() {
    const QString text = QString::fromUtf8("Ordner_\xC3\xBC_\xE2\x82\xAC_\xF0\x9F\x98\x80");
    QCOMPARE(QByteArray::fromStdString(layout::toUtf8(text.toStdWString())), text.toUtf8());
    QCOMPARE(QString::fromStdWString(layout::fromUtf8(text.toStdString())), text);
  }

  void projectPathsLieInTheProjectFolder() {
    QTemporaryDir dir;
    vx::VEXAProject project;
    QCOMPARE(project.setOutputFolder(dir.path().toStdString(), 0, 0), 0);
    const QString folder = QDir::toNativeSeparators(dir.path());
    QCOMPARE(layout::projectPath(project, layout::ProjectFile), folder + QDir::separator() + "Project.vpr");
    QCOMPARE(layout::projectPath(project, layout::ResourcesDatabaseFile),
             QDir::toNativeSeparators(dir.filePath("Internal/resources.vxdb")));
  }
};

QTEST_GUILESS_MAIN(LayoutTest)
#include "LayoutTest.moc"
