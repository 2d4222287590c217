// Schematic cells and tiles: grids from position strings, the rectangle of a position, and the tiles
// that components sharing a position split between them.
#include <gtest/gtest.h>

#include "Netlist.h"
#include "SchCell.h"
#include "Sim.h"
#include "Window.h"

namespace {

struct Rect {
  int x, y, w, h;
  bool operator==(const Rect& o) const { return x == o.x && y == o.y && w == o.w && h == o.h; }
};

std::ostream& operator<<(std::ostream& os, const Rect& r) {
  return os << "(" << r.x << "," << r.y << "," << r.w << "," << r.h << ")";
}

SchematicCell treeOf(const std::vector<std::string>& positions) {
  SchematicCell root;
  for (const std::string& p : positions) enterSchematicCell(root, p);
  return root;
}

// The rectangle of a position inside a 1000 x 1000 parent, where the single-precision steps are exact.
Rect rectOf(const SchematicCell& root, const std::string& s, Rect start = {0, 0, 1000, 1000}) {
  Rect r = start;
  schematicSubSpace(root, s, &r.x, &r.y, &r.w, &r.h);
  return r;
}

}  // namespace

TEST(SchematicCell, GridSpansTheLabelsItsPositionsUse) {
  SchematicCell root = treeOf({"aa-ea", "ab"});
  EXPECT_EQ(root.nr_v_cells, 5);
  EXPECT_EQ(root.nr_h_cells, 2);
  EXPECT_EQ(root.nr_of_subspaces, 0);  // leaves only: no nested grids
  EXPECT_EQ(rectOf(root, "aa-ea"), (Rect{0, 0, 500, 1000}));
  EXPECT_EQ(rectOf(root, "ab"), (Rect{500, 0, 500, 200}));
  EXPECT_EQ(rectOf(root, "ab", {100, 50, 1000, 1000}), (Rect{600, 50, 500, 200}));
}

TEST(SchematicCell, LabelsNeedNotStartAtA) {
  SchematicCell root = treeOf({"ca", "fa"});
  EXPECT_EQ(root.nr_v_cells, 4);
  EXPECT_EQ(rectOf(root, "ca"), (Rect{0, 0, 1000, 250}));
  EXPECT_EQ(rectOf(root, "fa"), (Rect{0, 750, 1000, 250}));
}

TEST(SchematicCell, NestedGridsNarrowLevelByLevel) {
  SchematicCell root = treeOf({"aa", "ab.aa", "ab.bb", "aa.ac-ad"});
  ASSERT_EQ(root.nr_of_subspaces, 2);
  EXPECT_EQ(root.ptr[0].name, "ab");  // order of first appearance
  EXPECT_EQ(root.ptr[1].name, "aa");
  EXPECT_EQ(rectOf(root, "ab.bb"), (Rect{750, 500, 250, 500}));
  EXPECT_EQ(rectOf(root, "ab.aa"), (Rect{500, 0, 250, 500}));
  // "aa" and "aa.ac-ad" share a rectangle: the nested grid holds only columns c..d.
  EXPECT_EQ(rectOf(root, "aa"), (Rect{0, 0, 500, 1000}));
  EXPECT_EQ(rectOf(root, "aa.ac-ad"), (Rect{0, 0, 500, 1000}));
}

TEST(SchematicCell, DifferentTextsOverTheSameCellsAreSeparateGrids) {
  SchematicCell root = treeOf({"da-ea.aa", "db-eb.aa", "db-eb.ab"});
  ASSERT_EQ(root.nr_of_subspaces, 2);
  EXPECT_EQ(root.ptr[0].nr_h_cells, 1);
  EXPECT_EQ(root.ptr[1].nr_h_cells, 2);
  EXPECT_EQ(rectOf(root, "db-eb.ab"), (Rect{750, 0, 250, 1000}));
}

TEST(SchematicCell, AFieldMissingFromTheTreeStopsAtTheOuterRectangle) {
  SchematicCell root = treeOf({"aa", "ab"});
  EXPECT_EQ(rectOf(root, "ab.cc"), (Rect{500, 0, 500, 1000}));
  SchematicCell empty;
  EXPECT_EQ(rectOf(empty, "ab"), (Rect{0, 0, 1000, 1000}));  // no grid: nothing to divide by
  EXPECT_EQ(rectOf(root, ""), (Rect{0, 0, 1000, 1000}));
}

