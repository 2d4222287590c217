// The display window: the X11 top-level window and the mapping of the schematic's virtual plane
// (0..16777215 on both axes) to window pixels.  Every drawing operation does nothing when there is no
// display connection, so the whole system runs unchanged without a window.
#ifndef TARVIK_WINDOW_H
#define TARVIK_WINDOW_H

#include <cstdint>

typedef struct _XDisplay Display;  // as Xlib declares it

const int virtualExtent = 16777215;

class Windex {
public:
  Display* display = nullptr;  // null when no X display is in use
  int xPixels = 0, yPixels = 0;
  int viewXs = 0, viewYs = 0, viewXe = virtualExtent, viewYe = virtualExtent;
  int subWinXs = 0, subWinYs = 0, subWinXe = 0, subWinYe = 0;
  int numClips = 0;

  explicit Windex(const char* labelString);
  Windex(const Windex&) = delete;
  Windex& operator=(const Windex&) = delete;
  ~Windex();

  // The window title: the label followed by -W.
  char augmentedLabelString[101];

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
  void drawSubWindow();
  void resetView();
  void setView(int xs, int ys, int xe, int ye);
  void getView(int* xs, int* ys, int* xe, int* ye) const;
  void reviseView(int xa, int ya, int xb, int yb);
  void showView() const;
  void setSubWin();
  // Reads at most one pending event: eventType 0 when none (always 0 without a display).
  void checkEvent(int* eventType, int* keyChar);
};

#endif
