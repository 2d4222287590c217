// The window over a display backend: what reaches the backend, in pixels, for each primitive, for
// exposures and for the sub-window, seen through a backend that writes down every call.
#include <gtest/gtest.h>

#include <string>

#include "Netlist.h"
#include "Window.h"

namespace {

std::string calls;

void note(const char* name, std::initializer_list<int> values) {
  calls += name;
  for (int v : values) calls += " " + std::to_string(v);
  calls += ";";
}

const DisplayBackend recorder = {
    [](Windex&, const char*) { return true; },
    [](Windex&) { note("close", {}); },
    [](Windex&) { note("clearWindow", {}); },
    [](Windex&, int x, int y, int w, int h) { note("clearPixels", {x, y, w, h}); },
    [](Windex&, DisplayPen p, int x0, int y0, int x1, int y1) { note("line", {p, x0, y0, x1, y1}); },
    [](Windex&, int x, int y, int w, int h) { note("rectangle", {x, y, w, h}); },
    [](Windex&, DisplayPen p, int x, int y, int w, int h) { note("fill", {p, x, y, w, h}); },
    [](Windex&, DisplayPen p, bool f, int x, int y, int w, int h, int a, int b) { note("arc", {p, f, x, y, w, h, a, b}); },
    [](Windex&, int x, int y, const char* s) { note(("text " + std::string(s)).c_str(), {x, y}); },
    [](Windex&, int x, int y, int w, int h) { note("subWindowRect", {x, y, w, h}); },
    [](Windex&, const PixelRect*, int n) { note("clip", {n}); },
    [](Windex&, int* a, int* d) { *a = 10, *d = 3; },
    [](Windex&, int* type, int* key) { *type = 1, *key = 'k'; },
    [](Windex&, int ms) { note("wait", {ms}); },
    [](Windex&, int zone) { note("cursor", {zone}); },
    [](Windex& w, int* x, int* y) { return *x = w.xPixels, *y = w.yPixels, true; },
};

// A 1000 x 500 pixel window on the recorder, over the view (0, 0)..(1000, 1000).
struct RecordedWindow : testing::Test {
  Windex* win = nullptr;
  void SetUp() override {
    elaborate();
    win = phaseFive->windexPointer;
    win->backend = &recorder;
    win->windowOpen = true;
    win->xPixels = 1000;
    win->yPixels = 500;
    win->setView(0, 0, 1000, 1000);
    calls.clear();
  }
};

struct Drawing {
  void (*draw)(Windex&);
  const char* expected;
};

const Drawing drawings[] = {
    {[](Windex& w) { w.drawLine(100, 100, 300, 500); }, "line 0 100 50 300 250;"},
    {[](Windex& w) { w.drawLine_BOLD(0, 0, 10, 0); }, "line 1 0 0 10 0;"},
    {[](Windex& w) { w.drawLine(-5000, 200, 5000, 200); }, "line 0 -2 100 1002 100;"},  // clipped
    {[](Windex& w) { w.drawLine(5000, 0, 6000, 0); }, ""},                             // wholly outside
    {[](Windex& w) { w.drawRectangle(100, 100, 200, 200); }, "rectangle 100 50 200 100;"},
    {[](Windex& w) { w.drawFilledRectangle(0, 0, 10, 10); }, "fill 0 0 0 10 5;"},
    {[](Windex& w) { w.drawFilledRectangle_ONE(0, 0, 10, 10); }, "fill 2 0 0 10 5;"},
    {[](Windex& w) { w.drawFilledRectangle_ZERO(0, 0, 10, 10); }, "fill 3 0 0 10 5;"},
    {[](Windex& w) { w.drawFilledRectangle_UNINITIALIZED(0, 0, 10, 10); }, "fill 4 0 0 10 5;"},
    {[](Windex& w) { w.drawFilledRectangle_XXX(0, 0, 10, 10); }, "fill 5 0 0 10 5;"},
    {[](Windex& w) { w.drawFilledRectangle_HIZ(0, 0, 10, 10); }, "fill 6 0 0 10 5;"},
    {[](Windex& w) { w.drawFilledRectangle_ONE(0, 0, 10, 1); }, ""},  // no height in pixels
    {[](Windex& w) { w.drawCircle(0, 0, 20, 20, 0, 360); }, "arc 0 0 0 0 20 10 0 360;"},
    {[](Windex& w) { w.drawFilledCircle(0, 0, 20, 20, 0, 360); }, "arc 3 1 0 0 20 10 0 360;"},
    {[](Windex& w) { w.drawText(200, 200, "hi"); }, "text hi 200 100;"},
    {[](Windex& w) { w.clearArea(100, 100, 20, 20); }, "clearPixels 100 50 21 11;"},
    {[](Windex& w) { w.clear(); }, "clearWindow;"},
    {[](Windex& w) { w.setSubWin(), w.drawSubWindow(); }, "subWindowRect 375 187 250 125;"},
    {[](Windex& w) { w.setCursor(12); }, "cursor 0;"},
    {[](Windex& w) { w.waitForInput(7); }, "wait 7;"},
};

}  // namespace

TEST_F(RecordedWindow, EachPrimitiveReachesTheBackendInPixelsWithItsPen) {
  for (const Drawing& d : drawings) {
    calls.clear();
    d.draw(*win);
    EXPECT_EQ(calls, d.expected) << d.expected;
  }
}

TEST_F(RecordedWindow, WithoutAWindowNothingReachesTheBackend) {
  win->connectionLost = 1;
  for (const Drawing& d : drawings) d.draw(*win);
  int type = -1, key = 0;
  win->checkEvent(&type, &key);
  EXPECT_EQ(calls, "");
  EXPECT_EQ(type, 0);
}

TEST_F(RecordedWindow, ExposuresAreRedrawnTogetherUnderTheirClipAtTheEndOfASeries) {
  win->exposed(0, 0, 10, 10, false);
  EXPECT_EQ(calls, "");
  win->exposed(20, 20, 5, 5, true);
  EXPECT_EQ(calls, "clip 2;clearPixels 0 0 10 10;clearPixels 20 20 5 5;clip 0;");
  EXPECT_EQ(win->numClips, 0);
}

TEST_F(RecordedWindow, EventsComeFromTheBackendAndTheTimeBandUsesItsFont) {
  int type = 0, key = 0;
  win->checkEvent(&type, &key);
  EXPECT_EQ(type, 1);
  EXPECT_EQ(key, 'k');
  win->eraseTimeAndQueue();  // baseline at 1000 / 32 -> pixel 15, ascent 10, descent 3
  EXPECT_EQ(calls, "clip 1;clearPixels 0 5 1000 14;clip 0;");
}
