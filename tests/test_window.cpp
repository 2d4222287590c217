// The schematic window under a private X server: title, geometry and colours, panes that follow the
// circuit, interconnecting lines, super probes, the display flags and levels of the function and
// control keys, the time display, halting, and what happens when the server goes away.
//
// The circuits are small enough to place by hand in the default 1025 x 825 window.  A switch at "aa"
// beside a probe at "ab" splits the plane into two columns: the switch pane is centred at pixel
// (256, 412), the probe pane at (768, 412), and the line from the switch's output tab (centre 448) to
// the probe's input tab (centre 576) runs along y = 412.
#include <gtest/gtest.h>
#include <time.h>

#include "Sim.h"
#include "WindowCircuits.h"
#include "XServer.h"

namespace {

const unsigned long white = 0xffffff, black = 0x000000;
const unsigned long zeroColour = 0xf0fff0, oneColour = 0x008000;

DriveResult runWindowed(const XvfbServer& server, void (*circuit)(), const std::vector<std::string>& args,
                        const std::function<void(WindowDriver&)>& drive) {
  return driveBeside(server, [&] { return runCircuit(circuit, args); }, drive);
}

std::string hex(unsigned long colour) {
  char text[16];
  snprintf(text, sizeof text, "%06lx", colour);
  return text;
}

double now() {
  struct timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return double(t.tv_sec) + t.tv_nsec / 1e9;
}

}  // namespace

TEST(Window, TitleGeometryAndSizeHints) {
  XvfbServer server;
  ASSERT_TRUE(server.ready());
  auto look = [](WindowDriver& d) {
    d.note("name", d.xdotool("getwindowname %w"));
    d.note("geometry", d.xdotool("getwindowgeometry %w"));
    XSizeHints hints;
    long supplied = 0;
    XGetWMNormalHints(d.d, d.w, &hints, &supplied);
    d.note("flags", std::to_string(hints.flags));
    d.note("gravity", std::to_string(hints.win_gravity));
  };
  DriveResult plain = runWindowed(server, switchBesideProbe, {}, look);
  EXPECT_EQ(plain.notes["name"], "Tarvik v20190227");
  EXPECT_NE(plain.notes["geometry"].find("Position: 100,25"), std::string::npos) << plain.notes["geometry"];
  EXPECT_NE(plain.notes["geometry"].find("Geometry: 1025x825"), std::string::npos);
  EXPECT_EQ(plain.notes["flags"], "12");  // program-specified position and size
  EXPECT_EQ(plain.program.status, 0);

  DriveResult given = runWindowed(server, switchBesideProbe, {"-g", "400x300+10+20", "-W", "-demo"}, look);
  EXPECT_EQ(given.notes["name"], "Tarvik v20190227-demo");
  EXPECT_NE(given.notes["geometry"].find("Position: 10,20"), std::string::npos) << given.notes["geometry"];
  EXPECT_NE(given.notes["geometry"].find("Geometry: 400x300"), std::string::npos);
  EXPECT_EQ(given.notes["flags"], std::to_string(USPosition | USSize | PWinGravity));
  EXPECT_EQ(given.notes["gravity"], std::to_string(NorthWestGravity));

  // Offsets from the right and bottom edges of the 1280 x 1024 screen, less the 5-pixel border; never
  // a minimum or maximum size.
  const char* corners[][3] = {{"800x600-0-0", "Position: 470,414", "9"},  // SouthEastGravity
                              {"800x600-30+20", "Position: 440,20", "3"},  // NorthEastGravity
                              {"800x600+10-40", "Position: 10,374", "7"}};  // SouthWestGravity
  for (auto& corner : corners) {
    DriveResult r = runWindowed(server, switchBesideProbe, {"-g", corner[0]}, look);
    EXPECT_NE(r.notes["geometry"].find(corner[1]), std::string::npos) << corner[0] << ": " << r.notes["geometry"];
    EXPECT_EQ(r.notes["flags"], std::to_string(USPosition | USSize | PWinGravity)) << corner[0];
    EXPECT_EQ(r.notes["gravity"], corner[2]) << corner[0];
  }
}

