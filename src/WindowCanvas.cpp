// The canvas display backend, for the WebAssembly build shown in a web page: every primitive is a call
// into the page's drawing code (WindowCanvas.js, linked with --js-library), which paints an HTML canvas
// and queues the keys, buttons and pointer motion it receives there.
//
// The run loop keeps its shape: its waits suspend the program (ASYNCIFY) and hand control back to the
// page, which resumes it at once when input arrives, so every key reaches the circuit in its own input
// poll, as a key typed into the X window does.  A circuit that never rests still lets the page breathe:
// the event poll yields now and then (the page decides when, without touching the simulation's order).
#include <cstdio>
#include <string>

#include <emscripten.h>

#include "Capability.h"
#include "Globals.h"
#include "Ph2.h"
#include "Ph5.h"
#include "Window.h"

extern "C" {
// The page's side (WindowCanvas.js).  Colours are "#rrggbb" texts; pens follow DisplayPen.
int tarvikCanvasOpen(const char* background, const char* foreground, const char* subWindow, const char* one,
                     const char* zero, const char* uninitialized, const char* xxx, const char* hiz);
int tarvikCanvasWidth();
int tarvikCanvasHeight();
void tarvikCanvasClear(int x, int y, int w, int h);
void tarvikCanvasLine(int pen, int x0, int y0, int x1, int y1);
void tarvikCanvasRectangle(int x, int y, int w, int h);
void tarvikCanvasFill(int pen, int x, int y, int w, int h);
void tarvikCanvasArc(int pen, int filled, int x, int y, int w, int h, int angle1, int angle2);
void tarvikCanvasText(int x, int y, const char* s);
void tarvikCanvasSubWindow(int x, int y, int w, int h);
void tarvikCanvasClip(const int* rects, int n);
void tarvikCanvasCursor(int zone);
// Fills event[3]: type (Windex::checkEvent's codes, 0 for none), keyChar, Shift held.  A canvas keeps its
// pixels, so the one exposure is the page's giving it a new size (canvasResized).  The wait and the
// poll may suspend the program while the page runs.
void tarvikCanvasNextEvent(int* event);
void tarvikCanvasWait(int ms);
}

