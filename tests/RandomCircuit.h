// Random circuits: seeded, well-formed netlists made of the library's components, for runs that check
// what must hold of any circuit (no crash or sanitizer report, the same output twice, a bounded queue
// that drains when the circuit rests, only known messages).
//
// All wires of a circuit are bits of one bundle.  Every component takes its outputs from the wires
// not yet driven, so each wire has at most one driver, except the buses, which only tri-state buffers
// drive.  Inputs are mostly wires already driven, sometimes Zero or One, and now and then any wire at
// all: a wire driven later closes a feedback loop, one never driven is reported as an unconnected
// input.  Widths always fit the constructors, so construction never fails.  The seed decides
// everything, the circuit as well as the run: its stop time and its key script.
//
// While it runs, an observer records the longest queue; at the end it writes one line to standard
// output: "random circuit: time=T queue=L maxQueue=M settled=S signals=N".
#ifndef TARVIK_TESTS_RANDOMCIRCUIT_H
#define TARVIK_TESTS_RANDOMCIRCUIT_H

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "Globals.h"
#include "Ph2.h"
#include "Ph3.h"
#include "Ph4.h"
#include "Sim.h"

// A small deterministic generator (splitmix64): the same numbers on every platform and library.
class RandomSource {
public:
  explicit RandomSource(uint64_t seed) : state(seed) {}
  uint64_t next() {
    uint64_t z = (state += 0x9e3779b97f4a7c15ull);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
    return z ^ (z >> 31);
  }
  int below(int n) { return n <= 1 ? 0 : int(next() % uint64_t(n)); }
  int between(int lo, int hi) { return lo + below(hi - lo + 1); }
  bool chance(int percent) { return below(100) < percent; }

private:
  uint64_t state;
};

// Kinds of circuit, by seed: switches and gates only; clocked logic; memories and buses; everything.
enum RandomCircuitFlavour { combinationalFlavour, clockedFlavour, memoryFlavour, mixedFlavour };

// How a seed's circuit is run.
struct RandomCircuitRun {
  RandomCircuitFlavour flavour;
  uint64_t stopTime;
  std::string keys;  // key script: switch keys, a restart now and then, sometimes an unbound key
  std::vector<std::string> arguments() const {
    return {"-X", "-T", std::to_string(stopTime), "--keys", keys};
  }
};

inline RandomCircuitRun randomCircuitRun(uint64_t seed) {
  RandomSource r(seed * 7919 + 17);
  RandomCircuitRun run;
  run.flavour = RandomCircuitFlavour(seed % 4);
  run.stopTime = uint64_t(r.between(800, 4000));
  for (int n = r.below(14); n > 0; n--) {
    if (r.chance(6))
      run.keys += "{F1}";
    else if (r.chance(5))
      run.keys += '#';  // bound to nothing
    else
      run.keys += char('a' + r.below(16));
  }
  return run;
}

class RandomCircuitBuilder {
public:
  RandomCircuitBuilder(uint64_t seed, RandomCircuitFlavour flavour)
      : r(seed), flavour(flavour), wires(new Signal(unsigned(wireCount), "w")) {}

  void build() {
    for (int n = r.between(2, 5); n > 0; n--) source();
    for (int n = r.between(15, 45); n > 0; n--) component();
    for (int n = r.between(3, 8); n > 0; n--) probe();
  }

private:
  static const int wireCount = 1200;
  RandomSource r;
  RandomCircuitFlavour flavour;
  std::unique_ptr<Signal> wires;
  int nextFree = 0;
  char nextKey = 'a';
  std::vector<std::unique_ptr<unsigned char[]>> romContents;

  std::string position() {
    std::string p{char('a' + r.below(8)), char('a' + r.below(8))};
    if (r.chance(15)) p += std::string("-") + char(p[0] + r.below(3)) + char(p[1] + r.below(3));
    return p;
  }
  SD place() { return SD(position().c_str()); }

  Signal bit(int index) const {
    if (index == -1) return Signal(Zero);
    if (index == -2) return Signal(One);
    return (*wires)[index];
  }

  // A bundle of the given wires (-1 Zero, -2 One), element i from indices[i].
  Signal bundleOf(const std::vector<int>& indices) const {
    if (indices.empty()) return Signal(0u, "none");
    std::unique_ptr<Signal> acc(new Signal(bit(indices[0])));
    for (size_t i = 1; i < indices.size(); i++) acc.reset(new Signal((bit(indices[i]), *acc)));
    return Signal(*acc);
  }

