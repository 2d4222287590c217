// Navigating the schematic window under a private X server: the sub-window's zoom, move and resize in
// windowing mode, the rectangle zoom of the classic mode, the start-up zoom of -z, and redrawing after
// the window was covered.
//
// The circuit is a switch at "aa" beside a probe at "ab" (see test_window.cpp).  The sub-window starts
// as the middle quarter of the plane, pixels 384..640 by 309..515 of the 1025 x 825 window, and shows
// as a red dashed outline (XOR over the white background).
#include <gtest/gtest.h>

#include "Sim.h"
#include "XServer.h"

namespace {

const unsigned long white = 0xffffff, black = 0x000000, red = 0xff0000;
const unsigned long zeroColour = 0xf0fff0;

void switchBesideProbe() {
  Signal s(1, "s");
  Switch(SD("aa"), s, 'a', Zero, "S");
  Probe(SD("ab"), s, "P");
}

DriveResult runWindowed(const XvfbServer& server, const std::vector<std::string>& args,
                        const std::function<void(WindowDriver&)>& drive) {
  return driveBeside(server, [&] { return runCircuit(switchBesideProbe, args); }, drive);
}

std::string hex(unsigned long colour) {
  char text[16];
  snprintf(text, sizeof text, "%06lx", colour);
  return text;
}

std::string count(int n) { return std::to_string(n); }

}  // namespace

TEST(WindowingMode, MiddleButtonZoomsIntoTheSubWindowAndRightButtonReturns) {
  XvfbServer server;
  ASSERT_TRUE(server.ready());
  DriveResult r = runWindowed(server, {}, [](WindowDriver& d) {
    d.waitForPixel(768, 412, zeroColour);
    d.note("before", d.pixel(100, 412));
    d.click(2, 700, 700);
    d.note("zoomed", d.waitForPixel(100, 412, black));  // the switch's output lead, magnified
    d.note("zoomedLine", d.pixel(512, 412));            // the line between them, magnified too
    d.click(3, 700, 700);
    d.note("back", d.waitForPixel(100, 412, white));
    d.note("outline", count(d.settledCount(400, 307, 220, 5, red)));
  });
  EXPECT_EQ(r.notes["before"], hex(white));
  EXPECT_EQ(r.notes["zoomed"], hex(black));
  EXPECT_EQ(r.notes["zoomedLine"], hex(black));
  EXPECT_EQ(r.notes["back"], hex(white));
  EXPECT_GT(std::stoi(r.notes["outline"]), 20);
}

TEST(WindowingMode, DraggingMovesOrResizesTheSubWindowByZone) {
  XvfbServer server;
  ASSERT_TRUE(server.ready());
  DriveResult r = runWindowed(server, {}, [](WindowDriver& d) {
    d.waitForPixel(768, 412, zeroColour);
    d.drag(100, 100, 300, 100);  // outside the sub-window: nothing moves
    d.note("outsideDrag", count(d.settledCount(400, 307, 220, 5, red)));
    d.drag(512, 450, 612, 450);  // the inner part: the whole outline moves 100 pixels right
    d.note("oldPlace", count(d.settledCount(390, 307, 80, 5, red)));
    d.note("newPlace", count(d.countPixels(490, 307, 240, 5, red)));
    d.click(2, 700, 700);  // and the zoom follows it: the probe pane comes into view on the right
    d.note("zoomedProbe", d.waitForPixel(950, 412, zeroColour));
    d.click(3, 700, 700);
    d.settledCount(400, 307, 220, 5, red);
    d.drag(388, 313, 300, 250);  // the top left corner: left and top edges follow
    d.note("newTop", count(d.settledCount(320, 244, 180, 5, red)));
    d.note("newLeft", count(d.countPixels(294, 300, 5, 100, red)));
    d.note("bottomKept", count(d.countPixels(320, 513, 300, 5, red)));
  });
  EXPECT_GT(std::stoi(r.notes["outsideDrag"]), 20);
  EXPECT_EQ(r.notes["oldPlace"], "0");
  EXPECT_GT(std::stoi(r.notes["newPlace"]), 20);
  EXPECT_EQ(r.notes["zoomedProbe"], hex(zeroColour));
  EXPECT_GT(std::stoi(r.notes["newTop"]), 20);
  EXPECT_GT(std::stoi(r.notes["newLeft"]), 10);
  EXPECT_GT(std::stoi(r.notes["bottomKept"]), 20);
  EXPECT_EQ(r.program.status, 0);
}

