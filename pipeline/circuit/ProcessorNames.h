// The names of the processor's signals and memories that its views, its waveform layout and its
// --program option read, in one place.  Each is looked up by the name index's rule (NameIndex.h), as
// --expect and --explain look names up.
#ifndef TARVIK_PROCESSORNAMES_H
#define TARVIK_PROCESSORNAMES_H

namespace processorNames {

const char clock[] = "clock";
const char reset[] = "reset";
const char pc[] = "PC";
const char pcNext[] = "PCtmp";
const char n[] = "N";
const char z[] = "Z";

// The register file's outputs; Reg0 always reads 0.
const char* const registers[8] = {"Reg0", "Reg1", "Reg2", "Reg3", "Reg4", "Reg5", "Reg6", "Reg7"};
// The instruction registers of ID, EX, MEM and WB.
const char* const instructionRegisters[4] = {"IR_ID", "IR_EX", "IR_MEM", "IR_WB"};
// The stall signals of IF, ID, EX and MEM.
const char* const stalls[4] = {"stallIF", "stallID", "stallEX", "stallMEM"};

// The memory bus.
const char memory[] = "memory";
const char read[] = "read";
const char memoryRequest[] = "MemReq";
const char addressBus[] = "AddrBus";
const char dataBus[] = "DataBus";

// Branches and the register write-back.
const char isBranch[] = "BasicPipe.isBranch";
const char branchDecision[] = "branchDecision";
const char aluOutput[] = "ALUo";
const char writeRegister[] = "BasicPipe.writeRegister";
const char registerSelect[] = "BasicPipe.registerSelect";

// 5b-forwarding only: where EX takes its operands A, B and D from (0 ID's latches, 1 MEM, 2 WB), and
// the load interlock holding ID.
const char* const forwards[3] = {"fwdA", "fwdB", "fwdD"};
const char loadUse[] = "loadUse";

// The program ROM, and the data RAM: one 16-bit wide memory of two byte lanes, high byte first.
const char rom[] = "Memory.Rom";
const unsigned romWords = 64;  // as Memory.cpp builds it, on address bits 5..0
const char ram[] = "RAM";
const char* const ramLanes[2] = {"Memory.Ram", "Memory.Ram_1"};

// Names a student types, given to the name index (--expect, --until, --explain): the summary's r0..r7,
// pc, n and z, and the front panel's stall labels, which docs/processor.md uses.
struct Alias {
  const char* alias;
  const char* name;
};
const Alias aliases[] = {
    {"r0", "Reg0"}, {"r1", "Reg1"}, {"r2", "Reg2"}, {"r3", "Reg3"}, {"r4", "Reg4"}, {"r5", "Reg5"},
    {"r6", "Reg6"}, {"r7", "Reg7"}, {"pc", "PC"},   {"n", "N"},     {"z", "Z"},     {"Stall_IF", "stallIF"},
    {"Stall_ID", "stallID"}, {"Stall_EX", "stallEX"}, {"Stall_MEM", "stallMEM"},
};
// A program reaches RAM word w at address ramFirstAddress + w (0x40..0x7F).
const unsigned ramFirstAddress = 0x40;

}  // namespace processorNames

#endif
