// The processor benchmarks: BasicPipe and Memory wired as in 5a-LD-hazard (or 5b-forwarding), with
// generated clock and reset.
#include "BenchCpu.h"

#include <optional>

#include "Pipeline.h"

namespace bench {

namespace {

const int defaultPeriod = 1200;

std::vector<int> serialsOf(const Signal& s) { return std::vector<int>(s.serialNumber, s.serialNumber + s.length); }

}  // namespace

Timing buildCpu(int period, std::vector<Result>& results, bool forwarding) {
  if (period <= 0) period = defaultPeriod;
  Signal ALUo(16, "ALUo"), ALUo1(16, "ALUo1"), DMAR(16, "DMAR"), Reg2(16, "Reg2"), Z(1, "Z"),
      enTriLink(1, "enTriLink"), reset(1, "reset"), Reg1(16, "Reg1"), Reg6(16, "Reg6"), Reg0(16, "Reg0"),
      stallID(1, "stallID"), stallIF(1, "stallIF"), Reg7(16, "Reg7"), PCtmp(16, "PCtmp"), DataWrite(16, "DataWrite"),
      enTriROM(1, "enTriROM"), IR_ID(16, "IR_ID"), stallMEM(1, "stallMEM"), read(1, "read"), AddrBus(16, "AddrBus"),
      stallEX(1, "stallEX"), IR_MEM(16, "IR_MEM"), PC(16, "PC"), SMDR(16, "SMDR"), Reg3(16, "Reg3"),
      Reg4(16, "Reg4"), IR_EX(16, "IR_EX"), DataBus(16, "DataBus"), branchDecision(1, "branchDecision"),
      IR1(16, "IR1"), clock(1, "clock"), LMDR(16, "LMDR"), B(16, "B"), IR_WB(16, "IR_WB"), memory(1, "memory"),
      D(16, "D"), Reg5(16, "Reg5"), MemReq(1, "MemReq"), N(1, "N"), PC1(16, "PC1"), A(16, "A"),
      enTriRAM(1, "enTriRAM");
  std::optional<ForwardingSignals> forwardingSignals;
  if (forwarding) forwardingSignals.emplace();
  BasicPipe(SD("la-sj"), reset, clock, DataBus, memory, read, AddrBus, DataWrite, PC, PCtmp, IR_ID, PC1, A, B, IR1, D,
            IR_EX, ALUo, DMAR, SMDR, N, Z, IR_MEM, ALUo1, LMDR, IR_WB, Reg0, Reg1, Reg2, Reg3, Reg4, Reg5, Reg6, Reg7,
            stallIF, stallID, stallEX, stallMEM, branchDecision, MemReq, EX,
            forwarding ? &*forwardingSignals : nullptr);
  Memory(SD("ol-sn"), memory, read, AddrBus, DataWrite, DataBus, enTriLink, enTriROM, enTriRAM);
  // Reset is ONE from the start and released in the low phase of cycle 0, as a press of '0' would.
  PowerOn(SD("ad"), reset, resetTimeFor(period), One);
  Clock(SD("bd"), clock, period / 2, 0, period, Zero);
  results.push_back({"pc", serialsOf(PC)});
  results.push_back({"regs", serialsOf((Reg7, Reg6, Reg5, Reg4, Reg1))});
  return clockedTiming(period);
}

}  // namespace bench
