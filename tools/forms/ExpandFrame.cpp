#include "tools/forms/ExpandFrame.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QToolButton>
#include <QVBoxLayout>

ExpandFrame::ExpandFrame(const QString& title, QWidget* parent)
    : QFrame(parent),
      m_title(new QLabel(title, this)),
      m_button(new QToolButton(this)),
      m_content(new QWidget(this)),
      m_contentLayout(new QVBoxLayout(m_content)) {
  m_title->setObjectName(QStringLiteral("labelTitle"));
  m_button->setObjectName(QStringLiteral("buttonExpand"));
  m_button->setIcon(QIcon(QStringLiteral(":/img/images/Down.png")));
  m_button->setCheckable(true);
  m_button->setChecked(false);
  m_contentLayout->setContentsMargins(0, 0, 0, 0);
  m_contentLayout->setSpacing(0);

  auto* header = new QHBoxLayout;
  header->addWidget(m_button);
  header->addWidget(m_title, 1);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addLayout(header);
  layout->addWidget(m_content);

  connect(m_button, &QToolButton::clicked, this, &ExpandFrame::slot_expand);
  slot_expand(false);
}

QString ExpandFrame::title() const { return m_title->text(); }

void ExpandFrame::addRow(QWidget* row) { m_contentLayout->addWidget(row); }

bool ExpandFrame::isExpanded() const { return !m_content->isHidden(); }

void ExpandFrame::slot_expand(bool shown) {
  m_content->setHidden(!shown);
  m_button->setChecked(shown);
}
