// The display phase: display settings, the visibility rule and the drawing of the schematic.
//
// Drawing is skipped entirely without a display.  Apart from drawing nothing, that keeps the display
// routines of probes (which report as text without a window) from printing outside the run loop's
// evaluation pass, so a headless probe reports once at time zero and then once per change.
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

void PhaseFive::componentTiling(SchematicCell*) {}

void PhaseFive::drawSchematic() {}

void PhaseFive::drawPanes() {
  if (!windexPointer->display) return;
  for (int c = 0; c < phaseTwo->numberOfComponents; c++)
    if (phaseTwo->drawDynamic[c] && isVisible(c)) phaseTwo->drawDynamic[c](c);
}

void PhaseFive::connect() {}

void PhaseFive::displaySuperProbes() {}

void PhaseFive::repaint() {
  if (!windexPointer->display) return;
  windexPointer->clear();
  drawSchematic();
  if (interconnectFlag) connect();
  drawPanes();
  windexPointer->drawSubWindow();
}
