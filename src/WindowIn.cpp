// Input dispatch: one event (from the window, or the next scripted key) to its action, through a table
// indexed by the event code.
//
// Printable keys operate the first component bound to them, control keys and function keys change
// the display or end the run, cursor keys set the slowness.  The mouse navigates: in windowing mode
// the left button drags the sub-window (whole, or by an edge or corner), the middle button zooms into
// it and the right button returns to the whole schematic; in classic mode a left press and a right
// press span the rectangle to zoom into, and the middle button returns to the whole schematic.  A
// wheel step (the web page's canvas; the X window sends none) zooms about the pointer in either mode.
#include <cstdio>

#include "Capability.h"
#include "Globals.h"
#include "Ph2.h"
#include "Ph5.h"
#include "Window.h"

namespace {

// Navigation state kept between events.
int panState = 0;  // zone grabbed by the left button in windowing mode; 0 when none
int lastPanX = 0, lastPanY = 0;
int viewXlast = 0, viewYlast = 0;  // last left press in classic mode

Windex& window() { return *phaseFive->windexPointer; }

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

void onCharacter(int keyChar) {
  if (keyChar > 31)
    characterKey(keyChar);
  else
    controlKey(keyChar);
}

void onFunctionKey(int keyChar) { FunctionKeyOperate(keyChar); }
void onCursorKey(int keyChar) { CursorKeyOperate(keyChar); }

// Every zoom is a full repaint, interconnecting lines included when they are on.
void zoomIntoSubWindow() {
  window().subWinToViewWin();
  phaseFive->repaint();
}

void middleButton() {
  if (phaseFive->newWindowingMode) {
    zoomIntoSubWindow();
    return;
  }
  window().resetView();
  phaseFive->repaint();
}

void rightButton(int x, int y) {
  if (phaseFive->newWindowingMode) {
    window().resetView();
    window().setSubWin();
  } else {
    window().reviseView(viewXlast, viewYlast, x, y);
  }
  phaseFive->repaint();
}

void leftButton(int x, int y) {
  if (phaseFive->newWindowingMode) {
    panState = window().pointInSubWindow(x, y);
    if (panState != 0) {
      lastPanX = x;
      lastPanY = y;
    }
  } else {
    viewXlast = x;
    viewYlast = y;
  }
}

void onButtonPress(int keyChar) {
  int button, x, y;
  buttonPoint(keyChar, &button, &x, &y);
  if (button == 1 && capabilityTakesPaneClick(x, y)) return;  // Shift: explain the pane's bit instead
  if (button == 1)
    leftButton(x, y);
  else if (button == 2)
    middleButton();
  else if (button == 3)
    rightButton(x, y);
}

void onButtonRelease(int keyChar) {
  int button, x, y;
  buttonPoint(keyChar, &button, &x, &y);
  if (button != 1) return;
  panState = 0;
  window().setCursor(0);
}

void onMotion(int keyChar) {
  int button, x, y;
  buttonPoint(keyChar, &button, &x, &y);
  window().adjustSubWindow(panState, x, y, lastPanX, lastPanY);
  lastPanX = x;
  lastPanY = y;
}

// Button 1 zooms in, 2 out, by two about the point: through the sub-window, as the middle button zooms,
// which is then set again in the middle of the new view, where the right button leaves it.
void onWheel(int keyChar) {
  int button, x, y;
  buttonPoint(keyChar, &button, &x, &y);
  window().subWinAround(x, y, button == 1 ? 2.0 : 0.5);
  window().subWinToViewWin();
  window().setSubWin();
  phaseFive->repaint();
}

// Handlers by event code; codes without one are reported.
void (*const handlers[])(int keyChar) = {
    nullptr, onCharacter, onFunctionKey, onCursorKey, nullptr, nullptr, nullptr, nullptr,
    onButtonPress, onButtonRelease, onMotion, onWheel,
};
const int numberOfHandlers = int(sizeof handlers / sizeof handlers[0]);

void dispatch(int eventType, int keyChar) {
  if (eventType > 0 && eventType < numberOfHandlers && handlers[eventType])
    handlers[eventType](keyChar);
  else
    fprintf(stderr, "Unused EventType = %d keyChar = %d\n", eventType, keyChar);
}

}  // namespace

int anyWindowEvents() {
  int eventType = 0, keyChar = 0;
  phaseFive->windexPointer->checkEvent(&eventType, &keyChar);
  if (eventType == 0) scriptedInput().next(&eventType, &keyChar);
  if (eventType == 0) {
    if (!phaseFive->windexPointer->windowOpen && scriptedInput().finished()) FunctionKeyOperate(10);
    return 0;
  }
  dispatch(eventType, keyChar);
  return 1;
}
