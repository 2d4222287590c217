// The display phase: display settings, the visibility rule and the drawing of the schematic.
//
// Drawing is skipped entirely without a display.  Apart from drawing nothing, that keeps the display
// routines of probes (which report as text without a window) from printing outside the run loop's
// evaluation pass, so a headless probe reports once at time zero and then once per change.
//
// Each drawing of the schematic starts with empty tab lists: tabs left over from a drawing that was
// not followed by connect (lines switched off) would otherwise pile up from one redraw to the next.
#include "Ph5.h"

#include "Globals.h"
#include "Ph2.h"
#include "Window.h"

PhaseFive::PhaseFive() : windexPointer(new Windex("Tarvik v20190227")) {}

PhaseFive::~PhaseFive() { delete windexPointer; }

bool PhaseFive::isVisible(int c) const {
  if (phaseTwo->outputOverloadable[c]) return currentGraphicDisplayLevel == phaseTwo->graphicLevel[c];
  return currentGraphicDisplayLevel >= phaseTwo->graphicLevel[c];
}

void PhaseFive::drawSchematic() {
  if (!windexPointer->usable()) return;
  inTab.clear();
  outTab.clear();
  const PhaseTwo& p2 = *phaseTwo;
  for (int c = 0; c < p2.numberOfComponents; c++)
    if (p2.iconArrays[c] && isVisible(c)) iconDraw(c, p2.iconArrays[c]);
}

void PhaseFive::drawPanes() {
  if (!windexPointer->usable()) return;
  const PhaseTwo& p2 = *phaseTwo;
  for (int c = 0; c < p2.numberOfComponents; c++)
    if (p2.drawDynamic[c] && isVisible(c)) p2.drawDynamic[c](c);
}

// Before the tiles exist (function keys replayed from -F at run start) there is nothing to draw yet.
void PhaseFive::repaint() {
  if (!windexPointer->usable() || !tilesComputed) return;
  windexPointer->clear();
  drawSchematic();
  if (interconnectFlag) connect();
  drawPanes();
  windexPointer->drawSubWindow();
}