TEST(SchematicCell, EmptyPositionsAndFieldsAreReportedAndSkipped) {
  testing::internal::CaptureStderr();
  BreakOutDesc none = breakOut("");
  BreakOutDesc inner = breakOut("aa..ab");
  BreakOutDesc ends = breakOut(".aa.");
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(none.nr, 0);
  ASSERT_EQ(inner.nr, 2);
  EXPECT_EQ(inner.ptr[1], "ab");
  EXPECT_EQ(ends.nr, 1);
  EXPECT_EQ(err,
            "Screen_cell string has zero length.\n"
            "Length zero field in schematic cell designation: aa..ab\n"
            "Length zero field in schematic cell designation: .aa.\n"
            "Length zero field in schematic cell designation: .aa.\n");
  // The tree and the rectangles skip the empty field the same way.
  testing::internal::CaptureStderr();
  SchematicCell root = treeOf({"aa..bb", "ab"});
  testing::internal::GetCapturedStderr();
  EXPECT_EQ(rectOf(root, "aa..bb"), (Rect{0, 0, 500, 1000}));
}

TEST(SchematicCell, MalformedFieldsStillGiveAGridWithCells) {
  char r[2], c[2];
  breakCell("ec-ab", r, c);  // written backwards: the same block
  EXPECT_EQ(std::string(r, 2), "ae");
  EXPECT_EQ(std::string(c, 2), "bc");
  breakCell("b", r, c);  // a lone label stands for row and column
  EXPECT_EQ(std::string(r, 2) + std::string(c, 2), "bbbb");
  breakCell("bc-d", r, c);  // a range without its end column keeps the start column
  EXPECT_EQ(std::string(r, 2) + std::string(c, 2), "bdcc");
  SchematicCell root = treeOf({"ba-aa"});
  EXPECT_EQ(root.nr_v_cells, 2);
  EXPECT_EQ(rectOf(root, "ba-aa"), (Rect{0, 0, 1000, 1000}));
}

namespace {

void threeSharingOnePosition() {
  Signal a(1, "a"), b(1, "b"), c(1, "c");
  Probe(SD("aa"), a, "first");
  Space(SD("ab"));
  Probe(SD("aa"), b, "second");
  Probe(SD("aa"), c, "third");
}

}  // namespace

TEST(Tiling, ComponentsSharingAPositionStackTopDownInRegistrationOrder) {
  threeSharingOnePosition();
  elaborate();
  SchematicCell root;
  phaseFive->componentTiling(&root);
  const std::vector<ScreenTile>& t = phaseTwo->tile;
  // Two columns of 16777215 / 2, truncated.
  EXPECT_EQ((Rect{t[0].x, t[0].y, t[0].w, t[0].h}), (Rect{0, 0, 8388607, 5592405}));
  EXPECT_EQ((Rect{t[2].x, t[2].y, t[2].w, t[2].h}), (Rect{0, 5592405, 8388607, 5592405}));
  EXPECT_EQ((Rect{t[3].x, t[3].y, t[3].w, t[3].h}), (Rect{0, 11184810, 8388607, 5592405}));
  EXPECT_EQ((Rect{t[1].x, t[1].y, t[1].w, t[1].h}), (Rect{8388607, 0, 8388607, virtualExtent}));
  EXPECT_EQ(phaseFive->tilesComputed, 1);
}

namespace {

void manySharingOnePosition() {
  Signal s(1, "s");
  for (int i = 0; i < 300; i++) Probe(SD("aa"), s, "p");
}

}  // namespace

TEST(Tiling, ManyBandsInOneRectangleStayInsideIt) {
  manySharingOnePosition();
  elaborate();
  SchematicCell root;
  phaseFive->componentTiling(&root);
  const std::vector<ScreenTile>& t = phaseTwo->tile;
  for (int c = 1; c < 300; c++) ASSERT_GT(t[c].y, t[c - 1].y) << c;
  EXPECT_EQ(t[299].y, int(299LL * virtualExtent / 300));
  EXPECT_LE(t[299].y + t[299].h, virtualExtent);
}
