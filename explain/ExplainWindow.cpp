// The window's side of explanations: Shift with the left button on a pane prints, on the terminal, the
// explanation of the bit that pane shows, at the present tick; the web page asks the same lookup for
// the value a pane shows under the pointer.
//
// A pane belongs to a component with a display routine (a probe, a byte probe, a switch); the press
// picks the smallest such tile shown at the current display level that contains the pointer, and a
// byte probe's bit by where in its row of cells the pointer is.  The Shift state is the one the
// display backend noted with the press.
#include <cstdio>

#include "Bundles.h"
#include "CompKinds.h"
#include "Expect.h"
#include "Explain.h"
#include "Globals.h"
#include "NameIndex.h"
#include "Ph2.h"
#include "Ph3.h"
#include "Ph5.h"
#include "Window.h"

namespace {

bool shiftHeld(const Windex& w) { return w.usable() && w.shiftAtPress; }

// The component whose pane lies under pixel (x, y), or -1: the smallest visible tile around it.
int paneUnder(const Windex& w, int x, int y) {
  const PhaseTwo& p2 = *phaseTwo;
  int best = -1;
  double bestArea = 0;
  for (int c = 0; c < p2.numberOfComponents; c++) {
    if (!p2.drawDynamic[size_t(c)] || !phaseFive->isVisible(c)) continue;
    const ScreenTile& t = p2.tile[size_t(c)];
    double x0 = w.xPixel(t.x), x1 = w.xPixel(int64_t(t.x) + t.w), y0 = w.yPixel(t.y), y1 = w.yPixel(int64_t(t.y) + t.h);
    if (x < x0 || x > x1 || y < y0 || y > y1) continue;
    double area = (x1 - x0) * (y1 - y0);
    if (best < 0 || area < bestArea) {
      best = c;
      bestArea = area;
    }
  }
  return best;
}

// The cell of a byte probe under the pointer: its cells run down (or across) the middle quarter.
int byteCellUnder(const Windex& w, int c, int x, int y) {
  const ScreenTile& t = phaseTwo->tile[size_t(c)];
  bool across = kindOf(c).role == byteRowProbe;
  double from = across ? w.xPixel(t.x + t.w * 3 / 8) : w.yPixel(t.y + t.h * 3 / 8);
  double to = across ? w.xPixel(t.x + t.w * 5 / 8) : w.yPixel(t.y + t.h * 5 / 8);
  double along = to > from ? ((across ? x : y) - from) / (to - from) : 0;
  int cell = int(along * 8);
  return cell < 0 ? 0 : cell > 7 ? 7 : cell;
}

// The bit a pane shows: a probe's input, a byte probe's cell, else the component's first output.
int paneBit(const Windex& w, int c, int x, int y) {
  const PhaseTwo& p2 = *phaseTwo;
  size_t i = size_t(c);
  ComponentRole role = kindOf(c).role;
  bool byteProbe = role == byteColumnProbe || role == byteRowProbe;
  if (byteProbe && p2.numberOfDataInputs[i] == 8) return p2.dataInputs[i][byteCellUnder(w, c, x, y)];
  if (role == bitProbe && p2.numberOfDataInputs[i] > 0) return p2.dataInputs[i][0];
  if (p2.numberOfOutputs[i] > 0) return p2.outputs[i][0];
  return p2.numberOfDataInputs[i] > 0 ? p2.dataInputs[i][0] : -1;
}

std::vector<SignalValue> valuesNow(const std::vector<int>& bits) {
  std::vector<SignalValue> values;
  for (int b : bits) values.push_back(phaseThree->currentSignals[size_t(b)]);
  return values;
}

// "NAME = 0x0012 (18)", or its letters (bit 0 last) while a bit is not a level.
std::string bundleValueText(int bundle) {
  std::vector<SignalValue> values = valuesNow(declaredBundles()[size_t(bundle)].bits);
  std::string hex = shownLike("0x0", values), decimal = shownLike("0", values);
  return nameIndex().bundlePaths[size_t(bundle)] + " = " + hex + (hex == decimal ? "" : " (" + decimal + ")");
}

}  // namespace

int paneBitAt(int x, int y) {
  const Windex* w = phaseFive ? phaseFive->windexPointer : nullptr;
  if (!w || !w->usable()) return -1;
  int c = paneUnder(*w, x, y);
  return c < 0 ? -1 : paneBit(*w, c, x, y);
}

std::string paneValueAt(int x, int y) {
  int bit = paneBitAt(x, y);
  if (bit < 0) return "";
  std::string text = bitName(bit) + " = " + letterOfValue(phaseThree->currentSignals[size_t(bit)]);
  int bundle = nameIndex().bitBundles[size_t(bit)];
  if (bundle >= 0 && declaredBundles()[size_t(bundle)].bits.size() > 1) text += "\n" + bundleValueText(bundle);
  return text;
}

bool explainGesture(int x, int y) {
  if (!shiftHeld(*phaseFive->windexPointer)) return false;
  int bit = paneBitAt(x, y);
  if (bit < 0) {
    printf("explain: no signal pane under the pointer\n");
  } else {
    std::string text = explainBitNow(bit);
    fputs(text.c_str(), stdout);
  }
  fflush(stdout);
  return true;
}