TEST(Window, DefaultAndOptionColours) {
  XvfbServer server;
  ASSERT_TRUE(server.ready());
  auto look = [](WindowDriver& d) {
    d.waitForPixel(768, 412, zeroColour);
    d.note("background", d.pixel(5, 5));
    d.note("border", d.rootPixel(102, 27));  // the 5-pixel border around the window at (100, 25)
    d.note("probe", d.pixel(768, 412));
    d.key("a");
    d.waitForPixel(768, 412, oneColour);
    d.note("switch", d.settledPixel(256, 412));
    // The sub-window's top edge, drawn with XOR over the background.
    d.note("subwindowBlue", std::to_string(d.countPixels(400, 307, 220, 5, 0x0000ff)));
    d.note("subwindowRed", std::to_string(d.countPixels(400, 307, 220, 5, 0xff0000)));
  };
  DriveResult plain = runWindowed(server, switchBesideProbe, {}, look);
  EXPECT_EQ(plain.notes["background"], hex(white));
  EXPECT_EQ(plain.notes["border"], hex(black));
  EXPECT_EQ(plain.notes["probe"], hex(zeroColour));
  EXPECT_EQ(plain.notes["switch"], hex(black));  // ONE in outline style: a solid box
  EXPECT_GT(std::stoi(plain.notes["subwindowRed"]), 20);

  DriveResult coloured =
      runWindowed(server, switchBesideProbe, {"-c", "0", "0", "128", "-C", "200", "0", "0", "-S", "0", "0", "255"}, look);
  EXPECT_EQ(coloured.notes["background"], "000080");
  EXPECT_EQ(coloured.notes["border"], "c80000");
  EXPECT_EQ(coloured.notes["switch"], "c80000");
  EXPECT_EQ(coloured.notes["probe"], hex(zeroColour));  // value colours do not follow the options
  EXPECT_GT(std::stoi(coloured.notes["subwindowBlue"]), 20);
  EXPECT_EQ(coloured.notes["subwindowRed"], "0");

  DriveResult zeros = runWindowed(server, switchBesideProbe, {"-c", "0", "0", "0", "-C", "0", "0", "0"}, look);
  EXPECT_EQ(zeros.notes["background"], hex(white));  // all three zero counts as not given
  EXPECT_EQ(zeros.notes["border"], hex(black));
}

TEST(Window, ProbeAndSwitchPanesFollowTheSwitchKey) {
  XvfbServer server;
  ASSERT_TRUE(server.ready());
  DriveResult r = runWindowed(server, switchBesideProbe, {}, [](WindowDriver& d) {
    d.note("probe0", d.waitForPixel(768, 412, zeroColour));
    d.note("switch0", d.pixel(256, 412));
    d.note("switchEdge0", d.pixel(192, 412));
    d.key("a");
    d.note("probe1", d.waitForPixel(768, 412, oneColour));
    d.note("switch1", d.settledPixel(256, 412));
    d.key("a");
    d.note("probe2", d.waitForPixel(768, 412, zeroColour));
    d.note("switch2", d.settledPixel(256, 412));
  });
  EXPECT_EQ(r.notes["probe0"], hex(zeroColour));
  EXPECT_EQ(r.notes["switch0"], hex(white));  // ZERO in outline style: an empty box
  EXPECT_EQ(r.notes["switchEdge0"], hex(black));
  EXPECT_EQ(r.notes["probe1"], hex(oneColour));
  EXPECT_EQ(r.notes["switch1"], hex(black));
  EXPECT_EQ(r.notes["probe2"], hex(zeroColour));
  EXPECT_EQ(r.notes["switch2"], hex(white));
  EXPECT_EQ(r.program.status, 0);
  EXPECT_EQ(r.program.err.find("Time = "), std::string::npos);  // with a window probes draw, not print
}

