#include "tools/run/BusyScreen.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QLabel>
#include <QMovie>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
constexpr int kAnimationSide = 120;
}

BusyScreen::BusyScreen(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("VEXA"));
  setWindowFlags(windowFlags() | Qt::WindowStaysOnTopHint);
  setWindowModality(Qt::ApplicationModal);

  auto* working = new QLabel(QStringLiteral("VEXA is working..."), this);
  working->setObjectName(QStringLiteral("labelWorking"));
  working->setAlignment(Qt::AlignCenter);

  auto* animationLabel = new QLabel(this);
  animationLabel->setObjectName(QStringLiteral("labelAnimation"));
  animationLabel->setFixedSize(kAnimationSide, kAnimationSide);
  m_animation = new QMovie(QStringLiteral(":/img/images/VEXA_logo_animation.gif"), QByteArray(), this);
  m_animation->setScaledSize(QSize(animationLabel->width(), animationLabel->width()));
  animationLabel->setMovie(m_animation);

  m_message = new QLabel(this);
  m_message->setObjectName(QStringLiteral("labelMessage"));
  m_message->setAlignment(Qt::AlignCenter);
  m_message->setWordWrap(true);

  auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
  cancel->setObjectName(QStringLiteral("buttonCancel"));
  cancel->setAutoDefault(false);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(working);
  layout->addWidget(animationLabel, 0, Qt::AlignHCenter);
  layout->addWidget(m_message);
  layout->addWidget(cancel, 0, Qt::AlignHCenter);

  QMetaObject::connectSlotsByName(this);
}

QString BusyScreen::msg() const { return m_message->text(); }

void BusyScreen::setMsg(QString msg) { m_message->setText(msg); }

void BusyScreen::closeScreen() {
  m_message->clear();
  close();
}

void BusyScreen::showScreen() {
  show();
  // Paint now: the caller usually goes on with work that keeps the event loop busy.
  QCoreApplication::processEvents();
}

void BusyScreen::on_buttonCancel_clicked() { emit signal_cancel(); }

void BusyScreen::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  m_animation->start();
}

void BusyScreen::hideEvent(QHideEvent* event) {
  m_animation->stop();
  QDialog::hideEvent(event);
}

void BusyScreen::closeEvent(QCloseEvent* event) {
  // The window manager's close button would hide the screen while the work goes on; only
  // closeScreen() closes it. QDialog's own handling would route through the disabled reject().
  if (event->spontaneous())
    event->ignore();
  else
    event->accept();
}
