// The window's view arithmetic without a display: scaling, rectangle zoom, the sub-window, its zones
// and its drags.  Pixel sizes are set by hand where a window would have reported them.
#include <gtest/gtest.h>

#include "Globals.h"
#include "Window.h"

namespace {

// A window without display, 1000 x 500 pixels over the view (0, 0)..(1000, 1000).
struct HeadlessWindow : testing::Test {
  Windex* win = nullptr;
  void SetUp() override {
    useXDisplay = 0;
    win = new Windex("Label");
    win->xPixels = 1000;
    win->yPixels = 500;
    win->setView(0, 0, 1000, 1000);
  }
  void TearDown() override { delete win; }
};

}  // namespace

TEST_F(HeadlessWindow, WithoutDisplayNothingIsOpenedAndTheTitleIsKept) {
  EXPECT_FALSE(win->windowOpen);
  EXPECT_FALSE(win->usable());
  EXPECT_STREQ(win->augmentedLabelString, "Label");
  int type = -1, key = 0;
  win->checkEvent(&type, &key);
  EXPECT_EQ(type, 0);
}

TEST_F(HeadlessWindow, ScalingMapsTheViewOntoThePixels) {
  EXPECT_EQ(win->xScale(500), 500);
  EXPECT_EQ(win->yScale(500), 250);
  EXPECT_EQ(win->wScale(100), 100);
  EXPECT_EQ(win->hScale(100), 50);
  win->setView(1000, 0, 0, 1000);  // mirrored
  EXPECT_EQ(win->xScale(250), 750);
  EXPECT_EQ(win->wScale(100), -100);
}

TEST_F(HeadlessWindow, AnEmptyViewExtentScalesWithoutDividingByZero) {
  win->setView(7, 7, 7, 7);
  EXPECT_EQ(win->xScale(7), 0);
  EXPECT_EQ(win->xScale(8), 1000);
  EXPECT_EQ(win->hScale(1), 500);
  win->setView(0, 0, 1, 1);
  EXPECT_EQ(win->xScale(virtualExtent), 1000000000);  // held to a safe range, not overflowed
}

TEST_F(HeadlessWindow, ReviseViewZoomsToAPixelRectangle) {
  win->reviseView(100, 50, 300, 150);
  int xs, ys, xe, ye;
  win->getView(&xs, &ys, &xe, &ye);
  EXPECT_EQ((std::vector<int>{xs, ys, xe, ye}), (std::vector<int>{100, 100, 300, 300}));
  win->reviseView(1000, 500, 0, 0);  // right to left, bottom to top: mirrored
  win->getView(&xs, &ys, &xe, &ye);
  EXPECT_EQ((std::vector<int>{xs, ys, xe, ye}), (std::vector<int>{300, 300, 100, 100}));
  testing::internal::CaptureStderr();
  win->showView();
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "View: 300 300 100 100\n");
}

TEST_F(HeadlessWindow, ARectangleWithoutAreaLeavesTheViewAlone) {
  win->reviseView(200, 200, 200, 200);  // equal corners
  win->reviseView(100, 50, 400, 50);    // no height
  win->setView(0, 0, 10, 10);
  win->reviseView(1, 1, 50, 20);  // distinct pixels, but the same virtual column
  int xs, ys, xe, ye;
  win->getView(&xs, &ys, &xe, &ye);
  EXPECT_EQ((std::vector<int>{xs, ys, xe, ye}), (std::vector<int>{0, 0, 10, 10}));
  win->xPixels = 0;  // no pixels known: nothing to map from
  win->reviseView(0, 0, 10, 10);
  win->getView(&xs, &ys, &xe, &ye);
  EXPECT_EQ(xe, 10);
}

TEST_F(HeadlessWindow, SubWindowIsTheMiddleQuarterOfTheView) {
  win->setView(0, 0, 800, 1600);
  win->setSubWin();
  EXPECT_EQ((std::vector<int>{win->subWinXs, win->subWinYs, win->subWinXe, win->subWinYe}),
            (std::vector<int>{300, 600, 500, 1000}));
  win->subWinToViewWin();
  EXPECT_EQ((std::vector<int>{win->viewXs, win->viewYs, win->viewXe, win->viewYe}),
            (std::vector<int>{300, 600, 500, 1000}));
  // A sub-window squeezed flat is not taken as the view.
  win->subWinXe = win->subWinXs;
  win->subWinToViewWin();
  EXPECT_EQ(win->viewXe, 500);
}

TEST_F(HeadlessWindow, ZonesOfTheSubWindow) {
  win->yPixels = 1000;
  win->setSubWin();  // 375..625 on both axes, bands of 31 pixels
  const int probes[][3] = {
      {380, 380, 2}, {500, 380, 3}, {620, 380, 4}, {380, 500, 5}, {500, 500, 1}, {620, 500, 6},
      {380, 620, 7}, {500, 620, 8}, {620, 620, 9}, {300, 500, 0}, {375, 500, 5}, {625, 625, 9},
      {626, 500, 0}, {500, 594, 8}, {500, 593, 1},
  };
  for (const auto& p : probes) EXPECT_EQ(win->pointInSubWindow(p[0], p[1]), p[2]) << p[0] << "," << p[1];
}

TEST_F(HeadlessWindow, DragsMoveTheEdgesTheZoneNames) {
  win->setSubWin();  // x 375..625, y 375..625
  win->adjustSubWindow(1, 110, 60, 100, 50);  // 10 pixels right, 10 down = 10 and 20 virtual units
  EXPECT_EQ((std::vector<int>{win->subWinXs, win->subWinYs, win->subWinXe, win->subWinYe}),
            (std::vector<int>{385, 395, 635, 645}));
  win->adjustSubWindow(3, 0, 0, 0, 10);  // top edge up by 20
  win->adjustSubWindow(6, 5, 0, 0, 0);   // right edge right by 5
  win->adjustSubWindow(0, 500, 500, 0, 0);  // outside: nothing
  EXPECT_EQ((std::vector<int>{win->subWinXs, win->subWinYs, win->subWinXe, win->subWinYe}),
            (std::vector<int>{385, 375, 640, 645}));
  win->adjustSubWindow(9, 0, 0, 400, 400);  // past the opposite corner: inside out
  EXPECT_EQ((std::vector<int>{win->subWinXe, win->subWinYe}), (std::vector<int>{240, -155}));
}

TEST_F(HeadlessWindow, EndlessDragsCannotOverflowTheEdges) {
  win->setView(0, 0, virtualExtent, virtualExtent);
  win->setSubWin();
  for (int i = 0; i < 300; i++) win->adjustSubWindow(1, 4000, 4000, 0, 0);
  EXPECT_EQ(win->subWinXs, 1 << 30);
  EXPECT_EQ(win->subWinYe, 1 << 30);
}

TEST(ButtonPoint, UnpacksButtonAndPosition) {
  int button, x, y;
  buttonPoint(3 << 24 | 1024 << 12 | 768, &button, &x, &y);
  EXPECT_EQ((std::vector<int>{button, x, y}), (std::vector<int>{3, 1024, 768}));
}
