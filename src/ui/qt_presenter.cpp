#include "ui/qt_presenter.h"

#include <QApplication>
#include <QMessageBox>
#include <QMetaObject>

namespace varnholt {
namespace {

QMessageBox::Icon IconOf(int kind) {
  switch (kind) {
    case kMessageInformation:
      return QMessageBox::Information;
    case kMessageRetryCancel:
    case kMessageYesNoWarning:
      return QMessageBox::Warning;
    case kMessageQuestion:
      return QMessageBox::Question;
    default:
      return QMessageBox::Critical;
  }
}

QMessageBox::StandardButtons ButtonsOf(int kind) {
  switch (kind) {
    case kMessageRetryCancel:
      return QMessageBox::Retry | QMessageBox::Cancel;
    case kMessageYesNoWarning:
    case kMessageQuestion:
      return QMessageBox::Yes | QMessageBox::No;
    default:
      return QMessageBox::Ok;
  }
}

int ButtonCode(int pressed) {
  switch (pressed) {
    case QMessageBox::Ok:
      return kButtonOk;
    case QMessageBox::Retry:
      return kButtonRetry;
    case QMessageBox::Yes:
      return kButtonYes;
    case QMessageBox::No:
      return kButtonNo;
    default:
      return kButtonCancel;
  }
}

}  // namespace

QtPresenter::QtPresenter() : ui_thread_(std::this_thread::get_id()) {}

int QtPresenter::ShowBox(int kind, const char* title, const std::string& text) {
  const QString qtitle = QString::fromUtf8(title != nullptr ? title : "");
  const QString qtext = QString::fromUtf8(text.c_str());
  if (std::this_thread::get_id() == ui_thread_) return ShowModal(kind, qtitle, qtext);
  ShowWithoutWaiting(kind, qtitle, qtext);
  // A question cannot be answered without waiting: the cautious button.
  if (kind == kMessageRetryCancel) return kButtonCancel;
  if (kind == kMessageYesNoWarning || kind == kMessageQuestion) return kButtonNo;
  return kButtonOk;
}

int QtPresenter::ShowModal(int kind, const QString& title, const QString& text) {
  QMessageBox box(IconOf(kind), title, text, ButtonsOf(kind), parent_);
  return ButtonCode(box.exec());
}

void QtPresenter::ShowWithoutWaiting(int kind, const QString& title, const QString& text) {
  QMetaObject::invokeMethod(
      this,
      [this, kind, title, text] {
        auto* box = new QMessageBox(IconOf(kind), title, text, QMessageBox::Ok, parent_);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->setModal(false);
        box->show();
      },
      Qt::QueuedConnection);
}

bool QtPresenter::PlaySound(int sound) {
  // The desktop's bell stands in for the system's named sounds.
  if (sound == kSoundNone || sound == kSoundSilent) return true;
  QMetaObject::invokeMethod(
      this, [] { QApplication::beep(); }, Qt::QueuedConnection);
  return true;
}

}  // namespace varnholt
