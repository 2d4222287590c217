// Input dispatch: one event (from the window, or the next scripted key) to its action.
#include <cstdio>

#include "Globals.h"
#include "KeyScript.h"
#include "Ph2.h"
#include "Ph5.h"
#include "Window.h"

namespace {

// A printable key operates the first component bound to it.
void characterKey(int c) {
  const PhaseTwo& p2 = *phaseTwo;
  for (int j = 0; j < p2.numberOfSwitches; j++) {
    if (p2.activationsFromWindow[j][0] != c) continue;
    int cind = p2.activationsFromWindow[j][1];
    if (p2.xEventTriggered[cind])
      p2.xEventTriggered[cind](cind);
    else
      fprintf(stderr, "Keyboard input maps to a component, but no function exists\n");
    return;
  }
  fprintf(stderr, "Keyboard input:  Character (char=%c,int=%d) with no corresponding component activation defined.\n",
          char(c), c);
}

void controlKey(int c) {
  switch (c) {
    case 1: FunctionKeyOperate(27); break;
    case 12: FunctionKeyOperate(31); break;
    case 13: FunctionKeyOperate(35); break;
    case 14: FunctionKeyOperate(29); break;
    case 26: FunctionKeyOperate(33); break;
    default: fprintf(stderr, "Keyboard input:  Control character (int=%d) unmapped.\n", c); break;
  }
}

void dispatch(int eventType, int keyChar) {
  switch (eventType) {
    case 1:
      if (keyChar > 31)
        characterKey(keyChar);
      else
        controlKey(keyChar);
      break;
    case 2: FunctionKeyOperate(keyChar); break;
    case 3: CursorKeyOperate(keyChar); break;
    default: fprintf(stderr, "Unused EventType = %d keyChar = %d\n", eventType, keyChar); break;
  }
}

}  // namespace

int anyWindowEvents() {
  int eventType = 0, keyChar = 0;
  phaseFive->windexPointer->checkEvent(&eventType, &keyChar);
  if (eventType == 0) nextScriptedKey(&eventType, &keyChar);
  if (eventType == 0) {
    if (!phaseFive->windexPointer->display && keyScriptFinished()) FunctionKeyOperate(10);
    return 0;
  }
  dispatch(eventType, keyChar);
  return 1;
}
