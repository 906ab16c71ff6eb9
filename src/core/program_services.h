// The program's answers to what the dispatcher asks: each method hands the work to the
// subsystem that owns it. Runs on the worker thread.
#pragma once

#include "core/dispatch_services.h"

namespace varnholt {

class Program;

class ProgramServices final : public DispatchServices {
 public:
  explicit ProgramServices(Program& program) : program_(program) {}

  void MonitorTick() override;
  bool ServerRunning() override;
  void RefreshStatusDisplay(bool busy) override;

 private:
  Program& program_;
};

}  // namespace varnholt
