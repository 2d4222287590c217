// JK flip-flops as frequency dividers.
//
// A Jkff with J and K both ONE toggles: it decides at the rising clock edge and changes its outputs
// at the falling one, so its Q runs at half the frequency of its clock.  Three in a chain, each
// clocked by the Q of the one before, divide by 2, 4 and 8, and together count upwards.  A Jkff's
// outputs start XXX, so a power-on pulse on reset clears them first.  IntOut prints the three Q
// bits as one number at every rising edge of the clock.  A change ripples through the chain one
// flip-flop delay after another, so the clock is slow enough for it to settle before the next rise;
// with a faster clock the top bit would still show its old value when printed.
//
//   ./build/examples/jk_divider -X
#include "Sim.h"

void simnet() {
  Signal clk(1, "clk"), reset(1, "reset"), q(3, "q"), qp(3, "qp"), halt(1, "halt");
  Clock(SD("aa"), clk, 60, 40, 120, Zero);
  PowerOn(SD("ba"), reset, 20, One);            // ONE (reset), then ZERO from tick 29
  // Inputs, lowest first: reset, K, clock, J, set.  Outputs: QP, then Q.
  Jkff(SD("ab"), (Zero, One, clk, One, reset), (q[0], qp[0]));
  Jkff(SD("bb"), (Zero, One, q[0], One, reset), (q[1], qp[1]));
  Jkff(SD("cb"), (Zero, One, q[1], One, reset), (q[2], qp[2]));
  IntOut(SD("ac"), (One, clk), q);
  PowerOn(SD("ca"), halt, 1500, Zero);
  Stop(SD("cc"), halt);
}
