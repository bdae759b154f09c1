#include "img/images/Images.h"
#include "shell/MeshViewer.h"
#include "tests/shell/ShownMainWindow.h"
#include "tools/inputs/DataInputFolder.h"
#include "tools/windows/ToolTexturing.h"
#include "vx/VEXAProject.h"

#include <QAction>
#include <QMenu>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

class TexturingToolEntryTest : public QObject {
  Q_OBJECT

  QTemporaryDir dir_;

 private slots:
  void initTestCase() { vexaInitImages(); }

  void theEntryOpensTheToolOnTheOpenProject() {
    const QString projectFile = shelltest::writeSmallDemo(dir_.path(), 4);
    std::unique_ptr<MeshViewer> viewer = shelltest::showMainWindow();
    QVERIFY(viewer);
    QStringList names;
    QAction* entry = nullptr;
    for (QAction* action : viewer->processingMenu()->actions()) {
      if (action->isSeparator()) continue;
      names << action->text();
      if (action->text() == "VEXA Texturing Tool...") entry = action;
    }
    QVERIFY(entry);
    QCOMPARE(names.indexOf("VEXA Texturing Tool..."), names.indexOf("VEXA 2.5D Tool...") + 1);
    QVERIFY(!entry->isEnabled());

    QVERIFY(shelltest::openProject(*viewer, projectFile));
    QVERIFY(entry->isEnabled());
    entry->trigger();
    auto* tool = viewer->findChild<qvx::tool::ToolTexturing*>();
    QVERIFY(tool && tool->isVisible() && tool->isWindow());
    const QString folder = QDir::cleanPath(QFileInfo(projectFile).absolutePath());
    QCOMPARE(QDir::cleanPath(tool->outputField()->value()), folder + "/Internal/Editor/tmp");
    QVERIFY(tool->project() != viewer->project());  // runs in the tool leave the open project alone
    QCOMPARE(tool->project()->tileSize(), viewer->project()->tileSize());
    QVERIFY(tool->close());
    QTRY_VERIFY(!viewer->findChild<qvx::tool::ToolTexturing*>());
  }
};

QTEST_MAIN(TexturingToolEntryTest)
#include "TexturingToolEntryTest.moc"
