// Drawing one component: its icon's polylines scaled into the tile, its label, and its input and
// output leads with the connection tabs at their ends (recorded for connect and, while drawSchematic
// collects them, as super probes).
//
// Tile layout from left to right: 10% blank, 5% input tab, 10% input lead, 50% icon body, 10% output
// lead, 5% output tab, 10% blank; vertically the body takes the middle half and the leads are spread
// evenly over its height, the last input (control inputs first) and the last output at the top.
#include "Globals.h"
#include "Ph2.h"
#include "Ph5.h"
#include "Window.h"

namespace {

// Horizontal stations and the body of a tile, virtual coordinates.
struct IconFrame {
  float dxBlank, dxTab;
  float xTab, xLead;  // input tab left edge, input lead start
  int xs, ys, ws, hs;  // icon body
  float w;             // tile width
};

IconFrame frameOf(const ScreenTile& t) {
  IconFrame f;
  f.w = float(t.w);
  float h = float(t.h);
  f.dxBlank = 0.1f * f.w;
  f.dxTab = 0.05f * f.w;
  f.xTab = float(t.x) + f.dxBlank;
  f.xLead = f.xTab + f.dxTab;
  f.xs = int(f.xLead + f.dxBlank);
  f.ys = int(float(t.y) + 0.1f * h + (h - 2 * 0.1f * h - 0.5f * h) / 2);
  f.ws = int(0.5f * f.w);
  f.hs = int(0.5f * h);
  return f;
}

void drawPolylines(const int* icon, const IconFrame& f) {
  Windex& win = *phaseFive->windexPointer;
  int n = icon[0];
  const int* vertex = icon + 1 + n;
  for (int p = 0; p < n; p++) {
    int k = icon[1 + p];
    for (int v = 0; v + 1 < k; v++) {
      const int* a = vertex + 2 * v;
      win.drawLine(TrX(a[0], f.xs, f.ws, 1000), TrY(a[1], f.ys, f.hs, 1000), TrX(a[2], f.xs, f.ws, 1000),
                   TrY(a[3], f.ys, f.hs, 1000));
    }
    vertex += 2 * k;
  }
}

// One lead's tab: drawn, recorded for connect and, while collecting, as a super probe.
void drawTab(TabList& list, int cind, int signal, float xLeft, float xCentre, double d, double dyTab,
             float dxTab) {
  PhaseFive& p5 = *phaseFive;
  int yTop = int(d - dyTab / 2);
  p5.windexPointer->drawRectangle(int(xLeft), yTop, int(dxTab), int(dyTab));
  list.addTab(cind, signal, int(xCentre), int(d));
  if (p5.superProbeCollect) p5.superProbeList.addSuperProbe(signal, int(xLeft), yTop, int(dxTab), int(dyTab));
}

void labelLead(int signal, int x, int y) {
  const std::string& name = phaseTwo->signalNames[signal];
  if (phaseFive->labelLinesFlag && !name.empty()) phaseFive->windexPointer->drawText(x, y, name.c_str());
}

void drawInputs(int cind, const IconFrame& f) {
  const PhaseTwo& p2 = *phaseTwo;
  int nC = p2.numberOfControlInputs[cind], nrIn = nC + p2.numberOfDataInputs[cind];
  if (nrIn <= 0) return;
  int inDelta = f.hs / nrIn;
  for (int in = 0; in < nrIn; in++) {
    int signal = in < nC ? p2.controlInputs[cind][nC - 1 - in] : p2.dataInputs[cind][nrIn - 1 - in];
    double d = inDelta * (0.5 + in) + f.ys;
    int yLead = int(d);
    phaseFive->windexPointer->drawLine(int(f.xLead), yLead, f.xs, yLead);
    labelLead(signal, int(f.xLead), yLead);
    drawTab(phaseFive->inTab, cind, signal, f.xTab, f.xTab + f.dxTab / 2, d, 0.2 * inDelta, f.dxTab);
  }
}

void drawOutputs(int cind, const IconFrame& f) {
  const PhaseTwo& p2 = *phaseTwo;
  int nrOut = p2.numberOfOutputs[cind];
  if (nrOut < 1) return;
  int outDelta = f.hs / nrOut;
  float xOut = f.xLead + f.dxBlank + 0.5f * f.w, xEnd = xOut + f.dxBlank;
  for (int out = 0; out < nrOut; out++) {
    int signal = p2.outputs[cind][nrOut - 1 - out];
    double d = outDelta * (0.5 + out) + f.ys;
    int yLead = int(d);
    phaseFive->windexPointer->drawLine(int(xOut), yLead, int(xEnd), yLead);
    drawTab(phaseFive->outTab, cind, signal, xEnd, xEnd + f.dxTab / 2, d, 0.2 * outDelta, f.dxTab);
    labelLead(signal, int(xOut), yLead);
  }
}

}  // namespace

int TrX(int x, int xs, int ws, int scale) {
  return scale == 0 ? xs : int(float(ws) * float(x) / float(scale) + float(xs));
}

int TrY(int y, int ys, int hs, int scale) {
  return scale == 0 ? ys : int(float(hs) * float(y) / float(scale) + float(ys));
}

void iconDraw(int cind, const int* icon) {
  PhaseFive& p5 = *phaseFive;
  IconFrame f = frameOf(phaseTwo->tile[cind]);
  drawPolylines(icon, f);
  if (p5.labelGateFlag) p5.windexPointer->drawText(f.xs, f.ys, phaseTwo->decal[cind].c_str());
  if (!p5.drawComponentLeadsFlag) return;
  drawInputs(cind, f);
  drawOutputs(cind, f);
}
