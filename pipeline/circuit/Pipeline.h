// The building blocks of the 16-bit five-stage pipelined processors 5a-LD-hazard and 5b-forwarding.
//
// Each block is a module function: it takes the designator of its box, then its input ports, then its
// output ports; it registers a Module box tagged with its own name, declares its internal signals and
// places its parts one level below its box.  The order of ports, internal signals and parts is fixed,
// because declaration order gives signals their serial numbers and registration order gives components
// their indices.  simnet() only combines BasicPipe, Memory and the front panel of switches and probes;
// tests build any block alone in a circuit of their own.
#ifndef TARVIK_PIPELINE_H
#define TARVIK_PIPELINE_H

#include <string>

#include "Sim.h"
#include "Variants.h"

// Memory system: a 64-word ROM and a 64-word RAM behind one address bus and a tri-state data bus.
void Memory(const SD& coord, const Signal& MReq, const Signal& Read, const Signal& Addr, const Signal& DataIn,
            const Signal& DataOut, const Signal& enTriLink, const Signal& enTriROM, const Signal& enTriRAM);
void MemAddr1(const SD& coord, const Signal& MREQ, const Signal& Read, const Signal& A6, const Signal& enTriROM);
void MemAddr2(const SD& coord, const Signal& MREQ, const Signal& Read, const Signal& A6, const Signal& RW,
              const Signal& enRAM, const Signal& enTriRAM);

// Register blocks: the 16-bit register, field buffers and the register file of Reg0 .. Reg7.
void Reg16(const SD& coord, const Signal& in, const Signal& load, const Signal& reset, const Signal& out);
void Link3(const SD& coord, const Signal& in, const Signal& out);
void Link16(const SD& coord, const Signal& in, const Signal& out);
void Registers(const SD& coord, const Signal& reset, const Signal& clock, const Signal& load, const Signal& select,
               const Signal& data, const Signal& Reg7, const Signal& Reg6, const Signal& Reg5, const Signal& Reg4,
               const Signal& Reg3, const Signal& Reg2, const Signal& Reg1, const Signal& Reg0);

// Arithmetic datapath: gate-level adder, subtracter, ALU slice and ALU, incrementer, operand selectors, flags.
// This one-bit full adder is distinct from the library's multi-bit Adder(sd, dataIn, out).
void Adder(const SD& coord, const Signal& cin, const Signal& a, const Signal& b, const Signal& cout, const Signal& sum);
void Subtracter(const SD& coord, const Signal& cin, const Signal& a, const Signal& b, const Signal& cout,
                const Signal& s);
void ALUComponent(const SD& coord, const Signal& cin, const Signal& a, const Signal& b, const Signal& c,
                  const Signal& cout, const Signal& s);
void ALU(const SD& coord, const Signal& a, const Signal& b, const Signal& c, const Signal& out, const Signal& N,
         const Signal& Z);
void Plus1(const SD& coord, const Signal& in, const Signal& out);
void ALU1(const SD& coord, const Signal& PC1, const Signal& A, const Signal& D, const Signal& branch,
          const Signal& setlo, const Signal& out);
void ALU2(const SD& coord, const Signal& B, const Signal& IR1, const Signal& branch, const Signal& hilo,
          const Signal& immediate, const Signal& out);
void PSR(const SD& coord, const Signal& reset, const Signal& update, const Signal& Ni, const Signal& Zi,
         const Signal& N, const Signal& Z);

// Instruction register and decoder.
void IR(const SD& coord, const Signal& reset, const Signal& clock, const Signal& stall, const Signal& in,
        const Signal& out);
void InstructionDecoder(const SD& coord, const Signal& IR, const Signal& alu, const Signal& ld, const Signal& st,
                        const Signal& branch, const Signal& sethi, const Signal& setlo, const Signal& hilo,
                        const Signal& psr, const Signal& immediate);

// The nine class lines of one instruction word, for the stages that decode a whole word and use only
// some of the lines; declared in the order those stages name them (the order numbers the signals).
struct InstructionClasses {
  Signal alu{1, "alu"}, ld{1, "ld"}, setlo{1, "setlo"}, st{1, "st"}, branch{1, "branch"}, hilo{1, "hilo"},
      psr{1, "psr"}, immediate{1, "immediate"}, sethi{1, "sethi"};
  void decode(const SD& coord, const Signal& IR) const {
    InstructionDecoder(coord, IR, alu, ld, st, branch, sethi, setlo, hilo, psr, immediate);
  }
};

