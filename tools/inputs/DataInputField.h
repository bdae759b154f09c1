#pragma once

#include <QFrame>
#include <QString>
#include <QStringList>

class QLabel;
class QLineEdit;
class QToolButton;

namespace qvx {
namespace tool {

// A labelled path field of a tool window with a "..." button that browses for a file. A required
// field accepts only paths that exist; an optional one accepts any path, the empty one too. The
// field's tool tip titles the browse dialog.
class DataInputField : public QFrame {
  Q_OBJECT

 public:
  DataInputField(const QString& label, bool optional = false, const QStringList& filter = {},
                 QWidget* parent = nullptr);

  // The line edit's text, trimmed.
  QString value() const;
  bool isOptional() const { return optional_; }
  void setLabel(const QString& label);
  // The result of the last validation.
  bool isValid() const { return valid_; }
  // A sub-folder name appended to every path set (folder fields; normally empty).
  void setName(const QString& name) { name_ = name; }
  const QString& name() const { return name_; }
  // The folder of the last accepted path, where browsing starts when the field is empty.
  const QString& lastFolder() const { return lastFolder_; }
  const QString& initialValue() const { return initialValue_; }
  // The width the label needs, and the width it gets: fields stacked in a window share one, so
  // that their paths start in one column.
  int labelWidthHint() const;
  void setLabelWidth(int width);

  // Shows `path` when it is an existing file or folder, or the field is optional; anything else is
  // ignored. A path that already ends in the name gets it only once, so validating again keeps it.
  void setData(const QString& path);
  // Validates, and throws std::runtime_error("Input in datafield not valid") when the field is
  // not valid. A disabled field is no input of the run and always passes.
  void validateForRun();

 signals:
  // The last folder, whenever a path was accepted: other fields start browsing there.
  void signal_setData(QString data);

 public slots:
  // Paints the validity and puts the text into the tool tip of the line edit.
  void uiUpdate();
  virtual void slot_open();
  void slot_setData(QString data) { setData(data); }
  // Where browsing starts while the field is empty and has no last folder yet.
  void slot_initialValue(QString initialData) { initialValue_ = initialData; }
  void slot_enable() { setEnabled(true); }
  void slot_disable() { setEnabled(false); }
  // Drops a leading "file:///"; a required field whose path does not exist turns red.
  void slot_validate();

 protected:
  // Where the browse dialog opens: the current path's folder, else the last folder, else the
  // initial value.
  QString browseStart() const;
  // Sets what the browse dialog returned, when it returned anything.
  void takeChosen(const QString& chosen);
  const QStringList& filter() const { return filter_; }

 private:
  QLabel* label_;
  QLineEdit* edit_;
  QToolButton* button_;
  const bool optional_;
  const QStringList filter_;
  bool valid_ = true;
  QString name_;
  QString lastFolder_;
  QString initialValue_;
};

// Gives the fields' labels the width of the widest.
void alignLabels(const QList<DataInputField*>& fields);

}  // namespace tool
}  // namespace qvx
