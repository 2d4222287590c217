// The display window: the mapping of the schematic's virtual plane (0..16777215 on both axes, y
// downwards) to window pixels, the view, the sub-window and exposure handling, over a display backend
// (Display.h) that does the pixel work.
//
// Every drawing operation takes virtual coordinates and does nothing when there is no usable window
// (option -X, a build without one, a server that could not be opened, or one that went away during the
// run), so the rest of the system runs unchanged without a window.  The backends' own libraries (Xlib)
// stay in their sources; this header brings in none of them.
#ifndef TARVIK_WINDOW_H
#define TARVIK_WINDOW_H

#include <cstdint>

#include "Display.h"

const int virtualExtent = 16777215;
const int maxClips = 16;  // exposed rectangles collected before a clipped redraw

class Windex {
public:
  const DisplayBackend* backend = &headlessDisplay;
  void* backendState = nullptr;  // the backend's own records of the window
  bool windowOpen = false;       // a window was opened (it may have gone since: connectionLost)
  int xPixels = 0, yPixels = 0;
  int viewXs = 0, viewYs = 0, viewXe = virtualExtent, viewYe = virtualExtent;
  int subWinXs = 0, subWinYs = 0, subWinXe = 0, subWinYe = 0;
  PixelRect clips[maxClips];  // exposed areas collected since the last clipped redraw
  int numClips = 0;
  int clipped = 0;  // a redraw is clipped to the collected rectangles (clearing too)
  int connectionLost = 0;  // set when the window's connection broke: the backend is called no more
  int shiftAtPress = 0;    // Shift was held at the last button press
  char augmentedLabelString[101];  // the window title: the label followed by -W

  explicit Windex(const char* labelString);
  Windex(const Windex&) = delete;
  Windex& operator=(const Windex&) = delete;
  ~Windex();

  // True while there is a window that can be drawn on.
  bool usable() const { return windowOpen && !connectionLost; }

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
  // The sub-window as the view scaled by 1/factor about window pixel (x, y), which stays in its place
  // (a wheel's zoom); kept inside the plane.
  void subWinAround(int x, int y, double factor);
  void drawSubWindow();
  // The dashed rectangle is drawn by inverting pixels: a pane drawn over it after the picture (a probe
  // whose value changed) wipes the dashes out where they cross the pane.  This inverts them again
  // inside the area the pane took (virtual coordinates, as clearArea takes them).
  void restoreSubWindowOver(int xs, int ys, int w, int h);
  int pointInSubWindow(int x, int y);
  void adjustSubWindow(int state, int xn, int yn, int xo, int yo);
  void setCursor(int which);
  void repaint();
  // Redraws a rectangle of window pixels as an exposure of it would, leaving the rest as it is.
  void redrawArea(int x, int y, int w, int h);
  // Takes the time display away: the band of window rows its text occupies is redrawn.
  void eraseTimeAndQueue();
  // Reads at most one pending event: eventType 0 when none (always 0 without a window).
  void checkEvent(int* eventType, int* keyChar);
  // A backend's exposure: collects the rectangle and, at the end of a series (last), redraws under it.
  void exposed(int x, int y, int w, int h, bool last);
  // Blocks until input arrives on the connection or ms milliseconds pass; returns at once without one.
  void waitForInput(int ms);

  // Pixel-space helpers shared by the drawing operations (Window.cpp).
  float xPixel(int64_t x) const;
  float yPixel(int64_t y) const;

private:
  void readWindowSize();
  void drawSegment(DisplayPen pen, int xs, int ys, int xe, int ye);
  void fill(DisplayPen pen, int xs, int ys, int w, int h);
  void addClip(int x, int y, int w, int h);
  void redrawClips();
  void clearPixels(int x, int y, int w, int h);
};

// Packs the keyChar of a button event (button << 24 | x << 12 | y), and unpacks it.
int packPointer(unsigned button, int x, int y);
void buttonPoint(int keyChar, int* button, int* x, int* y);

// A rectangle in window pixels with its corners in order and clamped to just beyond the window, so
// that it fits a display's 16-bit coordinates however far the view is zoomed.  All fields are -1 when
// the rectangle lies wholly outside the window.
PixelRect pixelRect(const Windex& win, int xs, int ys, int w, int h);

// The colour specifications ("#rrggbb") of the five values, which the window fills panes with.
extern char bar_color_ONE[8], bar_color_ZERO[8], bar_color_UNINITIALIZED[8], bar_color_XXX[8], bar_color_HIZ[8];

#endif
