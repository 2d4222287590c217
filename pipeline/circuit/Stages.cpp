// The five pipeline stages IF, ID, EX, MEM and WB.
//
// Each stage holds the pipeline registers on its output side (the instruction registers between the
// stages belong to BasicPipe) and decodes its own instruction.  Stage registers load at the falling
// edge of clock unless the stage is stalled; during the high phase of clock IF, or MEM for a load or
// store, uses the memory bus.
#include "Pipeline.h"

namespace {

// PC loads at the falling edge unless stalled, or when a branch is taken even so.  A taken branch is
// never held by the memory stall (MEM holds the branch, not a load or store); when the interlock holds
// IF, EX holds a load, which changes no flag, so branch stands through the high phase.
void loadPCUnlessStalledOrBranch(const SD& coord, const SD& cell, const Signal& reset, const Signal& _clock,
                                 const Signal& stall, const Signal& branch, const Signal& NextInstr,
                                 const Signal& PC) {
  Signal _branch(1, "_branch");
  Signal pcStall(1, "pcStall");
  Signal pcUpdate(1, "pcUpdate");
  Not(cell, branch, _branch);
  And(cell, (stall, _branch), pcStall);
  Or(cell, (_clock, pcStall), pcUpdate);
  Reg16(SD(coord, "da-dp"), NextInstr, pcUpdate, reset, PC);
}

}  // namespace

// Fetch: requests a read while clock is high and not stalled; at the falling edge PC becomes branchAddr
// if branch, else PC + 1, and PCtmp keeps the address just fetched.
void IF(const SD& coord, const Signal& reset, const Signal& clock, const Signal& stall, const Signal& branch,
        const Signal& branchAddr, const Signal& dataIn, const Signal& memory, const Signal& read, const Signal& PC,
        const Signal& PCtmp, const Signal& instruction, bool takenBranchLoadsPC) {
  Module(coord, "IF", (reset, clock, stall, branch, branchAddr, dataIn), (memory, read, PC, PCtmp, instruction));
  Signal update(1, "update");
  Signal PCPlus1(16, "PCPlus1");
  Signal _clock(1, "_clock");
  Signal NextInstr(16, "NextInstr");
  SD cell(coord, "aa");
  loadUnlessStalled(cell, clock, stall, _clock, update);
  Not(cell, update, memory);
  Or(cell, One, read);
  Link16(cell, dataIn, instruction);
  Mux(SD(coord, "ca-cp"), branch, (branchAddr, PCPlus1), NextInstr);
  if (takenBranchLoadsPC)
    loadPCUnlessStalledOrBranch(coord, cell, reset, _clock, stall, branch, NextInstr, PC);
  else
    Reg16(SD(coord, "da-dp"), NextInstr, update, reset, PC);
  Plus1(SD(coord, "cq-ds"), PC, PCPlus1);
  Reg16(SD(coord, "da-dp"), PC, update, reset, PCtmp);
}

