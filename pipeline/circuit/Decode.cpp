// Instruction register and instruction decoder.
//
// Word layout: bits 15..14 class (00 ALU, 01 load, 10 store, 11 branch), 13..11 rd / data register /
// condition, 10 psr (ALU: update N and Z), 9..7 ALU operation, 6 immediate, 5..3 rs1, 2..0 rs2 or the
// signed 3-bit constant.  The word 0x0000 adds Reg0 to Reg0 into Reg0, which does nothing, and serves
// as the pipeline's bubble.  Every stage that needs the decode has its own decoder instance.
#include "Pipeline.h"

// out takes in at every rising edge of (not clock) or stall; reset clears it.
void IR(const SD& coord, const Signal& reset, const Signal& clock, const Signal& stall, const Signal& in,
        const Signal& out) {
  Module(coord, "IR", (reset, clock, stall, in), out);
  Signal enableIR(1, "enableIR");
  Signal _clock(1, "_clock");
  loadUnlessStalled(SD(coord, "aa"), clock, stall, _clock, enableIR);
  Reg16(SD(coord, "ca-cb"), in, enableIR, reset, out);
}

// alu, ld, st, branch: one-hot class; psr = alu and bit 10; immediate = bit 6; sethi and setlo: ALU
// words with operation 11x and 10x; hilo = either of them.
void InstructionDecoder(const SD& coord, const Signal& IR, const Signal& alu, const Signal& ld, const Signal& st,
                        const Signal& branch, const Signal& sethi, const Signal& setlo, const Signal& hilo,
                        const Signal& psr, const Signal& immediate) {
  Module(coord, "InstructionDecoder", IR, (alu, ld, st, branch, sethi, setlo, hilo, psr, immediate));
  Signal subtract(1, "subtract");
  Signal hi2(1, "hi2");
  Signal _sethi(1, "_sethi");
  Signal or_output(1, "or_output");
  Signal lo1(1, "lo1");
  Signal hi1(1, "hi1");
  Signal add(1, "add");
  Signal lo2(1, "lo2");
  Signal _setlo(1, "_setlo");
  Signal and_output(1, "and_output");
  SD cell(coord, "aa");
  Decoder(cell, One, (IR[15], IR[14]), (branch, st, ld, alu));
  And(cell, (alu, IR[10]), psr);
  Or(cell, IR[6], immediate);
  Decoder(cell, One, (IR[9], IR[8], IR[7]), (hi1, hi2, lo1, lo2, or_output, and_output, subtract, add));
  Or(cell, (hi1, hi2), _sethi);
  Or(cell, (lo1, lo2), _setlo);
  And(cell, (alu, _sethi), sethi);
  And(cell, (alu, _setlo), setlo);
  Or(cell, (sethi, setlo), hilo);
}
