// An IPv4 address field with up/down arrows that step through a list of addresses (the
// machine's interfaces), wrapping at either end; the user may also type a dotted quad.
// User-interface thread only.
#pragma once

#include <QAbstractSpinBox>
#include <cstdint>
#include <functional>
#include <vector>

namespace varnholt {

class AddressField final : public QAbstractSpinBox {
 public:
  using Source = std::function<std::vector<uint32_t>()>;
  using Changed = std::function<void(uint32_t)>;

  // `changed` is called with every complete address the user types or steps to.
  AddressField(Source source, Changed changed, QWidget* parent = nullptr);

  // The address shown; 0 while the text is not a complete dotted quad.
  uint32_t Address() const;
  // Shows `address` without reporting it as a change.
  void SetAddress(uint32_t address);

  void stepBy(int steps) override;
  QValidator::State validate(QString& input, int& pos) const override;

 protected:
  StepEnabled stepEnabled() const override;

 private:
  void OnEdited(const QString& text);

  Source source_;
  Changed changed_;
};

// The address in `text` when it is a complete dotted quad of numbers 0-255.
bool ParseDottedQuad(const QString& text, uint32_t* address);

}  // namespace varnholt
