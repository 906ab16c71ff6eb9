// The crash report: on a fatal signal on any thread, lines describing the fault (address,
// signal, registers, stack frames) are appended to the event log file, then the process ends
// with exit code 1.
#pragma once

#include <string>

namespace varnholt {

struct CrashReportConfig {
  std::string log_path;         // the event log file the report is appended to
  std::string banner;           // the program banner line
  std::string support_address;  // where users are asked to send the report
};

// Installs the handler for SIGSEGV, SIGBUS, SIGFPE, SIGILL and SIGABRT (on an alternate
// stack, so a stack overflow is reported too). The configuration is copied once; the handler
// only reads it.
bool InstallCrashReport(const CrashReportConfig& config);

}  // namespace varnholt
