// A display backend: the few pixel primitives, events and cursors the window (Windex) needs, as a plain
// table of functions, so that the view arithmetic, clipping and exposure handling stay in one portable
// place and each kind of screen supplies only its own drawing.  One backend is built in as the window
// (windowDisplay: X11 in the native build, the headless one in builds without X); option -X always
// takes the headless one, which opens nothing.
//
// Coordinates here are window pixels, already clipped or clamped to just beyond the window.
#ifndef TARVIK_DISPLAY_H
#define TARVIK_DISPLAY_H

class Windex;

// The pens a shape is drawn with: the foreground (plain and bold lines) and the five value colours.
enum DisplayPen { penForeground, penBold, penONE, penZERO, penUNINITIALIZED, penXXX, penHIZ };

// A rectangle of window pixels.
struct PixelRect {
  int x, y, w, h;
};

struct DisplayBackend {
  // Opens the window, sets win.xPixels/yPixels and returns true; false leaves the run without a window.
  bool (*open)(Windex& win, const char* labelString);
  void (*close)(Windex& win);
  void (*clearWindow)(Windex& win);
  void (*clearPixels)(Windex& win, int x, int y, int w, int h);
  void (*line)(Windex& win, DisplayPen pen, int x0, int y0, int x1, int y1);
  void (*rectangle)(Windex& win, int x, int y, int w, int h);
  void (*fill)(Windex& win, DisplayPen pen, int x, int y, int w, int h);
  void (*arc)(Windex& win, DisplayPen pen, bool filled, int x, int y, int w, int h, int angle1, int angle2);
  // Text on its background box ("image text"), from its baseline.
  void (*text)(Windex& win, int x, int y, const char* s);
  // The dashed sub-window outline, drawn so that drawing it twice erases it.
  void (*subWindowRect)(Windex& win, int x, int y, int w, int h);
  // Restricts every pen to the rectangles (n of them); n == 0 lifts the restriction.
  void (*clip)(Windex& win, const PixelRect* rects, int n);
  // The font's reach above and below the baseline.
  void (*textExtent)(Windex& win, int* ascent, int* descent);
  // Reads at most one event (Windex::checkEvent's codes; exposures go to win.exposed instead).
  void (*nextEvent)(Windex& win, int* eventType, int* keyChar);
  // Blocks until an event may be there or ms milliseconds pass.
  void (*waitForInput)(Windex& win, int ms);
  // The pointer's shape over sub-window zone 0..9.
  void (*setCursor)(Windex& win, int zone);
  // The window's present size in pixels; false when it cannot be read.
  bool (*size)(Windex& win, int* w, int* h);
};

extern const DisplayBackend headlessDisplay;
// The backend a window opens with when -X is not given.
extern const DisplayBackend* const windowDisplay;

#endif
