// Signal panes, drawn through the window's primitives (which do nothing without a display).
#include "Pane.h"

#include "Globals.h"
#include "Ph5.h"
#include "Window.h"

namespace {

Windex& window() { return *phaseFive->windexPointer; }

void fillWithValueColour(int x, int y, int w, int h, SignalValue sv) {
  Windex& win = window();
  switch (sv) {
    case ZERO: win.drawFilledRectangle_ZERO(x, y, w, h); break;
    case ONE: win.drawFilledRectangle_ONE(x, y, w, h); break;
    case XXX: win.drawFilledRectangle_XXX(x, y, w, h); break;
    case HIZ: win.drawFilledRectangle_HIZ(x, y, w, h); break;
    default: win.drawFilledRectangle_UNINITIALIZED(x, y, w, h); break;
  }
}

void outlineSymbol(int xs, int ys, int ws, int hs, SignalValue sv) {
  Windex& win = window();
  if (sv == ONE) {
    win.drawFilledRectangle(xs, ys, ws, hs);
    return;
  }
  win.drawRectangle(xs, ys, ws, hs);
  if (sv == XXX) {
    win.drawLine(xs, ys, xs + ws, ys + hs);
    win.drawLine(xs, ys + hs, xs + ws, ys);
  } else if (sv == UNINITIALIZED) {
    win.drawLine(xs, ys + hs, xs + ws, ys);
  } else if (sv == HIZ) {
    win.drawLine(xs, ys + hs / 2, xs + ws, ys + hs / 2);
  }
}

void byteCell(int x, int y, int w, int h, SignalValue sv) {
  window().clearArea(x, y, w, h);
  fillWithValueColour(x, y, w, h, sv);
  window().drawRectangle(x, y, w, h);
  window().restoreSubWindowOver(x, y, w, h);
}

}  // namespace

void shrink(float sf, int x, int y, int w, int h, int* xs, int* ys, int* ws, int* hs) {
  *ws = int(float(w) * sf);
  *hs = int(float(h) * sf);
  *xs = x + (w - *ws) / 2;
  *ys = y + (h - *hs) / 2;
}

void drawPane(int x, int y, int w, int h, SignalValue sv, bool is_probe, float shrinkFactor) {
  int xs, ys, ws, hs;
  shrink(shrinkFactor, x, y, w, h, &xs, &ys, &ws, &hs);
  window().clearArea(xs, ys, ws, hs);
  if (is_probe) {
    fillWithValueColour(xs, ys, ws, hs, sv);
    window().drawRectangle(xs, ys, ws, hs);
  } else {
    outlineSymbol(xs, ys, ws, hs, sv);
  }
  window().restoreSubWindowOver(xs, ys, ws, hs);
}

void drawPane_byte(int x, int y, int w, int h, const SignalValue sv[8], bool, float shrinkFactor) {
  int xs, ys, ws, hs;
  shrink(shrinkFactor, x, y, w, h, &xs, &ys, &ws, &hs);
  int step = hs / 8;
  for (int i = 0; i < 8; i++) byteCell(xs, ys + i * step, ws, int(step * 0.7), sv[i]);
}

void drawPane_byte_h(int x, int y, int w, int h, const SignalValue sv[8], bool, float shrinkFactor) {
  int xs, ys, ws, hs;
  shrink(shrinkFactor, x, y, w, h, &xs, &ys, &ws, &hs);
  int step = ws / 8;
  for (int i = 0; i < 8; i++) byteCell(xs + i * step, ys, int(step * 0.7), hs, sv[i]);
}
