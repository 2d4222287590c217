// Value colour palettes.  The window fills probe panes with the colours held in bar_color_*; choosing a
// palette copies its five colours there before the window is opened.
//
// The default colours keep ZERO, UNINITIALIZED and the white background within a hair of each other,
// and HIZ nearly as pale.  The high-contrast set takes its hues from the Okabe-Ito palette, which stays
// apart for deuteranopia and protanopia, and spreads the five values over lightness as well (ZERO light
// yellow, HIZ light blue, UNINITIALIZED mid grey, XXX vermillion, ONE dark blue), so they stay apart
// on a white background in small panes, for colour-blind users and in greyscale.  Every pair of the
// five and the background is at least 27 CIE76 units apart, before and after a simulated deuteranopia
// or protanopia (tests/test_window_palette.cpp checks it).
#include "Palette.h"

#include <cstdio>
#include <cstring>

#include "Globals.h"
#include "Window.h"

const Palette defaultPalette = {"default", "#F0FFF0", "#008000", "#FF8C00", "#FFEBCD", "#FFFFFF"};
const Palette highContrastPalette = {"high-contrast", "#F0E442", "#1F4E9C", "#D55E00", "#8FCBEF", "#9A9A9A"};

// The default colours as the terminal's legend shows them at start-up, in 256-colour codes (ZERO 151,
// ONE 28, XXX 208, HIZ 222, UNINITIALIZED 231).  They are a fixed text, not the nearest codes to the
// colours above: change them with the default palette, by hand.
const char defaultColourLegend[] =
    "\033[30;48;5;151m   \033[0m <-- ZERO signal\t\t\033[30;48;5;208m   \033[0m <-- XXX signal    \n"
    "\033[30;48;5;28m   \033[0m <-- ONE signal\t\t\033[30;48;5;222m   \033[0m <-- HIZ signal    \n"
    "\t\t\t\t\033[30;48;5;231m   \033[0m <-- UNINITIALIZED signal    \n\n";

namespace {

const Palette* const palettes[] = {&defaultPalette, &highContrastPalette};

void copyColour(char (&field)[8], const char* colour) { snprintf(field, sizeof field, "%s", colour); }

void usePalette(const Palette& p) {
  copyColour(bar_color_ZERO, p.zero);
  copyColour(bar_color_ONE, p.one);
  copyColour(bar_color_XXX, p.xxx);
  copyColour(bar_color_HIZ, p.hiz);
  copyColour(bar_color_UNINITIALIZED, p.uninitialized);
}

}  // namespace

bool takePaletteOption(const char* name, std::string& problem) {
  for (const Palette* p : palettes) {
    if (strcmp(name, p->name) != 0) continue;
    usePalette(*p);
    return true;
  }
  problem = std::string("unknown palette ") + name + ": choose default or high-contrast";
  return false;
}

void resetPalette() { usePalette(defaultPalette); }
