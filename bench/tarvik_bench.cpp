// One benchmark run: builds a benchmark circuit, simulates it headless for a number of cycles and
// prints one line of figures on standard output:
//
//   tarvik_bench CIRCUIT SIZE CYCLES [more simulator options]
//
// CIRCUIT is adder, counter, ring, ram, cpu or cpu5b (when the processor is built in; cpu5b is
// 5b-forwarding).  The line holds
// key=value pairs: the event count, the simulated time, the start-up split into netlist build and
// elaboration (flattening, connectivity check, activation lists, run-phase set-up), the run's wall
// time, the peak resident memory and the result bits that the peers' runs are checked against.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "BenchCircuits.h"
#include "Globals.h"
#include "Ph2.h"
#include "PeakResident.h"
#include "Ph4.h"
#include "Sim.h"

#ifdef TARVIK_BENCH_CPU
#include "BenchCpu.h"
#endif

namespace {

using Clock = std::chrono::steady_clock;

std::string circuit;
int size = 0;
uint64_t cycles = 0;
std::vector<bench::Result> results;
bench::Timing timing;

Clock::time_point started, buildStarted, buildEnded, runStarted, runEnded;
bool initializedOnce = false;

double msBetween(Clock::time_point a, Clock::time_point b) {
  return std::chrono::duration<double, std::milli>(b - a).count();
}


void build() {
  buildStarted = Clock::now();
  if (circuit == "adder")
    timing = bench::buildAdder(size, results);
  else if (circuit == "counter")
    timing = bench::buildCounter(size, results);
  else if (circuit == "ring")
    timing = bench::buildRing(size, results);
  else if (circuit == "ram")
    timing = bench::buildRam(size, results);
#ifdef TARVIK_BENCH_CPU
  else if (circuit == "cpu")
    timing = bench::buildCpu(size, results);
  else if (circuit == "cpu5b")
    timing = bench::buildCpu(size, results, true);
#endif
  else {
    fprintf(stderr, "tarvik_bench: unknown circuit %s\n", circuit.c_str());
    exit(2);
  }
  // The command line has been read by now; the stop time follows from the circuit's timing.
  stopTime = timing.stopAfter(cycles);
  buildEnded = Clock::now();
}

void initialized() {
  if (initializedOnce) return;
  initializedOnce = true;
  runStarted = Clock::now();
}

void ended() {
  runEnded = Clock::now();
  double runSeconds = msBetween(runStarted, runEnded) / 1000.0;
  uint64_t events = phaseFour->eventsApplied;
  printf("circuit=%s size=%d cycles=%llu components=%d signals=%d events=%llu simtime=%llu build_ms=%.3f "
         "elab_ms=%.3f startup_ms=%.3f run_s=%.6f rss_kb=%ld",
         circuit.c_str(), size, static_cast<unsigned long long>(cycles), phaseTwo->numberOfComponents,
         phaseTwo->numberOfSignals, static_cast<unsigned long long>(events),
         static_cast<unsigned long long>(phaseFour->time), msBetween(buildStarted, buildEnded),
         msBetween(buildEnded, runStarted), msBetween(started, runStarted), runSeconds, peakResidentKb());
  for (const bench::Result& r : results) printf(" %s=%s", r.name.c_str(), bench::hexOf(r.serials).c_str());
  printf("\n");
  fflush(stdout);
}

// The hexadecimal pattern of an LFSR seed, most significant digit first.
std::string seedHex(int width) {
  std::string text;
  for (int top = ((width + 3) / 4) * 4 - 4; top >= 0; top -= 4) {
    int digit = 0;
    for (int b = 3; b >= 0; b--) digit = (digit << 1) | (top + b < width && bench::lfsrSeedBit(width, top + b));
    text += "0123456789abcdef"[digit];
  }
  return text;
}

std::string tapList(int width) {
  std::string text;
  for (int t : bench::lfsrTaps(width)) text += (text.empty() ? "" : ",") + std::to_string(t);
  return text;
}

// --describe: what the peers need to build the same circuit with the same stimulus and stop point.
void describe() {
  build();
  printf("circuit=%s size=%d cycles=%llu start=%llu cycle_ticks=%llu stop=%llu seed=%s taps=%s seed16=%s taps16=%s\n",
         circuit.c_str(), size, static_cast<unsigned long long>(cycles), static_cast<unsigned long long>(timing.start),
         static_cast<unsigned long long>(timing.cycleTicks), static_cast<unsigned long long>(stopTime),
         seedHex(size).c_str(), tapList(size).c_str(), seedHex(16).c_str(), tapList(16).c_str());
}

}  // namespace

int main(int argc, char** argv) {
  started = Clock::now();
  bool describing = argc > 1 && strcmp(argv[1], "--describe") == 0;
  if (describing) {
    argv++;
    argc--;
  }
  if (argc < 4) {
    fprintf(stderr, "usage: %s [--describe] CIRCUIT SIZE CYCLES [simulator options]\n", argv[0]);
    return 2;
  }
  circuit = argv[1];
  size = atoi(argv[2]);
  cycles = strtoull(argv[3], nullptr, 10);
  if (describing) {
    describe();
    return 0;
  }
  std::vector<char*> args = {argv[0], const_cast<char*>("-X")};
  for (int i = 4; i < argc; i++) args.push_back(argv[i]);
  args.push_back(nullptr);
  runObservers.push_back({initialized, nullptr, ended});
  Sim(int(args.size()) - 1, args.data(), build);
  return 0;
}
