// A component's rectangle on the schematic, in virtual coordinates.
#ifndef TARVIK_SCRNTILE_H
#define TARVIK_SCRNTILE_H

class ScreenTile {
public:
  int x = 0, y = 0, w = 0, h = 0;
  int numberOfPanes = 0;    // reserved; no component uses sub-panes
  ScreenTile* panes = nullptr;
};

#endif
