// Super probes: a pane over every connection tab visible in the first drawing, painted (key F8) in the
// colour of the tab's signal so that every wire shows its value at once.
#ifndef TARVIK_SUPPROBE_H
#define TARVIK_SUPPROBE_H

class SuperProbe {
public:
  SuperProbe* link = nullptr;
  int signalIndex = 0;
  int x = 0, y = 0, w = 0, h = 0;  // the tab rectangle, virtual coordinates
};

// A list from the most recently added super probe to the oldest.
class SuperProbeList {
public:
  SuperProbe* start = nullptr;

  SuperProbeList() = default;
  SuperProbeList(const SuperProbeList&) = delete;
  SuperProbeList& operator=(const SuperProbeList&) = delete;
  ~SuperProbeList() { clear(); }

  void addSuperProbe(int signalIndex, int x, int y, int w, int h);
  void clear();
};

#endif
