// Benchmark circuits written against the public library, shared by the benchmark program and the
// tests that check them.  Every circuit is clocked (or, for the ring, free-running) and reset by a
// PowerOn, so a headless run to a stop time simulates a known number of cycles.
#ifndef TARVIK_BENCH_CIRCUITS_H
#define TARVIK_BENCH_CIRCUITS_H

#include <cstdint>
#include <string>
#include <vector>

#include "Sim.h"

namespace bench {

// When a run of a benchmark circuit has done a given number of cycles.  The clocked circuits use
// Clock(duration = period/2, offset 0, period), which rises at 19 + k*(period+18), and release their
// reset mid-way through the low phase of cycle 0, so the k-th rising edge after it (k = 1, 2, ...) is
// the k-th clocking edge.  The ring counts its own oscillations from the moment it is enabled.
struct Timing {
  uint64_t start = 0;         // time of "edge 0"
  uint64_t cycleTicks = 0;    // ticks per cycle
  uint64_t settleOffset = 0;  // where in the cycle after the last one counted the run stops
  // A stop time that lets cycle `cycles` settle and ends before the next one begins.
  uint64_t stopAfter(uint64_t cycles) const { return start + cycles * cycleTicks + settleOffset; }
};

// Clock period for a circuit whose logic settles within `settle` ticks of a clock edge.
int clockPeriodFor(int settle);
Timing clockedTiming(int period);
// The PowerOn time of the reset for a clock period: its release falls mid-way into the low phase.
int resetTimeFor(int period);

// What a benchmark circuit exposes for checking: named groups of bits, read at the end of the run.
struct Result {
  std::string name;
  std::vector<int> serials;  // bit 0 first
};

// The circuits.  Each returns its timing (period 0 for the free-running ring) and fills `results`.
//   adder W:   a W-bit LFSR s feeds a ripple-carry adder of one-bit full adders (2 Xor, 2 And, 1 Or):
//              a = s, b = s with its bits reversed; results lfsr, sum, cout.
//   counter K: K-bit synchronous counter of Dffs, an And carry chain and Xor toggles; result count.
//   ring N:    N inverting stages (N odd: one Nand with an enable, N-1 Not) and one level-restoring
//              clock gate in a ring; stage 0 clocks a 16-bit counter of the same kind; result count.
//   ram A:     a 2^A-word by 16-bit Ram with one write port (address counter, LFSR data) and two read
//              ports (address reversed, address rotated); once every word has been written, a 16-bit
//              accumulator takes acc' = rotl(acc) ^ rd0 ^ rd1 each cycle; results acc, lfsr, count.
Timing buildAdder(int width, std::vector<Result>& results);
Timing buildCounter(int width, std::vector<Result>& results);
Timing buildRing(int stages, std::vector<Result>& results);
Timing buildRam(int addressBits, std::vector<Result>& results);

// The value of a group of bits as hexadecimal, most significant digit first; a digit with any bit not
// ZERO or ONE is written 'x'.
std::string hexOf(const std::vector<int>& serials);

// The LFSR taps used for a width: feedback = XOR of these bit positions (0-based), shifted in at bit 0.
std::vector<int> lfsrTaps(int width);
// The LFSR's seed for a width: a fixed pseudo-random pattern with at least one bit set.
bool lfsrSeedBit(int width, int bit);

}  // namespace bench

#endif