TEST(Window, LinesLeadsAndLabelsFollowTheirFunctionKeys) {
  XvfbServer server;
  ASSERT_TRUE(server.ready());
  DriveResult r = runWindowed(server, switchBesideProbe, {}, [](WindowDriver& d) {
    d.waitForPixel(768, 412, zeroColour);
    d.note("line", d.pixel(512, 412));
    d.note("lead", d.pixel(420, 412));
    d.note("label", std::to_string(d.countPixels(128, 192, 30, 14, black)));
    d.note("names", std::to_string(d.countPixels(393, 398, 40, 13, black)));
    d.key("F2");
    d.note("lineF2", d.settledPixel(512, 412));
    d.key("F2 F4");
    d.note("lineF4", d.settledPixel(512, 412));
    d.note("leadF4", d.pixel(420, 412));
    d.key("F4 F3");
    d.note("labelF3", std::to_string(d.settledCount(128, 192, 30, 14, black)));
    d.note("lineF3", d.pixel(512, 412));
    d.key("F3 F5");
    d.note("namesF5", std::to_string(d.settledCount(393, 398, 40, 13, black)));
  });
  EXPECT_EQ(r.notes["line"], hex(black));
  EXPECT_EQ(r.notes["lead"], hex(black));
  EXPECT_GT(std::stoi(r.notes["label"]), 5);
  EXPECT_EQ(r.notes["names"], "0");
  EXPECT_EQ(r.notes["lineF2"], hex(white));
  EXPECT_EQ(r.notes["lineF4"], hex(white));  // no tabs recorded, so no lines either
  EXPECT_EQ(r.notes["leadF4"], hex(white));
  EXPECT_EQ(r.notes["labelF3"], "0");
  EXPECT_EQ(r.notes["lineF3"], hex(black));
  EXPECT_GT(std::stoi(r.notes["namesF5"]), 5);  // "s" written at the switch's output lead
}

TEST(Window, SuperProbesPaintEveryTabInItsSignalsColour) {
  XvfbServer server;
  ASSERT_TRUE(server.ready());
  DriveResult r = runWindowed(server, switchBesideProbe, {}, [](WindowDriver& d) {
    d.waitForPixel(768, 412, zeroColour);
    d.note("off", d.pixel(448, 395));  // inside the switch's output tab
    d.key("F8");
    d.note("on", d.waitForPixel(448, 395, zeroColour));
    d.note("inputTab", d.pixel(576, 395));
    d.key("a");
    d.note("one", d.waitForPixel(448, 395, oneColour));
    d.key("F8");
    d.note("offAgain", d.waitForPixel(448, 395, white));
  });
  EXPECT_EQ(r.notes["off"], hex(white));
  EXPECT_EQ(r.notes["on"], hex(zeroColour));
  EXPECT_EQ(r.notes["inputTab"], hex(zeroColour));
  EXPECT_EQ(r.notes["one"], hex(oneColour));
  EXPECT_EQ(r.notes["offAgain"], hex(white));
}

TEST(Window, ControlKeysAndReturnChangeTheLevelOfDetail) {
  XvfbServer server;
  ASSERT_TRUE(server.ready());
  DriveResult r = runWindowed(server, switchModuleProbe, {}, [](WindowDriver& d) {
    d.waitForPixel(854, 412, oneColour);  // the outer probe: NOT of ZERO
    d.note("level1", d.settledPixel(610, 420));
    d.key("ctrl+m");
    d.note("ctrlM", d.waitForPixel(610, 420, zeroColour));
    d.key("ctrl+a");
    d.note("ctrlA", d.waitForPixel(610, 420, white));
    d.key("Return");
    d.note("return", d.waitForPixel(610, 420, zeroColour));
    d.key("ctrl+n");
    d.note("ctrlN", d.waitForPixel(610, 420, white));
    d.key("ctrl+z");
    d.note("ctrlZ", d.waitForPixel(610, 420, zeroColour));
    d.key("ctrl+m");  // already at the deepest level
    d.key("a");
    d.note("deep", d.waitForPixel(610, 420, oneColour));
  });
  EXPECT_EQ(r.notes["level1"], hex(white));
  EXPECT_EQ(r.notes["ctrlM"], hex(zeroColour));
  EXPECT_EQ(r.notes["ctrlA"], hex(white));
  EXPECT_EQ(r.notes["return"], hex(zeroColour));
  EXPECT_EQ(r.notes["ctrlN"], hex(white));
  EXPECT_EQ(r.notes["ctrlZ"], hex(zeroColour));
  EXPECT_EQ(r.notes["deep"], hex(oneColour));
}

