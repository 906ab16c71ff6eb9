// A remote administration client for tests, written from the wire rules alone: its own RC4
// over the key file, its own little-endian words, LZO and Adler-32 straight from liblzo2.
// Only the server side of a test uses the program's classes. Every receive gives up after
// a few seconds instead of hanging the test.
#pragma once

#include <arpa/inet.h>
#include <lzo/lzo1x.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "support/file_text.h"
#include "support/wait.h"

namespace varnholt::testing {

// A 32-byte login field: the text, its zero, filler; RC4 under the key file's bytes.
inline std::string LoginField(const std::string& text) {
  static const std::string key = ReadFileText(VARNHOLT_USER_KEY_FILE);
  std::string field = text.substr(0, 31);
  field.push_back('\0');
  while (field.size() < 32) field.push_back('#');
  std::array<uint8_t, 256> s{};
  for (int i = 0; i < 256; ++i) s[i] = static_cast<uint8_t>(i);
  uint8_t j = 0;
  for (int i = 0; i < 256; ++i) {
    j = static_cast<uint8_t>(j + s[i] + static_cast<uint8_t>(key[i % key.size()]));
    std::swap(s[i], s[j]);
  }
  uint8_t a = 0;
  uint8_t b = 0;
  for (char& c : field) {
    a = static_cast<uint8_t>(a + 1);
    b = static_cast<uint8_t>(b + s[a]);
    std::swap(s[a], s[b]);
    c = static_cast<char>(static_cast<uint8_t>(c) ^ s[static_cast<uint8_t>(s[a] + s[b])]);
  }
  return field;
}

inline std::string Word(uint32_t w) {
  std::string out(4, '\0');
  for (int i = 0; i < 4; ++i) out[i] = static_cast<char>(w >> (8 * i));
  return out;
}

inline uint32_t WordOf(const std::string& bytes, size_t at = 0) {
  uint32_t w = 0;
  for (int i = 3; i >= 0; --i) w = w << 8 | static_cast<uint8_t>(bytes[at + i]);
  return w;
}

// The file frame a client sends: N, C, Adler-32 of the compressed bytes, LZO1X-1 data.
inline std::string FileFrame(const std::string& contents) {
  if (contents.empty()) return Word(0);
  if (lzo_init() != LZO_E_OK) return std::string();
  std::string packed(contents.size() + contents.size() / 16 + 64 + 3, '\0');
  std::string work(LZO1X_1_MEM_COMPRESS, '\0');
  lzo_uint size = packed.size();
  lzo1x_1_compress(reinterpret_cast<const unsigned char*>(contents.data()), contents.size(),
                   reinterpret_cast<unsigned char*>(packed.data()), &size, work.data());
  packed.resize(size);
  const uint32_t sum =
      lzo_adler32(1, reinterpret_cast<const unsigned char*>(packed.data()), packed.size());
  return Word(static_cast<uint32_t>(contents.size())) + Word(static_cast<uint32_t>(size)) +
         Word(sum) + packed;
}

// A blocking client socket.
class RemoteTestClient {
 public:
  explicit RemoteTestClient(uint16_t port) {
    fd_ = socket(AF_INET, SOCK_STREAM, 0);
    timeval patience{kPatienceMs / 1000, 0};
    setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &patience, sizeof patience);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(port);
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    connected_ = connect(fd_, reinterpret_cast<sockaddr*>(&to), sizeof to) == 0;
    sockaddr_in me{};
    socklen_t length = sizeof me;
    getsockname(fd_, reinterpret_cast<sockaddr*>(&me), &length);
    local_port_ = ntohs(me.sin_port);
  }
  ~RemoteTestClient() { Close(); }
  RemoteTestClient(const RemoteTestClient&) = delete;
  RemoteTestClient& operator=(const RemoteTestClient&) = delete;

