// The colours in which probe panes show the five signal values: the default set, and a high-contrast
// set chosen with --palette (see Palette.cpp).
#ifndef TARVIK_PALETTE_H
#define TARVIK_PALETTE_H

#include <string>

// One set of value colours, as X colour names "#RRGGBB".
struct Palette {
  const char* name;           // as given to --palette
  const char* zero;           // ZERO
  const char* one;            // ONE
  const char* xxx;            // XXX
  const char* hiz;            // HIZ
  const char* uninitialized;  // UNINITIALIZED
};

extern const Palette defaultPalette;
extern const Palette highContrastPalette;
// The default palette's legend for the terminal, printed at start-up.
extern const char defaultColourLegend[];

// --palette NAME: puts the named palette's colours into the window's value colours; false (with the
// problem) for a name it does not know.
bool takePaletteOption(const char* name, std::string& problem);

#endif
