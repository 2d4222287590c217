// Super probes: a pane over every connection tab of the present drawing, painted (key F8) in the
// colour of the tab's signal so that every wire shows its value at once.  Each probe remembers the
// value it was last painted with, so that a paint touches only the probes whose signal changed.
#ifndef TARVIK_SUPPROBE_H
#define TARVIK_SUPPROBE_H

class SuperProbe {
public:
  static const int notPainted = -1;
  SuperProbe* link = nullptr;
  int signalIndex = 0;
  int x = 0, y = 0, w = 0, h = 0;  // the tab rectangle, virtual coordinates
  int painted = notPainted;        // the value shown now, or notPainted
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
