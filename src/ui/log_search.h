// The log window's search: forward from the end of the selection, ignoring case, starting
// over at the top once nothing is left below.
#pragma once

#include <QString>

namespace varnholt {

// Where the next match of `needle` in `text` begins, searching from `from` (the end of the
// current selection) and then from the top; -1 when there is none anywhere.
qsizetype FindNextInLog(const QString& text, const QString& needle, qsizetype from);

}  // namespace varnholt