  int anyInput() {
    int k = r.below(100);
    if (k < 6 || nextFree == 0) return -1 - r.below(2);
    if (k < 10) return r.below(wireCount);  // feedback, or a wire nothing drives
    return r.below(nextFree);
  }
  Signal inputs(int n) {
    std::vector<int> v;
    for (int i = 0; i < n; i++) v.push_back(anyInput());
    return bundleOf(v);
  }
  // A control input that mostly rests at ZERO, so that sets and resets let the clock act.
  Signal quietInput() { return r.chance(70) ? Signal(Zero) : inputs(1); }

  bool haveOutputs(int n) const { return nextFree + n <= wireCount; }
  Signal outputs(int n) {
    Signal s = wires->sub(nextFree + n - 1, nextFree);
    nextFree += n;
    return s;
  }

  char key(int bits) {
    char k = nextKey;
    nextKey = char(nextKey + bits);
    if (nextKey > 'p') nextKey = 'a';
    return k;
  }

  void source() {
    int k = r.below(10);
    bool clocked = flavour != combinationalFlavour;
    if (clocked && k < 4) {
      int period = r.between(10, 60), duration = r.between(1, period);
      Clock(place(), outputs(1), duration, r.below(30), period, r.chance(50) ? Zero : One);
    } else if (k < 7) {
      int bits = r.between(1, 3);
      Switch(place(), outputs(bits), key(bits), r.chance(70) ? Zero : One, r.chance(50) ? "" : "S");
    } else if (k < 9) {
      Pulser(place(), outputs(1), key(1), r.between(1, 40), r.chance(80) ? Zero : One);
    } else {
      PowerOn(place(), outputs(1), r.between(0, 200), Zero);
    }
  }

  void component() {
    if (!haveOutputs(64)) return;
    int pick = r.below(100);
    switch (flavour) {
      case combinationalFlavour: gate(); break;
      case clockedFlavour: pick < 45 ? gate() : clocked(); break;
      case memoryFlavour: pick < 30 ? gate() : pick < 55 ? bus() : memory(); break;
      case mixedFlavour:
        pick < 30 ? gate() : pick < 55 ? clocked() : pick < 70 ? bus() : pick < 85 ? memory() : structure();
        break;
    }
  }

  void gate() {
    switch (r.below(12)) {
      case 0: And(place(), inputs(r.between(1, 4)), outputs(1)); break;
      case 1: Or(place(), inputs(r.between(1, 4)), outputs(1)); break;
      case 2: Nand(place(), inputs(r.between(1, 4)), outputs(1)); break;
      case 3: Nor(place(), inputs(r.between(1, 4)), outputs(1)); break;
      case 4: Xor(place(), inputs(r.between(1, 4)), outputs(1)); break;
      case 5: Xnor(place(), inputs(r.between(1, 3)), outputs(1)); break;
      case 6: Not(place(), inputs(1), outputs(1)); break;
      case 7: {
        int w = r.between(2, 4);
        Not(place(), inputs(w), outputs(w));
        break;
      }
      case 8: {
        int w = r.between(1, 4);
        Signal a = inputs(w), b = inputs(r.chance(30) ? 1 : w);
        if (r.chance(50))
          And(place(), a, b, outputs(w));
        else
          Or(place(), a, b, outputs(w));
        break;
      }
      case 9: {
        int out = r.between(1, 3);
        And(place(), inputs(out * r.between(1, 3)), outputs(out));
        break;
      }
      case 10: {
        Signal t = inputs(r.between(1, 2)), c = inputs(r.between(1, 2));
        switch (r.below(4)) {
          case 0: Iand(place(), t, c, outputs(1)); break;
          case 1: Inand(place(), t, c, outputs(1)); break;
          case 2: CiOr(place(), t, c, outputs(1)); break;
          default: CiNor(place(), t, c, outputs(1)); break;
        }
        break;
      }
      default: MultiLevelCompare(place(), inputs(2), outputs(1)); break;
    }
  }

  void clocked() {
    switch (r.below(9)) {
      case 0: Dff(place(), (quietInput(), inputs(2), quietInput()), outputs(1)); break;
      case 1: Jkff(place(), (quietInput(), inputs(3), quietInput()), outputs(2)); break;
      case 2: Gate(place(), inputs(2), outputs(1)); break;
      case 3: {
        int w = r.between(1, 8);
        Register(place(), inputs(1), inputs(1), inputs(w), outputs(w));
        break;
      }
      case 4: {
        int k = r.between(1, 3);
        Signal registerOut = outputs(1 << k), bitOut = outputs(1);
        BitAddressibleRegister(place(), quietInput(), quietInput(), inputs(1), inputs(1), inputs(1), inputs(k),
                               inputs(k), bitOut, registerOut);
        break;
      }
      case 5: Counter(place(), inputs(2), outputs(r.between(1, 6))); break;
      case 6: {
        int w = r.between(1, 6);
        Adder(place(), inputs(2 * w), outputs(w));
        break;
      }
      case 7: {
        int w = r.between(1, 6);
        Increment(place(), inputs(w), outputs(w));
        break;
      }
      default: IntOut(place(), inputs(2), inputs(r.between(1, 8))); break;
    }
  }

