// A circuit's window drawn by its own program and by tarvik-sim from its netlist file: the same pixels.
//
// Each program runs under a private X server with a key script that leaves the circuit at rest; once
// two looks at the whole window a while apart agree, a digest of every pixel is noted.  The digests
// of the two programs must agree, and the window must show more than one colour (a blank window would
// agree with anything).
#include <gtest/gtest.h>

#include <set>

#include "XServer.h"

namespace {

const std::string simProgram = std::string(TARVIK_EXAMPLES_DIR) + "/../tarvik-sim";

struct WindowLook {
  std::string digest;
  size_t colours;
};

// FNV-1a over the window's pixels, and how many colours they hold.
WindowLook lookAt(WindowDriver& d) {
  XWindowAttributes a;
  if (!XGetWindowAttributes(d.d, d.w, &a)) return {"none", 0};
  XImage* image = XGetImage(d.d, d.w, 0, 0, unsigned(a.width), unsigned(a.height), AllPlanes, ZPixmap);
  if (!image) return {"none", 0};
  uint64_t hash = 1469598103934665603ull;
  std::set<unsigned long> colours;
  for (int y = 0; y < a.height; y++)
    for (int x = 0; x < a.width; x++) {
      unsigned long p = XGetPixel(image, x, y) & 0xFFFFFF;
      if (colours.size() < 16) colours.insert(p);
      hash = (hash ^ p) * 1099511628211ull;
    }
  XDestroyImage(image);
  return {std::to_string(a.width) + "x" + std::to_string(a.height) + ":" + std::to_string(hash), colours.size()};
}

// The window's digest once it no longer changes.
std::map<std::string, std::string> settledWindow(const XvfbServer& server, const std::string& program,
                                                 const std::vector<std::string>& args) {
  DriveResult r = driveBeside(server, [&] { return runProgram(program, args, 60); }, [](WindowDriver& d) {
    WindowLook last = lookAt(d);
    for (int same = 0, looks = 0; same < 3 && looks < 100; looks++) {
      WindowDriver::pause(200);
      WindowLook now = lookAt(d);
      same = now.digest == last.digest ? same + 1 : 0;
      last = now;
    }
    d.note("digest", last.digest);
    d.note("colours", std::to_string(last.colours));
  });
  return r.notes;
}

struct WindowRun {
  const char* circuit;  // a program of the build, relative to its top
  std::vector<std::string> args;
};

TEST(NetlistWindow, TheFileDrawsAsTheCircuitsOwnProgram) {
  XvfbServer server;
  ASSERT_TRUE(server.ready());
  ScratchFolder folder;
  std::string program = std::string(TARVIK_SOURCE_DIR) + "/examples/programs/multiply.s";
  const WindowRun runs[] = {
      {"examples/switch_gates", {"--keys", "ab"}},
      {"examples/ram_readback", {"--keys", "fwbcewpbpap"}},
      {"pipeline/5a-LD-hazard", {"--program", program, "--keys", "0111111111111111"}},
      {"pipeline/5b-forwarding", {"--keys", "01111111111111111111", "--palette", "high-contrast"}},
  };
  for (const WindowRun& run : runs) {
    std::string own = std::string(TARVIK_EXAMPLES_DIR) + "/../" + run.circuit, netlist = folder / "c.net";
    ASSERT_EQ(runProgram(own, {"--netlist-out", netlist}).status, 0) << run.circuit;
    std::vector<std::string> simArgs = run.args;
    simArgs.insert(simArgs.begin(), netlist);
    std::map<std::string, std::string> ownLook = settledWindow(server, own, run.args);
    std::map<std::string, std::string> simLook = settledWindow(server, simProgram, simArgs);
    EXPECT_EQ(simLook["digest"], ownLook["digest"]) << run.circuit;
    EXPECT_GT(std::stoi("0" + ownLook["colours"]), 2) << run.circuit;
  }
}

}  // namespace
