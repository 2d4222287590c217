// The processor's instruction set, written down once: every instruction form with its mnemonic,
// fields and encoding.  The assembler, the disassembler and the processor's views all read it.
#ifndef TARVIK_ISA_H
#define TARVIK_ISA_H

#include <cstdint>
#include <string>

// What follows the mnemonic, and which fields of the word it fills.
enum class OperandShape {
  None,        // nop
  RegRegOp2,   // rd, rs1, op2          rd 13..11, rs1 5..3, op2 2..0 (bit 6: op2 is a constant)
  RegByte,     // rd, constant8         rd 13..11, constant 7..0
  RegAddress,  // rd, [rs1 OP op2]      rd 13..11, OP 9..7, rs1 5..3, op2 2..0 (bit 6)
  Target,      // label, address or .+N offset 10..0, relative to the branch's own address
  RegReg,      // rd, rs                (mov: add rd, rs, r0)
  RegOp2,      // rs1, op2              (cmp: subs r0, rs1, op2)
};

struct InstructionForm {
  const char* mnemonic;  // lower case
  uint16_t mask;         // the bits the form fixes
  uint16_t value;        // their value
  OperandShape shape;
  bool aliasOnly;        // accepted when assembling, never printed
};

extern const InstructionForm instructionForms[];
extern const int numberOfInstructionForms;

// Field positions and ranges shared by both directions.
const int rdShift = 11;
const int operationShift = 7;
const int rs1Shift = 3;
const uint16_t registerField = 0x7;
const uint16_t immediateBit = 0x0040;
const uint16_t psrBit = 0x0400;  // ALU words: the result sets the flags
const uint16_t offsetField = 0x07FF;
const int constant3Min = -4, constant3Max = 3;
const int offsetMin = -1024, offsetMax = 1023;

// The eight address operations of loads and stores (field 9..7), as written between [ and ].
extern const char* const addressOperations[8];

// The form of a mnemonic (any case), or null.
const InstructionForm* formNamed(const std::string& mnemonic);
// The printed form a word belongs to (0x0000 is nop); every word has one.
const InstructionForm* formOfWord(uint16_t word);
// The low bits of value as a signed number.
int signExtend(unsigned value, int bits);
// How the operands of a shape are written, for messages: "rd, rs1, rs2|constant".
const char* operandUsage(OperandShape shape);

// The word as assembly text.  With address >= 0 a branch target is shown as the absolute address
// (address + offset, modulo 65536); with address < 0 as a relative target ".+N" / ".-N".  The text
// assembles back to the same word (at that address).
std::string disassemble(uint16_t word, int address = -1);

#endif
