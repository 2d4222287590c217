// The X11 display backend's records of its window, shared by its source (WindowX11.cpp) and the tests
// that read the window's pixels back.
#ifndef TARVIK_WINDOWX_H
#define TARVIK_WINDOWX_H

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include "Window.h"

struct X11Window {
  Display* display = nullptr;
  Window window = 0;  // the top-level window
  int screen = 0;
  Colormap colormap = 0;
  unsigned long foreground = 0, background = 0;
  unsigned long subwin = 0;  // sub-window outline pixel, already XOR-ed with the background
  GC pens[penHIZ + 1] = {};  // by DisplayPen: foreground, bold, the five values
  Cursor cursor = 0;         // current pointer cursor
  XSizeHints hint;           // flags, x, y, width, height of the window as requested
  XEvent event;              // the last event read
};

// The X records of a window the X11 backend opened.
inline X11Window& x11Of(const Windex& win) { return *static_cast<X11Window*>(win.backendState); }

#endif
