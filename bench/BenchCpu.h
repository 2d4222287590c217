// The processors 5a-LD-hazard and 5b-forwarding as benchmarks: the processor and its memory from
// pipeline/, clocked by a Clock and reset by a PowerOn instead of the two switches, without the front
// panel of probes.
#ifndef TARVIK_BENCH_CPU_H
#define TARVIK_BENCH_CPU_H

#include "BenchCircuits.h"

namespace bench {

// `period` is the Clock's period parameter (0: a default that lets every half-cycle settle).
// Results: pc, and the registers Reg1 and Reg4 .. Reg7 as regs.  With forwarding, 5b-forwarding's pipe.
Timing buildCpu(int period, std::vector<Result>& results, bool forwarding = false);

}  // namespace bench

#endif
