// The value colour palettes: the high-contrast colours stay apart from each other and from the white
// background, also as people with deuteranopia or protanopia see them; --palette reaches the panes.
//
// Distances are CIE76 (Euclidean in CIE L*a*b*, D65 white).  Colour blindness is simulated with the
// Machado, Oliveira and Fernandes (2009) matrices of severity 1, applied in linear RGB.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "Palette.h"
#include "Sim.h"
#include "XServer.h"

namespace {

struct Rgb {
  double r, g, b;  // linear, 0..1
};

double linear(int c) {
  double v = c / 255.0;
  return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
}

Rgb fromHex(const char* hex) {
  long v = strtol(hex + 1, nullptr, 16);
  return {linear(int(v >> 16) & 255), linear(int(v >> 8) & 255), linear(int(v) & 255)};
}

using Matrix = double[3][3];
const Matrix normalVision = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
const Matrix deuteranopia = {{0.367322, 0.860646, -0.227968}, {0.280085, 0.672501, 0.047413},
                             {-0.011820, 0.042940, 0.968881}};
const Matrix protanopia = {{0.152286, 1.052583, -0.204868}, {0.114503, 0.786281, 0.099216},
                           {-0.003882, -0.048116, 1.051998}};

double clamped(double v) { return std::max(0.0, std::min(1.0, v)); }

Rgb seenWith(const Matrix& m, Rgb c) {
  return {clamped(m[0][0] * c.r + m[0][1] * c.g + m[0][2] * c.b), clamped(m[1][0] * c.r + m[1][1] * c.g + m[1][2] * c.b),
          clamped(m[2][0] * c.r + m[2][1] * c.g + m[2][2] * c.b)};
}

double labF(double t) { return t > 216.0 / 24389 ? std::cbrt(t) : (24389.0 / 27 * t + 16) / 116; }

double deltaE(Rgb p, Rgb q) {
  auto lab = [](Rgb c, double out[3]) {
    double x = labF((0.4124 * c.r + 0.3576 * c.g + 0.1805 * c.b) / 0.95047);
    double y = labF(0.2126 * c.r + 0.7152 * c.g + 0.0722 * c.b);
    double z = labF((0.0193 * c.r + 0.1192 * c.g + 0.9505 * c.b) / 1.08883);
    out[0] = 116 * y - 16, out[1] = 500 * (x - y), out[2] = 200 * (y - z);
  };
  double a[3], b[3];
  lab(p, a);
  lab(q, b);
  return std::sqrt((a[0] - b[0]) * (a[0] - b[0]) + (a[1] - b[1]) * (a[1] - b[1]) + (a[2] - b[2]) * (a[2] - b[2]));
}

// The background first, then the five values.
std::vector<const char*> coloursOnScreen(const Palette& p) {
  return {"#FFFFFF", p.zero, p.one, p.xxx, p.hiz, p.uninitialized};
}

double closestPair(const Palette& p, const Matrix& vision) {
  std::vector<const char*> colours = coloursOnScreen(p);
  double closest = 1e9;
  for (size_t i = 0; i < colours.size(); i++)
    for (size_t j = i + 1; j < colours.size(); j++)
      closest = std::min(closest, deltaE(seenWith(vision, fromHex(colours[i])), seenWith(vision, fromHex(colours[j]))));
  return closest;
}

void switchBesideProbe() {
  Signal s(1, "s");
  Switch(SD("aa"), s, 'a', Zero, "S");
  Probe(SD("ab"), s, "P");
}

}  // namespace

TEST(Palette, HighContrastColoursStayApartForEveryVision) {
  struct {
    const char* vision;
    const Matrix& matrix;
  } cases[] = {{"normal", normalVision}, {"deuteranopia", deuteranopia}, {"protanopia", protanopia}};
  for (auto& c : cases) {
    EXPECT_GE(closestPair(highContrastPalette, c.matrix), 27.0) << c.vision;
    EXPECT_LT(closestPair(defaultPalette, c.matrix), 1.0) << c.vision;  // UNINITIALIZED is the background
  }
}

TEST(Palette, ChosenByNameOnTheCommandLine) {
  RunResult unknown = runCircuit(switchBesideProbe, {"--palette", "pastel", "-X"});
  EXPECT_EQ(unknown.err, "ERROR -- unknown palette pastel: choose default or high-contrast\n");
  EXPECT_EQ(unknown.status, 2);

  XvfbServer server;
  ASSERT_TRUE(server.ready());
  // The probe pane is centred at (768, 412) in the default window; the switch 'a' starts at ZERO.  Each
  // colour is waited for (not taken once the pixel holds still), so a slow machine cannot catch a
  // drawing half done; a wrong palette shows as the colour seen when the wait gives up.
  auto run = [&](const std::vector<std::string>& args, unsigned long zero, unsigned long one) {
    auto look = [&](WindowDriver& d) {
      d.note("zero", d.waitForPixel(768, 412, zero));
      d.key("a");
      d.note("one", d.waitForPixel(768, 412, one));
    };
    return driveBeside(server, [&] { return runCircuit(switchBesideProbe, args); }, look);
  };
  DriveResult high = run({"--palette", "high-contrast"}, 0xf0e442, 0x1f4e9c);
  EXPECT_EQ(high.notes["zero"], "f0e442");
  EXPECT_EQ(high.notes["one"], "1f4e9c");
  DriveResult back = run({"--palette=high-contrast", "--palette", "default"}, 0xf0fff0, 0x008000);
  EXPECT_EQ(back.notes["zero"], "f0fff0");
  EXPECT_EQ(back.notes["one"], "008000");
}
