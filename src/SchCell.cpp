// Schematic cells: building the grid hierarchy from position strings and mapping a position to its
// rectangle.
//
// Entering a position widens each grid along its path to the labels the position uses and creates a
// nested cell for every field that is followed by another.  The rectangle of a position divides the
// parent rectangle into the grid's equal rows and columns, in single precision, level by level.
// Malformed fields are read leniently: a reversed range ("ea-aa") counts as the same block written
// forwards, and missing characters repeat the start of the field, so every grid has at least one row
// and one column and no division can be by zero.  Single-precision rounding can carry a rectangle a
// unit past the far edge of its parent; it is cut back to the parent's edge.
#include "SchCell.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

namespace {

// The fields of s without the empty ones; *emptyFields counts the empty ones left out.
std::vector<std::string> splitFields(const std::string& s, int* emptyFields) {
  std::vector<std::string> fields;
  *emptyFields = 0;
  size_t begin = 0;
  for (;;) {
    size_t end = s.find('.', begin);
    std::string f = s.substr(begin, end == std::string::npos ? std::string::npos : end - begin);
    if (f.empty())
      ++*emptyFields;
    else
      fields.push_back(f);
    if (end == std::string::npos) return fields;
    begin = end + 1;
  }
}

int countOf(char lo, char hi) { return int(hi) - int(lo) + 1; }

// Cuts a span (*pos, *size) that rounding carried past the end of the parent span (start, extent).
void keepWithin(int start, int extent, int* pos, int* size) {
  int64_t end = int64_t(start) + extent;
  if (*pos > end) *pos = int(end);
  if (int64_t(*pos) + *size > end) *size = int(end - *pos);
}

SchematicCell* nestedCell(const SchematicCell& cell, const std::string& name) {
  for (const SchematicCell& sub : cell.ptr)
    if (sub.name == name) return const_cast<SchematicCell*>(&sub);
  return nullptr;
}

}  // namespace

BreakOutDesc breakOut(const std::string& s) {
  BreakOutDesc d;
  if (s.empty()) {
    fprintf(stderr, "Screen_cell string has zero length.\n");
    return d;
  }
  int emptyFields = 0;
  d.ptr = splitFields(s, &emptyFields);
  for (int i = 0; i < emptyFields; i++)
    fprintf(stderr, "Length zero field in schematic cell designation: %s\n", s.c_str());
  d.nr = int(d.ptr.size());
  return d;
}

void breakCell(const std::string& f, char r[2], char c[2]) {
  char r0 = f.empty() ? 'a' : f[0];
  char c0 = f.size() > 1 ? f[1] : r0;
  bool range = f.size() > 2;
  char r1 = range && f.size() > 3 ? f[3] : r0;
  char c1 = range && f.size() > 4 ? f[4] : c0;
  r[0] = std::min(r0, r1);
  r[1] = std::max(r0, r1);
  c[0] = std::min(c0, c1);
  c[1] = std::max(c0, c1);
}

void updateLevelHeading(SchematicCell& cell, const std::string& field) {
  char r[2], c[2];
  breakCell(field, r, c);
  if (cell.nr_h_cells == 0) {
    cell.min_v_label = r[0];
    cell.max_v_label = r[1];
    cell.min_h_label = c[0];
    cell.max_h_label = c[1];
  } else {
    cell.min_v_label = std::min(cell.min_v_label, r[0]);
    cell.max_v_label = std::max(cell.max_v_label, r[1]);
    cell.min_h_label = std::min(cell.min_h_label, c[0]);
    cell.max_h_label = std::max(cell.max_h_label, c[1]);
  }
  cell.nr_v_cells = countOf(cell.min_v_label, cell.max_v_label);
  cell.nr_h_cells = countOf(cell.min_h_label, cell.max_h_label);
}

void getSubCell(SchematicCell& cell, const std::string& sa, const std::string& sb, SchematicCell** next) {
  *next = nestedCell(cell, sa);
  if (!*next) {
    cell.ptr.emplace_back();
    cell.ptr.back().name = sa;
    cell.nr_of_subspaces = int(cell.ptr.size());
    *next = &cell.ptr.back();
  }
  updateLevelHeading(**next, sb);
}

void enterSchematicCell(SchematicCell& root, const std::string& s) {
  BreakOutDesc d = breakOut(s);
  SchematicCell* cur = &root;
  for (int i = 0; i < d.nr; i++) {
    updateLevelHeading(*cur, d.ptr[i]);
    if (i < d.nr - 1) getSubCell(*cur, d.ptr[i], d.ptr[i + 1], &cur);
  }
}

void schematicSubSpace(const SchematicCell& cell, const std::string& s, int* x, int* y, int* w, int* h) {
  int emptyFields = 0;
  std::vector<std::string> fields = splitFields(s, &emptyFields);
  const SchematicCell* cur = &cell;
  for (size_t i = 0; i < fields.size() && cur; i++) {
    if (cur->nr_h_cells <= 0 || cur->nr_v_cells <= 0) return;  // a grid nothing was entered into
    char r[2], c[2];
    breakCell(fields[i], r, c);
    int x0 = *x, y0 = *y, w0 = *w, h0 = *h;
    float fw = float(*w), fh = float(*h);
    float nh = float(cur->nr_h_cells), nv = float(cur->nr_v_cells);
    *x = int(float(*x) + float(c[0] - cur->min_h_label) * fw / nh);
    *y = int(float(*y) + float(r[0] - cur->min_v_label) * fh / nv);
    *w = int(float(c[1] - c[0] + 1) * fw / nh);
    *h = int(float(r[1] - r[0] + 1) * fh / nv);
    keepWithin(x0, w0, x, w);
    keepWithin(y0, h0, y, h);
    if (i + 1 < fields.size()) cur = nestedCell(*cur, fields[i]);
  }
}
