#include "remote/login_exchange.h"

#include <algorithm>
#include <cstring>

namespace varnholt {

LoginReader::~LoginReader() {
  // The fields hold a password, deciphered or not; leave no copy in freed memory.
  volatile uint8_t* p = fields_.data();
  for (size_t i = 0; i < fields_.size(); ++i) p[i] = 0;
}

size_t LoginReader::Needed() const {
  switch (step_) {
    case Step::kCredentials:
      return kLoginFieldsSize - have_;
    case Step::kVersion:
      return 1;
    default:
      return 0;
  }
}

size_t LoginReader::Feed(const uint8_t* data, size_t size) {
  const size_t take = std::min(size, Needed());
  if (take == 0) return 0;
  if (step_ == Step::kCredentials) {
    std::memcpy(fields_.data() + have_, data, take);
    have_ += take;
    if (have_ == kLoginFieldsSize) step_ = Step::kAnswering;
  } else {
    version_ = data[0];
    step_ = Step::kDone;
  }
  return take;
}

std::string LoginReader::Name() const {
  if (have_ < kLoginFieldsSize) return {};
  return DecipherField(fields_.data(), kNameFieldSize);
}

std::string LoginReader::Password() const {
  // Only while the login is being checked; afterwards its bytes are gone.
  if (step_ != Step::kAnswering) return {};
  return DecipherField(fields_.data() + kNameFieldSize, kPasswordFieldSize);
}

void LoginReader::ExpectVersion() {
  volatile uint8_t* p = fields_.data() + kNameFieldSize;
  for (size_t i = 0; i < kPasswordFieldSize; ++i) p[i] = 0;
  step_ = Step::kVersion;
}

}  // namespace varnholt
