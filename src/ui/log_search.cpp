#include "ui/log_search.h"

namespace varnholt {

qsizetype FindNextInLog(const QString& text, const QString& needle, qsizetype from) {
  if (needle.isEmpty()) return -1;
  if (from < 0 || from >= text.size()) from = 0;
  qsizetype at = text.indexOf(needle, from, Qt::CaseInsensitive);
  // After the last match the search goes round to the first one.
  if (at < 0 && from > 0) at = text.indexOf(needle, 0, Qt::CaseInsensitive);
  return at;
}

}  // namespace varnholt
