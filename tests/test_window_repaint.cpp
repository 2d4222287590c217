// Drawing only what changed, under a private X server: whatever the window draws piecemeal (a zoom,
// super probes following the circuit at their own pace, keys pressed while halted, the redraw of an
// exposed part) must leave exactly the picture that a full repaint draws.
//
// The circuits are those of WindowCircuits.h; the switch's output tab lies around (448, 395).
#include <gtest/gtest.h>

#include <algorithm>

#include "Sim.h"
#include "WindowCircuits.h"
#include "XServer.h"

namespace {

const unsigned long white = 0xffffff, black = 0x000000, zeroColour = 0xf0fff0, oneColour = 0x008000;

DriveResult runWindowed(void (*circuit)(), const std::vector<std::string>& args,
                        const std::function<void(WindowDriver&)>& drive) {
  XvfbServer server;
  if (!server.ready()) return {};
  return driveBeside(server, [&] { return runCircuit(circuit, args); }, drive);
}

using Picture = std::vector<unsigned long>;

Picture capture(WindowDriver& d) {
  XSync(d.d, False);
  XWindowAttributes a;
  XGetWindowAttributes(d.d, d.w, &a);
  Picture p;
  XImage* image = XGetImage(d.d, d.w, 0, 0, unsigned(a.width), unsigned(a.height), AllPlanes, ZPixmap);
  if (!image) return p;
  for (int y = 0; y < a.height; y++)
    for (int x = 0; x < a.width; x++) p.push_back(XGetPixel(image, x, y) & 0xFFFFFF);
  XDestroyImage(image);
  return p;
}

// The whole window once it has stopped changing.
Picture settledPicture(WindowDriver& d) {
  Picture last = capture(d), now;
  for (int tries = 0; tries < 40; tries++) {
    WindowDriver::pause(250);
    now = capture(d);
    if (now == last) break;
    last = now;
  }
  return now;
}

std::string differingPixels(const Picture& a, const Picture& b) {
  if (a.size() != b.size() || a.empty()) return "sizes " + std::to_string(a.size()) + "/" + std::to_string(b.size());
  long n = 0;
  for (size_t i = 0; i < a.size(); i++) n += a[i] != b[i];
  return std::to_string(n);
}

long pixelsOf(const Picture& p, unsigned long colour) { return long(std::count(p.begin(), p.end(), colour)); }

std::string fingerprint(const Picture& p) {
  uint64_t h = 1469598103934665603ull;
  for (unsigned long v : p) h = (h ^ v) * 1099511628211ull;
  return std::to_string(p.size()) + ":" + std::to_string(h);
}

}  // namespace

TEST(Repaint, AZoomAndSuperProbesAtRestLookAsAfterCtrlL) {
  DriveResult r = runWindowed(switchBesideProbe, {}, [](WindowDriver& d) {
    d.waitForPixel(768, 412, zeroColour);
    d.key("F8");
    d.waitForPixel(448, 395, zeroColour);
    d.click(2, 700, 700);  // into the sub-window: only the tabs and the line between them are in view
    d.key("a");
    Picture zoomed = settledPicture(d);
    d.note("line", zoomed[412 * 1025 + 512]);
    d.note("superProbeOnes", std::to_string(pixelsOf(zoomed, oneColour)));
    d.key("ctrl+l");
    d.note("diff", differingPixels(zoomed, settledPicture(d)));
  });
  EXPECT_EQ(r.notes["line"], "000000");
  EXPECT_GT(std::stol(r.notes["superProbeOnes"]), 100);
  EXPECT_EQ(r.notes["diff"], "0");
  EXPECT_EQ(r.program.status, 0);
}