// Decode: sends the three register numbers out to the register selectors and latches their values,
// the fetch address and the instruction's constant (branch offset, sethi/setlo byte, or 3-bit constant).
void ID(const SD& coord, const Signal& reset, const Signal& clock, const Signal& stall, const Signal& IR,
        const Signal& PCtmp, const Signal& src1, const Signal& src2, const Signal& src3, const Signal& src1_sel,
        const Signal& src2_sel, const Signal& src3_sel, const Signal& PC1, const Signal& A, const Signal& B,
        const Signal& IR1, const Signal& D) {
  Module(coord, "ID", (reset, clock, stall, IR, PCtmp, src1, src2, src3),
         (src1_sel, src2_sel, src3_sel, PC1, A, B, IR1, D));
  Signal setlo(1, "setlo");
  Signal ld(1, "ld");
  Signal constant(16, "constant");
  Signal branch(1, "branch");
  Signal hilo(1, "hilo");
  Signal sethi(1, "sethi");
  Signal _clock(1, "_clock");
  Signal alu(1, "alu");
  Signal inter(16, "inter");
  Signal psr(1, "psr");
  Signal st(1, "st");
  Signal update(1, "update");
  Signal immediate(1, "immediate");
  SD cell(coord, "aa");
  InstructionDecoder(cell, IR, alu, ld, st, branch, sethi, setlo, hilo, psr, immediate);
  loadUnlessStalled(cell, clock, stall, _clock, update);
  Link3(cell, (IR[5], IR[4], IR[3]), src1_sel);
  Link3(cell, (IR[2], IR[1], IR[0]), src2_sel);
  Link3(cell, (IR[13], IR[12], IR[11]), src3_sel);
  Signal zeroByte = (Zero, Zero, Zero, Zero, Zero, Zero, Zero, Zero);
  Signal lowByte = (IR[7], IR[6], IR[5], IR[4], IR[3], IR[2], IR[1], IR[0]);
  Signal signOf3 = (IR[2], IR[2], IR[2], IR[2], IR[2], IR[2], IR[2], IR[2], IR[2], IR[2], IR[2], IR[2], IR[2], IR[2]);
  Signal signOf11 = (IR[10], IR[10], IR[10], IR[10], IR[10], IR[10]);
  Signal offsetLow = (IR[9], IR[8], IR[7], IR[6], IR[5], IR[4], IR[3], IR[2], IR[1], IR[0]);
  Mux(SD(coord, "db-fb"), hilo, (zeroByte, lowByte, signOf3, IR[1], IR[0]), inter);
  Mux(SD(coord, "db-fb"), branch, (signOf11, offsetLow, inter), constant);
  Reg16(SD(coord, "ad"), PCtmp, update, reset, PC1);
  Reg16(SD(coord, "bd"), src1, update, reset, A);
  Reg16(SD(coord, "dd"), src2, update, reset, B);
  Reg16(SD(coord, "ed"), constant, update, reset, IR1);
  Reg16(SD(coord, "gd"), src3, update, reset, D);
}

// Execute: the ALU on the two selected operands (a branch forces add, giving its target), latched into
// ALUo and DMAR; the store data D into SMDR.  N and Z load at the rising edge of clock when the
// instruction has psr set and the stage is not stalled.
void EX(const SD& coord, const Signal& reset, const Signal& clock, const Signal& stall, const Signal& IR,
        const Signal& alu1, const Signal& alu2, const Signal& D, const Signal& exBranch, const Signal& exSetlo,
        const Signal& exHilo, const Signal& exImmediate, const Signal& N, const Signal& Z, const Signal& ALUo,
        const Signal& DMAR, const Signal& SMDR) {
  Module(coord, "EX", (reset, clock, stall, IR, alu1, alu2, D),
         (exBranch, exSetlo, exHilo, exImmediate, N, Z, ALUo, DMAR, SMDR));
  Signal st(1, "st");
  Signal alu(16, "alu");
  Signal Zi(1, "Zi");
  Signal updatePSR(1, "updatePSR");
  Signal sethi(1, "sethi");
  Signal Ni(1, "Ni");
  Signal ld(1, "ld");
  Signal operation(3, "operation");
  Signal alu_output(1, "alu_output");
  Signal psrSignal(1, "psrSignal");
  Signal update(1, "update");
  Signal psr(1, "psr");
  Signal _psr(1, "_psr");
  Signal _clock(1, "_clock");
  SD cell(coord, "aa");
  InstructionDecoder(cell, IR, alu_output, ld, st, exBranch, sethi, exSetlo, exHilo, psr, exImmediate);
  // The flags' clock is clock itself, passed only for the pulses that begin while updatePSR (a psr word,
  // not stalled) is ONE.  The clock gate decides at the rising edge and ignores updatePSR while clock
  // is low, when a new word settles in EX: the psr word leaving, or bit 10 rising before the decoded
  // class falls, would otherwise make a rising edge of its own while the ALU's flags are unknown.
  Not(cell, psr, _psr);
  Nor(cell, (stall, _psr), updatePSR);
  Gate(cell, (updatePSR, clock), psrSignal);
  PSR(SD(coord, "dd"), reset, psrSignal, Ni, Zi, N, Z);
  loadUnlessStalled(cell, clock, stall, _clock, update);
  Mux(SD(coord, "ab"), exBranch, (Zero, Zero, Zero, IR[9], IR[8], IR[7]), operation);
  ALU(SD(coord, "ac"), alu1, alu2, operation, alu, Ni, Zi);
  Reg16(SD(coord, "ad"), alu, update, reset, ALUo);
  Reg16(SD(coord, "bd"), alu, update, reset, DMAR);
  Reg16(SD(coord, "cd"), D, update, reset, SMDR);
}

