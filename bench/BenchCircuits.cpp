// Benchmark circuits: scalable netlists of gates and flip-flops, and a memory-heavy one.
#include "BenchCircuits.h"

#include "Globals.h"
#include "Ph3.h"

namespace bench {

namespace {

const SD here("aa");  // placement is irrelevant without a window

// A D flip-flop whose reset (or, for a seed bit of ONE, set) is `rst`.
void dffWithReset(const Signal& d, const Signal& clk, const Signal& rst, bool resetToOne, const Signal& q) {
  if (resetToOne)
    Dff(here, (rst, d, clk, Zero), q);  // (S, D, C, R)
  else
    Dff(here, (Zero, d, clk, rst), q);
}

// The concatenation of parts[from..], parts[from] at the most significant end.  (Signals cannot be
// reassigned, so a bundle of computed length is built by recursion.)
Signal concat(const std::vector<Signal>& parts, size_t from = 0) {
  if (from + 1 == parts.size()) return parts[from];
  return (parts[from], concat(parts, from + 1));
}

std::vector<int> serialsOf(const Signal& s) { return std::vector<int>(s.serialNumber, s.serialNumber + s.length); }

// Ticks per gate level with the small-scale lazy delay, and the flip-flops' clock-to-output delay.
const int gateDelay = 10;
const int flipFlopDelay = 17;

// A Fibonacci LFSR of s.length bits: every cycle s shifts up by one and the feedback enters at bit 0.
void lfsr(const Signal& s, const Signal& clk, const Signal& rst) {
  int w = s.length;
  Signal fb(1, "fb");
  std::vector<int> taps = lfsrTaps(w);
  std::vector<Signal> tapBits;
  for (int tap : taps) tapBits.push_back(s[tap]);
  Xor(here, concat(tapBits), fb);
  for (int i = 0; i < w; i++) dffWithReset(i == 0 ? fb : s[i - 1], clk, rst, lfsrSeedBit(w, i), s[i]);
}

// A synchronous counter: t[0] = One, t[i+1] = t[i] & q[i], q[i] toggles when t[i].  Returns nothing;
// t must have q.length + 1 bits, t[q.length] is the carry out.
void counter(const Signal& q, const Signal& t, const Signal& clk, const Signal& rst) {
  int k = q.length;
  Signal d(unsigned(k), "d");
  for (int i = 0; i < k; i++) {
    And(here, (i == 0 ? One : t[i], q[i]), t[i + 1]);
    Xor(here, (i == 0 ? One : t[i], q[i]), d[i]);
    dffWithReset(d[i], clk, rst, false, q[i]);
  }
}

void clockAndReset(int period, const Signal& clk, const Signal& rst) {
  PowerOn(here, rst, resetTimeFor(period), One);
  Clock(here, clk, period / 2, 0, period, Zero);
}

uint32_t mix(uint32_t x) {
  x ^= x >> 16;
  x *= 0x7feb352dU;
  x ^= x >> 15;
  x *= 0x846ca68bU;
  x ^= x >> 16;
  return x;
}

}  // namespace

int clockPeriodFor(int settle) {
  int period = settle + flipFlopDelay + 40;
  return period + (period & 1);  // even, so that duration = period / 2 is exact
}

Timing clockedTiming(int period) {
  Timing t;
  t.start = 19;
  t.cycleTicks = uint64_t(period) + 18;
  t.settleOffset = t.cycleTicks - 10;
  return t;
}

int resetTimeFor(int period) {
  int cycle = period + 18;
  int fall0 = 19 + period / 2 + 9, rise1 = 19 + cycle;
  return (fall0 + rise1) / 2 - 9;
}

std::vector<int> lfsrTaps(int width) {
  // Feedback polynomials given as 1-based tap positions, the width itself first.
  switch (width) {
    case 16: return {15, 14, 12, 3};
    case 64: return {63, 62, 60, 59};
    case 256: return {255, 253, 250, 245};
    case 1024: return {1023, 1014, 1001, 1000};
    default: return {width - 1, width - 2};
  }
}

bool lfsrSeedBit(int width, int bit) {
  if (bit == 0) return true;
  return (mix(uint32_t(width) * 7919u + uint32_t(bit)) >> 7) & 1u;
}

std::string hexOf(const std::vector<int>& serials) {
  const SignalValue* v = phaseThree->currentSignals.data();
  int n = int(serials.size());
  std::string text;
  for (int top = ((n + 3) / 4) * 4 - 4; top >= 0; top -= 4) {
    int digit = 0;
    bool known = true;
    for (int b = 3; b >= 0; b--) {
      int i = top + b;
      digit <<= 1;
      if (i >= n) continue;
      SignalValue x = v[serials[size_t(i)]];
      if (x == ONE)
        digit |= 1;
      else if (x != ZERO)
        known = false;
    }
    text += known ? "0123456789abcdef"[digit] : 'x';
  }
  return text;
}

Timing buildAdder(int w, std::vector<Result>& results) {
  int period = clockPeriodFor(2 * gateDelay * w + 2 * gateDelay);
  Signal clk(1, "clk"), rst(1, "rst"), s(unsigned(w), "s"), sum(unsigned(w), "sum"), carry(unsigned(w) + 1, "c");
  Signal p(unsigned(w), "p"), g(unsigned(w), "g"), h(unsigned(w), "h");
  clockAndReset(period, clk, rst);
  lfsr(s, clk, rst);
  for (int i = 0; i < w; i++) {
    Signal a = s[i], b = s[w - 1 - i], cin = i == 0 ? Zero : carry[i];
    Xor(here, (a, b), p[i]);
    Xor(here, (p[i], cin), sum[i]);
    And(here, (a, b), g[i]);
    And(here, (cin, p[i]), h[i]);
    Or(here, (g[i], h[i]), carry[i + 1]);
  }
  results.push_back({"lfsr", serialsOf(s)});
  results.push_back({"sum", serialsOf(sum)});
  results.push_back({"cout", serialsOf(carry[w])});
  return clockedTiming(period);
}

Timing buildCounter(int k, std::vector<Result>& results) {
  int period = clockPeriodFor(gateDelay * (k + 1));
  Signal clk(1, "clk"), rst(1, "rst"), q(unsigned(k), "q"), t(unsigned(k) + 1, "t");
  clockAndReset(period, clk, rst);
  counter(q, t, clk, rst);
  results.push_back({"count", serialsOf(q)});
  return clockedTiming(period);
}

Timing buildRing(int n, std::vector<Result>& results) {
  // Enabled once every stage has settled from its initial value.
  int enableTime = gateDelay * (n + 4) + 100;
  Signal en(1, "en"), rst(1, "rst"), ring(unsigned(n), "ring"), restored(1, "restored"), q(16, "q"), t(17, "t");
  PowerOn(here, en, enableTime, Zero);
  PowerOn(here, rst, enableTime, One);
  Nand(here, (en, restored), ring[0]);
  for (int i = 1; i < n; i++) Not(here, ring[i - 1], ring[i]);
  // Every change passes through XXX, and the XXX interval grows along a chain of gates until it
  // covers the whole period and the ring stops.  A clock gate with its enable at ONE follows its clock
  // only on exact levels, so it restores clean edges once per lap.
  Gate(here, (One, ring[n - 1]), restored);  // (E, C)
  counter(q, t, ring[0], rst);
  results.push_back({"count", serialsOf(q)});
  Timing timing;
  timing.start = uint64_t(enableTime) + 9;  // en reads ONE from here
  timing.cycleTicks = uint64_t(2 * (gateDelay * n + flipFlopDelay));
  timing.settleOffset = timing.cycleTicks / 2;
  return timing;
}

Timing buildRam(int a, std::vector<Result>& results) {
  const int width = 16;
  int words = 1 << a;
  int period = clockPeriodFor(gateDelay * (a + 1) + 10 + 3 * gateDelay);
  Signal clk(1, "clk"), rst(1, "rst"), addr(unsigned(a), "addr"), t(unsigned(a) + 1, "t"), data(width, "data");
  Signal rd0(width, "rd0"), rd1(width, "rd1"), acc(width, "acc"), mixed(width, "mixed"), next(width, "next");
  Signal filled(1, "filled"), fillNext(1, "fillNext"), writeEnable(1, "writeEnable");
  clockAndReset(period, clk, rst);
  counter(addr, t, clk, rst);
  lfsr(data, clk, rst);
  // Read addresses: the write address reversed, and rotated by half its width.
  std::vector<Signal> revBits, rotBits;  // most significant first
  for (int i = 0; i < a; i++) revBits.push_back(addr[i]);
  for (int i = a - 1; i >= 0; i--) rotBits.push_back(addr[(i + a / 2) % a]);
  Signal rev = concat(revBits), rot = concat(rotBits);
  // Writes are enabled once the reset is over: while the address is still unknown nothing is written.
  Not(here, rst, writeEnable);
  // Control: read address 0, read address 1, write address, write clock, write enable (bit 0 first).
  Ram(here, (writeEnable, clk, addr, rot, rev), data, (rd1, rd0), words, width, a, 2, 1);
  // filled becomes ONE at the edge after every word has been written once (carry out of the counter).
  Or(here, (filled, t[a]), fillNext);
  dffWithReset(fillNext, clk, rst, false, filled);
  for (int i = 0; i < width; i++) {
    Xor(here, (acc[(i + width - 1) % width], rd0[i], rd1[i]), mixed[i]);
    And(here, (filled, mixed[i]), next[i]);
    dffWithReset(next[i], clk, rst, false, acc[i]);
  }
  results.push_back({"acc", serialsOf(acc)});
  results.push_back({"lfsr", serialsOf(data)});
  results.push_back({"count", serialsOf(addr)});
  return clockedTiming(period);
}

}  // namespace bench
