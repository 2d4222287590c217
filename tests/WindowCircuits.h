// Small circuits for the window tests, laid out to be read by hand in the default 1025 x 825 window.
//
// switchBesideProbe: a switch at "aa" beside a probe at "ab" splits the plane into two columns: the
// switch pane is centred at pixel (256, 412), the probe pane at (768, 412), and the line from the
// switch's output tab (centre 448) to the probe's input tab (centre 576) runs along y = 412.
// switchModuleProbe: a switch, a module box holding an inverter and a probe, and a probe of the
// inverter's output.  At level 1 the box stands at "ab"; one level deeper its contents replace it, the
// inner probe's pane covering pixel (610, 420).
#ifndef TARVIK_TESTS_WINDOWCIRCUITS_H
#define TARVIK_TESTS_WINDOWCIRCUITS_H

#include "Sim.h"

inline void switchBesideProbe() {
  Signal s(1, "s");
  Switch(SD("aa"), s, 'a', Zero, "S");
  Probe(SD("ab"), s, "P");
}

inline void switchModuleProbe() {
  Signal s(1, "s"), t(1, "t");
  Switch(SD("aa"), s, 'a', Zero, "S");
  SD box("ab");
  Module(box, "Box", s, t);
  Not(SD(box, "aa"), s, t);
  Probe(SD(box, "ab"), s, "In");
  Probe(SD("ac"), t, "T");
}

#endif
