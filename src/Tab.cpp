// Connection tabs and the interconnecting lines between them.
//
// connect joins every output tab to every input tab of the same signal, in the order of the two lists.
// The input tabs are grouped by signal first, so the cost follows the number of lines drawn rather
// than the product of the two list lengths; the lines come out in the same order either way.
#include "Tab.h"

#include <unordered_map>
#include <vector>

#include "CompKinds.h"
#include "Globals.h"
#include "Ph2.h"
#include "Ph5.h"
#include "Window.h"

void TabList::addTab(int cmp, int signalIndex, int xc, int yc) {
  Tab* t = new Tab;
  t->link = start;
  t->cmp = cmp;
  t->signalIndex = signalIndex;
  t->xc = xc;
  t->yc = yc;
  start = t;
}

void TabList::clear() {
  while (start) {
    Tab* next = start->link;
    delete start;
    start = next;
  }
}

namespace {

bool lineWanted(const Tab& in) { return !connectMuxOnlyFlag || kindOf(in.cmp).role == selector; }

}  // namespace

void PhaseFive::connect() {
  std::unordered_map<int, std::vector<const Tab*>> inputsOf;
  for (const Tab* i = inTab.start; i; i = i->link) inputsOf[i->signalIndex].push_back(i);
  for (const Tab* o = outTab.start; o; o = o->link) {
    auto found = inputsOf.find(o->signalIndex);
    if (found == inputsOf.end()) continue;
    for (const Tab* i : found->second)
      if (lineWanted(*i)) windexPointer->drawLine(o->xc, o->yc, i->xc, i->yc);
  }
  inTab.clear();
  outTab.clear();
}
