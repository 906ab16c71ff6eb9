// Picks one line of Announcements.con out of its text as it is read, piece by piece, and
// turns it into the announcement: "*" followed by the line without carriage returns, cut to
// 63 characters in all. Only the wanted line is kept, so a large file costs no memory.
#pragma once

#include <string>
#include <string_view>

namespace varnholt {

// Longest announcement, its "*" included.
constexpr size_t kAnnouncementLength = 63;

class AnnouncementPicker {
 public:
  // `wanted` counts from 1.
  explicit AnnouncementPicker(int wanted) : wanted_(wanted) {}

  // Takes the next piece of the file; true once the wanted line is complete (later pieces
  // are not needed).
  bool Feed(std::string_view piece);
  // At the end of the file: true when the wanted line exists. A last line without a line
  // feed counts when it holds something; an empty line announces "*" alone.
  bool Finish();
  const std::string& Text() const { return text_; }

 private:
  int wanted_;
  int number_ = 1;
  bool done_ = false;
  std::string line_;
  std::string text_;
};

}  // namespace varnholt
