#include "log/stderr_presenter.h"

#include <cstdio>

namespace varnholt {

int StderrPresenter::ShowBox(int kind, const char* title, const std::string& text) {
  fprintf(stderr, "%s: %s\n", title, text.c_str());
  fflush(stderr);
  // Information and errors are logged by ShowMessage itself; the others are logged here.
  if (log_ != nullptr && kind != kMessageInformation && kind != kMessageError) {
    log_->LogMessage(kSoundNone, "%s", text.c_str());
  }
  switch (kind) {
    case kMessageRetryCancel:
      return kButtonCancel;
    case kMessageYesNoWarning:
    case kMessageQuestion:
      return kButtonNo;
    default:
      return kButtonOk;
  }
}

}  // namespace varnholt
