// Sending a 50 MB file to a client: the file frame writer (read, LZO1X-1, Adler-32, frame)
// into a real loopback connection whose other end drains it, beside `lzop -1 -c` of the
// same file into /dev/null, in the same run. Two kinds of file: text like the program's
// logs and lists, and incompressible bytes. Receiving (checksum, safe decompression, file
// replacement) and the in-memory frame encoder are measured too.
//
//   remote_bench --benchmark_filter='Send|Lzop' (use a Release or RelWithDebInfo build)
#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <lzo/lzo1x.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <thread>

#include "log/event_log.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "remote/file_frame.h"
#include "remote/socket_stream.h"
#include "support/file_text.h"
#include "support/free_port.h"
#include "support/log_like_text.h"

namespace varnholt {
namespace {

constexpr size_t kFileSize = 50u * 1000u * 1000u;

std::string MakeNoise(size_t size) {
  std::mt19937_64 gen(7);
  std::string out(size, '\0');
  for (size_t i = 0; i + 8 <= size; i += 8) {
    const uint64_t v = gen();
    std::memcpy(&out[i], &v, 8);
  }
  return out;
}

// The two files in a scratch folder, made once for the whole run.
class Files {
 public:
  Files() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "varnholt-bench-XXXXXX").string();
    folder_ = mkdtemp(tmpl.data());
    testing::WriteFileText(Path(0), testing::MakeLogLikeText(kFileSize));
    testing::WriteFileText(Path(1), MakeNoise(kFileSize));
  }
  ~Files() {
    std::error_code ec;
    std::filesystem::remove_all(folder_, ec);
  }
  std::string Path(int64_t kind) const {
    return folder_ + (kind == 0 ? "/text.log" : "/noise.bin");
  }
  const std::string& folder() const { return folder_; }

 private:
  std::string folder_;
};

const Files& SharedFiles() {
  static Files files;
  return files;
}

const char* KindName(int64_t kind) {
  return kind == 0 ? "text" : "incompressible";
}

void BM_SendFileOverLoopback(benchmark::State& state) {
  lzo_init();
  const Files& files = SharedFiles();
  const std::string path = files.Path(state.range(0));
  ManualClock clock;
  EventLog log(files.folder(), clock);
  testing::LoopbackPair link;
  // The client side drains whatever comes.
  std::thread client([&] {
    std::string buffer(1 << 20, '\0');
    while (recv(link.client, buffer.data(), buffer.size(), 0) > 0) {
    }
  });
  SocketSink sink(link.server, clock);
  for (auto _ : state) {
    if (!SendFile(path, sink, "127.0.0.1", log)) {
      state.SkipWithError("SendFile failed");
      break;
    }
  }
  shutdown(link.server, SHUT_WR);
  client.join();
  state.SetBytesProcessed(static_cast<int64_t>(kFileSize) * state.iterations());
  state.SetLabel(KindName(state.range(0)));
}
BENCHMARK(BM_SendFileOverLoopback)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_LzopCompress(benchmark::State& state) {
  const std::string command = "lzop -1 -c '" + SharedFiles().Path(state.range(0)) + "' > /dev/null";
  if (std::system("command -v lzop > /dev/null") != 0) {
    state.SkipWithError("lzop is not installed");
    return;
  }
  for (auto _ : state) {
    if (std::system(command.c_str()) != 0) {
      state.SkipWithError("lzop failed");
      break;
    }
  }
  state.SetBytesProcessed(static_cast<int64_t>(kFileSize) * state.iterations());
  state.SetLabel(KindName(state.range(0)));
}
BENCHMARK(BM_LzopCompress)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_EncodeFileFrame(benchmark::State& state) {
  lzo_init();
  std::string contents;
  contents = testing::ReadFileText(SharedFiles().Path(state.range(0)));
  std::string frame;
  for (auto _ : state) {
    if (!EncodeFileFrame(contents, &frame)) {
      state.SkipWithError("EncodeFileFrame failed");
      break;
    }
    benchmark::DoNotOptimize(frame.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(kFileSize) * state.iterations());
  state.counters["ratio"] = static_cast<double>(frame.size()) / static_cast<double>(kFileSize);
  state.SetLabel(KindName(state.range(0)));
}
BENCHMARK(BM_EncodeFileFrame)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ReceiveFileOverLoopback(benchmark::State& state) {
  lzo_init();
  const Files& files = SharedFiles();
  std::string contents;
  contents = testing::ReadFileText(files.Path(state.range(0)));
  std::string frame;
  EncodeFileFrame(contents, &frame);
  contents.clear();
  ManualClock clock;
  EventLog log(files.folder(), clock);
  const std::string target = files.folder() + "/received.bin";
  for (auto _ : state) {
    testing::LoopbackPair link;
    std::thread client([&] {
      size_t sent = 0;
      while (sent < frame.size()) {
        const ssize_t n = send(link.client, frame.data() + sent, frame.size() - sent, 0);
        if (n <= 0) break;
        sent += static_cast<size_t>(n);
      }
    });
    SocketSource source(link.server, clock);
    const bool ok = ReceiveFile(target, source, "127.0.0.1", log, kMaxFileFrameSize);
    client.join();
    if (!ok) {
      state.SkipWithError("ReceiveFile failed");
      break;
    }
  }
  state.SetBytesProcessed(static_cast<int64_t>(kFileSize) * state.iterations());
  state.SetLabel(KindName(state.range(0)));
}
BENCHMARK(BM_ReceiveFileOverLoopback)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace varnholt

BENCHMARK_MAIN();