// Memory access: during the high phase of an unstalled load or store, drives DMAR onto addrOut and
// requests memory (enableTSB ZERO); a store also drives SMDR onto dataOut.  LMDR and ALUo1 load at the
// falling edge.
void MEM(const SD& coord, const Signal& reset, const Signal& clock, const Signal& stall, const Signal& IR,
         const Signal& ALUo, const Signal& DMAR, const Signal& SMDR, const Signal& dataIn, const Signal& isBranch,
         const Signal& brCond, const Signal& memory, const Signal& ld, const Signal& ALUo1, const Signal& LMDR,
         const Signal& addrOut, const Signal& dataOut, const Signal& enableTSB) {
  Module(coord, "MEM", (reset, clock, stall, IR, ALUo, DMAR, SMDR, dataIn),
         (isBranch, brCond, memory, ld, ALUo1, LMDR, addrOut, dataOut, enableTSB));
  Signal setlo(1, "setlo");
  Signal st(1, "st");
  Signal hilo(1, "hilo");
  Signal enableTSB_temp(1, "enableTSB_temp");
  Signal sethi(1, "sethi");
  Signal immediate(1, "immediate");
  Signal alu(1, "alu");
  Signal enableWriteTSB(1, "enableWriteTSB");
  Signal _stall(1, "_stall");
  Signal psr(1, "psr");
  Signal enableWriteTSB_temp(1, "enableWriteTSB_temp");
  Signal _clock(1, "_clock");
  Signal update(1, "update");
  Signal memoryAccess(1, "memoryAccess");
  SD cell(coord, "aa");
  SD gates(coord, "ba");
  SD buses(coord, "ea");
  InstructionDecoder(cell, IR, alu, ld, st, isBranch, sethi, setlo, hilo, psr, immediate);
  // Not loadUnlessStalled: the inverted stall is made between the two gates of the load line.
  Not(cell, clock, _clock);
  Not(cell, stall, _stall);
  Or(cell, (_clock, stall), update);
  Link3(cell, (IR[13], IR[12], IR[11]), brCond);
  Reg16(SD(coord, "ad-ae"), ALUo, update, reset, ALUo1);
  Or(gates, (ld, st), memoryAccess);
  And(gates, (_stall, clock, memoryAccess), enableTSB_temp);
  And(gates, (_stall, clock, st), enableWriteTSB_temp);
  tsbPerBit(buses, SMDR, enableWriteTSB_temp, dataOut);
  Reg16(SD(coord, "dd-de"), dataIn, update, reset, LMDR);
  tsbPerBit(buses, DMAR, enableTSB_temp, addrOut);
  Not(cell, enableTSB_temp, enableTSB);
  Not(cell, enableWriteTSB_temp, enableWriteTSB);
  Not(SD(coord, "da"), enableTSB, memory);
}

// Write-back: ALU and load instructions write register rd, a load with LMDR and the others with ALUo1;
// the write itself happens in the register file at the next rising edge of clock.
void WB(const SD& coord, const Signal& clock, const Signal& IR, const Signal& ALUo1, const Signal& LMDR,
        const Signal& writeRegister, const Signal& regSelect, const Signal& registerInput) {
  Module(coord, "WB", (clock, IR, ALUo1, LMDR), (writeRegister, regSelect, registerInput));
  InstructionClasses word;
  SD cell(coord, "aa");
  word.decode(cell, IR);
  Or(cell, (word.alu, word.ld), writeRegister);
  Link3(cell, (IR[13], IR[12], IR[11]), regSelect);
  Mux(SD(coord, "ca-da"), word.ld, (LMDR, ALUo1), registerInput);
}
