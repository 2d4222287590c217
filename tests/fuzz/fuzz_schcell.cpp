// Fuzz target: position strings through the schematic cell tree and the tiling of the components.
//
// The input is a list of position strings, one a line (bytes of any value, as a circuit description
// could pass them).  Every position is entered into a tree; then every position, and every leading run
// of its fields, must map to a rectangle of non-negative size inside its parent rectangle, both on the
// full virtual plane and on a small parent where the single-precision steps are exact.  The same
// positions, given to components, are tiled by componentTiling: each tile lies inside the band of the
// position it shares.  Nothing may divide by zero or read out of bounds (the sanitizers watch that).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "Globals.h"
#include "Ph2.h"
#include "Ph5.h"
#include "SchCell.h"
#include "Window.h"

namespace {

struct Rect {
  int x, y, w, h;
};

bool inside(const Rect& r, const Rect& parent) {
  return r.w >= 0 && r.h >= 0 && r.x >= parent.x && r.y >= parent.y &&
         int64_t(r.x) + r.w <= int64_t(parent.x) + parent.w && int64_t(r.y) + r.h <= int64_t(parent.y) + parent.h;
}

// Positions, one a line; a NUL ends a position as it would end a C string.
std::vector<std::string> positionsOf(const uint8_t* data, size_t size) {
  std::vector<std::string> positions(1);
  for (size_t i = 0; i < size && positions.size() <= 48; i++) {
    char c = char(data[i]);
    if (c == '\n' || c == '\0')
      positions.emplace_back();
    else if (positions.back().size() < 64)
      positions.back() += c;
  }
  return positions;
}

// The first k + 1 fields of a position, with the dots between them (all of it when it has fewer).
std::string leadingFields(const std::string& s, int k) {
  size_t at = 0;
  for (int i = 0; i <= k; i++) {
    at = s.find('.', i == 0 ? 0 : at + 1);
    if (at == std::string::npos) return s;
  }
  return s.substr(0, at);
}

void checkTree(const SchematicCell& cell) {
  if (cell.nr_of_subspaces != int(cell.ptr.size())) abort();
  if (cell.nr_h_cells != 0) {
    if (cell.nr_h_cells != int(cell.max_h_label) - int(cell.min_h_label) + 1) abort();
    if (cell.nr_v_cells != int(cell.max_v_label) - int(cell.min_v_label) + 1) abort();
    if (cell.nr_h_cells < 1 || cell.nr_v_cells < 1) abort();
  }
  for (const SchematicCell& sub : cell.ptr) checkTree(sub);
}

void checkRectangles(const SchematicCell& root, const std::vector<std::string>& positions, const Rect& parent) {
  for (const std::string& p : positions) {
    Rect outer = parent;
    for (int k = 0; k <= 8; k++) {
      std::string part = leadingFields(p, k);
      Rect r = parent;
      schematicSubSpace(root, part, &r.x, &r.y, &r.w, &r.h);
      // Each further field narrows within the rectangle of the fields before it.
      if (!inside(r, parent) || !inside(r, outer)) abort();
      outer = r;
      if (part == p) break;
    }
  }
}

void checkTiling(const std::vector<std::string>& positions) {
  PhaseTwo p2;
  p2.numberOfComponents = int(positions.size());
  p2.rcpos = positions;
  p2.tile.resize(positions.size());
  phaseTwo = &p2;
  SchematicCell root;
  phaseFive->componentTiling(&root);
  SchematicCell alone;
  for (const std::string& p : positions) enterSchematicCell(alone, p);
  const Rect plane{0, 0, virtualExtent, virtualExtent};
  for (size_t c = 0; c < positions.size(); c++) {
    Rect band = plane;
    schematicSubSpace(alone, positions[c], &band.x, &band.y, &band.w, &band.h);
    const ScreenTile& t = p2.tile[c];
    if (!inside(Rect{t.x, t.y, t.w, t.h}, band)) abort();
  }
  phaseTwo = nullptr;
}

}  // namespace

// One display phase, without a window, serves every input.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
  useXDisplay = 0;
  static PhaseFive display;
  phaseFive = &display;
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<std::string> positions = positionsOf(data, size);
  SchematicCell root;
  for (const std::string& p : positions) enterSchematicCell(root, p);
  checkTree(root);
  checkRectangles(root, positions, Rect{0, 0, virtualExtent, virtualExtent});
  checkRectangles(root, positions, Rect{100, 50, 1000, 1000});
  checkTiling(positions);
  return 0;
}
