// Hazards and branches: one stall unit per stage and the branch decision of the MEM stage.
//
// The only hazard detected is the structural one on the single memory port: while a load or store is
// in MEM it owns the buses, so IF must not fetch.  There is no forwarding and no interlock on data
// dependences.  The stall units of ID, EX and MEM take every instruction register but only pass the
// chain on (stallMEM is always ZERO).  A branch is decided in MEM on the flags N (lt) and Z (eq).
#include "Pipeline.h"

// stall = ID_stall or a load or store in MEM.
void Stall_IF(const SD& coord, const Signal& ID_stall, const Signal& IR_ID, const Signal& IR_EX,
              const Signal& IR_MEM, const Signal& stall) {
  Module(coord, "Stall_IF", (ID_stall, IR_ID, IR_EX, IR_MEM), stall);
  InstructionClasses word;
  word.decode(SD(coord, "aa"), IR_MEM);
  Or(SD(coord, "ba"), (ID_stall, word.ld, word.st), stall);
}

void Stall_ID(const SD& coord, const Signal& EX_stall, const Signal& IR_ID, const Signal& IR_EX,
              const Signal& IR_MEM, const Signal& stall) {
  Module(coord, "Stall_ID", (EX_stall, IR_ID, IR_EX, IR_MEM), stall);
  Or(SD(coord, "aa"), EX_stall, stall);
}

void Stall_EX(const SD& coord, const Signal& MEM_stall, const Signal& IR_ID, const Signal& IR_EX,
              const Signal& IR_MEM, const Signal& stall) {
  Module(coord, "Stall_EX", (MEM_stall, IR_ID, IR_EX, IR_MEM), stall);
  Or(SD(coord, "aa"), MEM_stall, stall);
}

void Stall_MEM(const SD& coord, const Signal& IR_ID, const Signal& IR_EX, const Signal& IR_MEM, const Signal& stall) {
  Module(coord, "Stall_MEM", (IR_ID, IR_EX, IR_MEM), stall);
  Or(SD(coord, "aa"), Zero, stall);
}

// branch = isBranch and the condition c holds: 0 always, 1 eq, 2 not eq, 3 lt, 4 lt or eq,
// 5 neither, 6 not lt, 7 never.
void BranchDecision(const SD& coord, const Signal& isBranch, const Signal& c, const Signal& lt, const Signal& eq,
                    const Signal& branch) {
  Module(coord, "BranchDecision", (isBranch, c, lt, eq), branch);
  Signal BLE(1, "BLE");
  Signal gt(1, "gt");
  Signal BEQ(1, "BEQ");
  Signal conditionMet(1, "conditionMet");
  Signal BGT(1, "BGT");
  Signal le(1, "le");
  Signal ne(1, "ne");
  Signal ge(1, "ge");
  Signal BNE(1, "BNE");
  Signal garbage(1, "garbage");
  Signal opt(6, "opt");
  Signal BLT(1, "BLT");
  Signal BRA(1, "BRA");
  Signal BGE(1, "BGE");
  SD cell(coord, "aa");
  Decoder(cell, One, (c[2], c[1], c[0]), (garbage, BGE, BGT, BLE, BLT, BNE, BEQ, BRA));
  Not(cell, eq, ne);
  Or(cell, (lt, eq), le);
  Not(cell, le, gt);
  Not(cell, lt, ge);
  And(cell, (BEQ, eq), opt[0]);
  And(cell, (BNE, ne), opt[1]);
  And(cell, (BLT, lt), opt[2]);
  And(cell, (BLE, le), opt[3]);
  And(cell, (BGT, gt), opt[4]);
  And(cell, (BGE, ge), opt[5]);
  Or(cell, (BRA, opt), conditionMet);
  And(cell, (conditionMet, isBranch), branch);
}
