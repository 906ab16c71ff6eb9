#include "ui/custom_message_dialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/command_queue.h"
#include "ui/list_view_rows.h"

namespace varnholt {

CustomMessageDialog::CustomMessageDialog(QWidget* parent) : QDialog(parent) {
  setWindowTitle("Custom Kick/Ban Message");
  auto* label = new QLabel(
      "Enter the custom kick/ban message below and click OK to kick/ban the player.", this);
  edit_ = new QLineEdit(this);
  // The message travels inside one Command text with the player's id.
  edit_->setMaxLength(static_cast<int>(kCommandTextSize) - 16);
  edit_->setToolTip("Reason given to the player and written to the log.");
  auto* buttons = new QDialogButtonBox(this);
  ok_ = buttons->addButton(QDialogButtonBox::Ok);
  cancel_ = buttons->addButton(QDialogButtonBox::Cancel);
  ok_->setToolTip("Click to kick/ban the player with this message.");
  cancel_->setToolTip("Click to close this box without kicking or banning anybody.");
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(label);
  layout->addWidget(edit_);
  layout->addWidget(buttons);
}

std::string CustomMessageDialog::Message() const {
  return ToText(edit_->text());
}

}  // namespace varnholt
