#pragma once

#include <QFrame>
#include <QString>

#include <functional>

#include "tools/forms/FormSetting.h"
#include "tools/forms/ValueBinding.h"

class QAbstractSpinBox;
class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QSpinBox;
class QToolButton;

// One parameter row: a label on the left and an editor on the right, bound to a value through a
// ValueBinding. Subclasses add the editor and read or write it; the base keeps the enabled
// condition, the visibility flags and the guard that turns a throwing setter into a message.
class CtrlParameter : public QFrame {
  Q_OBJECT

 public:
  CtrlParameter(const QString& label, const QString& toolTip, QWidget* parent = nullptr);

  QString labelText() const;

  // The row is enabled while `condition() == expected`; setting a condition refreshes the row.
  void setEnabledCondition(std::function<bool()> condition);
  void setEnabledCondition(const bool* condition);
  void setExpectedConditionValue(bool expected);

  void setHiddenIn(FormSetting setting, bool hidden = true);
  bool isHiddenIn(FormSetting setting) const;

 signals:
  void signal_modified();
  void signal_user_modified();

 public slots:
  // 0: white, 1: light grey; rows of a form alternate.
  virtual void setRowStyle(int style);
  virtual void hideParameter(bool hide);
  // Ends an edit still being typed in the row, so that its value is committed.
  virtual void finishEditing();
  // Writes the editor's value through the binding; byUser also emits signal_user_modified.
  virtual void commitFromUi(bool byUser) = 0;
  virtual void loadIntoUi() = 0;
  virtual void applyEnabledCondition();

  void slot_uiChanged() { commitFromUi(false); }
  void slot_uiChangedUser() { commitFromUi(true); }
  // Reloads the editor and re-evaluates the enabled condition.
  void slot_updateUi();

 protected:
  void addEditor(QWidget* editor, int stretch = 1);

  // Runs `store`; when it throws, shows "Error: " and the reason (or `fallbackError` for anything
  // that is not a std::exception) and reloads the row, so that it shows what the value really is.
  // Returns whether the value was stored.
  bool storeGuarded(const std::function<void()>& store,
                    const QString& fallbackError = QStringLiteral("Error: Invalid parameter input."));
  template <typename T>
  void commitValue(const ValueBinding<T>& binding, const T& value, bool byUser) {
    if (storeGuarded([&] { binding.set(value); })) emitModified(byUser);
  }
  void emitModified(bool byUser);

 private:
  QLabel* m_label;
  QHBoxLayout* m_layout;
  std::function<bool()> m_condition;
  bool m_expected = true;
  int m_hiddenIn = 0;  // bit per FormSetting
  // A message box shown from a commit takes the focus, and losing it finishes the edit again.
  bool m_storing = false;
};

class CtrlParameterCheckBox : public CtrlParameter {
  Q_OBJECT

 public:
  CtrlParameterCheckBox(const QString& label, const QString& toolTip, ValueBinding<bool> binding,
                        QWidget* parent = nullptr);
  QCheckBox* checkBox() const { return m_box; }

  void commitFromUi(bool byUser) override;
  void loadIntoUi() override;

 private:
  ValueBinding<bool> m_binding;
  QCheckBox* m_box;
};

class CtrlParameterInt : public CtrlParameter {
  Q_OBJECT

 public:
  CtrlParameterInt(const QString& label, const QString& toolTip, ValueBinding<int> binding,
                   QWidget* parent = nullptr);
  QSpinBox* spinBox() const { return m_spin; }

  void commitFromUi(bool byUser) override;
  void loadIntoUi() override;

 private:
  ValueBinding<int> m_binding;
  QSpinBox* m_spin;
};

class CtrlParameterDouble : public CtrlParameter {
  Q_OBJECT

 public:
  CtrlParameterDouble(const QString& label, const QString& toolTip, ValueBinding<double> binding,
                      QWidget* parent = nullptr);
  QDoubleSpinBox* spinBox() const { return m_spin; }

  void commitFromUi(bool byUser) override;
  void loadIntoUi() override;

 private:
  ValueBinding<double> m_binding;
  QDoubleSpinBox* m_spin;
};

// A value that the project either chooses itself ("auto") or takes from the operator ("manual").
template <typename T>
struct AutoManualBinding {
  std::function<bool()> isAuto;
  std::function<void(bool)> setAuto;
  std::function<T()> value;
  std::function<void(const T&)> setValue;
};

