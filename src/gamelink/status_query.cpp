#include "gamelink/status_query.h"

#include <cstdio>
#include <random>

#include "platform/ascii_text.h"
#include "platform/files.h"
#include "platform/last_error.h"
#include "platform/local_time.h"
#include "platform/sockets.h"
#include "settings/setting_def.h"

namespace varnholt {
namespace {

constexpr const char* kTooLargeText =
    "Couldn't get server status! Response is greater than MAX_MSG_SIZE!";

struct PortRange {
  uint16_t first;
  uint16_t last;  // inclusive
};
// Where servers commonly answer when not on the configured port.
constexpr PortRange kSearchRanges[] = {{23000, 23009}, {22000, 22010}};

}  // namespace

StatusQuery::StatusQuery(EventLog& log, const SettingsTable& settings, const Clock& clock)
    : log_(log), settings_(settings), clock_(clock), random_(std::random_device{}()) {}

std::optional<std::string> StatusQuery::QueryServerStatus(uint16_t port, const char* query_text) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!QueryLocked(port, query_text)) return std::nullopt;
  return status_reply_;
}

bool StatusQuery::QueryLocked(uint16_t port, const char* query_text) {
  if (port == 0 || query_text == nullptr) {
    SetLastErrorCode(kErrorInvalidParameter);
    return false;
  }
  const QuerySections sections = QuerySectionsOf(query_text);
  // A generator seeded once, so two queries in the same second still differ.
  const uint32_t a = random_();
  const uint32_t b = random_();
  const RequestId id = {static_cast<uint8_t>(a), static_cast<uint8_t>(a >> 8),
                        static_cast<uint8_t>(b), static_cast<uint8_t>(b >> 8)};
  const StatusRequest request = BuildStatusRequest(id, sections);

  int socket = CreateUdpSocket();
  if (socket == kNoSocket) return false;
  if (start_delay_ms_ > 0) clock_.SleepMs(start_delay_ms_);
  if (!SendDatagram(socket, settings_.GetAddress(setting_rows::kServerIp), port, request.data(),
                    request.size())) {
    uint32_t error = GetLastErrorCode();
    CloseSocket(socket);
    SetLastErrorCode(error);
    return false;
  }
  status_reply_.clear();
  size_t size = 0;
  bool received = ReceiveReply(socket, id, &size);
  uint32_t error = GetLastErrorCode();
  CloseSocket(socket);
  SetLastErrorCode(error);
  if (!received) {
    if (error == kWsaMessageSize) log_.LogMessage(kSoundNone, "%s", kTooLargeText);
    return false;
  }
  if (ConvertStatusDatagram(std::string_view(datagram_.data(), size), sections, &conversion_) ==
      ConvertResult::kTooLong) {
    log_.LogMessage(kSoundNone, "%s", kTooLargeText);
    SetLastErrorCode(kWsaMessageSize);
    return false;
  }
  status_reply_ = conversion_;
  AppendStatusLog();
  ClearLastError();
  return true;
}

bool StatusQuery::ReceiveReply(int socket, const RequestId& id, size_t* size) {
  datagram_.resize(kMaxMsgSize);
  // One deadline for the whole wait, so a stream of stale datagrams cannot extend it. Real
  // time: the peer answers in real time whatever clock the program was given.
  const SystemClock real;
  const uint64_t end = real.MonotonicMs() + kStatusWaitMs;
  while (true) {
    const uint64_t now = real.MonotonicMs();
    if (now >= end) {
      SetLastErrorCode(kWsaTimedOut);
      return false;
    }
    if (WaitReadable(socket, static_cast<int>(end - now)) != WaitResult::kReady) return false;
    if (!ReceiveDatagram(socket, datagram_.data(), datagram_.size(), size)) {
      if (GetLastErrorCode() == kWsaWouldBlock) continue;
      return false;
    }
    if (ReplyMatches(std::string_view(datagram_.data(), *size), id)) return true;
  }
}

void StatusQuery::AppendStatusLog() {
  if (status_log_path_.empty()) return;
  std::string line;
  line.reserve(status_reply_.size() + 40);
  line.append(LogStamp(clock_.CalendarSeconds())).append(" : [").append(status_reply_);
  line.append("]\n");
  AppendToFile(status_log_path_, line);  // a traffic log that cannot be written is skipped
}

std::optional<std::string> StatusQuery::GetQueryValue(const std::string& reply,
                                                      std::string_view key) {
  std::string value;
  if (!FindQueryValue(reply, key, &value)) return std::nullopt;
  return value;
}

std::optional<std::string> StatusQuery::GetQueryValue(std::string_view key) const {
  std::lock_guard<std::mutex> lock(mutex_);
  return GetQueryValue(status_reply_, key);
}

std::string StatusQuery::StatusReply() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return status_reply_;
}

void StatusQuery::SetStatusPort(uint16_t port) {
  status_port_.store(port);
  if (port != 0) last_identified_port_.store(port);
}

void StatusQuery::ForgetIdentifiedPorts() {
  status_port_.store(0);
  last_identified_port_.store(0);
}

uint16_t StatusQuery::ConfiguredStatusPort() const {
  const bool internet = settings_.GetBool("game.serverInternet");
  return static_cast<uint16_t>(
      settings_.GetInt(internet ? "game.gameSpyPort" : "game.gameSpyLANPort"));
}

bool StatusQuery::PortAnswers(uint16_t port, const std::string& game_port) {
  std::optional<std::string> reply = QueryServerStatus(port, "\\info\\");
  if (!reply) return false;
  std::optional<std::string> host_port = GetQueryValue(*reply, "hostport");
  return host_port && EqualsNoCase(*host_port, game_port);
}

bool StatusQuery::IdentifyStatusPort() {
  char game_port[16];
  snprintf(game_port, sizeof game_port, "%d", settings_.GetInt(setting_rows::kServerPort));
  game_port[5] = '\0';
  const uint16_t candidate = ConfiguredStatusPort();
  if (debug_) log_.LogMessage(kSoundNone, "DEBUG: Testing configured port (%i)...", candidate);
  if (PortAnswers(candidate, game_port)) {
    SetStatusPort(candidate);
    if (debug_)
      log_.LogMessage(kSoundNone, "DEBUG: Identified server status port (%i).", candidate);
    return true;
  }
  if (debug_ && GetLastErrorCode() == 0) {
    // A reply came, but from a server on another game port.
    log_.LogMessage(kSoundNone, "DEBUG: Server is not using the configured status port! (%i).",
                    candidate);
  }
  for (const PortRange& range : kSearchRanges) {
    for (uint32_t port = range.first; port <= range.last; ++port) {
      if (pump_messages_) pump_messages_();
      if (search_wanted_ && !search_wanted_()) return false;
      if (PortAnswers(static_cast<uint16_t>(port), game_port)) {
        SetStatusPort(static_cast<uint16_t>(port));
        if (debug_) {
          log_.LogMessage(kSoundNone, "DEBUG: Identified server status port (%i).", port);
        }
        return true;
      }
    }
  }
  return false;
}

}  // namespace varnholt