// Super probes are collected from each drawing: after level 2 and back, they sit where a run that
// stayed at level 1 has them.
TEST(Repaint, SuperProbesFollowTheLevelOfDetail) {
  auto look = [](const char* functionKeys, const char* keys) {
    return runWindowed(switchModuleProbe, {"-F", functionKeys}, [keys](WindowDriver& d) {
      d.waitForPixel(854, 412, oneColour);
      if (*keys) d.key(keys);
      d.note("picture", fingerprint(settledPicture(d)));
    });
  };
  DriveResult deeper = look("D8", "ctrl+a"), level1 = look("8", "");
  EXPECT_FALSE(level1.notes["picture"].empty());
  EXPECT_EQ(deeper.notes["picture"], level1.notes["picture"]);
}

// A probe pane redrawn during the run covers the dashed sub-window rectangle where it crosses the
// pane; the dashes come back over it, so the picture is the one a full repaint draws.
TEST(Repaint, APaneRedrawnKeepsTheSubWindowDashes) {
  DriveResult r = runWindowed(switchModuleProbe, {"-F", "8"}, [](WindowDriver& d) {
    d.waitForPixel(854, 412, oneColour);
    d.key("a");
    d.waitForPixel(854, 412, zeroColour);  // the switch's change has reached the probe
    Picture after = settledPicture(d);
    d.key("ctrl+l");
    d.note("diff", differingPixels(after, settledPicture(d)));
  });
  EXPECT_EQ(r.notes["diff"], "0");
}

TEST(Repaint, KeysPressedWhileHaltedShowAtOnce) {
  DriveResult r = runWindowed(switchBesideProbe, {}, [](WindowDriver& d) {
    d.waitForPixel(768, 412, zeroColour);
    d.key("Down");
    Picture halted = settledPicture(d);
    d.key("F8");
    d.note("superProbe", d.waitForPixel(448, 395, zeroColour, 3000));
    d.key("F8");
    d.note("superProbeOff", differingPixels(halted, settledPicture(d)));
    d.key("F6");
    d.note("time", std::to_string(d.settledCount(30, 10, 130, 18, black)));
    d.key("F6");
    d.note("timeOff", differingPixels(halted, settledPicture(d)));
    d.key("F7");  // lines to multiplexers only: the line into the probe goes
    d.note("muxOnly", d.waitForPixel(512, 412, white, 3000));
    d.key("F7");
    d.note("allLines", differingPixels(halted, settledPicture(d)));
  });
  EXPECT_EQ(r.notes["superProbe"], "f0fff0");
  EXPECT_EQ(r.notes["superProbeOff"], "0");
  EXPECT_GT(std::stoi(r.notes["time"]), 20);
  EXPECT_EQ(r.notes["timeOff"], "0");
  EXPECT_EQ(r.notes["muxOnly"], "ffffff");
  EXPECT_EQ(r.notes["allLines"], "0");
}

// Exposed parts through panes, tabs, super probes, the line, the sub-window and the time are redrawn as
// they were; a mark the driver paints elsewhere survives, so the rest of the window was left alone.
TEST(Repaint, AnExposureRedrawsOnlyTheExposedPartAsItWas) {
  DriveResult r = runWindowed(switchBesideProbe, {"-F", "86"}, [](WindowDriver& d) {
    d.waitForPixel(448, 395, zeroColour);
    d.key("a");
    d.waitForPixel(448, 395, oneColour);
    d.key("ctrl+l");  // the picture to keep is a full repaint's
    settledPicture(d);
    GC mark = XCreateGC(d.d, d.w, 0, nullptr);
    XSetForeground(d.d, mark, 0x0000ff);
    XFillRectangle(d.d, d.w, mark, 900, 100, 10, 10);
    XFreeGC(d.d, mark);
    Picture before = settledPicture(d);
    XClearArea(d.d, d.w, 200, 300, 400, 150, True);
    XClearArea(d.d, d.w, 0, 0, 120, 40, True);
    WindowDriver::pause(200);
    Picture after = settledPicture(d);
    d.note("mark", std::to_string(pixelsOf(after, 0x0000ff)));
    d.note("diff", differingPixels(before, after));
  });
  EXPECT_EQ(r.notes["mark"], "100");
  EXPECT_EQ(r.notes["diff"], "0");
  EXPECT_EQ(r.program.status, 0);
}
