// Screen tiles: the rectangle of every component on the virtual plane.
//
// All positions are entered into the cell tree first, so that every grid knows its full label range;
// then each position is mapped to its rectangle, and the components that share one position string
// split its rectangle into horizontal bands, the first registered on top.
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "Globals.h"
#include "Ph2.h"
#include "Ph5.h"
#include "SchCell.h"
#include "Window.h"

namespace {

// For each component, its rank (from 1) among those with the same position, and how many share it.
void rankSharedPositions(std::vector<int>& subPosition, std::vector<int>& total) {
  const PhaseTwo& p2 = *phaseTwo;
  std::unordered_map<std::string, int> seen;
  for (int c = 0; c < p2.numberOfComponents; c++) subPosition[c] = ++seen[p2.rcpos[c]];
  for (int c = 0; c < p2.numberOfComponents; c++) total[c] = seen[p2.rcpos[c]];
}

void tileComponents(SchematicCell* root) {
  PhaseTwo& p2 = *phaseTwo;
  int n = p2.numberOfComponents;
  std::vector<int> subPosition(n), total(n);
  rankSharedPositions(subPosition, total);
  for (int c = 0; c < n; c++) enterSchematicCell(*root, p2.rcpos[c]);
  for (int c = 0; c < n; c++) {
    int x = 0, y = 0, w = virtualExtent, h = virtualExtent;
    schematicSubSpace(*root, p2.rcpos[c], &x, &y, &w, &h);
    // 64 bits: many components sharing one tall rectangle would overflow the product.
    int64_t band = int64_t(subPosition[c] - 1) * h / total[c];
    ScreenTile& t = p2.tile[c];
    t.x = x;
    t.y = y + int(band);
    t.w = w;
    t.h = h / total[c];
  }
}

}  // namespace

void PhaseFive::componentTiling(SchematicCell* root) {
  tileComponents(root);
  tilesComputed = 1;
}

void layOutTiles() {
  if (phaseTwo->tilesLaidOut) return;
  SchematicCell root;
  tileComponents(&root);
  phaseTwo->tilesLaidOut = true;
}
