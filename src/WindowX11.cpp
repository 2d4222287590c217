// The X11 display backend: opening the window, its colours and graphics contexts, the pixel
// primitives, and reading X events into the simulator's event codes.
//
// X errors and a broken connection end the run by setting done.  For the broken connection Xlib's
// exit handler is replaced by one that returns: Xlib then marks the display dead and every later call
// returns at once, the run loop sees done at its next test, and the process ends through the normal
// shutdown instead of inside Xlib.
#include <poll.h>
#include <X11/XKBlib.h>
#include <X11/keysym.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "Globals.h"
#include "WindowX.h"

namespace {

// Cursor-font glyph per sub-window zone.
const unsigned cursorShape[10] = {2, 52, 134, 116, 136, 108, 108, 12, 116, 14};

int onXError(Display*, XErrorEvent*) {
  done = 1;
  return 0;
}

int onXIOError(Display*) {
  done = 1;
  return 0;
}

void onXIOErrorExit(Display*, void* windex) {
  done = 1;
  static_cast<Windex*>(windex)->connectionLost = 1;
}

// Allocates the colour of a -c/-C/-S triple (8-bit components); ends the process when it cannot.
unsigned long allocateOption(X11Window& x, int r, int g, int b, const char* what) {
  XColor c;
  c.red = static_cast<unsigned short>(r << 8);
  c.green = static_cast<unsigned short>(g << 8);
  c.blue = static_cast<unsigned short>(b << 8);
  c.flags = DoRed | DoGreen | DoBlue;
  if (!XAllocColor(x.display, x.colormap, &c)) {
    fprintf(stderr, "Can't Alloc %s Pixel\n\n", what);
    exit(255);
  }
  return c.pixel;
}

bool anySet(int r, int g, int b) { return r != 0 || g != 0 || b != 0; }

GC valueContext(X11Window& x, const char* name) {
  XColor colour;
  colour.pixel = 0;
  if (XParseColor(x.display, x.colormap, name, &colour)) XAllocColor(x.display, x.colormap, &colour);
  XGCValues v;
  v.background = x.background;
  v.foreground = colour.pixel;
  v.function = GXcopy;
  return XCreateGC(x.display, x.window, GCBackground | GCForeground | GCFunction, &v);
}

GC boldContext(X11Window& x) {
  XGCValues v;
  v.background = x.background;
  v.foreground = x.foreground;
  v.function = GXcopy;
  v.line_width = 2;
  v.line_style = LineSolid;
  v.cap_style = CapButt;
  v.join_style = JoinBevel;
  return XCreateGC(x.display, x.window,
                   GCBackground | GCForeground | GCFunction | GCLineWidth | GCLineStyle | GCCapStyle | GCJoinStyle,
                   &v);
}

// The size-hint bits for the parts of the geometry the user gave (XGeometry's mask), program-specified
// for the rest.  The mask itself cannot be passed on: its XNegative and YNegative bits are PMinSize
// and PMaxSize in the hints, and would tell the window manager the window may be neither larger nor
// smaller than 0 by 0.
long sizeHintFlags(int mask) {
  long flags = (mask & (XValue | YValue)) ? USPosition | PWinGravity : PPosition;
  return flags | ((mask & (WidthValue | HeightValue)) ? USSize : PSize);
}

// The corner a user's position is measured from: a negative offset counts from the right or bottom
// edge of the screen.
int gravityOf(int mask) {
  bool right = mask & XNegative, bottom = mask & YNegative;
  if (right && bottom) return SouthEastGravity;
  if (right) return NorthEastGravity;
  return bottom ? SouthWestGravity : NorthWestGravity;
}

void allocateColours(X11Window& x) {
  x.colormap = DefaultColormap(x.display, x.screen);
  x.background = anySet(red_bg, green_bg, blue_bg) ? allocateOption(x, red_bg, green_bg, blue_bg, "background")
                                                    : WhitePixel(x.display, x.screen);
  x.foreground = anySet(red_fg, green_fg, blue_fg) ? allocateOption(x, red_fg, green_fg, blue_fg, "foreground")
                                                    : BlackPixel(x.display, x.screen);
  x.subwin = anySet(red_sw, green_sw, blue_sw) ? allocateOption(x, red_sw, green_sw, blue_sw, "subwindow")
                                                : allocateOption(x, 255, 0, 0, "subwindow");
  x.subwin ^= x.background;
}

void createWindow(X11Window& x, const char* title, const char* labelString) {
  XSizeHints& hint = x.hint;
  int px = 0, py = 0, w = 0, h = 0;
  int mask = XGeometry(x.display, x.screen, XW_geometry, "1025x825+100+25", 5, 1, 1, 0, 0, &px, &py, &w, &h);
  // A size the server would refuse (0, or beyond its 16-bit limit) would leave no window to wait for.
  hint.x = px;
  hint.y = py;
  hint.width = std::max(1, std::min(w, 32767));
  hint.height = std::max(1, std::min(h, 32767));
  // XGeometry has already counted negative offsets from the screen's right or bottom edge.
  hint.flags = sizeHintFlags(mask);
  hint.win_gravity = gravityOf(mask);
  x.window = XCreateSimpleWindow(x.display, RootWindow(x.display, x.screen), hint.x, hint.y, unsigned(hint.width),
                                 unsigned(hint.height), 5, x.foreground, x.background);
  x.cursor = XCreateFontCursor(x.display, cursorShape[0]);
  XDefineCursor(x.display, x.window, x.cursor);
  XSetStandardProperties(x.display, x.window, title, labelString, None, nullptr, 0, &hint);
  XSetWMNormalHints(x.display, x.window, &hint);  // the standard properties leave out the gravity
}

void createContexts(X11Window& x) {
  GC gc = XCreateGC(x.display, x.window, 0, nullptr);
  XSetBackground(x.display, gc, x.background);
  XSetForeground(x.display, gc, x.foreground);
  XSetFunction(x.display, gc, GXcopy);
  x.pens[penForeground] = gc;
  x.pens[penBold] = boldContext(x);
  x.pens[penONE] = valueContext(x, bar_color_ONE);
  x.pens[penZERO] = valueContext(x, bar_color_ZERO);
  x.pens[penUNINITIALIZED] = valueContext(x, bar_color_UNINITIALIZED);
  x.pens[penXXX] = valueContext(x, bar_color_XXX);
  x.pens[penHIZ] = valueContext(x, bar_color_HIZ);
}

bool windowSize(Windex& win, int* w, int* h) {
  X11Window& x = x11Of(win);
  XWindowAttributes a;
  if (!XGetWindowAttributes(x.display, x.window, &a)) return false;
  *w = a.width;
  *h = a.height;
  return true;
}

void waitForInput(Windex& win, int ms) {
  X11Window& x = x11Of(win);
  if (XPending(x.display) > 0 || win.connectionLost) return;
  struct pollfd p = {ConnectionNumber(x.display), POLLIN, 0};
  poll(&p, 1, ms);
}

// The first exposure says the window is on the screen; a window placed wholly off the screen gets none,
// so the wait gives up after a few seconds rather than hanging.
void awaitFirstExposure(Windex& win) {
  X11Window& x = x11Of(win);
  for (int waited = 0; waited < 3000 && !win.connectionLost; waited += 10) {
    if (XCheckTypedWindowEvent(x.display, x.window, Expose, &x.event)) break;
    waitForInput(win, 10);
  }
  if (!win.connectionLost) windowSize(win, &win.xPixels, &win.yPixels);
}

bool openWindow(Windex& win, const char* labelString) {
  XSetErrorHandler(onXError);
  XSetIOErrorHandler(onXIOError);
  Display* display = XOpenDisplay("");
  if (!display) {
    fprintf(stderr, "Unable to open X Window\n");
    return false;
  }
  XSetIOErrorExitHandler(display, onXIOErrorExit, &win);
  X11Window* x = new X11Window();
  win.backendState = x;
  x->display = display;
  x->screen = DefaultScreen(display);
  allocateColours(*x);
  createWindow(*x, win.augmentedLabelString, labelString);
  createContexts(*x);
  XSelectInput(display, x->window, KeyPressMask | ButtonPressMask | ButtonReleaseMask | Button1MotionMask |
                                       ExposureMask | StructureNotifyMask);
  XMapRaised(display, x->window);
  awaitFirstExposure(win);
  return true;
}

void closeWindow(Windex& win) {
  X11Window* x = &x11Of(win);
  for (GC& c : x->pens)
    if (c) XFreeGC(x->display, c);
  XFreeCursor(x->display, x->cursor);
  XDestroyWindow(x->display, x->window);
  XCloseDisplay(x->display);
  delete x;
  win.backendState = nullptr;
}

void clearWindow(Windex& win) { XClearWindow(x11Of(win).display, x11Of(win).window); }

void clearPixels(Windex& win, int px, int py, int w, int h) {
  XClearArea(x11Of(win).display, x11Of(win).window, px, py, unsigned(w), unsigned(h), False);
}

void line(Windex& win, DisplayPen pen, int x0, int y0, int x1, int y1) {
  X11Window& x = x11Of(win);
  XDrawLine(x.display, x.window, x.pens[pen], x0, y0, x1, y1);
}

void rectangle(Windex& win, int px, int py, int w, int h) {
  X11Window& x = x11Of(win);
  XDrawRectangle(x.display, x.window, x.pens[penForeground], px, py, unsigned(w), unsigned(h));
}

void fill(Windex& win, DisplayPen pen, int px, int py, int w, int h) {
  X11Window& x = x11Of(win);
  XFillRectangle(x.display, x.window, x.pens[pen], px, py, unsigned(w), unsigned(h));
}

void arc(Windex& win, DisplayPen pen, bool filled, int px, int py, int w, int h, int angle1, int angle2) {
  X11Window& x = x11Of(win);
  if (filled)
    XFillArc(x.display, x.window, x.pens[pen], px, py, unsigned(w), unsigned(h), angle1, angle2);
  else
    XDrawArc(x.display, x.window, x.pens[pen], px, py, unsigned(w), unsigned(h), angle1, angle2);
}

void text(Windex& win, int px, int py, const char* s) {
  X11Window& x = x11Of(win);
  XDrawImageString(x.display, x.window, x.pens[penForeground], px, py, s, int(strlen(s)));
}

// Drawn with XOR in the sub-window colour, dashed; the context is put back afterwards.
void subWindowRect(Windex& win, int px, int py, int w, int h) {
  X11Window& x = x11Of(win);
  GC gc = x.pens[penForeground];
  XSetLineAttributes(x.display, gc, 0, LineOnOffDash, CapRound, JoinRound);
  XSetFunction(x.display, gc, GXxor);
  XSetForeground(x.display, gc, x.subwin);
  XDrawRectangle(x.display, x.window, gc, px, py, unsigned(w), unsigned(h));
  XSetLineAttributes(x.display, gc, 0, LineSolid, CapRound, JoinRound);
  XSetFunction(x.display, gc, GXcopy);
  XSetForeground(x.display, gc, x.foreground);
}

void clip(Windex& win, const PixelRect* rects, int n) {
  X11Window& x = x11Of(win);
  if (n > maxClips) n = maxClips;  // the window collects no more; never write past r
  XRectangle r[maxClips];
  for (int i = 0; i < n; i++)
    r[i] = {short(rects[i].x), short(rects[i].y), static_cast<unsigned short>(rects[i].w),
            static_cast<unsigned short>(rects[i].h)};
  for (GC c : x.pens) {
    if (!c) continue;
    if (n > 0)
      XSetClipRectangles(x.display, c, 0, 0, r, n, Unsorted);
    else
      XSetClipMask(x.display, c, None);
  }
}

// A font that cannot be asked about keeps the caller's guess.
void textExtent(Windex& win, int* ascent, int* descent) {
  X11Window& x = x11Of(win);
  if (XFontStruct* font = XQueryFont(x.display, XGContextFromGC(x.pens[penForeground]))) {
    *ascent = font->ascent;
    *descent = font->descent;
    XFreeFontInfo(nullptr, font, 1);
  }
}

void translateKey(Display* d, XKeyEvent& key, int* eventType, int* keyChar) {
  KeySym sym = XkbKeycodeToKeysym(d, KeyCode(key.keycode), 0, 0);
  if (sym >= XK_F1 && sym <= XK_F35) {
    *eventType = 2;
    *keyChar = int(sym - (XK_F1 - 1));
  } else if (sym >= XK_Home && sym <= 0xFF5F) {
    *eventType = 3;
    *keyChar = int(sym) - int(XK_Left);
  } else {
    char chars[25];
    if (XLookupString(&key, chars, sizeof chars, nullptr, nullptr) != 1) return;
    *eventType = 1;
    *keyChar = static_cast<signed char>(chars[0]);
  }
}

void nextEvent(Windex& win, int* eventType, int* keyChar) {
  X11Window& x = x11Of(win);
  if (XPending(x.display) == 0) return;
  XEvent& e = x.event;
  XNextEvent(x.display, &e);
  if (win.connectionLost) return;
  win.shiftAtPress = e.type == ButtonPress && (e.xbutton.state & ShiftMask);
  switch (e.type) {
    case KeyPress: translateKey(x.display, e.xkey, eventType, keyChar); break;
    case ButtonPress:
    case ButtonRelease:
      *eventType = e.type == ButtonPress ? 8 : 9;
      *keyChar = packPointer(e.xbutton.button, e.xbutton.x, e.xbutton.y);
      break;
    case MotionNotify:
      *eventType = 10;
      *keyChar = packPointer(0, e.xmotion.x, e.xmotion.y);
      break;
    case Expose: win.exposed(e.xexpose.x, e.xexpose.y, e.xexpose.width, e.xexpose.height, e.xexpose.count == 0); break;
    default: break;
  }
}

void setCursor(Windex& win, int zone) {
  X11Window& x = x11Of(win);
  XFreeCursor(x.display, x.cursor);
  x.cursor = XCreateFontCursor(x.display, cursorShape[zone]);
  XDefineCursor(x.display, x.window, x.cursor);
}

const DisplayBackend x11Display = {openWindow, closeWindow, clearWindow, clearPixels, line,          rectangle,
                                   fill,       arc,         text,        subWindowRect, clip,          textExtent,
                                   nextEvent,  waitForInput, setCursor,  windowSize};

}  // namespace

const DisplayBackend* const windowDisplay = &x11Display;
