// Register blocks of the processor: the 16-bit register every pipeline register is made of, the
// buffers that pass fields through a module boundary, and the register file Reg0 .. Reg7.
//
// All storage is Dff-based: a register takes its input at the rising edge of its load line and is
// cleared by reset.  The register file writes register k at the rising edge of clock and load with
// select = k; Reg0 is wired to constant zero and cannot be written.  Also here: the two wiring
// patterns the stages share, the load-unless-stalled line and a bus of tri-state buffers.
#include "Pipeline.h"

void Reg16(const SD& coord, const Signal& in, const Signal& load, const Signal& reset, const Signal& out) {
  Module(coord, "Reg16", (in, load, reset), out);
  for (int i = 15; i >= 0; i--) Dff(SD(coord, "aa"), (Zero, in[i], load, reset), out[i]);
}

// The vector Or gives one one-input gate per bit, the highest bit first.
void Link3(const SD& coord, const Signal& in, const Signal& out) {
  Module(coord, "Link3", in, out);
  Or(SD(coord, "aa"), in, out);
}

void Link16(const SD& coord, const Signal& in, const Signal& out) {
  Module(coord, "Link16", in, out);
  Or(SD(coord, "aa"), in, out);
}

void Registers(const SD& coord, const Signal& reset, const Signal& clock, const Signal& load, const Signal& select,
               const Signal& data, const Signal& Reg7, const Signal& Reg6, const Signal& Reg5, const Signal& Reg4,
               const Signal& Reg3, const Signal& Reg2, const Signal& Reg1, const Signal& Reg0) {
  Module(coord, "Registers", (reset, clock, load, select, data), (Reg7, Reg6, Reg5, Reg4, Reg3, Reg2, Reg1, Reg0));
  Signal sel(8, "sel");
  Signal write(7, "write");
  const Signal* reg[8] = {&Reg0, &Reg1, &Reg2, &Reg3, &Reg4, &Reg5, &Reg6, &Reg7};
  for (int i = 15; i >= 0; i--) Or(SD(coord, "aa"), Zero, Reg0[i]);
  Decoder(SD(coord, "aa"), One, select, sel);
  for (int k = 7; k >= 1; k--) And(SD(coord, "aa"), (clock, load, sel[k]), write[k - 1]);
  for (int k = 7; k >= 1; k--) Reg16(SD(coord, "aa"), data, write[k - 1], reset, *reg[k]);
}

void loadUnlessStalled(const SD& sd, const Signal& clock, const Signal& stall, const Signal& _clock,
                       const Signal& update) {
  Not(sd, clock, _clock);
  Or(sd, (_clock, stall), update);
}

void tsbPerBit(const SD& sd, const Signal& in, const Signal& control, const Signal& out) {
  for (int i = out.length - 1; i >= 0; i--) Tsb(sd, in[i], control, out[i]);
}
