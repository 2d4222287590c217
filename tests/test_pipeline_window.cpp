// The processor 5a-LD-hazard in its window: keys typed into the window drive it to the same state as
// the same keys scripted in a headless run, and the function and control keys change what is drawn.
//
// Pane positions come from the circuit itself: it is built and tiled in this process, and the centre
// of each probe's tile is scaled to the window as the window scales it.
#include <gtest/gtest.h>

#include <set>

#include "Netlist.h"
#include "Pipeline.h"
#include "SchCell.h"
#include "Window.h"
#include "XServer.h"

namespace {

const char* const program = TARVIK_PIPELINE_DIR "/5a-LD-hazard";
const unsigned long black = 0x000000, zeroColour = 0xf0fff0;

bool programBuilt() { return access(program, X_OK) == 0; }

// The sixteen positions of a front-panel row of probes, bit 15 first.
std::vector<std::string> rowPositions(const char* first) {
  std::vector<std::string> positions{first};
  while (positions.size() < 16) positions.push_back(nextProbePosition(positions.back()));
  return positions;
}

struct Point {
  int x, y;
};

// Centres of the probes at the positions, in a window of width x height pixels over the whole plane.
std::map<std::string, Point> paneCentres(const std::vector<std::string>& positions, int width, int height) {
  simnet();
  elaborate();
  SchematicCell root;
  phaseFive->componentTiling(&root);
  Windex scale("");  // no display: only the scaling
  scale.xPixels = width;
  scale.yPixels = height;
  std::set<std::string> wanted(positions.begin(), positions.end());
  std::map<std::string, Point> centres;
  for (int c = 0; c < phaseTwo->numberOfComponents; c++) {
    if (!wanted.count(phaseTwo->rcpos[c])) continue;
    const ScreenTile& t = phaseTwo->tile[c];
    centres[phaseTwo->rcpos[c]] = {scale.xScale(t.x + t.w / 2), scale.yScale(t.y + t.h / 2)};
  }
  return centres;
}

// The last value each probe reported in a headless run, by position.
std::map<std::string, std::string> headlessValues(const std::string& keys) {
  RunResult r = runProgram(program, {"-X", "--keys", keys});
  std::map<std::string, std::string> last;
  for (const std::string& line : linesStartingWith(r.err, "Time = ")) {
    size_t at = line.find(" at "), value = line.find("  Value = ");
    if (at == std::string::npos || value == std::string::npos) continue;
    last[line.substr(at + 4, value - at - 4)] = line.substr(value + 10);
  }
  return last;
}

std::string valueOfColour(unsigned long colour) {
  switch (colour) {
    case 0xf0fff0: return "ZERO";
    case 0x008000: return "ONE";
    case 0xff8c00: return "XXX";
    case 0xffebcd: return "HIZ";
    case 0xffffff: return "UNINITIALIZED";
    default: return "colour " + std::to_string(colour);
  }
}

// Waits until none of the points has changed colour for a while.
void settle(WindowDriver& d, const std::map<std::string, Point>& points) {
  std::string before;
  for (int stable = 0, total = 0; stable < 5 && total < 200; total++) {
    std::string now;
    for (const auto& p : points) now += std::to_string(d.pixel(p.second.x, p.second.y)) + ",";
    stable = now == before ? stable + 1 : 0;
    before = now;
    WindowDriver::pause(100);
  }
}

}  // namespace

