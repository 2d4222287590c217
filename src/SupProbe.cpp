// The list of super probes, collected anew from the tabs of every drawing of the whole schematic.
#include "SupProbe.h"

void SuperProbeList::addSuperProbe(int signalIndex, int x, int y, int w, int h) {
  SuperProbe* p = new SuperProbe;
  p->link = start;
  p->signalIndex = signalIndex;
  p->x = x;
  p->y = y;
  p->w = w;
  p->h = h;
  start = p;
}

void SuperProbeList::clear() {
  while (start) {
    SuperProbe* next = start->link;
    delete start;
    start = next;
  }
}
