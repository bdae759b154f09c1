#include "dialogs/MessageDialogs.h"


#include <QCheckBox>
#include <QTimer>

#include <iostream>
#include <QGridLayout>

namespace qvx {

std::unique_ptr<QMessageBox> makeMessageBox(QMessageBox::Icon icon, const QString& text) {
  // No parent: a box must be able to appear before the main window exists.
  auto box = std::make_unique<QMessageBox>();
  box->setWindowTitle(QStringLiteral("VEXA"));
  box->setIcon(icon);
  box->setText(text);
  box->setWindowFlags(box->windowFlags() | Qt::WindowStaysOnTopHint);
  return box;
}

std::unique_ptr<QMessageBox> makeCriticalBox(const QString& text) {
  return makeMessageBox(QMessageBox::Critical, text);
}

std::unique_ptr<QMessageBox> makeInformationBox(const QString& text) {
  return makeMessageBox(QMessageBox::Information, text);
}

std::unique_ptr<QMessageBox> makeWarningBox(const QString& text) {
  return makeMessageBox(QMessageBox::Warning, text);
}

std::unique_ptr<QMessageBox> makeConfirmationBox(const QString& text) { return makeOkCancelQuestion(text); }

std::unique_ptr<QMessageBox> makeOkCancelQuestion(const QString& text) {
  auto box = makeMessageBox(QMessageBox::Question, text);
  box->setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
  return box;
}

std::unique_ptr<QMessageBox> makeYesNoQuestion(const QString& text) {
  auto box = makeMessageBox(QMessageBox::Question, text);
  box->setStandardButtons(QMessageBox::Yes | QMessageBox::No);
  return box;
}

std::unique_ptr<QMessageBox> makeSaveQuestion(const QString& text) {
  auto box = makeMessageBox(QMessageBox::Question, text);
  box->setStandardButtons(QMessageBox::Save | QMessageBox::Cancel | QMessageBox::Reset);
  return box;
}

std::unique_ptr<QMessageBox> makeShortcutBox(const QString& text) {
  auto box = makeMessageBox(QMessageBox::NoIcon, text);
  box->setWindowTitle(QStringLiteral("VEXA Shortcuts"));
  box->setStyleSheet(QStringLiteral("QLabel{min-width: %1}").arg(box->width()));
  return box;
}

std::unique_ptr<QMessageBox> makeSilenceableWarning(const QString& text) {
  auto box = makeMessageBox(QMessageBox::Warning, text);
  auto* dontShowAgain = new QCheckBox(QStringLiteral("Don't show this again"), box.get());
  dontShowAgain->setObjectName(QStringLiteral("checkBoxDontShowAgain"));
  static_cast<QGridLayout*>(box->layout())->addWidget(dontShowAgain, 1, 2);
  return box;
}

namespace {

bool unattendedRun = false;

// True when the box must not be shown; the text then goes to standard error.
bool printedInstead(const QString& text) {
  if (!unattendedRun) return false;
  std::cerr << "VEXA: " << text.toStdString() << std::endl;
  return true;
}

}  // namespace

void setUnattended(bool unattended) { unattendedRun = unattended; }

bool isUnattended() { return unattendedRun; }

void timedInformation(const QString& text, int milliseconds) {
  if (printedInstead(text)) return;
  auto box = makeInformationBox(text);
  QTimer::singleShot(milliseconds, box.get(), &QMessageBox::accept);
  box->exec();
}

int criticalBox(const QString& text) {
  if (printedInstead(text)) return 0;
  makeCriticalBox(text)->exec();
  return 0;
}

int informationBox(const QString& text) {
  if (printedInstead(text)) return 0;
  makeInformationBox(text)->exec();
  return 0;
}

int warningBox(const QString& text) {
  if (printedInstead(text)) return 0;
  makeWarningBox(text)->exec();
  return 0;
}

bool confirmationBox(const QString& text) {
  if (printedInstead(text)) return false;
  return makeConfirmationBox(text)->exec() == QMessageBox::Ok;
}

QMessageBox::StandardButton okCancelQuestion(const QString& text) {
  if (printedInstead(text)) return QMessageBox::Cancel;
  return QMessageBox::StandardButton(makeOkCancelQuestion(text)->exec());
}

QMessageBox::StandardButton yesNoQuestion(const QString& text) {
  if (printedInstead(text)) return QMessageBox::No;
  return QMessageBox::StandardButton(makeYesNoQuestion(text)->exec());
}

QMessageBox::StandardButton saveQuestion(const QString& text) {
  if (printedInstead(text)) return QMessageBox::Cancel;
  return QMessageBox::StandardButton(makeSaveQuestion(text)->exec());
}

int shortcutBox(const QString& text) {
  if (printedInstead(text)) return 0;
  makeShortcutBox(text)->exec();
  return 0;
}

namespace {
QList<quint32> g_ignoredDialogs;
}  // namespace

bool isDialogIgnored(quint32 dialogId) { return g_ignoredDialogs.contains(dialogId); }

void ignoreDialog(quint32 dialogId) {
  if (!g_ignoredDialogs.contains(dialogId)) g_ignoredDialogs.append(dialogId);
}

QList<quint32> ignoredDialogs() { return g_ignoredDialogs; }

int silenceableWarning(const QString& text, quint32 dialogId) {
  if (isDialogIgnored(dialogId)) return -1;
  if (printedInstead(text)) return 0;
  auto box = makeSilenceableWarning(text);
  box->exec();
  if (box->findChild<QCheckBox*>(QStringLiteral("checkBoxDontShowAgain"))->isChecked())
    ignoreDialog(dialogId);
  return 0;
}

}  // namespace qvx
