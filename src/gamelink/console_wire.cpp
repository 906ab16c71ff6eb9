#include "gamelink/console_wire.h"

namespace varnholt {
namespace {

void AppendString(std::string* frame, std::string_view text) {
  AppendU32(frame, static_cast<uint32_t>(text.size() + 1));
  frame->append(text);
  frame->push_back('\0');
}

void AppendEnciphered(std::string* out, const LoginKey& key, std::string_view field) {
  field = field.substr(0, kMaxCredentialLength);
  AppendU32(out, static_cast<uint32_t>(field.size() + 1));
  for (size_t i = 0; i < field.size(); ++i) {
    out->push_back(static_cast<char>(static_cast<uint8_t>(field[i]) ^ key[i % kLoginKeySize]));
  }
  out->push_back('\0');
}

}  // namespace

void AppendU32(std::string* out, uint32_t value) {
  for (int i = 0; i < 4; ++i) out->push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

std::string BuildLoginBytes(const LoginKey& key, std::string_view username,
                            std::string_view password) {
  std::string out;
  AppendEnciphered(&out, key, username);
  AppendEnciphered(&out, key, password);
  return out;
}

void BuildCommandFrame(std::string_view text, std::string* frame) {
  frame->clear();
  AppendU32(frame, 0);  // the count, filled in below
  uint32_t count = 0;
  AppendString(frame, "ConsoleMessage 0");
  ++count;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    AppendString(frame, text.substr(start, end - start));
    ++count;
    start = end + 1;
  }
  AppendString(frame, "\r");
  ++count;
  for (int i = 0; i < 4; ++i) (*frame)[i] = static_cast<char>((count >> (8 * i)) & 0xFF);
}

void BuildPollFrame(std::string* frame) {
  frame->clear();
  AppendU32(frame, 2);
  AppendString(frame, "ConsoleRun 0");
  AppendString(frame, std::string_view("\0", 1));
}

std::string ConsoleSafeText(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c == '\r' || c == '\n' || c == '\0') {
      c = ' ';
    } else if (c == '"') {
      c = '\'';
    }
  }
  return out;
}

}  // namespace varnholt