TEST(Window, TimeDisplayAndHalt) {
  XvfbServer server;
  ASSERT_TRUE(server.ready());
  DriveResult r = runWindowed(server, switchBesideProbe, {}, [](WindowDriver& d) {
    d.waitForPixel(768, 412, zeroColour);
    d.note("noTime", std::to_string(d.countPixels(30, 10, 130, 18, black)));
    d.key("F6");
    d.note("time", std::to_string(d.settledCount(30, 10, 130, 18, black)));
    d.key("Down a");  // halted: the key is taken but nothing is evaluated
    d.note("halted", d.settledPixel(768, 412, 500));
    d.key("Down");
    d.note("resumed", d.waitForPixel(768, 412, oneColour));
  });
  EXPECT_EQ(r.notes["noTime"], "0");
  EXPECT_GT(std::stoi(r.notes["time"]), 20);  // "T=... Q=0 S=0" at 1/32 of the view
  EXPECT_EQ(r.notes["halted"], hex(zeroColour));
  EXPECT_EQ(r.notes["resumed"], hex(oneColour));
}

// A resized window is exposed anew; the redraw takes the size from there.
TEST(Window, ResizingTheWindowRedrawsToTheNewSize) {
  XvfbServer server;
  ASSERT_TRUE(server.ready());
  DriveResult r = runWindowed(server, switchBesideProbe, {}, [](WindowDriver& d) {
    d.waitForPixel(768, 412, zeroColour);
    d.xdotool("windowsize %w 600 400");
    d.note("probe", d.waitForPixel(450, 200, zeroColour));  // three quarters across, half way down
  });
  EXPECT_EQ(r.notes["probe"], hex(zeroColour));
}

TEST(Window, LosingTheServerEndsTheRunAtOnceAndCleanly) {
  XvfbServer server;
  ASSERT_TRUE(server.ready());
  DriveResult r = runWindowed(server, switchBesideProbe, {}, [](WindowDriver& d) {
    d.waitForPixel(768, 412, zeroColour);
    char when[32];
    snprintf(when, sizeof when, "%.6f", now());
    d.note("killedAt", when);
    d.killServer();
  });
  double ended = now();
  ASSERT_FALSE(r.notes["killedAt"].empty());
  EXPECT_LT(ended - std::stod(r.notes["killedAt"]), 1.0);
  EXPECT_EQ(r.program.status, 0);
  EXPECT_FALSE(sanitizerReport(r.program.err)) << r.program.err;
  EXPECT_EQ(r.program.err, "There are 2 components.\nThere are 3 signals.\n");
}

TEST(Window, KeysWithoutAnActionAreReported) {
  XvfbServer server;
  ASSERT_TRUE(server.ready());
  DriveResult r = runWindowed(server, switchBesideProbe, {}, [](WindowDriver& d) {
    d.waitForPixel(768, 412, zeroColour);
    d.key("Home Prior Next End z ctrl+b F11");
    d.pause(500);
  });
  EXPECT_EQ(r.program.err,
            "There are 2 components.\nThere are 3 signals.\n"
            "Unused Cursor key = -1\nUnused Cursor key = 4\nUnused Cursor key = 5\nUnused Cursor key = 6\n"
            "Keyboard input:  Character (char=z,int=122) with no corresponding component activation defined.\n"
            "Keyboard input:  Control character (int=2) unmapped.\n"
            "Unused Function key F11\n");
}

TEST(Window, EarlyExitWithOddGeometriesEndsPromptly) {
  XvfbServer server;
  ASSERT_TRUE(server.ready());
  // A zero size is taken as one pixel; a window wholly off the screen is not waited for forever.
  for (const char* geometry : {"0x0", "100x100+5000+5000"}) {
    double start = now();
    RunResult r = runCircuit(switchBesideProbe, {"-E", "-g", geometry});
    EXPECT_EQ(r.status, 0) << geometry;
    EXPECT_LT(now() - start, 5.0) << geometry;
    EXPECT_EQ(r.err, "There are 2 components.\nThere are 3 signals.\n") << geometry;
  }
}