// The five pipeline stages.
// With takenBranchLoadsPC a taken branch loads PC even while IF is stalled (PCtmp stays held): the
// load interlock of 5b-forwarding may hold IF in the cycle a branch is decided.
void IF(const SD& coord, const Signal& reset, const Signal& clock, const Signal& stall, const Signal& branch,
        const Signal& branchAddr, const Signal& dataIn, const Signal& memory, const Signal& read, const Signal& PC,
        const Signal& PCtmp, const Signal& instruction, bool takenBranchLoadsPC = false);
void ID(const SD& coord, const Signal& reset, const Signal& clock, const Signal& stall, const Signal& IR,
        const Signal& PCtmp, const Signal& src1, const Signal& src2, const Signal& src3, const Signal& src1_sel,
        const Signal& src2_sel, const Signal& src3_sel, const Signal& PC1, const Signal& A, const Signal& B,
        const Signal& IR1, const Signal& D);
void EX(const SD& coord, const Signal& reset, const Signal& clock, const Signal& stall, const Signal& IR,
        const Signal& alu1, const Signal& alu2, const Signal& D, const Signal& exBranch, const Signal& exSetlo,
        const Signal& exHilo, const Signal& exImmediate, const Signal& N, const Signal& Z, const Signal& ALUo,
        const Signal& DMAR, const Signal& SMDR);
void MEM(const SD& coord, const Signal& reset, const Signal& clock, const Signal& stall, const Signal& IR,
         const Signal& ALUo, const Signal& DMAR, const Signal& SMDR, const Signal& dataIn, const Signal& isBranch,
         const Signal& brCond, const Signal& memory, const Signal& ld, const Signal& ALUo1, const Signal& LMDR,
         const Signal& addrOut, const Signal& dataOut, const Signal& enableTSB);
void WB(const SD& coord, const Signal& clock, const Signal& IR, const Signal& ALUo1, const Signal& LMDR,
        const Signal& writeRegister, const Signal& regSelect, const Signal& registerInput);

// Hazards and branches: one stall unit per stage and the branch decision of the MEM stage.
void Stall_IF(const SD& coord, const Signal& ID_stall, const Signal& IR_ID, const Signal& IR_EX,
              const Signal& IR_MEM, const Signal& stall);
void Stall_ID(const SD& coord, const Signal& EX_stall, const Signal& IR_ID, const Signal& IR_EX,
              const Signal& IR_MEM, const Signal& stall);
void Stall_EX(const SD& coord, const Signal& MEM_stall, const Signal& IR_ID, const Signal& IR_EX,
              const Signal& IR_MEM, const Signal& stall);
void Stall_MEM(const SD& coord, const Signal& IR_ID, const Signal& IR_EX, const Signal& IR_MEM, const Signal& stall);
void BranchDecision(const SD& coord, const Signal& isBranch, const Signal& c, const Signal& lt, const Signal& eq,
                    const Signal& branch);

// Forwarding and the load interlock (Forwarding.cpp), the additions of 5b-forwarding.
// Which registers a word reads (rs1, rs2, rd) and writes (rd), r0 never counted; loadsRd: a load
// writing rd.  The one decode both the interlock (on IR_ID) and the forwarding (on IR_EX) use.
void RegisterUse(const SD& coord, const Signal& IR, const Signal& readsRs1, const Signal& readsRs2,
                 const Signal& readsRd, const Signal& writesRd, const Signal& loadsRd);
// same = the 3-bit register numbers a and b are equal.
void SameRegister(const SD& coord, const Signal& a, const Signal& b, const Signal& same);
// One EX operand: the latched value, or ALUo when the word in MEM writes its register (fwd 1), or the
// value WB writes when the word in WB does (fwd 2); only when the word in EX reads the register.
void OperandForward(const SD& coord, const Signal& reads, const Signal& number, const Signal& memWrites,
                    const Signal& memRd, const Signal& wbWrites, const Signal& wbRd, const Signal& latched,
                    const Signal& memValue, const Signal& wbValue, const Signal& fwd, const Signal& operand);
