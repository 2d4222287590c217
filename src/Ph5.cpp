// The display phase: display settings, the visibility rule and the drawing of the schematic.
//
// Drawing is skipped entirely without a display.  Apart from drawing nothing, that keeps the display
// routines of probes (which report as text without a window) from printing outside the run loop's
// evaluation pass, so a headless probe reports once at time zero and then once per change.
//
// Each drawing of the schematic starts with empty tab lists: tabs left over from a drawing that was
// not followed by connect (lines switched off) would otherwise pile up from one redraw to the next.
// While super probes are on it also collects them anew, so that they follow the level, the view and
// the toggles; F8 repaints, so switching them on collects them too.
#include "Ph5.h"

#include "Globals.h"
#include "Ph2.h"
#include "Ph4.h"
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
  superProbeList.clear();
  superProbeCollect = superProbeSelect;
  const PhaseTwo& p2 = *phaseTwo;
  for (int c = 0; c < p2.numberOfComponents; c++)
    if (p2.iconArrays[c] && isVisible(c)) iconDraw(c, p2.iconArrays[c]);
  superProbeCollect = 0;
}

void PhaseFive::drawPanes() {
  if (!windexPointer->usable()) return;
  const PhaseTwo& p2 = *phaseTwo;
  for (int c = 0; c < p2.numberOfComponents; c++)
    if (p2.drawDynamic[c] && isVisible(c)) p2.drawDynamic[c](c);
}

void PhaseFive::drawTime() {
  if (phaseFour) windexPointer->drawTimeAndQueue(phaseFour->time, phaseFour->skewHeap.getLength(), stallLevel);
}

// Before the tiles exist (function keys replayed from -F at run start) there is nothing to draw yet.
// The super probes were collected afresh by drawSchematic, so all of them are painted.
void PhaseFive::drawPicture() {
  if (!windexPointer->usable() || !tilesComputed) return;
  drawingPicture = true;
  drawSchematic();
  if (interconnectFlag) connect();
  drawPanes();
  if (superProbeSelect) displaySuperProbes();
  if (displayTimeFlag) drawTime();
  drawingPicture = false;
  windexPointer->drawSubWindow();
}

void PhaseFive::repaint() {
  if (!windexPointer->usable() || !tilesComputed) return;
  windexPointer->clear();
  drawPicture();
}
