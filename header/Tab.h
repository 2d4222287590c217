// Connection tabs: the small squares at the ends of a component's leads, recorded while the schematic
// is drawn so that connect can join each output tab to the input tabs of the same signal.
#ifndef TARVIK_TAB_H
#define TARVIK_TAB_H

class Tab {
public:
  Tab* link = nullptr;  // next (older) tab
  int cmp = 0;          // component index
  int signalIndex = 0;  // signal serial number
  int xc = 0, yc = 0;   // tab centre, virtual coordinates
};

// A list from the most recently added tab to the oldest.
class TabList {
public:
  Tab* start = nullptr;

  TabList() = default;
  TabList(const TabList&) = delete;
  TabList& operator=(const TabList&) = delete;
  ~TabList() { clear(); }

  void addTab(int cmp, int signalIndex, int xc, int yc);
  void clear();
};

#endif
