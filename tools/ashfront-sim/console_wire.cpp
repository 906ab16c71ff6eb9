#include "console_wire.h"

namespace varnholt::sim {
namespace {

bool ReadU32(std::string_view buffer, size_t offset, uint32_t* value) {
  if (buffer.size() < offset + 4) return false;
  const auto* b = reinterpret_cast<const uint8_t*>(buffer.data() + offset);
  *value = static_cast<uint32_t>(b[0]) | static_cast<uint32_t>(b[1]) << 8 |
           static_cast<uint32_t>(b[2]) << 16 | static_cast<uint32_t>(b[3]) << 24;
  return true;
}

// One length-prefixed field: kIncomplete until all bytes are there.
ParseResult ReadField(std::string_view buffer, size_t* offset, uint32_t max_bytes,
                      std::string_view* field) {
  uint32_t length = 0;
  if (!ReadU32(buffer, *offset, &length)) return ParseResult::kIncomplete;
  if (length == 0 || length > max_bytes) return ParseResult::kBad;
  if (buffer.size() < *offset + 4 + length) return ParseResult::kIncomplete;
  *field = buffer.substr(*offset + 4, length);
  *offset += 4 + length;
  return ParseResult::kComplete;
}

std::string Decipher(std::string_view field, const LoginKey& key) {
  // The last byte is the zero terminator, which is sent as is.
  std::string out;
  for (size_t i = 0; i + 1 < field.size(); ++i) {
    out += static_cast<char>(static_cast<uint8_t>(field[i]) ^ key[i % kLoginKeySize]);
  }
  return out;
}

}  // namespace

LoginKey MakeLoginKey(std::mt19937& rng) {
  LoginKey key{};
  for (uint8_t& b : key) b = static_cast<uint8_t>(0x80 | (rng() & 0x7F));
  return key;
}

ParseResult ParseLogin(std::string_view buffer, const LoginKey& key, LoginFields* fields,
                       size_t* consumed) {
  size_t offset = 0;
  std::string_view user, password;
  ParseResult r = ReadField(buffer, &offset, kMaxLoginFieldBytes, &user);
  if (r != ParseResult::kComplete) return r;
  r = ReadField(buffer, &offset, kMaxLoginFieldBytes, &password);
  if (r != ParseResult::kComplete) return r;
  fields->username = Decipher(user, key);
  fields->password = Decipher(password, key);
  *consumed = offset;
  return ParseResult::kComplete;
}

ParseResult ParseFrame(std::string_view buffer, std::vector<std::string>* strings,
                       size_t* consumed) {
  uint32_t count = 0;
  if (!ReadU32(buffer, 0, &count)) return ParseResult::kIncomplete;
  if (count > kMaxFrameStrings) return ParseResult::kBad;
  size_t offset = 4;
  std::vector<std::string> out;
  out.reserve(count);
  for (uint32_t i = 0; i < count; ++i) {
    std::string_view field;
    ParseResult r = ReadField(buffer, &offset, kMaxStringBytes, &field);
    if (r == ParseResult::kIncomplete && buffer.size() > kMaxFrameBytes) return ParseResult::kBad;
    if (r != ParseResult::kComplete) return r;
    // The text ends at the first zero byte; a string without one is taken whole.
    size_t zero = field.find('\0');
    out.emplace_back(field.substr(0, zero));
  }
  if (offset > kMaxFrameBytes) return ParseResult::kBad;
  *strings = std::move(out);
  *consumed = offset;
  return ParseResult::kComplete;
}

void AppendU32(std::string* out, uint32_t value) {
  for (int i = 0; i < 4; ++i) out->push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

std::string BuildFrame(const std::vector<std::string>& strings) {
  std::string out;
  AppendU32(&out, static_cast<uint32_t>(strings.size()));
  for (const std::string& s : strings) {
    AppendU32(&out, static_cast<uint32_t>(s.size() + 1));
    out += s;
    out.push_back('\0');
  }
  return out;
}

std::string BuildLogin(const LoginKey& key, std::string_view username, std::string_view password) {
  std::string out;
  for (std::string_view field : {username, password}) {
    AppendU32(&out, static_cast<uint32_t>(field.size() + 1));
    for (size_t i = 0; i < field.size(); ++i) {
      out.push_back(static_cast<char>(static_cast<uint8_t>(field[i]) ^ key[i % kLoginKeySize]));
    }
    out.push_back('\0');
  }
  return out;
}

}  // namespace varnholt::sim
