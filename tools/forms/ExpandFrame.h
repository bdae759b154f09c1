#pragma once

#include <QFrame>

class QLabel;
class QToolButton;
class QVBoxLayout;

// A collapsible section of a form: a title with an arrow button above the section's rows.
class ExpandFrame : public QFrame {
  Q_OBJECT

 public:
  explicit ExpandFrame(const QString& title, QWidget* parent = nullptr);

  QString title() const;
  void addRow(QWidget* row);
  bool isExpanded() const;
  QToolButton* expandButton() const { return m_button; }

 public slots:
  void slot_expand(bool shown);

 private:
  QLabel* m_title;
  QToolButton* m_button;
  QWidget* m_content;
  QVBoxLayout* m_contentLayout;
};
