#include "platform/crash_report.h"

#include <dlfcn.h>
#include <execinfo.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <ucontext.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <ctime>

namespace varnholt {
namespace {

// A signal handler can only reach fixed storage: the texts are written once at installation,
// before any handler can run, and only read afterwards; the switch is a lock-free atomic.
struct CrashState {
  char log_path[4096];
  char banner[128];
  char support[256];
  std::atomic<bool> to_log{true};
};
static_assert(std::atomic<bool>::is_always_lock_free, "read by a signal handler");
CrashState g_crash;  // NOLINT: texts read-only after InstallCrashReport

// Room for the handler: its buffers, snprintf, backtrace and dladdr.
constexpr size_t kAltStackSize = 64 * 1024;

// One thread's alternate stack, with a guard page below it so that a handler that overran it
// faults instead of writing over other memory. Released when the thread ends.
class AltStack {
 public:
  AltStack() = default;
  AltStack(const AltStack&) = delete;
  AltStack& operator=(const AltStack&) = delete;
  ~AltStack() {
    if (memory_ == nullptr) return;
    stack_t current{};
    // Switched off first while it is still the thread's (another may have replaced it), so
    // that no signal can arrive on freed memory.
    if (sigaltstack(nullptr, &current) == 0 && current.ss_sp == Usable()) {
      stack_t off{};
      off.ss_flags = SS_DISABLE;
      if (sigaltstack(&off, nullptr) != 0) return;  // still in use: left mapped
    }
    munmap(memory_, mapped_);
  }

  bool Install() {
    if (memory_ != nullptr) return true;
    size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
    size_t usable = kAltStackSize;
#ifdef _SC_SIGSTKSZ
    long minimum = sysconf(_SC_SIGSTKSZ);
    if (minimum > 0) usable = std::max(usable, static_cast<size_t>(minimum));
#endif
    usable = (usable + page - 1) / page * page;
    void* memory = mmap(nullptr, usable + page, PROT_READ | PROT_WRITE,
                        MAP_PRIVATE | MAP_ANONYMOUS | MAP_STACK, -1, 0);
    if (memory == MAP_FAILED) return false;
    stack_t stack{};
    stack.ss_sp = static_cast<char*>(memory) + page;
    stack.ss_size = usable;
    if (mprotect(memory, page, PROT_NONE) != 0 || sigaltstack(&stack, nullptr) != 0) {
      munmap(memory, usable + page);
      return false;
    }
    memory_ = memory;
    mapped_ = usable + page;
    guard_ = page;
    return true;
  }

 private:
  void* Usable() const {
    return static_cast<char*>(memory_) + guard_;
  }

