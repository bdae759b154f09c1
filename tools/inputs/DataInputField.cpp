#include "tools/inputs/DataInputField.h"

#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>

#include <algorithm>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

#include <stdexcept>

#include "dialogs/OmniDialog.h"
#include "tools/inputs/FieldPath.h"

namespace qvx {
namespace tool {

namespace {

const QColor kInvalidBackground(255, 0, 0, 40);
const QColor kValidBackground(255, 255, 255, 255);

}  // namespace

DataInputField::DataInputField(const QString& label, bool optional, const QStringList& filter, QWidget* parent)
    : QFrame(parent),
      label_(new QLabel(label, this)),
      edit_(new QLineEdit(this)),
      button_(new QToolButton(this)),
      optional_(optional),
      filter_(filter) {
  label_->setObjectName(QStringLiteral("labelName"));
  label_->setMinimumWidth(100);
  label_->setMaximumWidth(300);
  label_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  edit_->setObjectName(QStringLiteral("lineEditData"));
  edit_->setMaximumHeight(30);
  button_->setObjectName(QStringLiteral("buttonOpen"));
  button_->setText(QStringLiteral("..."));

  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(label_);
  layout->addWidget(edit_, 1);
  layout->addWidget(button_);

  connect(edit_, &QLineEdit::editingFinished, this, &DataInputField::slot_validate);
  connect(button_, &QToolButton::clicked, this, &DataInputField::slot_open);
  uiUpdate();
}

QString DataInputField::value() const { return edit_->text().trimmed(); }

void DataInputField::setData(const QString& path) {
  const QFileInfo info(path);
  if (!info.isDir() && !info.isFile() && !optional_) return;
  const bool hasName = !name_.isEmpty() && !path.isEmpty() && QFileInfo(QDir::cleanPath(path)).fileName() != name_;
  const QString text = hasName ? QDir::cleanPath(path + QLatin1Char('/') + name_) : path;
  edit_->setText(text);
  edit_->setCursorPosition(text.size());
  const QString folder = folderOfPath(text);
  if (!path.isEmpty() && (QFileInfo(folder).isDir() || optional_)) lastFolder_ = folder;
  uiUpdate();
  emit signal_setData(lastFolder_);
}

void DataInputField::validateForRun() {
  if (!isEnabled()) return;
  slot_validate();
  if (!valid_) throw std::runtime_error("Input in datafield not valid");
}

void DataInputField::uiUpdate() {
  QPalette palette = edit_->palette();
  palette.setColor(QPalette::Base, valid_ ? kValidBackground : kInvalidBackground);
  edit_->setPalette(palette);
  edit_->setToolTip(edit_->text());
}

void DataInputField::slot_validate() {
  const QString path = fieldPath(edit_->text());
  valid_ = optional_ || QFileInfo::exists(path);
  if (valid_) {
    setData(path);
  } else {
    uiUpdate();
  }
}

void DataInputField::slot_open() {
  omniDialog dialog(browseStart(), toolTip(), filter_, this);
  dialog.exec();
  takeChosen(dialog.text());
}

QString DataInputField::browseStart() const {
  const QString current = fieldPath(value());
  if (!current.isEmpty() && QFileInfo::exists(current)) return folderOfPath(current);
  return lastFolder_.isEmpty() ? initialValue_ : lastFolder_;
}

void DataInputField::takeChosen(const QString& chosen) {
  if (chosen.isEmpty() || (!optional_ && !QFileInfo::exists(chosen))) return;
  // Validating sets the path and paints the field in one go.
  edit_->setText(chosen);
  slot_validate();
}

int DataInputField::labelWidthHint() const {
  return std::clamp(label_->sizeHint().width(), label_->minimumWidth(), label_->maximumWidth());
}

void DataInputField::setLabelWidth(int width) { label_->setFixedWidth(width); }

void DataInputField::setLabel(const QString& label) { label_->setText(label); }

void alignLabels(const QList<DataInputField*>& fields) {
  int widest = 0;
  for (const DataInputField* field : fields) widest = std::max(widest, field->labelWidthHint());
  for (DataInputField* field : fields) field->setLabelWidth(widest);
}

}  // namespace tool
}  // namespace qvx
