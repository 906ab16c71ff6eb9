// The commands that fetch data (status, players, clients, bans, get) or send a file (put).
#include <string>
#include <vector>

#include "bans/ban_file_format.h"
#include "core/notify_codes.h"
#include "platform/files.h"
#include "platform/last_error.h"
#include "platform/terminal.h"
#include "remote/file_frame.h"
#include "varnlink/commands.h"
#include "varnlink/exit_codes.h"
#include "varnlink/file_kinds.h"

namespace varnholt::varnlink {
namespace {

constexpr uint32_t kStatusRequest = 21;
constexpr uint32_t kPlayerListRequest = 12;
constexpr uint32_t kClientListRequest = 13;
constexpr uint32_t kBanListRequest = 15;
constexpr uint32_t kKeepAliveRequest = 50;

// A bar on standard error for a large transfer, when a person is watching it.
Progress BarOnTerminal(Session& s) {
  if (s.out.err != stderr || !IsTerminal(kStderrFd)) return {};
  return [err = s.out.err](uint64_t done, uint64_t total) {
    if (total <= kProgressBarThreshold) return;
    fputs(ProgressBarText(done, total).c_str(), err);
    if (done >= total) fputc('\n', err);
    fflush(err);
  };
}

// Fetches the file of request n. kExitOk with the contents, or the exit code after saying
// what went wrong.
int FetchFile(Session& s, uint32_t n, const char* what, std::string* contents) {
  if (!CheckRight(s, n, what)) return kExitNoRight;
  if (!s.link.SendRequest(kRequestBase + n)) return ConnectionLost(s);
  switch (s.link.ReadFile(contents, kMaxFileFrameSize, BarOnTerminal(s))) {
    case FrameStatus::kOk:
      return kExitOk;
    case FrameStatus::kRefused:
      if (GetLastErrorCode() == kErrorRequestAborted) {
        return Fail(s, kExitFailed,
                    std::string("the server has no ") + what +
                        " to give (not available on this server yet, or it could not be read)");
      }
      return Fail(s, kExitFailed, std::string("the ") + what + " arrived damaged");
    case FrameStatus::kBroken:
      break;
  }
  return ConnectionLost(s);
}

// A ClientList.con line: "user",slot,address,status,time.
std::vector<std::string> ClientRow(std::string_view line) {
  std::vector<std::string> fields;
  if (!line.empty() && line[0] == '"') {
    const size_t close = line.find('"', 1);
    if (close == std::string_view::npos) return fields;
    fields.emplace_back(line.substr(1, close - 1));
    line.remove_prefix(std::min(line.size(), close + 2));
  }
  while (fields.size() < 4) {
    const size_t comma = line.find(',');
    fields.emplace_back(line.substr(0, comma));
    if (comma == std::string_view::npos) {
      line = {};
      break;
    }
    line.remove_prefix(comma + 1);
  }
  fields.emplace_back(line);
  for (std::string& f : fields) {
    if (f == "*") f.clear();
  }
  if (fields.size() != 5) fields.clear();
  return fields;
}

int ShowClients(Session& s, const std::string& text) {
  std::vector<std::vector<std::string>> rows;
  for (std::string_view line : TextLines(text)) {
    std::vector<std::string> f = ClientRow(line);
    if (!f.empty()) rows.push_back({f[1], f[0], f[2], f[3], f[4]});
  }
  if (s.out.json) {
    std::string doc = "[";
    for (const auto& r : rows) {
      if (doc.size() > 1) doc += ",";
      doc += "{\"slot\":" + (r[0].empty() ? std::string("null") : JsonString(r[0])) +
             ",\"user\":" + JsonString(r[1]) + ",\"address\":" + JsonString(r[2]) +
             ",\"status\":" + JsonString(r[3]) + ",\"last_request\":" + JsonString(r[4]) + "}";
    }
    fprintf(s.out.out, "%s]\n", doc.c_str());
  } else {
    fputs(AlignedTable({"SLOT", "USER", "ADDRESS", "STATUS", "LAST REQUEST"}, rows).c_str(),
          s.out.out);
  }
  return kExitOk;
}

int ShowBans(Session& s, const std::string& text) {
  std::string storage;
  const std::vector<BanRecord> bans = ParseBanListText(WithoutCarriageReturns(text, &storage));
  if (s.out.json) {
    std::string doc = "[";
    for (const BanRecord& b : bans) {
      if (doc.size() > 1) doc += ",";
      doc += "{\"player\":" + JsonString(b.player) + ",\"address\":" + JsonString(b.address) +
             ",\"keyhash\":" + JsonString(b.keyhash) + ",\"guid\":" + JsonString(b.guid) +
             ",\"admin\":" + JsonString(b.admin) + ",\"banned\":" + JsonTime(b.bantime) +
             ",\"expires\":" + JsonTime(b.expires) + ",\"reason\":" + JsonString(b.reason) + "}";
    }
    fprintf(s.out.out, "%s]\n", doc.c_str());
    return kExitOk;
  }
  std::vector<std::vector<std::string>> rows;
  for (const BanRecord& b : bans) {
    rows.push_back({b.player, b.address, b.keyhash, b.guid, b.admin, PeopleTime(b.bantime),
                    b.expires == 0 ? "never" : PeopleTime(b.expires), b.reason});
  }
  fputs(AlignedTable(
            {"PLAYER", "ADDRESS", "KEYHASH", "GUID", "ADMIN", "BANNED", "EXPIRES", "REASON"}, rows)
            .c_str(),
        s.out.out);
  return kExitOk;
}

int ShowLines(Session& s, const std::string& text) {
  if (!s.out.json) {
    fputs(text.c_str(), s.out.out);
    return kExitOk;
  }
  std::string doc = "[";
  for (std::string_view line : TextLines(text)) {
    if (doc.size() > 1) doc += ",";
    doc += JsonString(line);
  }
  fprintf(s.out.out, "%s]\n", doc.c_str());
  return kExitOk;
}

}  // namespace

int ShowStatus(Session& s) {
  if (!CheckRight(s, kStatusRequest, "status")) return kExitNoRight;
  if (!s.link.SendRequest(kRequestBase + kStatusRequest)) return ConnectionLost(s);
  std::string text;
  bool present = false;
  if (s.link.ReadTextReply(&text, &present) != FrameStatus::kOk) return ConnectionLost(s);
  if (!present) {
    return Fail(s, kExitFailed,
                "the server gave no status summary (not available on this server yet, or the "
                "game server is not answering)");
  }
  if (s.out.json) {
    fprintf(s.out.out, "{\"status\":%s}\n", JsonString(text).c_str());
  } else {
    fprintf(s.out.out, "%s%s", text.c_str(), !text.empty() && text.back() == '\n' ? "" : "\n");
  }
  return kExitOk;
}

int ShowFileTable(Session& s, const std::string& command) {
  std::string text;
  int exit = kExitOk;
  if (command == "clients") {
    exit = FetchFile(s, kClientListRequest, "client list", &text);
    return exit != kExitOk ? exit : ShowClients(s, text);
  }
  if (command == "bans") {
    exit = FetchFile(s, kBanListRequest, "ban list", &text);
    return exit != kExitOk ? exit : ShowBans(s, text);
  }
  exit = FetchFile(s, kPlayerListRequest, "player list", &text);
  return exit != kExitOk ? exit : ShowLines(s, text);
}

int GetFile(Session& s, const std::vector<std::string>& args) {
  if (args.empty() || args.size() > 2) {
    return Fail(
        s, kExitUsage,
        std::string("get needs a file name (") + FileKindNames() + ") and, to save it, a path");
  }
  const FileKind* kind = FindFileKind(args[0]);
  if (kind == nullptr) {
    return Fail(s, kExitUsage, "no file called " + args[0] + " (files: " + FileKindNames() + ")");
  }
  std::string contents;
  const int exit = FetchFile(s, static_cast<uint32_t>(kind->get_request), kind->name, &contents);
  if (exit != kExitOk) return exit;
  if (args.size() == 1 || args[1] == "-") {
    fwrite(contents.data(), 1, contents.size(), s.out.out);
    return kExitOk;
  }
  if (!WriteWholeFile(args[1], contents)) {
    return Fail(s, kExitFailed, "cannot write " + args[1]);
  }
  return kExitOk;
}

int PutFile(Session& s, const std::vector<std::string>& args) {
  if (args.size() != 2) return Fail(s, kExitUsage, "put needs a file name and a path to send");
  const FileKind* kind = FindFileKind(args[0]);
  if (kind == nullptr) {
    return Fail(s, kExitUsage, "no file called " + args[0] + " (files: " + FileKindNames() + ")");
  }
  if (kind->put_request < 0) {
    return Fail(s, kExitUsage, args[0] + " can only be fetched; the server makes it itself");
  }
  std::string contents;
  if (FileSize(args[1]) > static_cast<int64_t>(kMaxReceivedFileSize) ||
      !ReadWholeFile(args[1], &contents, kMaxReceivedFileSize)) {
    return Fail(s, kExitUsage,
                "cannot read " + args[1] + " (or it is larger than the server takes, " +
                    std::to_string(kMaxReceivedFileSize / (1024 * 1024)) + " MB)");
  }
  const auto n = static_cast<uint32_t>(kind->put_request);
  if (!CheckRight(s, n, "put")) return kExitNoRight;
  if (!s.link.SendRequestFile(kRequestBase + n, contents, BarOnTerminal(s))) {
    return ConnectionLost(s);
  }
  // Requests are handled in order: the keep-alive's answer means the file was taken in.
  const int exit = RequestWithOutcome(s, kKeepAliveRequest, std::nullopt,
                                      {{kNotifyKeepAlive, kExitOk, nullptr}}, "put");
  if (exit != kExitOk) return exit;
  if (kind->stored_as_sent) {
    std::string stored;
    const int fetched = FetchFile(s, static_cast<uint32_t>(kind->get_request), kind->name, &stored);
    if (fetched != kExitOk) return fetched;
    if (stored != contents) {
      return Fail(s, kExitFailed,
                  std::string("the server did not take the ") + kind->name + " (its log says why)");
    }
  }
  if (s.out.json) {
    fprintf(s.out.out, "{\"ok\":true,\"file\":%s,\"bytes\":%zu}\n", JsonString(kind->name).c_str(),
            contents.size());
  } else {
    fprintf(s.out.out, "%s sent (%zu bytes)\n", kind->name, contents.size());
  }
  return kExitOk;
}

}  // namespace varnholt::varnlink