  void Close() {
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
  }
  bool connected() const { return connected_; }
  std::string address() const { return "127.0.0.1:" + std::to_string(local_port_); }
  // Shortens the wait of receives that are expected to get nothing.
  void SetPatienceMs(int ms) {
    timeval patience{ms / 1000, (ms % 1000) * 1000};
    setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &patience, sizeof patience);
  }

  bool Send(const std::string& bytes) {
    return send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL) ==
           static_cast<ssize_t>(bytes.size());
  }
  void SendLogin(const std::string& name, const std::string& password) {
    Send(LoginField(name) + LoginField(password));
  }
  // Exactly `n` bytes, or what came before the peer closed or went quiet.
  std::string Receive(size_t n) {
    std::string out;
    while (out.size() < n) {
      char buffer[4096];
      const ssize_t got = recv(fd_, buffer, std::min(n - out.size(), sizeof buffer), 0);
      if (got <= 0) break;
      out.append(buffer, static_cast<size_t>(got));
    }
    return out;
  }
  std::optional<uint32_t> ReceiveWord() {
    const std::string bytes = Receive(4);
    if (bytes.size() != 4) return std::nullopt;
    return WordOf(bytes);
  }
  // True when the server closed the connection (nothing more arrives).
  bool ClosedByServer() {
    char byte;
    return recv(fd_, &byte, 1, 0) == 0;
  }
  // Whole login with the version byte; returns the result byte (-1 when none came).
  int Login(const std::string& name, const std::string& password, uint32_t* rights = nullptr,
            uint8_t version = 0x90) {
    SendLogin(name, password);
    const std::string result = Receive(1);
    if (result.size() != 1) return -1;
    if (result[0] != 0) return static_cast<uint8_t>(result[0]);
    const std::string answer = Receive(5);
    if (answer.size() != 5) return -1;
    if (rights) *rights = WordOf(answer);
    server_version_ = static_cast<uint8_t>(answer[4]);
    Send(std::string(1, static_cast<char>(version)));
    if (version != 0x90) return 0;
    const std::string running = Receive(1);
    if (running.size() != 1) return -1;
    server_running_ = running[0];
    return 0;
  }

  // Requests: the code, and for some a length word and the text with its zero byte.
  bool Request(uint32_t code) { return Send(Word(code)); }
  bool RequestText(uint32_t code, const std::string& text) {
    return Send(Word(code) + Word(static_cast<uint32_t>(text.size() + 1)) + text +
                std::string(1, '\0'));
  }
  bool RequestFile(uint32_t code, const std::string& contents) {
    return Send(Word(code) + FileFrame(contents));
  }

  // A file frame from the server: the contents, or nothing for the error marker or a frame
  // that does not check out.
  std::optional<std::string> ReceiveFile() {
    const std::optional<uint32_t> size = ReceiveWord();
    if (!size || *size == 0xBEEFBABE) return std::nullopt;
    if (*size == 0) return std::string();
    const std::optional<uint32_t> packed_size = ReceiveWord();
    const std::optional<uint32_t> sum = ReceiveWord();
    if (!packed_size || !sum) return std::nullopt;
    const std::string packed = Receive(*packed_size);
    if (packed.size() != *packed_size ||
        lzo_adler32(1, reinterpret_cast<const unsigned char*>(packed.data()), packed.size()) !=
            *sum) {
      return std::nullopt;
    }
    std::string contents(*size, '\0');
    lzo_uint out = contents.size();
    if (lzo1x_decompress_safe(reinterpret_cast<const unsigned char*>(packed.data()), packed.size(),
                              reinterpret_cast<unsigned char*>(contents.data()), &out,
                              nullptr) != LZO_E_OK ||
        out != contents.size()) {
      return std::nullopt;
    }
    return contents;
  }
  // A text reply: the text, "" for the word 0 (no text), nothing when none came.
  std::optional<std::string> ReceiveText() {
    const std::optional<uint32_t> length = ReceiveWord();
    if (!length) return std::nullopt;
    std::string text = Receive(*length);
    if (text.size() != *length) return std::nullopt;
    if (!text.empty() && text.back() == '\0') text.pop_back();
    return text;
  }
  // A notification: code and data.
  std::optional<std::pair<uint32_t, std::string>> ReceiveNotification() {
    const std::optional<uint32_t> code = ReceiveWord();
    const std::optional<uint32_t> length = code ? ReceiveWord() : std::nullopt;
    if (!length) return std::nullopt;
    std::string data = Receive(*length);
    if (data.size() != *length) return std::nullopt;
    return std::make_pair(*code, data);
  }

  int server_version_ = -1;
  int server_running_ = -1;

 private:
  int fd_ = -1;
  bool connected_ = false;
  uint16_t local_port_ = 0;
};

}  // namespace varnholt::testing