TEST(ProcessorWindow, ResetAndClockKeysGiveTheHeadlessRunsProbeValues) {
  if (!programBuilt()) GTEST_SKIP() << "5a-LD-hazard is not built";
  std::vector<std::string> positions = rowPositions("aa.aa"), ir = rowPositions("da-ea.aa");
  positions.insert(positions.end(), ir.begin(), ir.end());
  // A large window, so that the panes of the front panel are big enough to read.
  std::map<std::string, Point> centres = paneCentres(positions, 4000, 3000);
  ASSERT_EQ(centres.size(), 32u);
  const char* const scripts[] = {"", "01", "011"};  // at rest; reset released and clock high; clock low

  XvfbServer server("4096x3072x24");
  ASSERT_TRUE(server.ready());
  DriveResult r = driveBeside(server, [] { return runProgram(program, {"-g", "4000x3000+0+0"}); },
                              [&](WindowDriver& d) {
                                std::string typed;
                                for (const char* script : scripts) {
                                  for (const char* k = script + typed.size(); *k; k++) d.key(std::string(1, *k));
                                  typed = script;
                                  settle(d, centres);
                                  for (const auto& p : centres)
                                    d.note(typed + ":" + p.first, valueOfColour(d.pixel(p.second.x, p.second.y)));
                                }
                                // Super probes: every tab of the first drawing in its signal's colour.
                                d.note("zeroBefore", std::to_string(d.countPixels(0, 0, 2000, 1500, zeroColour)));
                                d.key("F8");
                                d.note("zeroAfter", std::to_string(d.settledCount(0, 0, 2000, 1500, zeroColour)));
                              });
  EXPECT_EQ(r.program.status, 0);
  EXPECT_GT(std::stol(r.notes["zeroAfter"]), std::stol(r.notes["zeroBefore"]) + 1000);
  for (const char* script : scripts) {
    std::map<std::string, std::string> expected = headlessValues(script);
    int ones = 0;
    for (const std::string& position : positions) {
      EXPECT_EQ(r.notes[std::string(script) + ":" + position], expected[position]) << script << " " << position;
      ones += expected[position] == "ONE";
    }
    if (std::string(script) == "011") {
      EXPECT_GT(ones, 0);  // the first instruction word has reached IR_ID
    }
  }
}

namespace {

// Black pixels of the whole default window once the drawing has settled.
std::string blackCount(WindowDriver& d) { return std::to_string(d.settledCount(0, 0, 1025, 825, black, 400)); }

}  // namespace

TEST(ProcessorWindow, FunctionAndControlKeysChangeDetailAndDrawing) {
  if (!programBuilt()) GTEST_SKIP() << "5a-LD-hazard is not built";
  XvfbServer server;
  ASSERT_TRUE(server.ready());
  DriveResult r = driveBeside(server, [] { return runProgram(program, {}); }, [](WindowDriver& d) {
    d.note("base", blackCount(d));
    const char* steps[][2] = {
        {"F2", "noLines"},         {"F2", "lines"},     {"F3", "noLabels"},    {"F3", "labels"},
        {"F4", "noLeads"},         {"F4", "leads"},     {"ctrl+z", "deepest"}, {"F2", "deepNoLines"},
        {"F2", "deepLines"},       {"F7 ctrl+l", "muxLines"}, {"F7 ctrl+l", "allLines"},
        {"ctrl+a", "least"},       {"ctrl+m", "more"},  {"ctrl+n", "less"},    {"F9", "classic"},
        {"F5", "names"},           {"F5", "noNames"},
    };
    for (const auto& s : steps) {
      d.key(s[0]);
      d.note(s[1], blackCount(d));
    }
  });
  EXPECT_EQ(r.program.status, 0);
  auto n = [&](const char* k) { return std::stol(r.notes[k]); };
  long base = n("base");
  EXPECT_GT(base, 1000);
  EXPECT_LT(n("noLines"), base);
  EXPECT_EQ(n("lines"), base);
  EXPECT_LT(n("noLabels"), base);
  EXPECT_EQ(n("labels"), base);
  EXPECT_LT(n("noLeads"), n("noLines"));  // no leads, no tabs, and so no lines either
  EXPECT_EQ(n("leads"), base);
  EXPECT_NE(n("deepest"), base);  // module boxes replaced by their contents
  EXPECT_EQ(n("least"), base);
  EXPECT_NE(n("more"), base);
  EXPECT_EQ(n("less"), base);
  EXPECT_LT(n("deepNoLines"), n("deepest"));
  EXPECT_EQ(n("deepLines"), n("deepest"));
  EXPECT_LT(n("muxLines"), n("deepest"));  // only the lines into multiplexers
  EXPECT_GT(n("muxLines"), n("deepNoLines"));
  EXPECT_EQ(n("allLines"), n("deepest"));
  EXPECT_EQ(n("classic"), base);  // the mode changes navigation, not the picture
  EXPECT_NE(n("names"), base);
  EXPECT_EQ(n("noNames"), base);
}
