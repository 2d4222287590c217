// Panes and primitives drawn straight into a window of this process, read back pixel by pixel.
//
// The view is set to the window's own pixel size, so one virtual unit is one pixel and every shape
// lands where its arguments say.  A pane in a 200 x 200 tile at (x, y) shrinks by 0.25 to the 50 x 50
// square at (x + 75, y + 75).
#include <gtest/gtest.h>

#include "Netlist.h"
#include "Pane.h"
#include "WindowX.h"
#include "XServer.h"

namespace {

const unsigned long white = 0xffffff, black = 0x000000;
const unsigned long valueColour[5] = {0xf0fff0, 0xffffff, 0xff8c00, 0xffebcd, 0x008000};  // by SignalValue

void noCircuit() {}

struct WindowOfOurOwn : testing::Test {
  XvfbServer server;
  Windex* win = nullptr;

  void SetUp() override {
    ASSERT_TRUE(server.ready());
    noCircuit();
    elaborate();
    delete phaseFive;
    useXDisplay = 1;
    phaseFive = new PhaseFive;
    win = phaseFive->windexPointer;
    ASSERT_TRUE(win->usable());
    win->setView(0, 0, win->xPixels, win->yPixels);
  }

  unsigned long pixel(int x, int y) {
    X11Window& xw = x11Of(*win);
    XSync(xw.display, False);
    XImage* image = XGetImage(xw.display, xw.window, x, y, 1, 1, AllPlanes, ZPixmap);
    unsigned long p = XGetPixel(image, 0, 0) & 0xFFFFFF;
    XDestroyImage(image);
    return p;
  }
};

const SignalValue allValues[5] = {ZERO, UNINITIALIZED, XXX, HIZ, ONE};

}  // namespace

TEST_F(WindowOfOurOwn, OpensAtTheDefaultSizeWithTheWholePlaneInView) {
  EXPECT_EQ(win->xPixels, 1025);
  EXPECT_EQ(win->yPixels, 825);
  EXPECT_STREQ(win->augmentedLabelString, "Tarvik v20190227");
  win->resetView();
  EXPECT_EQ(win->xScale(virtualExtent), 1025);
  EXPECT_EQ(win->yScale(virtualExtent / 2), 412);
}

TEST_F(WindowOfOurOwn, ProbeStylePanesAreFilledWithTheValueColourAndOutlined) {
  for (int i = 0; i < 5; i++) drawPane(200 * i, 0, 200, 200, allValues[i], true, 0.25f);
  for (int i = 0; i < 5; i++) {
    int x = 200 * i;
    EXPECT_EQ(pixel(x + 100, 100), valueColour[allValues[i]]) << i;
    EXPECT_EQ(pixel(x + 75, 100), black) << i;   // left edge
    EXPECT_EQ(pixel(x + 125, 100), black) << i;  // right edge
    EXPECT_EQ(pixel(x + 70, 100), white) << i;   // outside the shrunk square
  }
}

TEST_F(WindowOfOurOwn, OutlineStylePanesUseBlackAndWhiteSymbols) {
  for (int i = 0; i < 5; i++) drawPane(200 * i, 200, 200, 200, allValues[i], false, 0.25f);
  // The pane of value v, drawn in the tile of its index in allValues.
  auto at = [&](SignalValue v, int dx, int dy) {
    int i = 0;
    while (allValues[i] != v) i++;
    return pixel(200 * i + dx, 200 + dy);
  };
  // Points of the 50 x 50 square at (75, 75): centre, main diagonal, other diagonal, off both.
  EXPECT_EQ(at(ZERO, 100, 100), white);
  EXPECT_EQ(at(ZERO, 75, 100), black);
  EXPECT_EQ(at(ONE, 100, 100), black);  // a solid box
  EXPECT_EQ(at(ONE, 90, 110), black);
  EXPECT_EQ(at(XXX, 90, 90), black);  // both diagonals
  EXPECT_EQ(at(XXX, 90, 110), black);
  EXPECT_EQ(at(XXX, 100, 85), white);
  EXPECT_EQ(at(UNINITIALIZED, 90, 110), black);  // lower left to upper right only
  EXPECT_EQ(at(UNINITIALIZED, 90, 90), white);
  EXPECT_EQ(at(HIZ, 90, 100), black);  // a line across the middle
  EXPECT_EQ(at(HIZ, 90, 90), white);
  EXPECT_EQ(at(HIZ, 90, 110), white);
}

TEST_F(WindowOfOurOwn, BytePanesStackEightCellsWithGaps) {
  const SignalValue v[8] = {ZERO, ONE, XXX, HIZ, UNINITIALIZED, ONE, ZERO, XXX};
  drawPane_byte(0, 400, 200, 400, v, false, 0.25f);  // cells of 50 x 8 every 12 rows from (75, 550)
  drawPane_byte_h(200, 400, 400, 200, v, true, 0.25f);  // cells of 8 x 50 every 12 columns from (350, 475)
  for (int i = 0; i < 8; i++) {
    EXPECT_EQ(pixel(100, 550 + 12 * i + 4), valueColour[v[i]]) << i;  // filled even when outline style is asked
    EXPECT_EQ(pixel(100, 550 + 12 * i + 10), white) << i;              // the gap under each cell
    EXPECT_EQ(pixel(350 + 12 * i + 4, 500), valueColour[v[i]]) << i;
    EXPECT_EQ(pixel(350 + 12 * i + 10, 500), white) << i;
  }
}

TEST_F(WindowOfOurOwn, APaneTooSmallToSeeClearsNothingAroundIt) {
  win->drawFilledRectangle_ONE(500, 500, 100, 100);
  drawPane(560, 560, 2, 2, ZERO, true, 0.25f);  // shrinks to nothing
  EXPECT_EQ(pixel(590, 590), valueColour[ONE]);
  EXPECT_EQ(pixel(1000, 800), white);
}

TEST_F(WindowOfOurOwn, ShapesFarOutsideAZoomedViewDoNotWrapIntoIt) {
  // 66036 pixels is 500 once cut to the protocol's 16 bits.
  win->drawLine(66000, 300, 66100, 300);
  win->drawFilledRectangle_ONE(66000, 350, 100, 20);
  win->drawText(66000, 420, "far away");
  EXPECT_EQ(pixel(500, 300), white);
  EXPECT_EQ(pixel(500, 360), white);
  // A line that only passes through the window is cut to it and still drawn.
  win->drawLine(-100000, 100, 100000, 100);
  win->drawRectangle(-100000, 150, 200000, 50);
  EXPECT_EQ(pixel(500, 100), black);
  EXPECT_EQ(pixel(500, 150), black);
  EXPECT_EQ(pixel(500, 175), white);
}

TEST_F(WindowOfOurOwn, MirroredViewsDrawMirroredShapes) {
  win->setView(win->xPixels, 0, 0, win->yPixels);  // right to left
  win->drawFilledRectangle_ONE(100, 100, 50, 50);
  EXPECT_EQ(pixel(win->xPixels - 125, 125), valueColour[ONE]);
  EXPECT_EQ(pixel(125, 125), white);
}

TEST_F(WindowOfOurOwn, TheSubWindowIsDrawnWithXorAndErasedByDrawingItAgain) {
  win->resetView();
  win->setSubWin();
  win->drawSubWindow();
  int n = 0;
  for (int x = 400; x < 420; x++) n += pixel(x, 309) == 0xff0000;
  EXPECT_GT(n, 5);  // dashed
  win->drawSubWindow();
  for (int x = 400; x < 420; x++) EXPECT_EQ(pixel(x, 309), white) << x;
}
