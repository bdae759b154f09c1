#include "dialogs/VexaDialog.h"

#include <QGridLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

qVexaDialog::qVexaDialog(QWidget* parent, const QString& heading, const QString& message)
    : QDialog(parent) {
  setWindowTitle(QStringLiteral("VEXA"));
  setWindowIcon(QIcon(QStringLiteral(":/img/images/vexa.ico")));

  auto* body = new QWidget(this);
  body->setSizePolicy(QSizePolicy::MinimumExpanding, QSizePolicy::MinimumExpanding);
  auto* grid = new QGridLayout(body);

  auto* headingLabel = new QLabel(heading, body);
  headingLabel->setObjectName(QStringLiteral("labelHeading"));
  headingLabel->setFont(QFont(QStringLiteral("Arial"), 14));
  grid->addWidget(headingLabel, 0, 0, 1, 1, Qt::AlignTop);

  auto* logo = new QLabel(body);
  logo->setObjectName(QStringLiteral("labelLogo"));
  logo->setPixmap(QPixmap(QStringLiteral(":/img/images/VEXA300.png"))
                      .scaledToHeight(60, Qt::SmoothTransformation));
  grid->addWidget(logo, 0, 2, 1, 1, Qt::AlignTop | Qt::AlignRight);

  auto* messageLabel = new QLabel(message, body);
  messageLabel->setObjectName(QStringLiteral("labelMessage"));
  messageLabel->setWordWrap(true);
  messageLabel->setSizePolicy(QSizePolicy::MinimumExpanding, QSizePolicy::MinimumExpanding);
  grid->addWidget(messageLabel, 1, 0, 4, 3, Qt::AlignTop | Qt::AlignLeft);

  m_buttonLeft = new QPushButton(QStringLiteral("Cancel"), body);
  m_buttonLeft->setObjectName(QStringLiteral("button_left"));
  grid->addWidget(m_buttonLeft, 6, 1, 1, 1, Qt::AlignBottom | Qt::AlignRight);

  auto* buttonRight = new QPushButton(QStringLiteral("Ok"), body);
  buttonRight->setObjectName(QStringLiteral("button_right"));
  grid->addWidget(buttonRight, 6, 2, 1, 1, Qt::AlignBottom | Qt::AlignLeft);

  auto* outer = new QVBoxLayout(this);
  outer->addWidget(body);

  connect(m_buttonLeft, &QPushButton::clicked, this, &qVexaDialog::on_button_left);
  connect(buttonRight, &QPushButton::clicked, this, &qVexaDialog::on_button_right);
}

bool qVexaDialog::on_button_left() {
  close();
  return true;
}

bool qVexaDialog::on_button_right() {
  close();
  return true;
}

qVexaInfoDialog::qVexaInfoDialog(QWidget* parent, const QString& message)
    : qVexaDialog(parent, QStringLiteral("Info"), message) {
  leftButton()->hide();
}

qVexaErrorDialog::qVexaErrorDialog(QWidget* parent, const QString& message)
    : qVexaDialog(parent, QStringLiteral("Error"), message) {
  leftButton()->hide();
}
