// Arithmetic datapath of the processor, at gate level: one-bit full adder and subtracter, the ALU slice,
// the 16-bit ripple ALU with its sethi/setlo path and N/Z flags, the program-counter incrementer, the
// two operand selectors of the EX stage and the flag register.
//
// ALU operation c (3 bits): 000 add, 001 subtract, 010 and, 011 or (the slices, rippling carry or
// borrow upwards); 10x setlo, giving (a[15..8], b[7..0]); 11x sethi, giving (b[7..0], 0x00).
#include "Pipeline.h"

// sum = a + b + cin, cout the carry.
void Adder(const SD& coord, const Signal& cin, const Signal& a, const Signal& b, const Signal& cout, const Signal& sum) {
  Module(coord, "Adder", (cin, a, b), (cout, sum));
  Signal y(1, "y");
  Signal z(1, "z");
  Signal x(1, "x");
  SD cell(coord, "aa");
  Xor(cell, (a, b), x);
  Xor(cell, (x, cin), sum);
  And(cell, (a, b), y);
  And(cell, (cin, x), z);
  Or(cell, (y, z), cout);
}

// s = a - b - cin, cout the borrow.
void Subtracter(const SD& coord, const Signal& cin, const Signal& a, const Signal& b, const Signal& cout,
                const Signal& s) {
  Module(coord, "Subtracter", (cin, a, b), (cout, s));
  Signal pos(2, "pos");
  Signal borc(1, "borc");
  Signal tmp(1, "tmp");
  Signal na(1, "na");
  SD cell(coord, "aa");
  Xor(cell, (a, b), tmp);
  Xor(cell, (tmp, cin), s);
  Not(cell, a, na);
  Or(cell, (b, cin), borc);
  And(cell, (na, borc), pos[0]);
  And(cell, (a, b, cin), pos[1]);
  Or(cell, pos, cout);
}

// c = 0 add, 1 subtract, 2 and, 3 or; cout is the carry for even c and the borrow for odd c.
void ALUComponent(const SD& coord, const Signal& cin, const Signal& a, const Signal& b, const Signal& c,
                  const Signal& cout, const Signal& s) {
  Module(coord, "ALUComponent", (cin, a, b, c), (cout, s));
  Signal borrow(1, "borrow");
  Signal or_output(1, "or_output");
  Signal subtract(1, "subtract");
  Signal carry(1, "carry");
  Signal add(1, "add");
  Signal and_output(1, "and_output");
  SD cell(coord, "aa");
  Adder(cell, cin, a, b, carry, add);
  Subtracter(cell, cin, a, b, borrow, subtract);
  And(cell, (a, b), and_output);
  Or(cell, (a, b), or_output);
  Mux(cell, c[0], (borrow, carry), cout);
  Mux(cell, (c[1], c[0]), (or_output, and_output, subtract, add), s);
}

void ALU(const SD& coord, const Signal& a, const Signal& b, const Signal& c, const Signal& out, const Signal& N,
         const Signal& Z) {
  Module(coord, "ALU", (a, b, c), (out, N, Z));
  Signal s(16, "s");
  Signal hilo(16, "hilo");
  Signal carry(16, "carry");
  SD cell(coord, "aa");
  for (int i = 0; i < 16; i++) ALUComponent(cell, i == 0 ? Zero : carry[i - 1], a[i], b[i], (c[1], c[0]), carry[i], s[i]);
  Signal bLow = (b[7], b[6], b[5], b[4], b[3], b[2], b[1], b[0]);
  Signal aHigh = (a[15], a[14], a[13], a[12], a[11], a[10], a[9], a[8]);
  Signal zeroByte = (Zero, Zero, Zero, Zero, Zero, Zero, Zero, Zero);
  Mux(cell, c[1], (bLow, zeroByte, aHigh, bLow), hilo);
  Mux(cell, c[2], (hilo, s), out);
  Or(cell, out[15], N);
  Nor(cell, out, Z);
}

// out = in + 1 modulo 65536, as a ripple of full adders.
void Plus1(const SD& coord, const Signal& in, const Signal& out) {
  Module(coord, "Plus1", in, out);
  Signal c(16, "c");
  SD cell(coord, "aa");
  Adder(cell, Zero, in[0], One, c[0], out[0]);
  for (int i = 1; i < 16; i++) Adder(cell, c[i - 1], in[i], Zero, c[i], out[i]);
}

// First operand: PC1 for a branch, else D for setlo (it keeps the high byte of rd), else A.
void ALU1(const SD& coord, const Signal& PC1, const Signal& A, const Signal& D, const Signal& branch,
          const Signal& setlo, const Signal& out) {
  Module(coord, "ALU1", (PC1, A, D, branch, setlo), out);
  Signal inter(16, "inter");
  Mux(SD(coord, "aa"), setlo, (D, A), inter);
  Mux(SD(coord, "ab"), branch, (PC1, inter), out);
}

// Second operand: the constant IR1 for branches, sethi/setlo and immediate forms, else B.
void ALU2(const SD& coord, const Signal& B, const Signal& IR1, const Signal& branch, const Signal& hilo,
          const Signal& immediate, const Signal& out) {
  Module(coord, "ALU2", (B, IR1, branch, hilo, immediate), out);
  Signal condition(1, "condition");
  Or(SD(coord, "aa"), (branch, hilo, immediate), condition);
  Mux(SD(coord, "ab"), condition, (IR1, B), out);
}

// N and Z take Ni and Zi at the rising edge of update; reset clears both.
void PSR(const SD& coord, const Signal& reset, const Signal& update, const Signal& Ni, const Signal& Zi,
         const Signal& N, const Signal& Z) {
  Module(coord, "PSR", (reset, update, Ni, Zi), (N, Z));
  Dff(SD(coord, "ba"), (Zero, Ni, update, reset), N);
  Dff(SD(coord, "bb"), (Zero, Zi, update, reset), Z);
}
