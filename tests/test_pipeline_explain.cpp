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

// BasicPipe (BasicPipe.cpp) with the old EX stage in place of the mended one.
void oldBasicPipe(const SD& coord, const Signal& reset, const Signal& clock, const Signal& DataBusIn,
                  const Signal& memory, const Signal& read, const Signal& AddrBusOut, const Signal& DataBusOut,
                  const Signal& PC, const Signal& PCtmp, const Signal& IR_ID, const Signal& PC1, const Signal& A,
                  const Signal& B, const Signal& IR1, const Signal& D, const Signal& IR_EX, const Signal& ALUo,
                  const Signal& DMAR, const Signal& SMDR, const Signal& N, const Signal& Z, const Signal& IR_MEM,
                  const Signal& ALUo1, const Signal& LMDR, const Signal& IR_WB, const Signal& Reg0, const Signal& Reg1,
                  const Signal& Reg2, const Signal& Reg3, const Signal& Reg4, const Signal& Reg5, const Signal& Reg6,
                  const Signal& Reg7, const Signal& stallIF, const Signal& stallID, const Signal& stallEX,
                  const Signal& stallMEM, const Signal& branchDecision, const Signal& MemReq) {
  Module(coord, "BasicPipe", (reset, clock, DataBusIn),
         (memory, read, AddrBusOut, DataBusOut, PC, PCtmp, IR_ID, PC1, A, B, IR1, D, IR_EX, ALUo, DMAR, SMDR, N, Z,
          IR_MEM, ALUo1, LMDR, IR_WB, Reg0, Reg1, Reg2, Reg3, Reg4, Reg5, Reg6, Reg7, stallIF, stallID, stallEX,
          stallMEM, branchDecision, MemReq));
  Signal exHilo(1, "exHilo");
  Signal IR_MEM_in(16, "IR_MEM_in");
  Signal alu1(16, "alu1");
  Signal memrq_IF(1, "memrq_IF");
  Signal src2(16, "src2");
  Signal aOut(16, "aOut");
  Signal src1(16, "src1");
  Signal IR_WB_in(16, "IR_WB_in");
  Signal src1_sel(3, "src1_sel");
  Signal IR_ID_in(16, "IR_ID_in");
  Signal exSetlo(1, "exSetlo");
  Signal registerSelect(3, "registerSelect");
  Signal alu2(16, "alu2");
  Signal isBranch(1, "isBranch");
  Signal src2_sel(3, "src2_sel");
  Signal instruction(16, "instruction");
  Signal registerInput(16, "registerInput");
  Signal exBranch(1, "exBranch");
  Signal rw_MEM(1, "rw_MEM");
  Signal src3(16, "src3");
  Signal exImmediate(1, "exImmediate");
  Signal rw_IF(1, "rw_IF");
  Signal memrq_MEM(1, "memrq_MEM");
  Signal src3_sel(3, "src3_sel");
  Signal writeRegister(1, "writeRegister");
  Signal branchCode(3, "branchCode");
  Signal IR_EX_in(16, "IR_EX_in");
  // Register k is data group k of the register selectors.
  Signal registerFile = (Reg7, Reg6, Reg5, Reg4, Reg3, Reg2, Reg1, Reg0);

  Registers(SD(coord, "av-dz"), reset, clock, writeRegister, registerSelect, registerInput, Reg7, Reg6, Reg5, Reg4,
            Reg3, Reg2, Reg1, Reg0);
  Stall_IF(SD(coord, "ja-jb"), stallID, IR_ID, IR_EX, IR_MEM, stallIF);
  IF(SD(coord, "fa-hb"), reset, clock, stallIF, branchDecision, ALUo, DataBusIn, memrq_IF, rw_IF, PC, PCtmp,
     instruction);
  Mux(SD(coord, "ic"), stallIF, (Reg0, instruction), IR_ID_in);
  IR(SD(coord, "if-ih"), reset, clock, stallID, IR_ID_in, IR_ID);
  Stall_ID(SD(coord, "jf-jh"), stallEX, IR_ID, IR_EX, IR_MEM, stallID);
  ID(SD(coord, "ff-hh"), reset, clock, stallID, IR_ID, PCtmp, src1, src2, src3, src1_sel, src2_sel, src3_sel, PC1, A,
     B, IR1, D);
  Mux(SD(coord, "bg"), src1_sel, registerFile, src1);
  Mux(SD(coord, "cg"), src2_sel, registerFile, src2);
  Mux(SD(coord, "dg"), src3_sel, registerFile, src3);
  Mux(SD(coord, "ij"), stallID, (Reg0, IR_ID), IR_EX_in);
  IR(SD(coord, "il-in"), reset, clock, stallEX, IR_EX_in, IR_EX);
  Stall_EX(SD(coord, "jl-jn"), stallMEM, IR_ID, IR_EX, IR_MEM, stallEX);
  oldEX(SD(coord, "fl-hn"), reset, clock, stallEX, IR_EX, alu1, alu2, D, exBranch, exSetlo, exHilo, exImmediate, N, Z,
        ALUo, DMAR, SMDR);
  ALU1(SD(coord, "gj"), PC1, A, D, exBranch, exSetlo, alu1);
  ALU2(SD(coord, "gj"), B, IR1, exBranch, exHilo, exImmediate, alu2);
  Mux(SD(coord, "ip"), stallEX, (Reg0, IR_EX), IR_MEM_in);
  IR(SD(coord, "ir-it"), reset, clock, stallMEM, IR_MEM_in, IR_MEM);
  Stall_MEM(SD(coord, "jr-jt"), IR_ID, IR_EX, IR_MEM, stallMEM);
  MEM(SD(coord, "fr-ht"), reset, clock, stallMEM, IR_MEM, ALUo, DMAR, SMDR, DataBusIn, isBranch, branchCode,
      memrq_MEM, rw_MEM, ALUo1, LMDR, aOut, DataBusOut, MemReq);
  BranchDecision(SD(coord, "dm"), isBranch, branchCode, N, Z, branchDecision);
  Mux(SD(coord, "iv"), stallMEM, (Reg0, IR_MEM), IR_WB_in);
  IR(SD(coord, "ix-iz"), reset, clock, Zero, IR_WB_in, IR_WB);
  WB(SD(coord, "fx-hz"), clock, IR_WB, ALUo1, LMDR, writeRegister, registerSelect, registerInput);
  Or(SD(coord, "ds"), (memrq_IF, memrq_MEM), memory);
  Mux(SD(coord, "ds"), memrq_MEM, (rw_MEM, rw_IF), read);
  Mux(SD(coord, "aa"), MemReq, (PC, aOut), AddrBusOut);
}

