// The box that asks for the message of a custom kick or ban: one line of text, OK and
// Cancel. It only collects the text; the Players page does the kick or ban.
#pragma once

#include <QDialog>
#include <string>

class QLineEdit;
class QPushButton;

namespace varnholt {

class CustomMessageDialog : public QDialog {
  Q_OBJECT
 public:
  explicit CustomMessageDialog(QWidget* parent = nullptr);

  // The text typed, as the program's 8-bit text.
  std::string Message() const;

  QLineEdit* MessageEdit() const { return edit_; }
  QPushButton* OkButton() const { return ok_; }
  QPushButton* CancelButton() const { return cancel_; }

 private:
  QLineEdit* edit_ = nullptr;
  QPushButton* ok_ = nullptr;
  QPushButton* cancel_ = nullptr;
};

}  // namespace varnholt
