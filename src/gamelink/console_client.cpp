#include "gamelink/console_client.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <new>
#include <utility>
#include <vector>

#include "gamelink/console_wire.h"
#include "gamelink/socket_io.h"
#include "log/error_text.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "platform/last_error.h"
#include "platform/sockets.h"
#include "settings/setting_def.h"

namespace varnholt {
namespace {

class ConsoleSource final : public ByteSource {
 public:
  explicit ConsoleSource(int socket) : socket_(socket) {}
  bool Read(void* buffer, size_t count) override { return ReceiveExactly(socket_, buffer, count); }

 private:
  int socket_;
};

}  // namespace

ConsoleClient::ConsoleClient(EventLog& log, const SettingsTable& settings, StatusQuery& status)
    : log_(log), settings_(settings), status_(status) {}

ConsoleClient::~ConsoleClient() {
  CloseSocket();
}

void ConsoleClient::SetCredentials(std::string_view username, std::string_view password) {
  std::lock_guard<std::mutex> lock(credentials_mutex_);
  username_.assign(username.substr(0, kMaxCredentialLength));
  password_.assign(password.substr(0, kMaxCredentialLength));
}

bool ConsoleClient::HasCredentials() const {
  std::lock_guard<std::mutex> lock(credentials_mutex_);
  return !username_.empty();
}

void ConsoleClient::CloseSocket() {
  if (socket_ >= 0) varnholt::CloseSocket(socket_);
  socket_ = -1;
}

bool ConsoleClient::ConsoleConnect() {
  const uint32_t address = settings_.GetAddress(setting_rows::kServerIp);
  const int32_t port = settings_.GetInt(setting_rows::kConsolePort);
  if (address == 0) {
    log_.LogMessage(kSoundNone, "Couldn't connect to server console! Server IP address is zero.");
    ClearLastError();
    return false;
  }
  if (port <= 0 || port > 65535) {
    log_.LogMessage(kSoundNone,
                    "Couldn't connect to server console! Remote console port address is zero.");
    ClearLastError();
    return false;
  }
  CloseSocket();  // a login left over from a server that was not running
  connected_ = false;

  socket_ = CreateTcpSocket();
  if (socket_ < 0) return false;
  if (!StartConnect(socket_, address, static_cast<uint16_t>(port))) {
    uint32_t error = GetLastErrorCode();
    CloseSocket();
    SetLastErrorCode(error);
    return false;
  }
  // A refused connection counts as one not made in time: the server is still starting, and
  // the next status tick simply tries again.
  if (WaitWritable(socket_, kConnectWaitMs) != WaitResult::kReady ||
      !ConnectionEstablished(socket_)) {
    CloseSocket();
    SetLastErrorCode(kWsaTimedOut);
    return false;
  }
  if (!Login()) {
    uint32_t error = GetLastErrorCode();
    CloseSocket();
    SetLastErrorCode(error);
    return false;
  }
  connected_ = !hooks_.server_running || hooks_.server_running();
  return SyncConnection();
}

bool ConsoleClient::Login() {
  LoginKey key{};
  if (!ReceiveExactly(socket_, key.data(), key.size())) return false;
  std::string bytes;
  {
    std::lock_guard<std::mutex> lock(credentials_mutex_);
    bytes = BuildLoginBytes(key, username_, password_);
  }
  uint8_t verdict = 0;
  if (!SendAll(socket_, bytes.data(), bytes.size())) return false;
  if (!ReceiveExactly(socket_, &verdict, 1)) return false;
  if (verdict == 0) {
    SetLastErrorCode(kErrorConsoleLogin);
    return false;
  }
  return true;
}

bool ConsoleClient::SyncConnection() {
  struct Step {
    uint32_t error;
    const char* debug_line;
  };
  auto fail = [this](const Step& step) {
    if (debug_) log_.LogMessage(kSoundNone, "%s", step.debug_line);
    ConsoleDisconnect();
    SetLastErrorCode(step.error);
    return false;
  };
  if (status_.StatusPort() == 0 && !status_.IdentifyStatusPort()) {
    return fail({kErrorStatusPort, "DEBUG: Couldn't identify server status port!"});
  }
  if (hooks_.read_settings && !hooks_.read_settings()) {
    return fail({kErrorServerSettings, "DEBUG: Couldn't sync current settings!"});
  }
  if (hooks_.get_player_list && !hooks_.get_player_list()) {
    return fail({kErrorPlayerList, "DEBUG: Couldn't sync player list!"});
  }
  // PunkBuster saves its settings; the answer is not used.
  if (connected_) RunConsoleCommand("pb_sv_writecfg");
  if (socket_ < 0) return false;  // the connection broke on the way
  if (hooks_.connection_changed) hooks_.connection_changed(true);
  log_.LogMessage(kSoundNone, "Connected");
  ClearLastError();
  return true;
}

void ConsoleClient::ConsoleDisconnect() {
  uint32_t error = GetLastErrorCode();
  CloseSocket();
  connected_ = false;
  status_.ForgetStatusPort();
  punkbuster_version_.clear();
  if (hooks_.connection_changed) hooks_.connection_changed(false);
  log_.LogMessage(kSoundNone, "Disconnected");
  SetLastErrorCode(error);
}

void ConsoleClient::ConsoleFailure() {
  uint32_t error = GetLastErrorCode();
  if (error == kWsaConnectionReset || error == kWsaConnectionAborted) {
    log_.LogMessage(kSoundNone, "Connection reset");
  } else if (error != 0) {
    log_.LogMessage(kSoundNone, "Couldn't send message to console! %s", ErrorText(error));
  }
  ConsoleDisconnect();
  SetLastErrorCode(error);
}

const std::string* ConsoleClient::RunConsoleCommand(const char* format, ...) {
  if (format == nullptr || format[0] == '\0') {
    SetLastErrorCode(kErrorInvalidParameter);
    return nullptr;
  }
  if (!connected_ || socket_ < 0) {
    log_.LogMessage(kSoundNone, "Couldn't send message %.16s to console! Not connected.", format);
    SetLastErrorCode(kErrorNotConnected);
    return nullptr;
  }
  char text[kMaxCommandText + 1];
  va_list args;
  va_start(args, format);
  int n = vsnprintf(text, sizeof text, format, args);
  va_end(args);
  if (n < 0) {
    SetLastErrorCode(kErrorInvalidParameter);
    return nullptr;
  }
  return Exchange(text);
}

const std::string* ConsoleClient::RunConsoleText(std::string_view text) {
  if (text.empty()) {
    SetLastErrorCode(kErrorInvalidParameter);
    return nullptr;
  }
  std::string_view cut = text.substr(0, kMaxCommandText);
  if (!connected_ || socket_ < 0) {
    std::string head(cut.substr(0, 16));
    log_.LogMessage(kSoundNone, "Couldn't send message %s to console! Not connected.",
                    head.c_str());
    SetLastErrorCode(kErrorNotConnected);
    return nullptr;
  }
  return Exchange(cut);
}

const std::string* ConsoleClient::Exchange(std::string_view text) {
  try {
    BuildCommandFrame(text, &send_buffer_);
  } catch (const std::bad_alloc&) {
    SetLastErrorCode(kErrorNotEnoughMemory);
    log_.LogMessage(kSoundNone, "Couldn't send message to server! %s",
                    ErrorText(kErrorNotEnoughMemory));
    return nullptr;
  }
  AppendMessageLog("--Message--", send_buffer_);
  if (!SendAndReceive(ResponseKind::kCommand, "Couldn't send message to server! %s")) {
    return nullptr;
  }
  AppendMessageLog("--Response--", response_.text);
  return TakeResponse();
}

bool ConsoleClient::SendAndReceive(ResponseKind kind, const char* out_of_memory_line) {
  if (!SendAll(socket_, send_buffer_.data(), send_buffer_.size())) {
    ConsoleFailure();
    return false;
  }
  ConsoleSource source(socket_);
  ReadStatus status;
  try {
    status = ReadConsoleResponse(source, kind, &response_, &scratch_);
  } catch (const std::bad_alloc&) {
    SetLastErrorCode(kErrorNotEnoughMemory);
    log_.LogMessage(kSoundNone, out_of_memory_line, ErrorText(kErrorNotEnoughMemory));
    ConsoleDisconnect();  // the rest of the frame is unread, so the stream is lost
    return false;
  }
  if (status != ReadStatus::kOk) {
    ConsoleFailure();
    return false;
  }
  return true;
}

const std::string* ConsoleClient::TakeResponse() {
  // Chat goes on after the exchange; a sink may run commands, which reuse the buffers, so
  // this call's text is kept aside until they are done.
  std::string text_out;
  text_out.swap(response_.text);
  std::vector<std::string> chat;
  chat.swap(response_.chat);
  DeliverChat(chat);
  result_.swap(text_out);
  response_.text.swap(text_out);  // the old result's buffer is reused by the next read
  ClearLastError();
  return &result_;
}

const std::string* ConsoleClient::PollConsoleOutput() {
  if (!connected_ || socket_ < 0) {
    SetLastErrorCode(kErrorNotConnected);
    return nullptr;
  }
  BuildPollFrame(&send_buffer_);
  if (!SendAndReceive(ResponseKind::kConsoleOutput, "Couldn't send character to console! %s")) {
    return nullptr;
  }
  return TakeResponse();
}

void ConsoleClient::DeliverChat(const std::vector<std::string>& chat) {
  for (const std::string& line : chat) {
    if (log_player_chat_) {
      log_.LogMessage(kSoundNone, "# %s\r\n", line.c_str());
      if (hooks_.notify_clients) {
        hooks_.notify_clients(kChatNotifyCode, std::string_view(line.c_str(), line.size() + 1));
      }
    }
    if (chat_sink_ == nullptr) continue;
    if (settings_.GetBool(setting_rows::kAutoKickWord)) chat_sink_->CheckChatWords(line);
    chat_sink_->ParseChatCommand(line);
  }
}

void ConsoleClient::AppendMessageLog(std::string_view head, std::string_view bytes) {
  if (message_log_path_.empty()) return;
  std::string record;
  record.reserve(head.size() + bytes.size());
  record.append(head).append(bytes);
  uint32_t error = GetLastErrorCode();
  AppendToFile(message_log_path_, record);  // a traffic log that cannot be written is skipped
  SetLastErrorCode(error);
}

void ConsoleClient::PumpWait(uint32_t ms) {
  if (hooks_.pump_wait) {
    hooks_.pump_wait(ms);
  } else {
    PauseMs(ms);
  }
}

std::string ConsoleClient::GetPunkBusterVersion() {
  if (!connected_ || socket_ < 0) return kUnknownVersion;
  if (!punkbuster_version_.empty()) return punkbuster_version_;
  RunConsoleCommand("pb_sv_ver");
  PumpWait(kPunkBusterWaitMs);
  const std::string* output = PollConsoleOutput();
  if (output == nullptr) return kUnknownVersion;
  size_t open = output->find('(');
  if (open == std::string::npos) return kUnknownVersion;
  size_t close = output->find(')', open);
  if (close == std::string::npos) return kUnknownVersion;
  punkbuster_version_ = output->substr(open, std::min<size_t>(close - open + 1, 1024));
  return punkbuster_version_;
}

}  // namespace varnholt
