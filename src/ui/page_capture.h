// Pictures of the window: every page in turn rendered to a PNG file, for the documentation.
#pragma once

#include <QString>
#include <functional>

namespace varnholt {

class MainWindow;

// After `delay_ms` (so the server's players and status have arrived), shows each tab in turn
// and saves the window as "<dir>/<nn>-<tab>.png"; then calls `done` with the number of
// pictures written.
void CapturePagesLater(MainWindow* window, const QString& dir, int delay_ms,
                       std::function<void(int written)> done);

}  // namespace varnholt
