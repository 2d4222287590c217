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
  // Which word classes use a register; then the registers' fields, r0 or not.
  Signal notByteWord(1, "notByteWord"), arithmetic(1, "arithmetic"), memoryWord(1, "memoryWord"),
      registerAddress(1, "registerAddress"), memoryRs1(1, "memoryRs1"), usesRs1(1, "usesRs1"),
      twoOperands(1, "twoOperands"), registerRs2(1, "registerRs2"), usesRs2(1, "usesRs2"), usesRd(1, "usesRd"),
      writes(1, "writes");
  Signal rs1NotR0(1, "rs1NotR0"), rs2NotR0(1, "rs2NotR0"), rdNotR0(1, "rdNotR0");
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

// reads: the word in EX reads rs1, rs2, rd (bits 2, 1, 0); the decodes' other lines go unused.
void Forwarding(const SD& coord, const Signal& IR_EX, const Signal& IR_MEM, const Signal& IR_WB, const Signal& A,
                const Signal& B, const Signal& D, const Signal& ALUo, const Signal& wbValue, const Signal& fwdA,
                const Signal& fwdB, const Signal& fwdD, const Signal& exA, const Signal& exB, const Signal& exD) {
  Module(coord, "Forwarding", (IR_EX, IR_MEM, IR_WB, A, B, D, ALUo, wbValue), (fwdA, fwdB, fwdD, exA, exB, exD));
  Signal reads(3, "reads");
  Signal writes(2, "writes");  // the word in MEM, the word in WB
  Signal unused(10, "unused");
  RegisterUse(SD(coord, "aa"), IR_EX, reads[2], reads[1], reads[0], unused[9], unused[8]);
  RegisterUse(SD(coord, "ba"), IR_MEM, unused[7], unused[6], unused[5], writes[1], unused[4]);
  RegisterUse(SD(coord, "ca"), IR_WB, unused[3], unused[2], unused[1], writes[0], unused[0]);
  Signal memRd = rdField(IR_MEM), wbRd = rdField(IR_WB);
  OperandForward(SD(coord, "ab"), reads[2], rs1Field(IR_EX), writes[1], memRd, writes[0], wbRd, A, ALUo, wbValue,
                 fwdA, exA);
  OperandForward(SD(coord, "bb"), reads[1], rs2Field(IR_EX), writes[1], memRd, writes[0], wbRd, B, ALUo, wbValue,
                 fwdB, exB);
  OperandForward(SD(coord, "cb"), reads[0], rdField(IR_EX), writes[1], memRd, writes[0], wbRd, D, ALUo, wbValue,
                 fwdD, exD);
}

// reads: the word in ID reads rs1, rs2, rd; same: that register is the one the load in EX writes.
void LoadInterlock(const SD& coord, const Signal& EX_stall, const Signal& IR_ID, const Signal& IR_EX,
                   const Signal& loadUse, const Signal& stall) {
  Module(coord, "LoadInterlock", (EX_stall, IR_ID, IR_EX), (loadUse, stall));
  Signal reads(3, "reads");
  Signal same(3, "same");
  Signal uses(3, "uses");
  Signal exLoads(1, "exLoads");
  Signal readsLoaded(1, "readsLoaded");
  Signal unused(6, "unused");
  RegisterUse(SD(coord, "aa"), IR_ID, reads[2], reads[1], reads[0], unused[5], unused[4]);
  RegisterUse(SD(coord, "ba"), IR_EX, unused[3], unused[2], unused[1], unused[0], exLoads);
  Signal loadedRd = rdField(IR_EX);
  SameRegister(SD(coord, "ab"), rs1Field(IR_ID), loadedRd, same[2]);
  SameRegister(SD(coord, "bb"), rs2Field(IR_ID), loadedRd, same[1]);
  SameRegister(SD(coord, "cb"), rdField(IR_ID), loadedRd, same[0]);
  SD cell(coord, "ac");
  for (int k = 2; k >= 0; k--) And(cell, (reads[k], same[k]), uses[k]);
  Or(cell, uses, readsLoaded);
  And(cell, (exLoads, readsLoaded), loadUse);
  Or(cell, (EX_stall, loadUse), stall);
}
