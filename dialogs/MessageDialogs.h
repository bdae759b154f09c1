#pragma once

#include <QMessageBox>
#include <QString>

#include <memory>

// Every message of the editor goes through these functions so that all of them look alike:
// parentless boxes titled "VEXA" that stay on top of all windows and run modally.
//
// The make... functions build the configured box without showing it; the others show it with
// exec() and return as documented.
namespace qvx {

std::unique_ptr<QMessageBox> makeMessageBox(QMessageBox::Icon icon, const QString& text);
std::unique_ptr<QMessageBox> makeCriticalBox(const QString& text);
std::unique_ptr<QMessageBox> makeInformationBox(const QString& text);
std::unique_ptr<QMessageBox> makeWarningBox(const QString& text);
std::unique_ptr<QMessageBox> makeConfirmationBox(const QString& text);
std::unique_ptr<QMessageBox> makeOkCancelQuestion(const QString& text);
std::unique_ptr<QMessageBox> makeYesNoQuestion(const QString& text);
std::unique_ptr<QMessageBox> makeSaveQuestion(const QString& text);
std::unique_ptr<QMessageBox> makeShortcutBox(const QString& text);
// A warning box with the check box "Don't show this again" (object name
// "checkBoxDontShowAgain") in cell (1, 2) of its grid layout.
std::unique_ptr<QMessageBox> makeSilenceableWarning(const QString& text);

int criticalBox(const QString& text);     // 0
int informationBox(const QString& text);  // 0
int warningBox(const QString& text);      // 0
bool confirmationBox(const QString& text);  // true when Ok was pressed
QMessageBox::StandardButton okCancelQuestion(const QString& text);
QMessageBox::StandardButton yesNoQuestion(const QString& text);
QMessageBox::StandardButton saveQuestion(const QString& text);
int shortcutBox(const QString& text);  // 0
// -1 without showing anything when `dialogId` is silenced (isDialogIgnored);
// otherwise shows the box, silences the identifier if the check box is ticked when the box
// closes, and returns 0.
int silenceableWarning(const QString& text, quint32 dialogId);
// Warnings the user asked not to see again; the init file keeps the list between runs.
bool isDialogIgnored(quint32 dialogId);
void ignoreDialog(quint32 dialogId);
QList<quint32> ignoredDialogs();

// An information box that closes itself after `milliseconds`.
void timedInformation(const QString& text, int milliseconds);

// In an unattended run nobody can answer a box, and a box would stop the run for good: every
// message then goes to standard error instead, and every question is declined (Cancel, No).
void setUnattended(bool unattended);
bool isUnattended();

}  // namespace qvx
