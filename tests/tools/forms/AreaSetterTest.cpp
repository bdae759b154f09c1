#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include "ModalAnswer.h"
#include "dialogs/MessageDialogs.h"
#include "tools/forms/AreaSetter.h"
#include "tools/forms/AreaSetterPopUp.h"
#include "tools/forms/AreaSetterSpinBox.h"
#include "vx/VEXAProject.h"

using modalanswer::whenModal;

namespace {

// Answers the next area pop-up: keeps its title, types the values and presses Ok, or Cancel
// when `accept` is false.
void answerPopup(bool accept, double min = 0, double max = 0, QString* title = nullptr) {
  whenModal([=](QWidget* modal) {
    auto* popup = qobject_cast<AreaSetterPopUp*>(modal);
    if (!popup) qFatal("the modal window is no area pop-up");
    if (title) {
      const auto* label = popup->findChild<QLabel*>("labelTitle");
      *title = label ? label->text() : QString();
    }
    popup->minBox()->setValue(min);
    popup->maxBox()->setValue(max);
    if (accept) {
      popup->slot_okClicked();
    } else {
      popup->slot_cancelClicked();
    }
  });
}

}  // namespace

class AreaSetterTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { qvx::setUnattended(true); }

  void init() {
    m_project = std::make_shared<vx::VEXAProject>();
    m_project->setArea({{100, 200, 5}}, {{300, 400, 50}});
    m_project->setAxisRange(0, 110, 120);
    m_setter = std::make_unique<AreaSetter>();
    m_setter->setProject(m_project);
    m_setter->show();
  }

  void loadsRangesAndAutomaticFlags() {
    QCOMPARE(m_setter->minBox(0)->value(), 110.0);
    QCOMPARE(m_setter->maxBox(1)->value(), 400.0);
    QCOMPARE(m_setter->minBox(2)->value(), 5.0);
    QVERIFY(!m_setter->autoButton(0)->isChecked() && m_setter->editButton(0)->isEnabled());
    QVERIFY(m_setter->autoButton(1)->isChecked() && !m_setter->editButton(1)->isEnabled());
    QCOMPARE(m_setter->minBox(0)->decimals(), 6);
    QCOMPARE(m_setter->minBox(0)->minimum(), -1e8);
  }

  void switchingToManualWritesOnlyManualAxes() {
    QSignalSpy modified(m_setter.get(), &AreaSetter::signal_modified);
    QString title;
    answerPopup(true, 210, 220.5, &title);
    m_setter->autoButton(1)->click();
    QCOMPARE(title, QString("Set min and max for Y"));
    QVERIFY(!m_project->isAxisAuto(1));
    QCOMPARE(m_project->axisRange(1), std::make_pair(210.0, 220.5));
    QCOMPARE(m_project->axisRange(0), std::make_pair(110.0, 120.0));
    QVERIFY(m_project->isAxisAuto(2));
    QCOMPARE(m_project->axisRange(2), std::make_pair(5.0, 50.0));
    QVERIFY(m_setter->editButton(1)->isEnabled());
    QCOMPARE(modified.count(), 1);
    QCOMPARE(modified.first().first().toBool(), true);
  }

  void cancellingThePopupReturnsToAuto() {
    QSignalSpy modified(m_setter.get(), &AreaSetter::signal_modified);
    m_project->setStepStatus(vx::steps::Analysis, vx::steps::Done);
    answerPopup(false, 1, 2);
    m_setter->autoButton(2)->click();
    QVERIFY(m_setter->autoButton(2)->isChecked());
    QVERIFY(!m_setter->editButton(2)->isEnabled());
    QVERIFY(m_project->isAxisAuto(2));
    QCOMPARE(m_project->axisRange(2), std::make_pair(5.0, 50.0));
    QCOMPARE(m_project->stepStatus(vx::steps::Analysis), int(vx::steps::Done));  // nothing changed
    QCOMPARE(modified.count(), 0);
  }

  void switchingToAutoHandsTheAxisToTheProject() {
    m_setter->autoButton(0)->click();
    QVERIFY(m_project->isAxisAuto(0));
    QVERIFY(!m_setter->editButton(0)->isEnabled());
    // The editor shows what the project holds for the axis, not the -1 placeholders.
    QCOMPARE(m_setter->minBox(0)->value(), m_project->axisRange(0).first);
  }

  void editChangesAManualAxisWithoutTitle() {
    QString title = "unset";
    answerPopup(true, 115, 125, &title);
    m_setter->editButton(0)->click();
    QVERIFY(title.isEmpty());
    QCOMPARE(m_project->axisRange(0), std::make_pair(115.0, 125.0));
    QCOMPARE(m_setter->maxBox(0)->value(), 125.0);
  }

  void aRefusedRangeKeepsTheProjectsValues() {
    answerPopup(true, 130, 125);  // minimum above maximum: the error goes to standard error
    m_setter->editButton(0)->click();
    QCOMPARE(m_project->axisRange(0), std::make_pair(110.0, 120.0));
    QCOMPARE(m_setter->minBox(0)->value(), 110.0);
  }

  void cleanup() { m_setter.reset(); }

 private:
  std::shared_ptr<vx::VEXAProject> m_project;
  std::unique_ptr<AreaSetter> m_setter;
};

QTEST_MAIN(AreaSetterTest)
#include "AreaSetterTest.moc"