namespace {

// The font the page draws text with: its reach above and below the baseline, in pixels.
const int textAscent = 11, textDescent = 3;

// A colour option (-c, -C, -S) as "#rrggbb", or the fallback when none was given.
void optionColour(char out[8], int r, int g, int b, const char* fallback) {
  if (r == 0 && g == 0 && b == 0)
    snprintf(out, 8, "%s", fallback);
  else
    snprintf(out, 8, "#%02x%02x%02x", r & 255, g & 255, b & 255);
}

bool open(Windex& win, const char*) {
  char background[8], foreground[8], subWindow[8];
  optionColour(background, red_bg, green_bg, blue_bg, "#ffffff");
  optionColour(foreground, red_fg, green_fg, blue_fg, "#000000");
  optionColour(subWindow, red_sw, green_sw, blue_sw, "#ff0000");
  if (!tarvikCanvasOpen(background, foreground, subWindow, bar_color_ONE, bar_color_ZERO, bar_color_UNINITIALIZED,
                        bar_color_XXX, bar_color_HIZ))
    return false;
  win.xPixels = tarvikCanvasWidth();
  win.yPixels = tarvikCanvasHeight();
  return true;
}

void close(Windex&) {}
void clearWindow(Windex& win) { tarvikCanvasClear(0, 0, win.xPixels, win.yPixels); }
void clearPixels(Windex&, int x, int y, int w, int h) { tarvikCanvasClear(x, y, w, h); }
void line(Windex&, DisplayPen pen, int x0, int y0, int x1, int y1) { tarvikCanvasLine(pen, x0, y0, x1, y1); }
void rectangle(Windex&, int x, int y, int w, int h) { tarvikCanvasRectangle(x, y, w, h); }
void fill(Windex&, DisplayPen pen, int x, int y, int w, int h) { tarvikCanvasFill(pen, x, y, w, h); }

void arc(Windex&, DisplayPen pen, bool filled, int x, int y, int w, int h, int angle1, int angle2) {
  tarvikCanvasArc(pen, filled, x, y, w, h, angle1, angle2);
}

void text(Windex&, int x, int y, const char* s) { tarvikCanvasText(x, y, s); }
void subWindowRect(Windex&, int x, int y, int w, int h) { tarvikCanvasSubWindow(x, y, w, h); }

void clip(Windex&, const PixelRect* rects, int n) {
  if (n > maxClips) n = maxClips;  // the window collects no more; never read past flat
  int flat[4 * maxClips];
  for (int i = 0; i < n; i++) {
    flat[4 * i] = rects[i].x;
    flat[4 * i + 1] = rects[i].y;
    flat[4 * i + 2] = rects[i].w;
    flat[4 * i + 3] = rects[i].h;
  }
  tarvikCanvasClip(flat, n);
}

void textExtent(Windex&, int* ascent, int* descent) {
  *ascent = textAscent;
  *descent = textDescent;
}

// The buttonPress code of Windex::checkEvent, whose Shift state the explain gesture reads, and the
// page's own code for a canvas given a new size (which clears it): drawn anew as an exposure of the
// whole canvas, which finds the new size.
const int buttonPress = 8, canvasResized = 12;

void nextEvent(Windex& win, int* eventType, int* keyChar) {
  int e[3] = {0, 0, 0};
  tarvikCanvasNextEvent(e);
  *eventType = e[0] == canvasResized ? 0 : e[0];
  *keyChar = e[1];
  if (e[0] == buttonPress) win.shiftAtPress = e[2];
  if (e[0] == canvasResized) win.exposed(0, 0, tarvikCanvasWidth(), tarvikCanvasHeight(), true);
}

void waitForInput(Windex&, int ms) { tarvikCanvasWait(ms); }
void setCursor(Windex&, int zone) { tarvikCanvasCursor(zone); }

bool size(Windex&, int* w, int* h) {
  *w = tarvikCanvasWidth();
  *h = tarvikCanvasHeight();
  return true;
}

const DisplayBackend canvasDisplay = {open,      close, clearWindow,   clearPixels, line,       rectangle,
                                      fill,      arc,   text,          subWindowRect, clip,     textExtent,
                                      nextEvent, waitForInput, setCursor, size};

}  // namespace

// Linked ahead of the library, this definition is the one the window opens with; the library's own
// (DisplayDefault.cpp, the headless display) is then never taken from its archive.
const DisplayBackend* const windowDisplay = &canvasDisplay;

// For the page's pointer (a hover or a tap): what the pane at canvas pixel (x, y) shows, "" for none.
// The page calls it between the program's turns, while the run waits for input.
extern "C" EMSCRIPTEN_KEEPALIVE const char* tarvikPaneValue(int x, int y) {
  static std::string text;
  text = capabilityPaneValue(x, y);
  return text.c_str();
}

// For the page's zoom display: "XS YS XE YE W H", the view in the plane and the window's pixels; "" once
// there is no window.
extern "C" EMSCRIPTEN_KEEPALIVE const char* tarvikView() {
  static char text[96];
  text[0] = 0;
  const Windex* win = phaseFive ? phaseFive->windexPointer : nullptr;
  if (win && win->usable())
    snprintf(text, sizeof text, "%d %d %d %d %d %d", win->viewXs, win->viewYs, win->viewXe, win->viewYe, win->xPixels,
             win->yPixels);
  return text;
}

// For the page's buttons: the keys bound to switches, a line each: the key, a space, the switch's label
// (its decal).
extern "C" EMSCRIPTEN_KEEPALIVE const char* tarvikKeyBindings() {
  static std::string text;
  text.clear();
  if (!phaseTwo) return text.c_str();
  for (const auto& binding : phaseTwo->activationsFromWindow)
    text += char(binding[0]) + std::string(" ") + phaseTwo->decal[size_t(binding[1])] + "\n";
  return text.c_str();
}