  void selector() {
    switch (r.below(3)) {
      case 0: {
        int s = r.below(3), w = r.between(1, 3);
        Mux(place(), inputs(s), inputs((1 << s) * w), outputs(w));
        break;
      }
      case 1: {
        int k = r.between(1, 3);
        Decoder(place(), inputs(1), inputs(k), outputs(1 << k));
        break;
      }
      default: {
        int n = r.between(1, 3);
        Signal out = outputs(n);
        Encoder(place(), inputs(1 << n), out, outputs(1));
        break;
      }
    }
  }

  // A bus wire driven by two or three tri-state buffers; a bus-wide one now and then.
  void bus() {
    if (r.chance(40)) {
      selector();
      return;
    }
    Signal busBit = outputs(1);
    for (int n = r.between(2, 3); n > 0; n--) Tsb(place(), inputs(1), inputs(1), busBit);
  }

  void memory() {
    int kind = r.below(4);
    if (kind == 3) {
      int p = r.between(1, 4), bits = r.between(1, 12), bytesPerWord = (bits - 1) / 8 + 1;
      romContents.emplace_back(new unsigned char[size_t((1 << p) * bytesPerWord)]);
      unsigned char* bytes = romContents.back().get();
      for (int i = 0; i < (1 << p) * bytesPerWord; i++) bytes[i] = (unsigned char)r.below(256);
      Rom(place(), inputs(p), outputs(bits), 1 << p, bits, bytes);
      return;
    }
    int p = r.between(1, 3), width = r.between(1, 20), reads = r.between(1, 2), writes = r.between(1, 2);
    Signal control = inputs(reads * p + writes * (p + 2));
    Signal data = inputs(writes * width);
    Signal out = outputs(reads * width);
    if (kind == 0)
      RegisterFile(place(), control, data, out, 1 << p, width, p, reads, writes);
    else
      Ram(place(), control, data, out, 1 << p, width, p, reads, writes);
  }

  // A module box with parts inside it, a space, or a stop on some wire.
  void structure() {
    int k = r.below(10);
    if (k < 6) {
      SD box = place();
      int w = r.between(1, 3);
      Signal in = inputs(w), out = outputs(w);
      Module(box, r.chance(50) ? "Box" : "Module", in, out);
      for (int i = 0; i < w; i++) Not(SD(box, position().c_str()), in[i], out[i]);
    } else if (k < 9) {
      Space(place());
    } else {
      Stop(place(), inputs(1));
    }
  }

  void probe() {
    switch (r.below(5)) {
      case 0: {
        int n = r.between(2, 6), sizes[] = {r.between(1, 3), r.between(1, 3)};
        Probe(place(), inputs(n), r.chance(50) ? "" : "P", 2, sizes);
        break;
      }
      case 1: ProbeH(place(), inputs(r.between(1, 4)), r.chance(50) ? "" : "H"); break;
      case 2: ProbeByte(place(), inputs(8), "B"); break;
      default: Probe(place(), inputs(r.between(1, 3)), r.chance(50) ? "" : "p"); break;
    }
  }
};

// The seed of the circuit that buildRandomCircuit builds.
inline uint64_t randomCircuitSeed = 0;

namespace randomCircuitObserver {
inline int longestQueue = 0;
inline uint64_t trace = 0xcbf29ce484222325ULL;  // every batch's time, changed bits and their values

inline void fold(uint64_t v) {
  for (int i = 0; i < 8; i++) {
    trace ^= (v >> (8 * i)) & 0xff;
    trace *= 0x100000001b3ULL;
  }
}

inline void batch(uint64_t time, const std::vector<int>& changedBits) {
  int n = phaseFour->skewHeap.getLength();
  if (n > longestQueue) longestQueue = n;
  fold(time);
  for (int s : changedBits) {
    fold(uint64_t(s));
    fold(uint64_t(phaseThree->currentSignals[size_t(s)]));
  }
}

inline void ended() {
  printf("random circuit: time=%llu queue=%d maxQueue=%d settled=%d signals=%d trace=%016llx\n",
         (unsigned long long)phaseFour->time, phaseFour->skewHeap.getLength(), longestQueue, phaseFour->settled(),
         phaseTwo->numberOfSignals, (unsigned long long)trace);
}
}  // namespace randomCircuitObserver

inline void buildRandomCircuit() {
  RandomCircuitBuilder(randomCircuitSeed, randomCircuitRun(randomCircuitSeed).flavour).build();
  randomCircuitObserver::longestQueue = 0;
  runObservers.push_back({nullptr, randomCircuitObserver::batch, randomCircuitObserver::ended});
}

#endif
