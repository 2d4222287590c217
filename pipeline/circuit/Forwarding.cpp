// Forwarding and the load interlock of 5b-forwarding, from gates and selectors.
//
// A word in EX takes each operand it reads from the youngest older word that writes that register:
// the word in MEM (its result is ALUo) before the word in WB (the value WB writes at the next rising
// edge, already on registerInput); the register file already holds anything older, since WB writes
// before ID reads.  Only a load's value is too late for that: when the word in ID reads the register
// a load in EX writes, the interlock holds ID (and IF) for a cycle and lets a bubble into EX, and the
// word then takes the loaded value from WB.
#include "Pipeline.h"

// The word's class lines and fields: bits 13..11 rd, 9..7 the operation (6 and 7 make a load or
// store address from the constant alone), 6 immediate (no rs2), 5..3 rs1, 2..0 rs2.
void RegisterUse(const SD& coord, const Signal& IR, const Signal& readsRs1, const Signal& readsRs2,
                 const Signal& readsRd, const Signal& writesRd, const Signal& loadsRd) {
  Module(coord, "RegisterUse", IR, (readsRs1, readsRs2, readsRd, writesRd, loadsRd));
  InstructionClasses word;
  Signal arithmetic(1, "arithmetic");
  Signal memoryWord(1, "memoryWord");
  Signal registerAddress(1, "registerAddress");
  Signal usesRs1(1, "usesRs1");
  Signal twoOperands(1, "twoOperands");
  Signal usesRs2(1, "usesRs2");
  Signal usesRd(1, "usesRd");
  Signal writes(1, "writes");
  Signal rs1NotR0(1, "rs1NotR0");
  Signal rs2NotR0(1, "rs2NotR0");
  Signal rdNotR0(1, "rdNotR0");
  Signal memoryRs1(1, "memoryRs1");
  Signal notByteWord(1, "notByteWord");
  Signal registerRs2(1, "registerRs2");
  SD cell(coord, "aa");
  word.decode(cell, IR);
  Not(cell, word.hilo, notByteWord);
  And(cell, (word.alu, notByteWord), arithmetic);  // add, sub, and, or
  Or(cell, (word.ld, word.st), memoryWord);
  Nand(cell, (IR[9], IR[8]), registerAddress);
  And(cell, (memoryWord, registerAddress), memoryRs1);
  Or(cell, (arithmetic, memoryRs1), usesRs1);
  Or(cell, (arithmetic, memoryWord), twoOperands);
  Not(cell, word.immediate, registerRs2);
  And(cell, (twoOperands, registerRs2), usesRs2);
  Or(cell, (word.st, word.setlo), usesRd);  // a store's data, setlo's kept high byte
  Or(cell, (word.alu, word.ld), writes);
  Or(cell, (IR[5], IR[4], IR[3]), rs1NotR0);
  Or(cell, (IR[2], IR[1], IR[0]), rs2NotR0);
  Or(cell, (IR[13], IR[12], IR[11]), rdNotR0);
  SD outputs(coord, "ab");
  And(outputs, (usesRs1, rs1NotR0), readsRs1);
  And(outputs, (usesRs2, rs2NotR0), readsRs2);
  And(outputs, (usesRd, rdNotR0), readsRd);
  And(outputs, (writes, rdNotR0), writesRd);
  And(outputs, (word.ld, rdNotR0), loadsRd);
}

void SameRegister(const SD& coord, const Signal& a, const Signal& b, const Signal& same) {
  Module(coord, "SameRegister", (a, b), same);
  Signal equalBits(3, "equalBits");
  SD cell(coord, "aa");
  for (int i = 2; i >= 0; i--) Xnor(cell, (a[i], b[i]), equalBits[i]);
  And(cell, equalBits, same);
}

// The MEM match wins: its word is the younger writer.  The selector's group 3 never occurs.
void OperandForward(const SD& coord, const Signal& reads, const Signal& number, const Signal& memWrites,
                    const Signal& memRd, const Signal& wbWrites, const Signal& wbRd, const Signal& latched,
                    const Signal& memValue, const Signal& wbValue, const Signal& fwd, const Signal& operand) {
  Module(coord, "OperandForward", (reads, number, memWrites, memRd, wbWrites, wbRd, latched, memValue, wbValue),
         (fwd, operand));
  Signal sameAsMEM(1, "sameAsMEM");
  Signal sameAsWB(1, "sameAsWB");
  Signal wbMatch(1, "wbMatch");
  Signal _memMatch(1, "_memMatch");
  SameRegister(SD(coord, "aa"), number, memRd, sameAsMEM);
  SameRegister(SD(coord, "ba"), number, wbRd, sameAsWB);
  SD cell(coord, "ab");
  And(cell, (reads, memWrites, sameAsMEM), fwd[0]);
  And(cell, (reads, wbWrites, sameAsWB), wbMatch);
  Not(cell, fwd[0], _memMatch);
  And(cell, (wbMatch, _memMatch), fwd[1]);
  Mux(SD(coord, "ac"), fwd, (latched, wbValue, memValue, latched), operand);
}