TEST(ClassicMode, LeftThenRightButtonZoomsToTheRectangleBetweenThem) {
  XvfbServer server;
  ASSERT_TRUE(server.ready());
  DriveResult r = runWindowed(server, {}, [](WindowDriver& d) {
    d.waitForPixel(768, 412, zeroColour);
    d.key("F9");
    d.click(1, 0, 0);
    d.click(3, 512, 412);  // the upper left quarter: the switch pane's left edge moves to x 384
    d.note("zoomedEdge", count(d.settledCount(382, 650, 5, 50, black)));
    d.click(2, 700, 700);  // back to the whole schematic
    d.note("whole", count(d.settledCount(382, 650, 5, 50, black)));
    d.click(1, 300, 300);
    d.click(3, 300, 300);  // equal corners: no zoom
    d.note("equalCorners", count(d.settledCount(382, 650, 5, 50, black)));
    d.note("probe", d.pixel(768, 412));
    d.key("a");
    d.note("switch", d.settledPixel(256, 412));
  });
  EXPECT_GE(std::stoi(r.notes["zoomedEdge"]), 45);
  EXPECT_EQ(r.notes["whole"], "0");
  EXPECT_EQ(r.notes["equalCorners"], "0");
  EXPECT_EQ(r.notes["probe"], hex(zeroColour));
  EXPECT_EQ(r.notes["switch"], hex(black));  // still running and drawing
  EXPECT_EQ(r.program.status, 0);
  EXPECT_FALSE(sanitizerReport(r.program.err)) << r.program.err;
}

TEST(StartupZoom, ZFlagZoomsAndEqualCornersLeaveTheWholePlane) {
  XvfbServer server;
  ASSERT_TRUE(server.ready());
  // Each look waits for the colour it expects (a loaded machine may take a while to redraw), then
  // records what is there.
  DriveResult zoomed = runWindowed(server, {"-z", "0", "206", "512", "618"}, [](WindowDriver& d) {
    d.note("zero", d.settledPixel(400, 380));
    d.key("a");
    d.note("one", d.waitForPixel(400, 380, black));  // the switch pane, twice as large, covers (400, 380)
  });
  EXPECT_EQ(zoomed.notes["zero"], hex(white));
  EXPECT_EQ(zoomed.notes["one"], hex(black));
  DriveResult equal = runWindowed(server, {"-z", "300", "300", "300", "300"}, [](WindowDriver& d) {
    d.settledPixel(400, 380);
    d.key("a");
    d.note("centre", d.waitForPixel(256, 412, black));  // the unzoomed switch pane
    d.note("one", d.settledPixel(400, 380));
  });
  EXPECT_EQ(equal.notes["one"], hex(white));
  EXPECT_EQ(equal.notes["centre"], hex(black));
  EXPECT_EQ(equal.program.status, 0);
}

TEST(Exposure, ACoveredWindowIsRedrawnWhenUncovered) {
  XvfbServer server;
  ASSERT_TRUE(server.ready());
  DriveResult r = runWindowed(server, {}, [](WindowDriver& d) {
    d.waitForPixel(768, 412, zeroColour);
    Window root = DefaultRootWindow(d.d);
    XSetWindowAttributes a;
    a.override_redirect = True;
    a.background_pixel = 0x0000ff;
    unsigned long mask = CWOverrideRedirect | CWBackPixel;
    // A cover over the whole window with a hundred small ones over it: taking the cover away exposes
    // the window minus the small squares, a series of far more than 16 rectangles.
    Window cover = XCreateWindow(d.d, root, 105, 30, 1025, 825, 0, CopyFromParent, InputOutput, CopyFromParent,
                                 mask, &a);
    XMapRaised(d.d, cover);
    std::vector<Window> patches;
    for (int i = 0; i < 10; i++)
      for (int j = 0; j < 10; j++) {
        Window p = XCreateWindow(d.d, root, 105 + 50 + 100 * i, 30 + 20 + 80 * j, 20, 20, 0, CopyFromParent,
                                 InputOutput, CopyFromParent, mask, &a);
        XMapRaised(d.d, p);
        patches.push_back(p);
      }
    XSync(d.d, False);
    d.pause(200);
    d.note("covered", d.rootPixel(105 + 768, 30 + 412));  // the screen, since the window is hidden
    XUnmapWindow(d.d, cover);
    XSync(d.d, False);
    d.note("probe", d.waitForPixel(768, 412, zeroColour));
    d.note("line", d.settledPixel(512, 412));
    for (Window p : patches) XDestroyWindow(d.d, p);
    XDestroyWindow(d.d, cover);
    XSync(d.d, False);
    d.note("underPatch", d.waitForPixel(260, 420, white));  // inside the switch pane, once covered
    d.note("underPatchProbe", d.settledPixel(760, 430));    // inside the probe pane, once covered
  });
  EXPECT_EQ(r.notes["covered"], "0000ff");
  EXPECT_EQ(r.notes["probe"], hex(zeroColour));
  EXPECT_EQ(r.notes["line"], hex(black));
  EXPECT_EQ(r.notes["underPatch"], hex(white));
  EXPECT_EQ(r.notes["underPatchProbe"], hex(zeroColour));
  EXPECT_EQ(r.program.status, 0);
}