// The forwarding unit: EX's operands A, B and D (rs1, rs2, rd of IR_EX) from ID's latches, ALUo or
// the value WB writes.
void Forwarding(const SD& coord, const Signal& IR_EX, const Signal& IR_MEM, const Signal& IR_WB, const Signal& A,
                const Signal& B, const Signal& D, const Signal& ALUo, const Signal& wbValue, const Signal& fwdA,
                const Signal& fwdB, const Signal& fwdD, const Signal& exA, const Signal& exB, const Signal& exD);
// The stall unit of ID with the load interlock: loadUse = a load in EX writes a register the word in
// ID reads; stall = EX_stall or loadUse.
void LoadInterlock(const SD& coord, const Signal& EX_stall, const Signal& IR_ID, const Signal& IR_EX,
                   const Signal& loadUse, const Signal& stall);

// The signals a pipe with forwarding shows: each fwd is 0 (none), 1 (from MEM) or 2 (from WB).  Declared
// first by placeProcessor, so that they are top-level names.
struct ForwardingSignals {
  Signal fwdA{2, "fwdA"}, fwdB{2, "fwdB"}, fwdD{2, "fwdD"}, loadUse{1, "loadUse"};
};

// The EX stage's shape; BasicPipe takes one so that a variant of the stage can be tried in the whole processor.
using ExStage = void (*)(const SD& coord, const Signal& reset, const Signal& clock, const Signal& stall,
                         const Signal& IR, const Signal& alu1, const Signal& alu2, const Signal& D,
                         const Signal& exBranch, const Signal& exSetlo, const Signal& exHilo,
                         const Signal& exImmediate, const Signal& N, const Signal& Z, const Signal& ALUo,
                         const Signal& DMAR, const Signal& SMDR);

// The processor: register file, stages, instruction registers, stall units and the shared memory bus.
// Given forwarding signals it adds the forwarding unit and the load interlock (5b-forwarding).
void BasicPipe(const SD& coord, const Signal& reset, const Signal& clock, const Signal& DataBusIn,
               const Signal& memory, const Signal& read, const Signal& AddrBusOut, const Signal& DataBusOut,
               const Signal& PC, const Signal& PCtmp, const Signal& IR_ID, const Signal& PC1, const Signal& A,
               const Signal& B, const Signal& IR1, const Signal& D, const Signal& IR_EX, const Signal& ALUo,
               const Signal& DMAR, const Signal& SMDR, const Signal& N, const Signal& Z, const Signal& IR_MEM,
               const Signal& ALUo1, const Signal& LMDR, const Signal& IR_WB, const Signal& Reg0, const Signal& Reg1,
               const Signal& Reg2, const Signal& Reg3, const Signal& Reg4, const Signal& Reg5, const Signal& Reg6,
               const Signal& Reg7, const Signal& stallIF, const Signal& stallID, const Signal& stallEX,
               const Signal& stallMEM, const Signal& branchDecision, const Signal& MemReq, ExStage exStage = EX,
               const ForwardingSignals* forwarding = nullptr);

// A whole processor circuit: BasicPipe, Memory, the switches and the front panel, the RAM's memory
// image and the processor's name aliases, as the variant's row asks: with forwarding, the pipe of
// 5b-forwarding and its probes.
void placeProcessor(const ProcessorVariant& variant);
// The row of the processor placed (the running program's variant); the first row before any.
const ProcessorVariant& placedProcessor();
// The variant a circuit built from a netlist file is (placeProcessor notes its own).
void notePlacedProcessor(const ProcessorVariant& variant);
// The name a processor's netlist file gives its tools.
const char processorToolsName[] = "processor";

// Shared wiring patterns of the blocks above.
// update = (not clock) or stall, through _clock: a register loaded by update takes its input at the
// falling edge of clock unless stalled.  Both gates sit at sd.
void loadUnlessStalled(const SD& sd, const Signal& clock, const Signal& stall, const Signal& _clock,
                       const Signal& update);
// One Tsb per bit, from the highest bit down: out[i] = in[i] while control is ONE.
void tsbPerBit(const SD& sd, const Signal& in, const Signal& control, const Signal& out);

// Front panel: a 16-bit word as a row of one-bit probes, bit 15 at firstPosition, each next bit in the
// next sub-cell.  caption labels the first bits, one character each (a space gives an empty label).
void probeRow(const char* firstPosition, const Signal& word, const char* caption);
// The position after the given one in a probe row: sub-cells .aa to .ae, then .aa of the next cell.
std::string nextProbePosition(const std::string& position);

#endif
