// The instruction table and the disassembler.
//
// Each form fixes some bits of the word (mask and value) and leaves the rest to its operands, whose
// shape says which fields they fill.  The assembler looks forms up by mnemonic, the disassembler by
// the first printed form whose fixed bits match; nop comes first so that 0x0000 prints as nop.
#include "Isa.h"

#include <cctype>
#include <cstdio>

namespace {

const uint16_t classAlu = 0x0000, classLoad = 0x4000, classStore = 0x8000, classBranch = 0xC000;
const uint16_t aluMask = 0xC780;    // class, psr, operation
const uint16_t byteMask = 0xC700;   // class, psr, operation 9..8 (bit 7 belongs to the constant)
const uint16_t memoryMask = 0xC400; // class, psr
const uint16_t branchMask = 0xF800; // class, condition

constexpr uint16_t op(int operation) { return static_cast<uint16_t>(operation << operationShift); }
constexpr uint16_t condition(int code) { return static_cast<uint16_t>(classBranch | code << rdShift); }

}  // namespace

const InstructionForm instructionForms[] = {
    {"nop", 0xFFFF, 0x0000, OperandShape::None, false},
    {"add", aluMask, classAlu | op(0), OperandShape::RegRegOp2, false},
    {"sub", aluMask, classAlu | op(1), OperandShape::RegRegOp2, false},
    {"and", aluMask, classAlu | op(2), OperandShape::RegRegOp2, false},
    {"or", aluMask, classAlu | op(3), OperandShape::RegRegOp2, false},
    {"adds", aluMask, classAlu | psrBit | op(0), OperandShape::RegRegOp2, false},
    {"subs", aluMask, classAlu | psrBit | op(1), OperandShape::RegRegOp2, false},
    {"ands", aluMask, classAlu | psrBit | op(2), OperandShape::RegRegOp2, false},
    {"ors", aluMask, classAlu | psrBit | op(3), OperandShape::RegRegOp2, false},
    {"setlo", byteMask, classAlu | op(4), OperandShape::RegByte, false},
    {"sethi", byteMask, classAlu | op(6), OperandShape::RegByte, false},
    {"setlos", byteMask, classAlu | psrBit | op(4), OperandShape::RegByte, false},
    {"sethis", byteMask, classAlu | psrBit | op(6), OperandShape::RegByte, false},
    {"ld", memoryMask, classLoad, OperandShape::RegAddress, false},
    {"lds", memoryMask, classLoad | psrBit, OperandShape::RegAddress, false},
    {"st", memoryMask, classStore, OperandShape::RegAddress, false},
    {"sts", memoryMask, classStore | psrBit, OperandShape::RegAddress, false},
    {"bra", branchMask, condition(0), OperandShape::Target, false},
    {"beq", branchMask, condition(1), OperandShape::Target, false},
    {"bne", branchMask, condition(2), OperandShape::Target, false},
    {"blt", branchMask, condition(3), OperandShape::Target, false},
    {"ble", branchMask, condition(4), OperandShape::Target, false},
    {"bgt", branchMask, condition(5), OperandShape::Target, false},
    {"bge", branchMask, condition(6), OperandShape::Target, false},
    {"bnv", branchMask, condition(7), OperandShape::Target, false},
    {"mov", 0xC7C7, classAlu | op(0), OperandShape::RegReg, true},
    {"cmp", 0xFF80, classAlu | psrBit | op(1), OperandShape::RegOp2, true},
};
const int numberOfInstructionForms = sizeof instructionForms / sizeof instructionForms[0];

const char* const addressOperations[8] = {"+", "-", "&", "|", "lo2", "lo1", "hi2", "hi1"};

const InstructionForm* formNamed(const std::string& mnemonic) {
  std::string lower;
  for (char c : mnemonic) lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  for (const InstructionForm& f : instructionForms)
    if (lower == f.mnemonic) return &f;
  return nullptr;
}

const InstructionForm* formOfWord(uint16_t word) {
  for (const InstructionForm& f : instructionForms)
    if (!f.aliasOnly && (word & f.mask) == f.value) return &f;
  return nullptr;  // not reached: the branch forms cover the last class whole
}

int signExtend(unsigned value, int bits) {
  unsigned sign = 1u << (bits - 1);
  unsigned low = value & ((sign << 1) - 1);
  return static_cast<int>(low ^ sign) - static_cast<int>(sign);
}

const char* operandUsage(OperandShape shape) {
  switch (shape) {
    case OperandShape::None: return "no operands";
    case OperandShape::RegRegOp2: return "rd, rs1, rs2|constant";
    case OperandShape::RegByte: return "rd, constant";
    case OperandShape::RegAddress: return "rd, [rs1 OP rs2|constant]";
    case OperandShape::Target: return "label|address|.+N";
    case OperandShape::RegReg: return "rd, rs";
    case OperandShape::RegOp2: return "rs1, rs2|constant";
  }
  return "";
}

namespace {

std::string reg(uint16_t word, int shift) { return "r" + std::to_string(word >> shift & registerField); }

// The second operand: register rs2, or the signed 3-bit constant when bit 6 is set.
std::string op2(uint16_t word) {
  if (word & immediateBit) return std::to_string(signExtend(word, 3));
  return reg(word, 0);
}

std::string memoryOperand(uint16_t word) {
  std::string base = "[" + reg(word, rs1Shift);
  int operation = word >> operationShift & 0x7;
  if (operation == 0 && (word & (immediateBit | registerField)) == 0) return base + "]";
  return base + " " + addressOperations[operation] + " " + op2(word) + "]";
}

std::string target(uint16_t word, int at) {
  int offset = signExtend(word, 11);
  if (at >= 0) return std::to_string((at + offset) & 0xFFFF);
  return offset < 0 ? ".-" + std::to_string(-offset) : ".+" + std::to_string(offset);
}

std::string byteConstant(uint16_t word) {
  char text[8];
  snprintf(text, sizeof text, "0x%02X", word & 0xFF);
  return text;
}

std::string operands(const InstructionForm& form, uint16_t word, int at) {
  switch (form.shape) {
    case OperandShape::RegRegOp2: return reg(word, rdShift) + ", " + reg(word, rs1Shift) + ", " + op2(word);
    case OperandShape::RegByte: return reg(word, rdShift) + ", " + byteConstant(word);
    case OperandShape::RegAddress: return reg(word, rdShift) + ", " + memoryOperand(word);
    case OperandShape::Target: return target(word, at);
    default: return "";
  }
}

}  // namespace

std::string disassemble(uint16_t word, int address) {
  const InstructionForm* form = formOfWord(word);
  if (!form) return ".word " + std::to_string(word);
  std::string rest = operands(*form, word, address);
  return rest.empty() ? form->mnemonic : std::string(form->mnemonic) + " " + rest;
}
