// The processor: the register file, the five stages, the four instruction registers between them,
// the stall units and the branch decision, with the two memory users (IF and MEM) merged onto one
// address bus and one set of memory controls.
//
// 5b-forwarding's pipe is this one given forwarding signals: its ID stall unit is the load interlock,
// EX takes its operands through the forwarding unit, and a taken branch loads PC while the interlock
// holds IF.
//
// A stalled stage passes the bubble Reg0 (always 0x0000) to the next instruction register.  IF owns
// the address bus except while MemReq is ZERO, which MEM makes during the high phase of a load or
// store; Stall_IF keeps IF from requesting then, so the two requests never overlap.
#include "Pipeline.h"

void BasicPipe(const SD& coord, const Signal& reset, const Signal& clock, const Signal& DataBusIn,
               const Signal& memory, const Signal& read, const Signal& AddrBusOut, const Signal& DataBusOut,
               const Signal& PC, const Signal& PCtmp, const Signal& IR_ID, const Signal& PC1, const Signal& A,
               const Signal& B, const Signal& IR1, const Signal& D, const Signal& IR_EX, const Signal& ALUo,
               const Signal& DMAR, const Signal& SMDR, const Signal& N, const Signal& Z, const Signal& IR_MEM,
               const Signal& ALUo1, const Signal& LMDR, const Signal& IR_WB, const Signal& Reg0, const Signal& Reg1,
               const Signal& Reg2, const Signal& Reg3, const Signal& Reg4, const Signal& Reg5, const Signal& Reg6,
               const Signal& Reg7, const Signal& stallIF, const Signal& stallID, const Signal& stallEX,
               const Signal& stallMEM, const Signal& branchDecision, const Signal& MemReq, ExStage exStage,
               const ForwardingSignals* forwarding) {
  const Signal outputs = (memory, read, AddrBusOut, DataBusOut, PC, PCtmp, IR_ID, PC1, A, B, IR1, D, IR_EX, ALUo,
                          DMAR, SMDR, N, Z, IR_MEM, ALUo1, LMDR, IR_WB, Reg0, Reg1, Reg2, Reg3, Reg4, Reg5, Reg6,
                          Reg7, stallIF, stallID, stallEX, stallMEM, branchDecision, MemReq);
  Module(coord, "BasicPipe", (reset, clock, DataBusIn),
         forwarding ? (outputs, forwarding->fwdA, forwarding->fwdB, forwarding->fwdD, forwarding->loadUse) : outputs);
  Signal exHilo(1, "exHilo");
  Signal IR_MEM_in(16, "IR_MEM_in");
  Signal alu1(16, "alu1");
  Signal memrq_IF(1, "memrq_IF");
  Signal src2(16, "src2");
  Signal aOut(16, "aOut");
  Signal src1(16, "src1");
  Signal IR_WB_in(16, "IR_WB_in");
  Signal src1_sel(3, "src1_sel");
  Signal IR_ID_in(16, "IR_ID_in");
  Signal exSetlo(1, "exSetlo");
  Signal registerSelect(3, "registerSelect");
  Signal alu2(16, "alu2");
  Signal isBranch(1, "isBranch");
  Signal src2_sel(3, "src2_sel");
  Signal instruction(16, "instruction");
  Signal registerInput(16, "registerInput");
  Signal exBranch(1, "exBranch");
  Signal rw_MEM(1, "rw_MEM");
  Signal src3(16, "src3");
  Signal exImmediate(1, "exImmediate");
  Signal rw_IF(1, "rw_IF");
  Signal memrq_MEM(1, "memrq_MEM");
  Signal src3_sel(3, "src3_sel");
  Signal writeRegister(1, "writeRegister");
  Signal branchCode(3, "branchCode");
  Signal IR_EX_in(16, "IR_EX_in");
  // Register k is data group k of the register selectors.
  Signal registerFile = (Reg7, Reg6, Reg5, Reg4, Reg3, Reg2, Reg1, Reg0);
  // EX's operands: ID's latches, or with forwarding the forwarding unit's choice.
  const Signal exA = forwarding ? Signal(16, "exA") : A;
  const Signal exB = forwarding ? Signal(16, "exB") : B;
  const Signal exD = forwarding ? Signal(16, "exD") : D;

  Registers(SD(coord, "av-dz"), reset, clock, writeRegister, registerSelect, registerInput, Reg7, Reg6, Reg5, Reg4,
            Reg3, Reg2, Reg1, Reg0);
  Stall_IF(SD(coord, "ja-jb"), stallID, IR_ID, IR_EX, IR_MEM, stallIF);
  IF(SD(coord, "fa-hb"), reset, clock, stallIF, branchDecision, ALUo, DataBusIn, memrq_IF, rw_IF, PC, PCtmp,
     instruction, forwarding != nullptr);
  Mux(SD(coord, "ic"), stallIF, (Reg0, instruction), IR_ID_in);
  IR(SD(coord, "if-ih"), reset, clock, stallID, IR_ID_in, IR_ID);
  if (forwarding)
    LoadInterlock(SD(coord, "jf-jh"), stallEX, IR_ID, IR_EX, forwarding->loadUse, stallID);
  else
    Stall_ID(SD(coord, "jf-jh"), stallEX, IR_ID, IR_EX, IR_MEM, stallID);
  ID(SD(coord, "ff-hh"), reset, clock, stallID, IR_ID, PCtmp, src1, src2, src3, src1_sel, src2_sel, src3_sel, PC1, A,
     B, IR1, D);
  Mux(SD(coord, "bg"), src1_sel, registerFile, src1);
  Mux(SD(coord, "cg"), src2_sel, registerFile, src2);
  Mux(SD(coord, "dg"), src3_sel, registerFile, src3);
  Mux(SD(coord, "ij"), stallID, (Reg0, IR_ID), IR_EX_in);
  IR(SD(coord, "il-in"), reset, clock, stallEX, IR_EX_in, IR_EX);
  Stall_EX(SD(coord, "jl-jn"), stallMEM, IR_ID, IR_EX, IR_MEM, stallEX);
  if (forwarding)
    Forwarding(SD(coord, "ak-cp"), IR_EX, IR_MEM, IR_WB, A, B, D, ALUo, registerInput, forwarding->fwdA,
               forwarding->fwdB, forwarding->fwdD, exA, exB, exD);
  exStage(SD(coord, "fl-hn"), reset, clock, stallEX, IR_EX, alu1, alu2, exD, exBranch, exSetlo, exHilo,
          exImmediate, N, Z, ALUo, DMAR, SMDR);
  ALU1(SD(coord, "gj"), PC1, exA, exD, exBranch, exSetlo, alu1);
  ALU2(SD(coord, "gj"), exB, IR1, exBranch, exHilo, exImmediate, alu2);
  Mux(SD(coord, "ip"), stallEX, (Reg0, IR_EX), IR_MEM_in);
  IR(SD(coord, "ir-it"), reset, clock, stallMEM, IR_MEM_in, IR_MEM);
  Stall_MEM(SD(coord, "jr-jt"), IR_ID, IR_EX, IR_MEM, stallMEM);
  MEM(SD(coord, "fr-ht"), reset, clock, stallMEM, IR_MEM, ALUo, DMAR, SMDR, DataBusIn, isBranch, branchCode,
      memrq_MEM, rw_MEM, ALUo1, LMDR, aOut, DataBusOut, MemReq);
  BranchDecision(SD(coord, "dm"), isBranch, branchCode, N, Z, branchDecision);
  Mux(SD(coord, "iv"), stallMEM, (Reg0, IR_MEM), IR_WB_in);
  IR(SD(coord, "ix-iz"), reset, clock, Zero, IR_WB_in, IR_WB);
  WB(SD(coord, "fx-hz"), clock, IR_WB, ALUo1, LMDR, writeRegister, registerSelect, registerInput);
  Or(SD(coord, "ds"), (memrq_IF, memrq_MEM), memory);
  Mux(SD(coord, "ds"), memrq_MEM, (rw_MEM, rw_IF), read);
  Mux(SD(coord, "aa"), MemReq, (PC, aOut), AddrBusOut);
}