namespace {

Signal rdField(const Signal& IR) { return (IR[13], IR[12], IR[11]); }
Signal rs1Field(const Signal& IR) { return (IR[5], IR[4], IR[3]); }
Signal rs2Field(const Signal& IR) { return (IR[2], IR[1], IR[0]); }

}  // namespace

void Forwarding(const SD& coord, const Signal& IR_EX, const Signal& IR_MEM, const Signal& IR_WB, const Signal& A,
                const Signal& B, const Signal& D, const Signal& ALUo, const Signal& wbValue, const Signal& fwdA,
                const Signal& fwdB, const Signal& fwdD, const Signal& exA, const Signal& exB, const Signal& exD) {
  Module(coord, "Forwarding", (IR_EX, IR_MEM, IR_WB, A, B, D, ALUo, wbValue), (fwdA, fwdB, fwdD, exA, exB, exD));
  Signal readsRs1(1, "readsRs1");
  Signal readsRs2(1, "readsRs2");
  Signal readsRd(1, "readsRd");
  Signal memWrites(1, "memWrites");
  Signal wbWrites(1, "wbWrites");
  // The lines a stage's decode gives that forwarding does not use.
  Signal unusedEX(2, "unusedEX");
  Signal unusedMEM(4, "unusedMEM");
  Signal unusedWB(4, "unusedWB");
  RegisterUse(SD(coord, "aa"), IR_EX, readsRs1, readsRs2, readsRd, unusedEX[1], unusedEX[0]);
  RegisterUse(SD(coord, "ba"), IR_MEM, unusedMEM[3], unusedMEM[2], unusedMEM[1], memWrites, unusedMEM[0]);
  RegisterUse(SD(coord, "ca"), IR_WB, unusedWB[3], unusedWB[2], unusedWB[1], wbWrites, unusedWB[0]);
  Signal memRd = rdField(IR_MEM), wbRd = rdField(IR_WB);
  OperandForward(SD(coord, "ab"), readsRs1, rs1Field(IR_EX), memWrites, memRd, wbWrites, wbRd, A, ALUo, wbValue,
                 fwdA, exA);
  OperandForward(SD(coord, "bb"), readsRs2, rs2Field(IR_EX), memWrites, memRd, wbWrites, wbRd, B, ALUo, wbValue,
                 fwdB, exB);
  OperandForward(SD(coord, "cb"), readsRd, rdField(IR_EX), memWrites, memRd, wbWrites, wbRd, D, ALUo, wbValue,
                 fwdD, exD);
}

void LoadInterlock(const SD& coord, const Signal& EX_stall, const Signal& IR_ID, const Signal& IR_EX,
                   const Signal& loadUse, const Signal& stall) {
  Module(coord, "LoadInterlock", (EX_stall, IR_ID, IR_EX), (loadUse, stall));
  Signal readsRs1(1, "readsRs1");
  Signal readsRs2(1, "readsRs2");
  Signal readsRd(1, "readsRd");
  Signal exLoads(1, "exLoads");
  Signal sameRs1(1, "sameRs1");
  Signal sameRs2(1, "sameRs2");
  Signal sameRd(1, "sameRd");
  Signal uses(3, "uses");
  Signal readsLoaded(1, "readsLoaded");
  Signal unusedID(2, "unusedID");
  Signal unusedEX(4, "unusedEX");
  RegisterUse(SD(coord, "aa"), IR_ID, readsRs1, readsRs2, readsRd, unusedID[1], unusedID[0]);
  RegisterUse(SD(coord, "ba"), IR_EX, unusedEX[3], unusedEX[2], unusedEX[1], unusedEX[0], exLoads);
  Signal loadedRd = rdField(IR_EX);
  SameRegister(SD(coord, "ab"), rs1Field(IR_ID), loadedRd, sameRs1);
  SameRegister(SD(coord, "bb"), rs2Field(IR_ID), loadedRd, sameRs2);
  SameRegister(SD(coord, "cb"), rdField(IR_ID), loadedRd, sameRd);
  SD cell(coord, "ac");
  And(cell, (readsRs1, sameRs1), uses[2]);
  And(cell, (readsRs2, sameRs2), uses[1]);
  And(cell, (readsRd, sameRd), uses[0]);
  Or(cell, uses, readsLoaded);
  And(cell, (exLoads, readsLoaded), loadUse);
  Or(cell, (EX_stall, loadUse), stall);
}
