// The Xlib side of the display window, shared by the Windex sources only (Window.cpp, WindowEv.cpp):
// the X records a window keeps and the pixel rectangles the drawing operations hand to Xlib.
#ifndef TARVIK_WINDOWX_H
#define TARVIK_WINDOWX_H

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include "Window.h"

struct WindexRecords {
  XSizeHints hint;            // flags, x, y, width, height of the window as requested
  XEvent event;               // the last event read by checkEvent
  XRectangle clips[maxClips];  // exposed areas collected since the last clipped redraw
};

extern XColor color_ONE, color_ZERO, color_UNINITIALIZED, color_XXX, color_HIZ;

// A rectangle in window pixels with its corners in order and clamped to just beyond the window, so
// that it fits the protocol's 16-bit coordinates however far the view is zoomed.  All fields are -1
// when the rectangle lies wholly outside the window.
struct PixelRect {
  int x, y, w, h;
};
PixelRect pixelRect(const Windex& win, int xs, int ys, int w, int h);

#endif
