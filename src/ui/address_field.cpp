#include "ui/address_field.h"

#include <QLineEdit>
#include <QStringList>
#include <algorithm>

#include "platform/ip_address.h"

namespace varnholt {
namespace {

constexpr int kMaxAddressText = 15;  // "255.255.255.255"

}  // namespace

bool ParseDottedQuad(const QString& text, uint32_t* address) {
  if (text.size() > kMaxAddressText) return false;
  const QStringList parts = text.split('.');
  if (parts.size() != 4) return false;
  uint32_t result = 0;
  for (const QString& part : parts) {
    if (part.isEmpty() || part.size() > 3) return false;
    bool ok = false;
    const int number = part.toInt(&ok);
    if (!ok || number < 0 || number > 255) return false;
    result = (result << 8) | static_cast<uint32_t>(number);
  }
  *address = result;
  return true;
}

AddressField::AddressField(Source source, Changed changed, QWidget* parent)
    : QAbstractSpinBox(parent), source_(std::move(source)), changed_(std::move(changed)) {
  lineEdit()->setMaxLength(kMaxAddressText);
  setAccelerated(false);
  SetAddress(0);
  connect(lineEdit(), &QLineEdit::textEdited, this, [this](const QString& t) { OnEdited(t); });
}

uint32_t AddressField::Address() const {
  uint32_t address = 0;
  return ParseDottedQuad(text(), &address) ? address : 0;
}

void AddressField::SetAddress(uint32_t address) {
  lineEdit()->setText(QString::fromStdString(IpToText(address)));
}

QAbstractSpinBox::StepEnabled AddressField::stepEnabled() const {
  if (isReadOnly() || !source_ || source_().empty()) return StepNone;
  return StepUpEnabled | StepDownEnabled;
}

void AddressField::stepBy(int steps) {
  const std::vector<uint32_t> list = source_ ? source_() : std::vector<uint32_t>{};
  if (list.empty() || steps == 0) return;
  const int count = static_cast<int>(list.size());
  const auto found = std::find(list.begin(), list.end(), Address());
  int index;
  if (found == list.end()) {
    // An address typed by hand is not in the list: start from whichever end the step
    // points into.
    index = steps > 0 ? 0 : count - 1;
  } else {
    index = static_cast<int>(found - list.begin()) + steps % count;
    index = (index % count + count) % count;
  }
  SetAddress(list[index]);
  if (changed_) changed_(list[index]);
}

QValidator::State AddressField::validate(QString& input, int& /*pos*/) const {
  if (input.size() > kMaxAddressText) return QValidator::Invalid;
  for (QChar c : input) {
    if ((c < u'0' || c > u'9') && c != u'.') return QValidator::Invalid;
  }
  uint32_t address = 0;
  return ParseDottedQuad(input, &address) ? QValidator::Acceptable : QValidator::Intermediate;
}

void AddressField::OnEdited(const QString& text) {
  uint32_t address = 0;
  if (ParseDottedQuad(text, &address) && changed_) changed_(address);
}

}  // namespace varnholt
