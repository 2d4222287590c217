// The processor's blocks, each built alone in a small circuit: decoder, ALU, incrementer, branch
// decision, stall units, the ID stage's constants, the IF stage and the memory.
//
// Combinational blocks get constant inputs, many instances in one circuit; clocked blocks get reset and
// clock switches ('0' and '1', as on the processor) driven by a key script.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "Pipeline.h"
#include "test_pipeline_rig.h"

namespace {

Signal constantWord(unsigned value, const std::string& name) { return Signal(16, value, lastingName(name)); }
Signal constantBits(unsigned bits, unsigned value, const std::string& name) {
  return Signal(bits, value, lastingName(name));
}
// An output of a block under test, reported at the end of the run.
Signal wire(unsigned bits, const std::string& name) { return watch(Signal(bits, lastingName(name))); }

std::string hexName(unsigned word) {
  char text[8];
  snprintf(text, sizeof text, "%04X", word);
  return text;
}

// ---- InstructionDecoder --------------------------------------------------------------------------

const char* const decoderOutputs[] = {"alu", "ld", "st", "branch", "sethi", "setlo", "hilo", "psr", "immediate"};

struct DecodeCase {
  unsigned word;
  std::vector<std::string> ones;  // the outputs that are ONE; all others ZERO
};

const std::vector<DecodeCase> decodeCases = {
    {0x0000, {"alu"}},
    {0x0AF0, {"alu", "setlo", "hilo", "immediate"}},
    {0x4813, {"ld"}},
    {0xFF00, {"branch"}},
    {0xFFFE, {"branch", "immediate"}},     // bit 6 is decoded for every class
    {0x8840, {"st", "immediate"}},
    {0x4400, {"ld"}},                      // bit 10 sets psr only for ALU words
    {0x0400, {"alu", "psr"}},
    {0x0300, {"alu", "sethi", "hilo"}},
    {0x4300, {"ld"}},                      // operation 110 of a load is no sethi
};

void decoders() {
  for (const DecodeCase& c : decodeCases) {
    std::string w = hexName(c.word);
    std::vector<Signal> out;
    for (const char* name : decoderOutputs) out.push_back(wire(1, w + "." + name));
    InstructionDecoder(SD("aa"), constantWord(c.word, "ir" + w), out[0], out[1], out[2], out[3], out[4], out[5],
                       out[6], out[7], out[8]);
  }
}

TEST(PipelineDecoder, OneHotClassAndFlagsOfEachWord) {
  PipelineRun run = runHeadless(decoders, "");
  ASSERT_EQ(run.result.status, 0) << run.result.err;
  for (const DecodeCase& c : decodeCases)
    for (const char* name : decoderOutputs) {
      bool one = std::find(c.ones.begin(), c.ones.end(), name) != c.ones.end();
      EXPECT_EQ(run.value[hexName(c.word) + "." + name], one ? "ONE" : "ZERO") << hexName(c.word) << " " << name;
    }
}

// ---- ALU and Plus1 -------------------------------------------------------------------------------

struct AluCase {
  unsigned a, b, c;
  const char* out;
  const char* N;
  const char* Z;
};

const std::vector<AluCase> aluCases = {
    {0x1234, 0x1234, 1, "0x0000", "ZERO", "ONE"},   // subtract to zero
    {0x0000, 0x0001, 1, "0xFFFF", "ONE", "ZERO"},   // borrow through all sixteen bits
    {0x0100, 0x0001, 1, "0x00FF", "ZERO", "ZERO"},
    {0x00FF, 0x0001, 0, "0x0100", "ZERO", "ZERO"},  // carry ripple
    {0xFFFF, 0x0001, 0, "0x0000", "ZERO", "ONE"},   // carry out discarded
    {0x0F0F, 0x00FF, 2, "0x000F", "ZERO", "ZERO"},
    {0x0F0F, 0x00FF, 3, "0x0FFF", "ZERO", "ZERO"},
    {0x1234, 0x00F0, 5, "0x12F0", "ZERO", "ZERO"},  // setlo: high byte of a, low byte of b
    {0xABCD, 0x0012, 4, "0xAB12", "ONE", "ZERO"},
    {0x1234, 0x00F0, 6, "0xF000", "ONE", "ZERO"},   // sethi: low byte of b moved up
    {0xABCD, 0x0012, 7, "0x1200", "ZERO", "ZERO"},
};

void alus() {
  for (size_t i = 0; i < aluCases.size(); i++) {
    const AluCase& k = aluCases[i];
    std::string n = "alu" + std::to_string(i);
    ALU(SD("aa"), constantWord(k.a, n + ".a"), constantWord(k.b, n + ".b"), constantBits(3, k.c, n + ".c"),
        wire(16, n + ".out"), wire(1, n + ".N"), wire(1, n + ".Z"));
  }
}

TEST(PipelineAlu, OperationsAndFlags) {
  PipelineRun run = runHeadless(alus, "");
  ASSERT_EQ(run.result.status, 0) << run.result.err;
  for (size_t i = 0; i < aluCases.size(); i++) {
    std::string n = "alu" + std::to_string(i);
    EXPECT_EQ(run.value[n + ".out"], aluCases[i].out) << n;
    EXPECT_EQ(run.value[n + ".N"], aluCases[i].N) << n;
    EXPECT_EQ(run.value[n + ".Z"], aluCases[i].Z) << n;
  }
}

void incrementers() {
  for (unsigned in : {0xFFFFu, 0x00FFu, 0x1234u}) Plus1(SD("aa"), constantWord(in, "in" + hexName(in)), wire(16, "out" + hexName(in)));
}

TEST(PipelinePlus1, IncrementsModulo65536) {
  PipelineRun run = runHeadless(incrementers, "");
  ASSERT_EQ(run.result.status, 0) << run.result.err;
  EXPECT_EQ(run.value["outFFFF"], "0x0000");
  EXPECT_EQ(run.value["out00FF"], "0x0100");
  EXPECT_EQ(run.value["out1234"], "0x1235");
}

// ---- BranchDecision ------------------------------------------------------------------------------

// The condition named by each code, on lt (N) and eq (Z).
bool conditionHolds(unsigned code, bool lt, bool eq) {
  switch (code) {
    case 0: return true;           // BRA
    case 1: return eq;             // BEQ
    case 2: return !eq;            // BNE
    case 3: return lt;             // BLT
    case 4: return lt || eq;       // BLE
    case 5: return !(lt || eq);    // BGT
    case 6: return !lt;            // BGE
    default: return false;         // 7: never
  }
}

std::string branchName(unsigned isBranch, unsigned code, unsigned lt, unsigned eq) {
  return "b" + std::to_string(isBranch) + std::to_string(code) + std::to_string(lt) + std::to_string(eq);
}

void branchDecisions() {
  for (unsigned isBranch = 0; isBranch < 2; isBranch++)
    for (unsigned code = 0; code < 8; code++)
      for (unsigned lt = 0; lt < 2; lt++)
        for (unsigned eq = 0; eq < 2; eq++) {
          std::string n = branchName(isBranch, code, lt, eq);
          BranchDecision(SD("aa"), constantBits(1, isBranch, n + ".isBranch"), constantBits(3, code, n + ".c"),
                         constantBits(1, lt, n + ".lt"), constantBits(1, eq, n + ".eq"), wire(1, n));
        }
  // Unknown flags, as the flag register holds once the branch words have passed EX.
  Signal unknownN(1, XXX, 1, "unknownN"), unknownZ(1, XXX, 1, "unknownZ");
  for (unsigned code : {0u, 7u})
    for (unsigned isBranch = 0; isBranch < 2; isBranch++) {
      std::string n = "unknownFlags" + std::to_string(isBranch) + std::to_string(code);
      BranchDecision(SD("aa"), constantBits(1, isBranch, n + ".isBranch"), constantBits(3, code, n + ".c"), unknownN,
                     unknownZ, wire(1, n));
    }
}

TEST(PipelineBranchDecision, EveryConditionCodeOnEveryFlagCombination) {
  PipelineRun run = runHeadless(branchDecisions, "");
  ASSERT_EQ(run.result.status, 0) << run.result.err;
  for (unsigned isBranch = 0; isBranch < 2; isBranch++)
    for (unsigned code = 0; code < 8; code++)
      for (unsigned lt = 0; lt < 2; lt++)
        for (unsigned eq = 0; eq < 2; eq++) {
          std::string n = branchName(isBranch, code, lt, eq);
          bool taken = isBranch && conditionHolds(code, lt, eq);
          EXPECT_EQ(run.value[n], taken ? "ONE" : "ZERO") << n;
        }
  EXPECT_EQ(run.value["unknownFlags00"], "ZERO");  // not a branch: ZERO whatever the flags
  EXPECT_EQ(run.value["unknownFlags07"], "ZERO");
  EXPECT_EQ(run.value["unknownFlags10"], "ONE");   // always taken needs no flags
  EXPECT_EQ(run.value["unknownFlags17"], "ZERO");  // code 7 never, even on unknown flags
}

// ---- Stall units ---------------------------------------------------------------------------------

void stallUnits() {
  Signal none(16, 0u, "none");
  struct { const char* name; unsigned idStall, irMem; } ifCases[] = {
      {"aluInMem", 0, 0x0000}, {"loadInMem", 0, 0x4813}, {"storeInMem", 0, 0x8813},
      {"branchInMem", 0, 0xFF00}, {"stalledId", 1, 0x0000}};
  for (auto& c : ifCases)
    Stall_IF(SD("aa"), constantBits(1, c.idStall, std::string(c.name) + ".ID_stall"), none, none,
             constantWord(c.irMem, std::string(c.name) + ".IR_MEM"), wire(1, c.name));
  Signal load(16, 0x4813u, "load");
  Stall_MEM(SD("ba"), load, load, load, wire(1, "memStall"));
  Stall_EX(SD("ca"), One, none, none, none, wire(1, "exStall"));
  Stall_ID(SD("da"), Zero, load, load, load, wire(1, "idStall"));
}

TEST(PipelineStall, IfStallsForALoadOrStoreInMemOnly) {
  PipelineRun run = runHeadless(stallUnits, "");
  ASSERT_EQ(run.result.status, 0) << run.result.err;
  EXPECT_EQ(run.value["aluInMem"], "ZERO");
  EXPECT_EQ(run.value["loadInMem"], "ONE");
  EXPECT_EQ(run.value["storeInMem"], "ONE");
  EXPECT_EQ(run.value["branchInMem"], "ZERO");
  EXPECT_EQ(run.value["stalledId"], "ONE");
  // The later stages detect nothing themselves and only pass the chain on.
  EXPECT_EQ(run.value["memStall"], "ZERO");
  EXPECT_EQ(run.value["exStall"], "ONE");
  EXPECT_EQ(run.value["idStall"], "ZERO");
}

// ---- ID stage: register selects and the constant IR1 ---------------------------------------------

struct IdCase {
  unsigned word;
  const char* constant;
};

const std::vector<IdCase> idCases = {
    {0xFFFE, "0xFFFE"},  // branch: offset bits 10..0 sign-extended
    {0xC2AA, "0x02AA"},
    {0xC4AA, "0xFCAA"},
    {0x0AF0, "0x00F0"},  // setlo: the low byte
    {0x0B7F, "0x007F"},  // sethi, bit 2 set: still no sign extension
    {0x4813, "0x0003"},  // others: the 3-bit constant sign-extended
    {0x0046, "0xFFFE"},
};

void idStages() {
  Signal reset(1, "reset"), clock(1, "clock");
  Switch(SD("aa"), reset, '0', One, "RST");
  Switch(SD("ab"), clock, '1', Zero, "CLK");
  Signal pcTmp(16, 0x0005u, "pcTmp"), src1(16, 0x1111u, "src1"), src2(16, 0x2222u, "src2"),
      src3(16, 0x3333u, "src3");
  for (const IdCase& c : idCases) {
    std::string n = "id" + hexName(c.word);
    ID(SD("ba"), reset, clock, Zero, constantWord(c.word, n + ".IR"), pcTmp, src1, src2, src3,
       wire(3, n + ".src1_sel"), wire(3, n + ".src2_sel"), wire(3, n + ".src3_sel"), wire(16, n + ".PC1"),
       wire(16, n + ".A"), wire(16, n + ".B"), wire(16, n + ".IR1"), wire(16, n + ".D"));
  }
}

TEST(PipelineIdStage, SelectsAndLatchesOperandsAndConstant) {
  PipelineRun run = runHeadless(idStages, "011");
  ASSERT_EQ(run.result.status, 0) << run.result.err;
  for (const IdCase& c : idCases) {
    std::string n = "id" + hexName(c.word);
    EXPECT_EQ(run.value[n + ".IR1"], c.constant) << n;
  }
  // 0x4813: rd 1, rs1 2, rs2 3.
  EXPECT_EQ(run.value["id4813.src1_sel"], "0x2");
  EXPECT_EQ(run.value["id4813.src2_sel"], "0x3");
  EXPECT_EQ(run.value["id4813.src3_sel"], "0x1");
  EXPECT_EQ(run.value["id4813.PC1"], "0x0005");
  EXPECT_EQ(run.value["id4813.A"], "0x1111");
  EXPECT_EQ(run.value["id4813.B"], "0x2222");
  EXPECT_EQ(run.value["id4813.D"], "0x3333");
}

TEST(PipelineIdStage, LatchesNothingBeforeTheFallingEdge) {
  PipelineRun run = runHeadless(idStages, "01");
  ASSERT_EQ(run.result.status, 0) << run.result.err;
  EXPECT_EQ(run.value["id4813.A"], "0x0000");
  EXPECT_EQ(run.value["id4813.IR1"], "0x0000");
}

// ---- IF stage: increment, branch and stall -------------------------------------------------------

void ifStage() {
  Signal reset(1, "reset"), clock(1, "clock"), stall(1, "stall"), branch(1, "branch");
  Switch(SD("aa"), reset, '0', One, "RST");
  Switch(SD("ab"), clock, '1', Zero, "CLK");
  Switch(SD("ac"), stall, 's', Zero, "STALL");
  Switch(SD("ad"), branch, 'b', Zero, "BRANCH");
  Signal branchAddr(16, 0x0020u, "branchAddr"), dataIn(16, 0x1234u, "dataIn");
  IF(SD("ba"), reset, clock, stall, branch, branchAddr, dataIn, wire(1, "memory"), wire(1, "read"), wire(16, "PC"),
     wire(16, "PCtmp"), wire(16, "instruction"));
}

TEST(PipelineIfStage, FetchesDuringTheHighPhaseAndCountsAtTheFallingEdge) {
  PipelineRun high = runHeadless(ifStage, "01");
  ASSERT_EQ(high.result.status, 0) << high.result.err;
  EXPECT_EQ(high.value["memory"], "ONE");
  EXPECT_EQ(high.value["read"], "ONE");
  EXPECT_EQ(high.value["instruction"], "0x1234");
  EXPECT_EQ(high.value["PC"], "0x0000");

  PipelineRun two = runHeadless(ifStage, "01111");
  EXPECT_EQ(two.value["memory"], "ZERO");
  EXPECT_EQ(two.value["PC"], "0x0002");
  EXPECT_EQ(two.value["PCtmp"], "0x0001");
}

TEST(PipelineIfStage, BranchLoadsTheTargetAndStallHoldsBothRegisters) {
  PipelineRun branched = runHeadless(ifStage, "011b11b");
  ASSERT_EQ(branched.result.status, 0) << branched.result.err;
  EXPECT_EQ(branched.value["PC"], "0x0020");
  EXPECT_EQ(branched.value["PCtmp"], "0x0001");

  PipelineRun stalled = runHeadless(ifStage, "011b11bs1");
  EXPECT_EQ(stalled.value["memory"], "ZERO");  // no request while stalled
  stalled = runHeadless(ifStage, "011b11bs111111");
  EXPECT_EQ(stalled.value["PC"], "0x0020");
  EXPECT_EQ(stalled.value["PCtmp"], "0x0001");
}

// ---- Memory --------------------------------------------------------------------------------------

unsigned memoryAddress;

// MReq on key 'm' (from ZERO), Read on key 'r' (from ONE); store data 0x1234.
void memoryAlone() {
  Signal mreq(1, "mreq"), read(1, "read");
  Switch(SD("aa"), mreq, 'm', Zero, "MREQ");
  Switch(SD("ab"), read, 'r', One, "READ");
  Memory(SD("ba"), mreq, read, Signal(16, memoryAddress, "addr"), Signal(16, 0x1234u, "dataIn"),
         wire(16, "dataOut"), wire(1, "enTriLink"), wire(1, "enTriROM"), wire(1, "enTriRAM"));
}

std::string readAt(unsigned address, const std::string& keys = "m") {
  memoryAddress = address;
  PipelineRun run = runHeadless(memoryAlone, keys);
  if (run.result.status != 0) return "run failed: " + run.result.err;
  return run.value["dataOut"];
}

TEST(PipelineMemory, RomReadsDecodeOnlyAddressBitsSixToZero) {
  EXPECT_EQ(readAt(28), "0xFF00");
  EXPECT_EQ(readAt(11), "0x4813");
  EXPECT_EQ(readAt(0x0080), "0x0AF0");  // bits above 6 ignored: ROM word 0
  // Bit 6: RAM word 28, never written.  It holds UNINITIALIZED, which the bus drivers pass as HIZ.
  EXPECT_EQ(readAt(92), "ZZZZZZZZZZZZZZZZ");
}

TEST(PipelineMemory, WithoutARequestTheStoreDataPassesThrough) {
  memoryAddress = 28;
  PipelineRun run = runHeadless(memoryAlone, "");
  ASSERT_EQ(run.result.status, 0) << run.result.err;
  EXPECT_EQ(run.value["dataOut"], "0x1234");
  EXPECT_EQ(run.value["enTriLink"], "ONE");
  EXPECT_EQ(run.value["enTriROM"], "ZERO");
  EXPECT_EQ(run.value["enTriRAM"], "ZERO");
}

TEST(PipelineMemory, StoreToTheUpperHalfWritesBothBytes) {
  // Request, store (Read ZERO), read back.
  EXPECT_EQ(readAt(92, "mrr"), "0x1234");
  // A store to the ROM half changes nothing.
  EXPECT_EQ(readAt(28, "mrr"), "0xFF00");
}

}  // namespace