// The combo box "auto"/"manual" beside a spin box that is enabled only in "manual".
class CtrlParameterAutoManual : public CtrlParameter {
  Q_OBJECT

 public:
  QComboBox* modeBox() const { return m_mode; }

  void loadIntoUi() override;

 protected:
  CtrlParameterAutoManual(const QString& label, const QString& toolTip, QWidget* parent);
  // Called by the subclass once its spin box exists.
  void setSpinBox(QAbstractSpinBox* spin);
  bool isAutoChosen() const;
  virtual bool loadMode() = 0;  // loads the spin box, returns whether the project is in "auto"

 private:
  QComboBox* m_mode;
  QAbstractSpinBox* m_spin = nullptr;
};

class CtrlParameterAutoManualInt : public CtrlParameterAutoManual {
  Q_OBJECT

 public:
  CtrlParameterAutoManualInt(const QString& label, const QString& toolTip, int minimum, int maximum,
                             AutoManualBinding<int> binding, QWidget* parent = nullptr);
  QSpinBox* spinBox() const { return m_spin; }

  void commitFromUi(bool byUser) override;

 protected:
  bool loadMode() override;

 private:
  AutoManualBinding<int> m_binding;
  QSpinBox* m_spin;
};

class CtrlParameterAutoManualDouble : public CtrlParameterAutoManual {
  Q_OBJECT

 public:
  CtrlParameterAutoManualDouble(const QString& label, const QString& toolTip, double minimum, double maximum,
                                AutoManualBinding<double> binding, QWidget* parent = nullptr);
  QDoubleSpinBox* spinBox() const { return m_spin; }

  void commitFromUi(bool byUser) override;

 protected:
  bool loadMode() override;

 private:
  AutoManualBinding<double> m_binding;
  QDoubleSpinBox* m_spin;
};

// A path to an existing file, typed or chosen; an empty path clears the setting.
class CtrlParameterFile : public CtrlParameter {
  Q_OBJECT

 public:
  // Asks for a file: (parent, title, start, filter) -> chosen path or empty.
  using FileChooser = std::function<QString(QWidget*, const QString&, const QString&, const QString&)>;

  CtrlParameterFile(const QString& label, const QString& toolTip, const QString& filter,
                    ValueBinding<QString> binding, QWidget* parent = nullptr);
  QLineEdit* lineEdit() const { return m_edit; }
  QToolButton* browseButton() const { return m_browse; }
  void setFileChooser(FileChooser chooser) { m_chooser = std::move(chooser); }

  void commitFromUi(bool byUser) override;
  void loadIntoUi() override;

 public slots:
  void slot_browse();

 private:
  ValueBinding<QString> m_binding;
  QString m_filter;
  QLineEdit* m_edit;
  QToolButton* m_browse;
  FileChooser m_chooser;
};

class CtrlParameterStringFromList : public CtrlParameter {
  Q_OBJECT

 public:
  CtrlParameterStringFromList(const QString& label, const QString& toolTip, const QStringList& allowed,
                              ValueBinding<QString> binding, QWidget* parent = nullptr);
  QComboBox* comboBox() const { return m_box; }

  void commitFromUi(bool byUser) override;
  void loadIntoUi() override;

 private:
  ValueBinding<QString> m_binding;
  QComboBox* m_box;
};

class CtrlParameterStringArbitrary : public CtrlParameter {
  Q_OBJECT

 public:
  CtrlParameterStringArbitrary(const QString& label, const QString& toolTip, ValueBinding<QString> binding,
                               bool readOnly = false, QWidget* parent = nullptr);
  QLineEdit* lineEdit() const { return m_edit; }

  void commitFromUi(bool byUser) override;
  void loadIntoUi() override;

 private:
  ValueBinding<QString> m_binding;
  QLineEdit* m_edit;
};

// Text only, no value.
class CtrlParameterLabel : public CtrlParameter {
  Q_OBJECT

 public:
  CtrlParameterLabel(const QString& label, const QString& toolTip, QWidget* parent = nullptr);

  void commitFromUi(bool) override {}
  void loadIntoUi() override {}
};

// A row around any widget, for entries of a form that are not parameters themselves.
class CtrlParameterWrapper : public CtrlParameter {
  Q_OBJECT

 public:
  CtrlParameterWrapper(const QString& label, const QString& toolTip, QWidget* widget, QWidget* parent = nullptr);
  QWidget* widget() const { return m_widget; }

  void commitFromUi(bool) override {}
  void loadIntoUi() override {}

 private:
  QWidget* m_widget;
};
