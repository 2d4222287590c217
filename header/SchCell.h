// Schematic cells: the hierarchy of rectangular grids that the components' position strings describe.
//
// A position is one or more fields joined by '.', outermost first; a field is a single cell "rc" (row
// label r, column label c) or a block "rc-RC".  The root grid spans the label ranges of all first
// fields, a nested cell named by a field spans the next fields of the positions that continue through
// it, and so on.  schematicSubSpace maps a position to its rectangle within a parent rectangle.
#ifndef TARVIK_SCHCELL_H
#define TARVIK_SCHCELL_H

#include <string>
#include <vector>

class SchematicCell {
public:
  std::string name;  // the field naming this cell inside its parent; empty for the root
  char min_v_label = 0, min_h_label = 0;
  char max_v_label = 0, max_h_label = 0;
  int nr_v_cells = 0, nr_h_cells = 0;  // nr_h_cells 0: the grid is still empty
  int nr_of_subspaces = 0;
  std::vector<SchematicCell> ptr;  // nested cells, in order of first appearance
};

// The fields of a position string.
struct BreakOutDesc {
  int nr = 0;
  std::vector<std::string> ptr;
};

// Splits at '.', reporting an empty position and empty fields on standard error (they are skipped).
BreakOutDesc breakOut(const std::string& s);
// Row range r[0..1] and column range c[0..1] of one field, each range in ascending order.
void breakCell(const std::string& f, char r[2], char c[2]);
void updateLevelHeading(SchematicCell& cell, const std::string& field);
void getSubCell(SchematicCell& cell, const std::string& sa, const std::string& sb, SchematicCell** next);
void enterSchematicCell(SchematicCell& root, const std::string& s);
// Narrows (x, y, w, h), the rectangle of cell, to the rectangle that position s denotes inside it.
void schematicSubSpace(const SchematicCell& cell, const std::string& s, int* x, int* y, int* w, int* h);

#endif
