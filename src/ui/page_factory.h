// The twelve pages in tab order, with their tab texts.
#pragma once

#include <QWidget>

namespace varnholt {

class Program;
class Page;

constexpr int kTabCount = 12;

// The tab's text ("Server", "Game", ...).
const char* TabText(int index);
// Builds the page of tab `index`.
Page* CreatePage(int index, Program& program, QWidget* parent);

}  // namespace varnholt
