// The display phase: the window, the display settings the function keys toggle, the tiles of the
// components, and the drawing of the schematic (icons, leads, tabs, lines, panes, super probes).
// Without a display every drawing step is skipped; only the run loop's own calls of the components'
// display routines remain, which is how probes report without a window.
#ifndef TARVIK_PH5_H
#define TARVIK_PH5_H

#include "SupProbe.h"
#include "Tab.h"

class Windex;
class SchematicCell;

class PhaseFive {
public:
  Windex* windexPointer;
  TabList inTab;   // input tabs drawn since the last connect
  TabList outTab;  // output tabs drawn since the last connect
  SuperProbeList superProbeList;
  int superProbeCollect = 1;   // while 1, drawn tabs are recorded as super probes
  int superProbeSelect = 0;    // F8: paint super probes
  int newWindowingMode = 1;    // F9: sub-window navigation (1) or rectangle zoom (0)
  int currentGraphicDisplayLevel = 1;
  int interconnectFlag = 1;        // F2
  int labelGateFlag = 1;           // F3
  int drawComponentLeadsFlag = 1;  // F4
  int labelLinesFlag = 0;          // F5
  int tilesComputed = 0;           // set by componentTiling; nothing is drawn before

  PhaseFive();
  PhaseFive(const PhaseFive&) = delete;
  PhaseFive& operator=(const PhaseFive&) = delete;
  ~PhaseFive();

  // Whether component c is shown at the current display level.
  bool isVisible(int c) const;
  void componentTiling(SchematicCell* root);
  void drawSchematic();
  void drawPanes();
  void connect();
  void displaySuperProbes();
  void repaint();
};

// Draws component cind with its icon table into its tile, with label, leads and tabs (IconDraw.cpp).
void iconDraw(int cind, const int* icon);
// An icon coordinate (0..scale) placed in a body that starts at xs (ys) and spans ws (hs).
int TrX(int x, int xs, int ws, int scale);
int TrY(int y, int ys, int hs, int scale);

// Key actions, also replayed from -F and -K at run start.
void FunctionKeyOperate(int code);
void CursorKeyOperate(int code);
// Handles one pending input event (or one scripted key); 0 when there was none.
int anyWindowEvents();

#endif
