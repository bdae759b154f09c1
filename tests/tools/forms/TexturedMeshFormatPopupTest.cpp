#include <QCheckBox>
#include <QComboBox>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "dialogs/MessageDialogs.h"
#include "tests/platform/vx/TestProjects.h"
#include "tools/forms/CtrlParameter.h"
#include "tools/forms/TexturedMeshFormatPopup.h"
#include "vx/VEXAProject.h"

namespace meshio = vx::meshio;

namespace {

// Everything the project would write, as text: equal texts mean an unchanged project.
QByteArray projectText(const vx::VEXAProject& project) {
  QTemporaryDir dir;
  const QString path = dir.filePath("Project.vpr");
  project.saveProjectFile(path.toStdString());
  return testprojects::readText(path);
}

}  // namespace

class TexturedMeshFormatPopupTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { qvx::setUnattended(true); }

  void init() {
    m_project = std::make_shared<vx::VEXAProject>();
    m_project->setTextureFormat(meshio::OSGB, meshio::JPG_DDS);
    for (vx::steps::Steps step : vx::steps::kAllSteps) m_project->setStepStatus(step, vx::steps::Done);
  }

  void oneCheckBoxAndOneTextureListPerFormat() {
    TexturedMeshFormatPopup popup(m_project);
    QCOMPARE(popup.windowTitle(), QString("Mesh Formats"));
    for (meshio::MeshFileFormat format : meshio::allMeshFileFormats()) {
      const QString name = QString::fromStdString(meshio::toString(format));
      QCOMPARE(popup.formatRow(format)->labelText(), "Mesh format: " + name);
      const QString tip = format == meshio::OSGB || format == meshio::Tiles3D
                              ? "Export mesh with level of detail to " + name + " format."
                              : "Export mesh to " + name + " format.";
      QVERIFY2(popup.formatRow(format)->toolTip().contains(tip), qPrintable(popup.formatRow(format)->toolTip()));
      QCOMPARE(popup.textureRow(format)->comboBox()->count(), int(meshio::getValidTextureFormats(format).size()));
      QVERIFY(popup.formatRow(format)->minimumWidth() >= 500);
    }
    QComboBox* osgb = popup.textureRow(meshio::OSGB)->comboBox();
    QCOMPARE(osgb->itemText(3), QString("jpg & dds"));
    QCOMPARE(osgb->currentText(), QString("jpg & dds"));  // the project's choice, as the list names it
    QVERIFY(popup.textureRow(meshio::OSGB)->isEnabled());
    // A format that is not written shows no texture format and cannot take one.
    QVERIFY(!popup.textureRow(meshio::OBJ)->isEnabled());
    QCOMPARE(popup.textureRow(meshio::OBJ)->comboBox()->currentIndex(), -1);
  }

  void checkingAFormatEnablesItsTextureList() {
    TexturedMeshFormatPopup popup(m_project);
    popup.formatRow(meshio::OBJ)->checkBox()->click();
    QVERIFY(popup.workingCopy().isMeshFormatWritten(meshio::OBJ));
    QVERIFY(popup.textureRow(meshio::OBJ)->isEnabled());
    QCOMPARE(popup.textureRow(meshio::OBJ)->comboBox()->currentText(), QString("jpg"));
    popup.textureRow(meshio::OBJ)->comboBox()->setCurrentText("tif");
    QCOMPARE(int(popup.workingCopy().textureFormat(meshio::OBJ)), int(meshio::TIF));
    QVERIFY(!m_project->isMeshFormatWritten(meshio::OBJ));  // only the working copy so far

    popup.slot_apply();
    QCOMPARE(popup.result(), int(QDialog::Accepted));
    QVERIFY(m_project->isMeshFormatWritten(meshio::OBJ));
    QCOMPARE(int(m_project->textureFormat(meshio::OBJ)), int(meshio::TIF));
    QCOMPARE(int(m_project->textureFormat(meshio::OSGB)), int(meshio::JPG_DDS));
    // The new output makes the mesh steps run again.
    QCOMPARE(m_project->stepStatus(vx::steps::Mesh), int(vx::steps::NotStarted));
    QCOMPARE(m_project->stepStatus(vx::steps::Analysis), int(vx::steps::Done));
  }

  void aDisabledTextureListStoresNothing() {
    TexturedMeshFormatPopup popup(m_project);
    popup.formatRow(meshio::OSGB)->checkBox()->click();  // OSGB no longer written
    QVERIFY(!popup.textureRow(meshio::OSGB)->isEnabled());
    QCOMPARE(popup.textureRow(meshio::OSGB)->comboBox()->currentIndex(), -1);
    popup.textureRow(meshio::OSGB)->comboBox()->setCurrentText("png");
    QCOMPARE(int(popup.workingCopy().textureFormat(meshio::OSGB)), int(meshio::JPG_DDS));
    popup.slot_apply();
    QVERIFY(!m_project->isMeshFormatWritten(meshio::OSGB));
    QCOMPARE(int(m_project->textureFormat(meshio::OSGB)), int(meshio::JPG_DDS));
  }

  void cancelLeavesTheProjectExactlyAsItWas() {
    const QByteArray before = projectText(*m_project);
    TexturedMeshFormatPopup popup(m_project);
    popup.formatRow(meshio::PLY)->checkBox()->click();
    popup.textureRow(meshio::PLY)->comboBox()->setCurrentText("png");
    popup.formatRow(meshio::OSGB)->checkBox()->click();
    popup.slot_cancel();
    QCOMPARE(popup.result(), int(QDialog::Rejected));
    QCOMPARE(projectText(*m_project), before);
  }

  void labelsAndFormatsConvertBothWays() {
    for (int value = 0; value < meshio::kTextureFileFormatCount; ++value) {
      const auto texture = meshio::TextureFileFormat(value);
      QCOMPARE(int(TexturedMeshFormatPopup::textureOfLabel(TexturedMeshFormatPopup::textureLabel(texture))), value);
    }
  }

 private:
  std::shared_ptr<vx::VEXAProject> m_project;
};

QTEST_MAIN(TexturedMeshFormatPopupTest)
#include "TexturedMeshFormatPopupTest.moc"