// The processor of simnet without its front panel, on the old pipeline.
void oldProcessor() {
  Signal reset(1, "reset"), clock(1, "clock"), DataBus(16, "DataBus"), memory(1, "memory"), read(1, "read"),
      AddrBus(16, "AddrBus"), DataWrite(16, "DataWrite"), PC(16, "PC"), PCtmp(16, "PCtmp"), IR_ID(16, "IR_ID"),
      PC1(16, "PC1"), A(16, "A"), B(16, "B"), IR1(16, "IR1"), D(16, "D"), IR_EX(16, "IR_EX"), ALUo(16, "ALUo"),
      DMAR(16, "DMAR"), SMDR(16, "SMDR"), N(1, "N"), Z(1, "Z"), IR_MEM(16, "IR_MEM"), ALUo1(16, "ALUo1"),
      LMDR(16, "LMDR"), IR_WB(16, "IR_WB"), Reg0(16, "Reg0"), Reg1(16, "Reg1"), Reg2(16, "Reg2"), Reg3(16, "Reg3"),
      Reg4(16, "Reg4"), Reg5(16, "Reg5"), Reg6(16, "Reg6"), Reg7(16, "Reg7"), stallIF(1, "stallIF"),
      stallID(1, "stallID"), stallEX(1, "stallEX"), stallMEM(1, "stallMEM"), branchDecision(1, "branchDecision"),
      MemReq(1, "MemReq"), enTriLink(1, "enTriLink"), enTriROM(1, "enTriROM"), enTriRAM(1, "enTriRAM");
  oldBasicPipe(SD("la-sj"), reset, clock, DataBus, memory, read, AddrBus, DataWrite, PC, PCtmp, IR_ID, PC1, A, B, IR1,
               D, IR_EX, ALUo, DMAR, SMDR, N, Z, IR_MEM, ALUo1, LMDR, IR_WB, Reg0, Reg1, Reg2, Reg3, Reg4, Reg5, Reg6,
               Reg7, stallIF, stallID, stallEX, stallMEM, branchDecision, MemReq);
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
