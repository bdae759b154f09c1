#include "tools/forms/ConfigurableCtrlFormWidget.h"

#include <QHBoxLayout>
#include <QToolButton>

#include "tools/forms/CtrlParameter.h"

ConfigurableCtrlFormWidget::ConfigurableCtrlFormWidget(CtrlParameter* row, QWidget* parent)
    : QFrame(parent), m_row(row), m_button(new QToolButton(this)) {
  m_row->setParent(this);
  m_row->setFrameShape(QFrame::NoFrame);
  m_button->setObjectName(QStringLiteral("buttonConfigure"));
  m_button->setIcon(QIcon(QStringLiteral(":/img/images/Configure.png")));
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(m_row, 1);
  layout->addWidget(m_button);
  connect(m_button, &QToolButton::clicked, this, &ConfigurableCtrlFormWidget::signal_configurePressed);
}

void ConfigurableCtrlFormWidget::slot_applyEnabledCondition() { m_row->applyEnabledCondition(); }
