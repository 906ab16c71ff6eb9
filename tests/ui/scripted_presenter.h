// Message boxes for the window's tests: records every box and answers with the buttons the
// test scripted, else with the cautious button (OK for notices, No or Cancel for questions).
#pragma once

#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "log/event_log.h"

namespace varnholt::testing {

struct ShownBox {
  int kind = 0;
  std::string title;
  std::string text;
};

class ScriptedPresenter final : public MessagePresenter {
 public:
  int ShowBox(int kind, const char* title, const std::string& text) override {
    std::lock_guard<std::mutex> lock(mutex_);
    boxes_.push_back({kind, title != nullptr ? title : "", text});
    if (!answers_.empty()) {
      int answer = answers_.front();
      answers_.pop_front();
      return answer;
    }
    if (kind == kMessageRetryCancel) return kButtonCancel;
    if (kind == kMessageYesNoWarning || kind == kMessageQuestion) return kButtonNo;
    return kButtonOk;
  }
  bool PlaySound(int) override { return true; }

  // The next boxes are answered with these buttons, in order.
  void Answer(int button) {
    std::lock_guard<std::mutex> lock(mutex_);
    answers_.push_back(button);
  }
  std::vector<ShownBox> Boxes() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return boxes_;
  }
  bool Shown(const std::string& text_part) const {
    std::lock_guard<std::mutex> lock(mutex_);
    for (const ShownBox& box : boxes_) {
      if (box.text.find(text_part) != std::string::npos) return true;
    }
    return false;
  }

 private:
  mutable std::mutex mutex_;
  std::vector<ShownBox> boxes_;
  std::deque<int> answers_;
};

}  // namespace varnholt::testing
