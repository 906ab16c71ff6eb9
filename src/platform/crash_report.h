// The crash report: on a fatal signal on any thread, lines describing the fault (address,
// signal, registers, stack frames) are appended to the event log file (to standard error
// while the event log is switched off), then the process ends with exit code 1.
//
// Threads: InstallCrashReport is called once at start-up, SetCrashReportToLog from any thread
// at any time; every thread the program starts calls InstallCrashStack first, before it does
// any work.
#pragma once

#include <string>

namespace varnholt {

struct CrashReportConfig {
  std::string log_path;         // the event log file the report is appended to
  std::string banner;           // the program banner line
  std::string support_address;  // where users are asked to send the report
};

// Installs the handler for SIGSEGV, SIGBUS, SIGFPE, SIGILL and SIGABRT, and the calling
// thread's alternate stack. The configuration is copied once; the handler only reads it.
bool InstallCrashReport(const CrashReportConfig& config);

// Gives the calling thread an alternate signal stack of its own, kept until the thread ends.
// A thread has none unless it asks (new threads do not inherit one), and without one a stack
// overflow on that thread kills the process before the handler can write a line.
bool InstallCrashStack();

// Follows the event log's ErrorLog option: while off, the report goes to standard error and
// the log file receives nothing, like every other log line.
void SetCrashReportToLog(bool on);

}  // namespace varnholt