  void* memory_ = nullptr;
  size_t mapped_ = 0;
  size_t guard_ = 0;
};

thread_local AltStack t_alt_stack;  // NOLINT: each thread's own

void WriteLine(int fd, const char* text) {
  char line[1200];
  time_t now = time(nullptr);
  tm local{};
  localtime_r(&now, &local);
  char date[16] = "";
  char clock_text[16] = "";
  strftime(date, sizeof date, "%x", &local);
  strftime(clock_text, sizeof clock_text, "%H:%M:%S", &local);
  int n = snprintf(line, sizeof line, "%s %s : %s\r\n", date, clock_text, text);
  if (n > 0) {
    ssize_t ignored = write(fd, line, static_cast<size_t>(n) < sizeof line ? n : sizeof line - 1);
    (void)ignored;
  }
}

void OnFatalSignal(int signo, siginfo_t* info, void* context) {
  int fd = STDERR_FILENO;
  if (g_crash.to_log.load(std::memory_order_relaxed)) {
    fd = open(g_crash.log_path, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) fd = STDERR_FILENO;
  }
  char text[1024];
  char dashes[88];
  memset(dashes, '-', 87);
  dashes[87] = '\0';
  WriteLine(fd, dashes);
  snprintf(text, sizeof text,
           "Please send the information below by e-mail to %s, with a description of what "
           "happened.",
           g_crash.support);
  WriteLine(fd, text);
  WriteLine(fd, g_crash.banner);
  snprintf(text, sizeof text, "Exception address: 0x%0lx",
           reinterpret_cast<unsigned long>(info != nullptr ? info->si_addr : nullptr));
  WriteLine(fd, text);
  snprintf(text, sizeof text, "Exception code   : 0x%.8lX", static_cast<unsigned long>(signo));
  WriteLine(fd, text);
  unsigned long pc = 0;
#if defined(__x86_64__)
  const auto* uc = static_cast<const ucontext_t*>(context);
  const greg_t* r = uc->uc_mcontext.gregs;
  snprintf(text, sizeof text,
           "EAX=%.8lX EBX=%.8lX ECX=%.8lX EDX=%.8lX EDI=%.8lX ESI=%.8lX EBP=%.8lX",
           static_cast<unsigned long>(r[REG_RAX]), static_cast<unsigned long>(r[REG_RBX]),
           static_cast<unsigned long>(r[REG_RCX]), static_cast<unsigned long>(r[REG_RDX]),
           static_cast<unsigned long>(r[REG_RDI]), static_cast<unsigned long>(r[REG_RSI]),
           static_cast<unsigned long>(r[REG_RBP]));
  WriteLine(fd, text);
  snprintf(text, sizeof text,
           "ESP=%.8lX EIP=%.8lX EGS=%.8lX EFS=%.8lX EES=%.8lX EDS=%.8lX FLG=%.8lX",
           static_cast<unsigned long>(r[REG_RSP]), static_cast<unsigned long>(r[REG_RIP]),
           static_cast<unsigned long>((r[REG_CSGSFS] >> 16) & 0xFFFF),
           static_cast<unsigned long>((r[REG_CSGSFS] >> 32) & 0xFFFF), 0ul, 0ul,
           static_cast<unsigned long>(r[REG_EFL]));
  WriteLine(fd, text);
  pc = static_cast<unsigned long>(r[REG_RIP]);
#else
  (void)context;
#endif
  (void)pc;
  WriteLine(fd, "Stack trace:");
  void* frames[33];
  int count = backtrace(frames, 33);
  for (int i = 0; i < count; ++i) {
    Dl_info dl{};
    const char* symbol = "";
    if (dladdr(frames[i], &dl) != 0) {
      symbol =
          dl.dli_sname != nullptr ? dl.dli_sname : (dl.dli_fname != nullptr ? dl.dli_fname : "");
    }
    // Argument words are not recoverable from a 64-bit frame; they are shown as zero.
    snprintf(text, sizeof text, "0x%.8lX : 0x%.8lX 0x%.8lX 0x%.8lX 0x%.8lX  %s",
             reinterpret_cast<unsigned long>(frames[i]), 0ul, 0ul, 0ul, 0ul, symbol);
    WriteLine(fd, text);
  }
  WriteLine(fd, dashes);
  if (fd != STDERR_FILENO) close(fd);
  _exit(1);
}

void CopyText(char* dst, size_t size, const std::string& src) {
  snprintf(dst, size, "%s", src.c_str());
}

}  // namespace

bool InstallCrashReport(const CrashReportConfig& config) {
  CopyText(g_crash.log_path, sizeof g_crash.log_path, config.log_path);
  CopyText(g_crash.banner, sizeof g_crash.banner, config.banner);
  CopyText(g_crash.support, sizeof g_crash.support, config.support_address);
  // The first backtrace loads its unwinder; done here, not in a handler on a broken stack.
  void* frame[1];
  backtrace(frame, 1);
  bool ok = InstallCrashStack();
  struct sigaction action {};
  action.sa_sigaction = OnFatalSignal;
  action.sa_flags = SA_SIGINFO | SA_ONSTACK | SA_RESETHAND;
  sigemptyset(&action.sa_mask);
  for (int signo : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT}) {
    ok = sigaction(signo, &action, nullptr) == 0 && ok;
  }
  return ok;
}

bool InstallCrashStack() {
  return t_alt_stack.Install();
}

void SetCrashReportToLog(bool on) {
  g_crash.to_log.store(on, std::memory_order_relaxed);
}

}  // namespace varnholt
