// The display window: the one X11 top-level window, its graphics contexts and colours, and the mapping
// of the schematic's virtual plane (0..16777215 on both axes, y downwards) to window pixels.
//
// Every drawing operation takes virtual coordinates and does nothing when there is no usable display
// connection (option -X, a server that could not be opened, or one that went away during the run), so
// the rest of the system runs unchanged without a window.  Xlib itself is confined to the Windex
// sources; this header only names its handle types, so that including it brings in no Xlib macros.
#ifndef TARVIK_WINDOW_H
#define TARVIK_WINDOW_H

#include <cstdint>

// Xlib's own handle types, declared as Xlib declares them.
typedef struct _XDisplay Display;
typedef struct _XGC* GC;
// The Xlib records of the window (size hints, last event, collected exposures), in WindowX.h.
struct WindexRecords;

const int virtualExtent = 16777215;
const int maxClips = 16;  // exposed rectangles collected before a clipped redraw

class Windex {
public:
  Display* display = nullptr;  // null when no X display is in use
  unsigned long window = 0;    // the top-level window (an X id)
  GC gc = nullptr;             // main context: foreground colour, GXcopy
  WindexRecords* records = nullptr;
  int screen = 0;
  unsigned long foreground = 0, background = 0;
  unsigned long subwin = 0;  // sub-window outline pixel, already XOR-ed with the background
  static int cursor_shape[10];  // cursor-font glyph per sub-window zone
  unsigned long cursor = 0;     // current pointer cursor (an X id)
  int xPixels = 0, yPixels = 0;
  int viewXs = 0, viewYs = 0, viewXe = virtualExtent, viewYe = virtualExtent;
  int subWinXs = 0, subWinYs = 0, subWinXe = 0, subWinYe = 0;
  int numClips = 0;
  int clipped = 0;  // a redraw is clipped to the collected rectangles (clearing too)
  int connectionLost = 0;  // set when the X connection broke: no further X calls are made
  char augmentedLabelString[101];  // the window title: the label followed by -W

  explicit Windex(const char* labelString);
  Windex(const Windex&) = delete;
  Windex& operator=(const Windex&) = delete;
  ~Windex();

  // True while there is a display connection that can be drawn on.
  bool usable() const { return display && !connectionLost; }

  void clear();
  void clearArea(int xs, int ys, int w, int h);
  void drawLine(int xs, int ys, int xe, int ye);
  void drawLine_BOLD(int xs, int ys, int xe, int ye);
  void drawRectangle(int xs, int ys, int w, int h);
  void drawFilledRectangle(int xs, int ys, int w, int h);
  void drawFilledRectangle_ONE(int xs, int ys, int w, int h);
  void drawFilledRectangle_ZERO(int xs, int ys, int w, int h);
  void drawFilledRectangle_UNINITIALIZED(int xs, int ys, int w, int h);
  void drawFilledRectangle_XXX(int xs, int ys, int w, int h);
  void drawFilledRectangle_HIZ(int xs, int ys, int w, int h);
  void drawCircle(int xs, int ys, int w, int h, int angle1, int angle2);
  void drawFilledCircle(int xs, int ys, int w, int h, int angle1, int angle2);
  void drawText(int x, int y, const char* s);
  void drawTimeAndQueue(uint64_t t, int q, int s);

  void resetView();
  void setView(int xs, int ys, int xe, int ye);
  void getView(int* xs, int* ys, int* xe, int* ye) const;
  // Zooms to the rectangle between two pixel corners; a rectangle without area leaves the view as it is.
  void reviseView(int xa, int ya, int xb, int yb);
  void showView() const;

  int xScale(int x) const;
  int yScale(int y) const;
  int wScale(int w) const;
  int hScale(int h) const;

  // Sub-window (the dashed navigation rectangle), cursor and events (WindowEv.cpp).
  void setSubWin();
  void subWinToViewWin();
  void drawSubWindow();
  int pointInSubWindow(int x, int y);
  void adjustSubWindow(int state, int xn, int yn, int xo, int yo);
  void setCursor(int which);
  void repaint();
  // Redraws a rectangle of window pixels as an exposure of it would, leaving the rest as it is.
  void redrawArea(int x, int y, int w, int h);
  // Takes the time display away: the band of window rows its text occupies is redrawn.
  void eraseTimeAndQueue();
  // Reads at most one pending event: eventType 0 when none (always 0 without a display).
  void checkEvent(int* eventType, int* keyChar);
  // Blocks until input arrives on the connection or ms milliseconds pass; returns at once without one.
  void waitForInput(int ms);

  // Pixel-space helpers shared by the drawing operations (Window.cpp).
  float xPixel(int64_t x) const;
  float yPixel(int64_t y) const;

private:
  void createWindow(const char* labelString);
  void createContexts();
  void awaitFirstExposure();
  void readWindowSize();
  void drawSegment(GC context, int xs, int ys, int xe, int ye);
  void fill(GC context, int xs, int ys, int w, int h);
  void exposed();
  void addClip(int x, int y, int w, int h);
  void redrawClips();
  void clipContexts(bool on);
  void clearPixels(int x, int y, int w, int h);
};

// Unpacks the keyChar of a button event (button << 24 | x << 12 | y).
void buttonPoint(int keyChar, int* button, int* x, int* y);

// Module-wide display state: a context per signal value and a bold one, the colormap, scratch pixels
// and the X colour specifications of the five values.
extern GC gc_ONE, gc_ZERO, gc_UNINITIALIZED, gc_XXX, gc_HIZ, gc_BOLD;
extern unsigned long colormap1;
extern unsigned long foreground1, background1;
extern char bar_color_ONE[8], bar_color_ZERO[8], bar_color_UNINITIALIZED[8], bar_color_XXX[8], bar_color_HIZ[8];

#endif
