// Explanations on the processor: with the EX stage as it was before the flag register's clock was
// mended (the flags loaded at every rising edge of Or(clock, stall, _psr)), N turns XXX in cycle 31,
// and the explanation traces it to the flag register's clock pulse (the psr word leaving EX while clock
// is low) and to the ALU's N output still passing through XXX; with the mended stage N stays known.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Pipeline.h"
#include "test_pipeline_rig.h"

namespace {

// The old EX stage, as it stood before the mend.
void oldEX(const SD& coord, const Signal& reset, const Signal& clock, const Signal& stall, const Signal& IR,
           const Signal& alu1, const Signal& alu2, const Signal& D, const Signal& exBranch, const Signal& exSetlo,
           const Signal& exHilo, const Signal& exImmediate, const Signal& N, const Signal& Z, const Signal& ALUo,
           const Signal& DMAR, const Signal& SMDR) {
  Module(coord, "EX", (reset, clock, stall, IR, alu1, alu2, D),
         (exBranch, exSetlo, exHilo, exImmediate, N, Z, ALUo, DMAR, SMDR));
  Signal st(1, "st"), alu(16, "alu"), Zi(1, "Zi"), updatePSR(1, "updatePSR"), sethi(1, "sethi"), Ni(1, "Ni"),
      ld(1, "ld"), operation(3, "operation"), alu_output(1, "alu_output"), psrSignal(1, "psrSignal"),
      update(1, "update"), psr(1, "psr"), _psr(1, "_psr"), _clock(1, "_clock");
  SD cell(coord, "aa");
  InstructionDecoder(cell, IR, alu_output, ld, st, exBranch, sethi, exSetlo, exHilo, psr, exImmediate);
  Not(cell, psr, _psr);
  Or(cell, (clock, stall, _psr), updatePSR);
  Or(cell, updatePSR, psrSignal);
  PSR(SD(coord, "dd"), reset, psrSignal, Ni, Zi, N, Z);
  loadUnlessStalled(cell, clock, stall, _clock, update);
  Mux(SD(coord, "ab"), exBranch, (Zero, Zero, Zero, IR[9], IR[8], IR[7]), operation);
  ALU(SD(coord, "ac"), alu1, alu2, operation, alu, Ni, Zi);
  Reg16(SD(coord, "ad"), alu, update, reset, ALUo);
  Reg16(SD(coord, "bd"), alu, update, reset, DMAR);
  Reg16(SD(coord, "cd"), D, update, reset, SMDR);
}

// The processor of simnet without its front panel, with the old EX stage.
void oldProcessor() {
  Signal reset(1, "reset"), clock(1, "clock"), DataBus(16, "DataBus"), memory(1, "memory"), read(1, "read"),
      AddrBus(16, "AddrBus"), DataWrite(16, "DataWrite"), PC(16, "PC"), PCtmp(16, "PCtmp"), IR_ID(16, "IR_ID"),
      PC1(16, "PC1"), A(16, "A"), B(16, "B"), IR1(16, "IR1"), D(16, "D"), IR_EX(16, "IR_EX"), ALUo(16, "ALUo"),
      DMAR(16, "DMAR"), SMDR(16, "SMDR"), N(1, "N"), Z(1, "Z"), IR_MEM(16, "IR_MEM"), ALUo1(16, "ALUo1"),
      LMDR(16, "LMDR"), IR_WB(16, "IR_WB"), Reg0(16, "Reg0"), Reg1(16, "Reg1"), Reg2(16, "Reg2"), Reg3(16, "Reg3"),
      Reg4(16, "Reg4"), Reg5(16, "Reg5"), Reg6(16, "Reg6"), Reg7(16, "Reg7"), stallIF(1, "stallIF"),
      stallID(1, "stallID"), stallEX(1, "stallEX"), stallMEM(1, "stallMEM"), branchDecision(1, "branchDecision"),
      MemReq(1, "MemReq"), enTriLink(1, "enTriLink"), enTriROM(1, "enTriROM"), enTriRAM(1, "enTriRAM");
  BasicPipe(SD("la-sj"), reset, clock, DataBus, memory, read, AddrBus, DataWrite, PC, PCtmp, IR_ID, PC1, A, B, IR1, D,
            IR_EX, ALUo, DMAR, SMDR, N, Z, IR_MEM, ALUo1, LMDR, IR_WB, Reg0, Reg1, Reg2, Reg3, Reg4, Reg5, Reg6, Reg7,
            stallIF, stallID, stallEX, stallMEM, branchDecision, MemReq, oldEX);
  Memory(SD("ol-sn"), memory, read, AddrBus, DataWrite, DataBus, enTriLink, enTriROM, enTriRAM);
  Switch(SD("ad.ac-ae"), reset, '0', One, "RST");
  Switch(SD("bd.ac-ae"), clock, '1', Zero, "CLK");
}

const char* const oldExplanation[] = {
    "explain N at 8400",
    "N = XXX since 8390 <- Dff at la-sj.fl-hn.dd.ba in BasicPipe.EX.PSR: loaded XXX when psrSignal rose at 8377 (R "
    "reset=ZERO, C psrSignal=ONE, D Ni=XXX, S Zero=ZERO)",
    "  BasicPipe.EX.psrSignal = ONE at 8377 since 8377 <- Or at la-sj.fl-hn.aa in BasicPipe.EX.InstructionDecoder "
    "(updatePSR=ONE): after updatePSR changed at 8367",
    "    BasicPipe.EX.updatePSR = ONE at 8367 since 8367 <- Or at la-sj.fl-hn.aa in BasicPipe.EX.InstructionDecoder "
    "(_psr=ONE, stallEX=ZERO, clock=ZERO): after _psr changed at 8357",
    "      BasicPipe.EX._psr = ONE at 8357 since 8357 <- Not at la-sj.fl-hn.aa in BasicPipe.EX.InstructionDecoder "
    "(psr=ZERO): after psr changed at 8347",
    "        BasicPipe.EX.psr = ZERO at 8347 since 8347 <- And at la-sj.fl-hn.aa.aa in BasicPipe.EX.InstructionDecoder "
    "(IR_EX[10]=ONE, alu_output=ZERO): after alu_output changed at 8337",
    "          BasicPipe.EX.alu_output = ZERO at 8337 since 8337 <- Decoder at la-sj.fl-hn.aa.aa in "
    "BasicPipe.EX.InstructionDecoder (IR_EX[14]=ONE, IR_EX[15]=ONE, One=ONE): after IR_EX[14] changed at 8320",
    "            IR_EX[14] = ONE at 8320 since 8320 <- Dff at la-sj.il-in.ca-cb.aa in BasicPipe.IR_1.Reg16 (R "
    "reset=ZERO, C enableIR=ONE, D IR_EX_in[14]=ONE, S Zero=ZERO): loaded when enableIR rose at 8303",
    "  BasicPipe.EX.Ni = XXX at 8377 since 8365 <- Or at la-sj.fl-hn.ac.aa in BasicPipe.EX.ALU.ALUComponent_15 "
    "(alu[15]=XXX): passing through XXX, becomes ZERO at 8381",
};

TEST(ProcessorExplain, TheOldFlagClockLoadsNWhileTheAluIsStillUnknown) {
  RunResult r = runCircuit(oldProcessor, {"-X", "--quiet", "--keys=" + resetThenCycles(31), "--explain", "N@8400"});
  ASSERT_EQ(r.status, 0) << r.err;
  std::vector<std::string> lines = linesOf(r.out);
  ASSERT_GE(lines.size(), std::size(oldExplanation));
  for (size_t i = 0; i < std::size(oldExplanation); i++) EXPECT_EQ(lines[i], oldExplanation[i]) << i;
  EXPECT_EQ(lines.size(), 20u);  // the XXX wave through the ALU, down to the depth limit
  EXPECT_EQ(lines.back(), std::string(24, ' ') + "... (--explain-depth 12 stops here)");
}

TEST(ProcessorExplain, TheMendedFlagClockKeepsNKnown) {
  RunResult r = runCircuit(simnet, {"-X", "--quiet", "--keys=" + resetThenCycles(31), "--explain", "N@8400"});
  ASSERT_EQ(r.status, 0) << r.err;
  std::vector<std::string> lines = linesOf(r.out);
  ASSERT_EQ(lines.size(), 2u) << r.out;  // a level is explained by its driver alone
  EXPECT_EQ(lines[1].substr(0, 11), "N = ZERO si");
  EXPECT_NE(lines[1].find("<- Dff at la-sj.fl-hn.dd.ba in BasicPipe.EX.PSR ("), std::string::npos) << lines[1];
}

}  // namespace
