// Signal panes: small rectangles inside a tile that show a value, filled in the value's colour
// (probe style) or as black-and-white symbols (outline style).
#ifndef TARVIK_PANE_H
#define TARVIK_PANE_H

#include "Signal.h"

void shrink(float sf, int x, int y, int w, int h, int* xs, int* ys, int* ws, int* hs);
void drawPane(int x, int y, int w, int h, SignalValue sv, bool is_probe, float shrinkFactor);
void drawPane_byte(int x, int y, int w, int h, const SignalValue sv[8], bool is_probe, float shrinkFactor);
void drawPane_byte_h(int x, int y, int w, int h, const SignalValue sv[8], bool is_probe, float shrinkFactor);

#endif
