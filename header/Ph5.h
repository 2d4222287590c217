// The display phase: the window, the display settings the function keys toggle, the tiles of the
// components, and the drawing of the schematic (icons, leads, tabs, lines, panes, super probes).
// Without a display every drawing step is skipped; only the run loop's own calls of the components'
// display routines remain, which is how probes report without a window.
#ifndef TARVIK_PH5_H
#define TARVIK_PH5_H

#include <cstdint>

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
  int superProbeCollect = 1;   // while 1, drawn tabs are recorded as super probes (drawSchematic sets it)
  int superProbeSelect = 0;    // F8: paint super probes
  int newWindowingMode = 1;    // F9: sub-window navigation (1) or rectangle zoom (0)
  int currentGraphicDisplayLevel = 1;
  int interconnectFlag = 1;        // F2
  int labelGateFlag = 1;           // F3
  int drawComponentLeadsFlag = 1;  // F4
  int labelLinesFlag = 0;          // F5
  int tilesComputed = 0;           // set by componentTiling; nothing is drawn before
  bool drawingPicture = false;     // inside drawPicture, which draws the sub-window rectangle last
  int64_t superProbesPaintedAt = 0;  // steady clock, ms: the last paced paint of the super probes

  PhaseFive();
  PhaseFive(const PhaseFive&) = delete;
  PhaseFive& operator=(const PhaseFive&) = delete;
  ~PhaseFive();

  // Whether component c is shown at the current display level.
  bool isVisible(int c) const;
  void componentTiling(SchematicCell* root);  // the tiles from root's cells; drawing may begin
  // Draws the icons and, while super probes are on, collects them anew from their tabs.
  void drawSchematic();
  void drawPanes();
  void connect();
  // Paints the super probes whose signal changed since they were last painted.
  void displaySuperProbes();
  // The run loop's call after each evaluation pass: the paint above, at the display's pace.
  void paceSuperProbes();
  void drawTime();
  // Everything the window shows, drawn over what is there: icons, lines, panes, super probes, the
  // time and the sub-window.  repaint clears the window first.
  void drawPicture();
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

// Every component's tile, once a netlist: a function of the netlist alone, so that it is laid out with
// the netlist, before a program serving jobs forks them.
void layOutTiles();

#endif
