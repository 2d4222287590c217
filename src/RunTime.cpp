// Run-control flags: written by key handlers, the Stop component and the display's error handlers,
// read by the run loop.
#include "Globals.h"

int done = 0;
int reStart = 0;
int stallLevel = 0;
int haltFlag = 0;
int directEvaluationFlag = 1;

void resetRunControl() {
  done = 0;
  reStart = 0;
  stallLevel = 0;
  haltFlag = 0;
  directEvaluationFlag = 1;
}
