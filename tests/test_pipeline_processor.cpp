// The whole processor 5a-LD-hazard, headless: the state after start, the first cycle, the load's
// stall, the ROM program run to completion, and the program's own probe reports.
//
// "0" releases reset; each "11" is one processor cycle: the rising edge (register write-back, flags,
// memory access in the high phase), then the falling edge (every pipeline register latches).
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "Pipeline.h"
#include "test_pipeline_rig.h"

namespace {

const char* const programPath = TARVIK_PIPELINE_DIR "/5a-LD-hazard";

const char* const pipelineRegisters[] = {"PC", "PCtmp", "IR_ID", "IR_EX", "IR_MEM", "IR_WB"};
const char* const generalRegisters[] = {"Reg0", "Reg1", "Reg2", "Reg3", "Reg4", "Reg5", "Reg6", "Reg7"};

PipelineRun runProcessor(const std::string& keys) {
  PipelineRun run = runHeadless(simnet, keys);
  EXPECT_EQ(run.result.status, 0) << run.result.err;
  return run;
}

TEST(Processor, StartsInResetWithEveryRegisterClear) {
  PipelineRun run = runProcessor("");
  for (const char* r : pipelineRegisters) EXPECT_EQ(run.value[r], "0x0000") << r;
  for (const char* r : generalRegisters) EXPECT_EQ(run.value[r], "0x0000") << r;
  EXPECT_EQ(run.value["reset"], "ONE");
  EXPECT_EQ(run.value["clock"], "ZERO");
  EXPECT_EQ(run.value["memory"], "ZERO");
  EXPECT_EQ(run.value["DataBus"], "ZZZZZZZZZZZZZZZZ");  // no request, no store: the bus floats
  for (int i = 1; i <= 15; i++) EXPECT_EQ(run.value["_" + std::to_string(i)], "ONE") << "_" << i;
}

TEST(Processor, FirstCycleFetchesRomWordZero) {
  PipelineRun high = runProcessor("01");
  EXPECT_EQ(high.value["memory"], "ONE");
  EXPECT_EQ(high.value["read"], "ONE");
  EXPECT_EQ(high.value["MemReq"], "ONE");
  EXPECT_EQ(high.value["AddrBus"], "0x0000");
  EXPECT_EQ(high.value["DataBus"], "0x0AF0");
  EXPECT_EQ(high.value["PC"], "0x0000");

  PipelineRun cycle = runProcessor("011");
  EXPECT_EQ(cycle.value["PC"], "0x0001");
  EXPECT_EQ(cycle.value["PCtmp"], "0x0000");
  EXPECT_EQ(cycle.value["IR_ID"], "0x0AF0");
  EXPECT_EQ(cycle.value["memory"], "ZERO");
}

TEST(Processor, AnInstructionAdvancesOneStagePerCycleAndWritesBackAtTheRisingEdge) {
  EXPECT_EQ(runProcessor(resetThenCycles(2)).value["IR_EX"], "0x0AF0");
  EXPECT_EQ(runProcessor(resetThenCycles(3)).value["IR_MEM"], "0x0AF0");
  PipelineRun inWb = runProcessor(resetThenCycles(4));
  EXPECT_EQ(inWb.value["IR_WB"], "0x0AF0");
  EXPECT_EQ(inWb.value["Reg1"], "0x0000");
  EXPECT_EQ(runProcessor(resetThenCycles(4) + "1").value["Reg1"], "0x00F0");  // setlo 1, 0xF0
}

// The load (word 11, fetched in cycle 12) is in MEM during cycle 15: it owns the buses for the high
// phase, IF fetches nothing, and a bubble enters ID.
TEST(Processor, LoadInMemStallsFetchForExactlyOneCycle) {
  PipelineRun high = runProcessor(resetThenCycles(14) + "1");
  EXPECT_EQ(high.value["IR_MEM"], "0x4813");
  EXPECT_EQ(high.value["stallIF"], "ONE");
  EXPECT_EQ(high.value["MemReq"], "ZERO");
  EXPECT_EQ(high.value["memory"], "ONE");
  EXPECT_EQ(high.value["read"], "ONE");
  EXPECT_EQ(high.value["AddrBus"], "0x001C");  // Reg2 + Reg3 = 4 + 0x18
  EXPECT_EQ(high.value["DataBus"], "0xFF00");
  EXPECT_EQ(high.value["PC"], "0x000E");

  PipelineRun after = runProcessor(resetThenCycles(15));
  EXPECT_EQ(after.value["stallIF"], "ZERO");
  EXPECT_EQ(after.value["PC"], "0x000E");  // held: word 14 is fetched one cycle late
  EXPECT_EQ(after.value["IR_ID"], "0x0000");
  EXPECT_EQ(after.value["LMDR"], "0xFF00");
  for (const char* s : {"stallID", "stallEX", "stallMEM"}) EXPECT_EQ(after.value[s], "ZERO") << s;
}

// Timing, with cycle 1 the first after reset: a word fetched in cycle t is decoded in t+1 (ID latches
// its registers at that cycle's falling edge), executed in t+2, in MEM in t+3 and written back at
// the rising edge of t+4, half a cycle before ID latches.  So a word sees the result of a word
// fetched at least three cycles earlier and nothing younger: there is no forwarding.
//
// Words 0..6 (cycles 1..7) set Reg1..Reg7 to 0x00F0, 4, 0x18, 1, 2, 3, 4, long before they are read.
// The load (word 11, cycle 12) writes 0xFF00 into Reg1 at the rising edge of cycle 16.  Its MEM cycle
// 15 stalls fetch once, so the adds are fetched in cycles 13, 14, 16 and 17 and decoded in 14, 15, 17
// and 18:
//   Reg4 = 1 + 0x00F0 (old Reg1) = 0x00F1;  Reg5 = 2 + 0x00F0 = 0x00F2;
//   Reg6 = 3 + 0xFF00 = 0xFF03;             Reg7 = 4 + 0xFF00 = 0xFF04.
// The last add is written back at cycle 21; 40 cycles fetch up to word 38, all no-operations since
// word 32, and the pipeline holds only bubbles.
TEST(Processor, RomProgramLeavesTheFirstTwoAddsWithoutTheLoadedValue) {
  PipelineRun run = runProcessor(resetThenCycles(40));
  const std::map<std::string, std::string> expected = {
      {"Reg0", "0x0000"}, {"Reg1", "0xFF00"}, {"Reg2", "0x0004"}, {"Reg3", "0x0018"},
      {"Reg4", "0x00F1"}, {"Reg5", "0x00F2"}, {"Reg6", "0xFF03"}, {"Reg7", "0xFF04"}};
  for (const auto& r : expected) EXPECT_EQ(run.value[r.first], r.second) << r.first;
  EXPECT_EQ(run.value["PC"], "0x0027");  // 40 cycles, one of them stalled
  for (const char* r : {"IR_ID", "IR_EX", "IR_MEM", "IR_WB"}) EXPECT_EQ(run.value[r], "0x0000") << r;
  EXPECT_EQ(run.value["branchDecision"], "ZERO");
  EXPECT_EQ(run.value["DataWrite"], "ZZZZZZZZZZZZZZZZ");  // no store: MEM never drives the store data
}

// ---- The flags, with programs of their own ---------------------------------------------------------

PipelineRun runRom(const std::vector<uint16_t>& words, int cycles) {
  romProgram() = words;
  PipelineRun run = runHeadless(processorWithRom, resetThenCycles(cycles));
  EXPECT_EQ(run.result.status, 0) << run.result.err;
  return run;
}

// N and Z load at the rising edge while a psr word is in EX, and at no other moment: not when that word
// leaves EX for one without psr, nor when a load, store or branch word with bit 10 set (every backward
// branch) follows an ALU word into EX, while the ALU's flags are still unknown.
TEST(ProcessorFlags, LoadOnlyAtTheRisingEdgeWithAPsrWordInEx) {
  struct Case {
    const char* what;
    std::vector<uint16_t> words;
    int cycles;
    std::map<std::string, std::string> expected;
  } cases[] = {
      {"sethi with psr, then a word without", {0x0F80, 0x0000}, 8, {{"N", "ONE"}, {"Z", "ZERO"}, {"Reg1", "0x8000"}}},
      {"subtract to zero with psr, then sethi without", {0x0C80, 0x1380}, 8, {{"N", "ZERO"}, {"Z", "ONE"}}},
      // sub r1 = r0 - r0 sets Z; the store (bit 10 set) after it must not disturb the flags, so the
      // BEQ at word 2 is taken to word 10.  The store holds IF while the BEQ is in EX, so only words 3
      // and 4 follow the branch; words 5 .. 9 are skipped.
      {"store with bit 10 after an ALU word, then BEQ",
       {0x0C80, 0x8440, 0xC808, 0x1201, 0x1A01, 0x2201, 0x2A01, 0, 0, 0, 0x3266, 0x3A77},
       20,
       {{"Z", "ONE"}, {"Reg2", "0x0001"}, {"Reg3", "0x0001"}, {"Reg4", "0x0000"}, {"Reg5", "0x0000"},
        {"Reg6", "0x0066"}, {"Reg7", "0x0077"}}},
      // r1 = 5; loop: r1 = r1 - 1 (psr); r2 = r2 + 1; BNE loop (backward); three no-operations follow
      // the branch; then r3 = 0x33 once the loop has run five times.
      {"countdown on a backward BNE",
       {0x0A05, 0, 0, 0x0CC9, 0x1051, 0xD7FE, 0, 0, 0, 0x1A33},
       45,
       {{"Reg1", "0x0000"}, {"Reg2", "0x0005"}, {"Reg3", "0x0033"}, {"N", "ZERO"}, {"Z", "ONE"}}},
  };
  for (const Case& c : cases) {
    PipelineRun run = runRom(c.words, c.cycles);
    for (const auto& e : c.expected) EXPECT_EQ(run.value[e.first], e.second) << c.what << ": " << e.first;
  }
}

// ---- The program itself ---------------------------------------------------------------------------

struct ProbeReport {
  std::string label;
  std::vector<std::string> values;  // every value reported, in order
};

// Probe lines "Time = T  Probe for LABEL at POSITION  Value = V", by position.
std::map<std::string, ProbeReport> probeReports(const std::string& err) {
  std::map<std::string, ProbeReport> reports;
  for (const std::string& line : linesStartingWith(err, "Time = ")) {
    size_t f = line.find("  Probe for "), a = line.rfind(" at ", line.find("  Value = ")), v = line.find("  Value = ");
    if (f == std::string::npos || a == std::string::npos || v == std::string::npos) continue;
    ProbeReport& r = reports[line.substr(a + 4, v - a - 4)];
    r.label = line.substr(f + 12, a - f - 12);
    r.values.push_back(line.substr(v + 10));
  }
  return reports;
}

// A probe row's final value, bit 15 first, as "0x...." when binary.
std::string rowValue(std::map<std::string, ProbeReport>& reports, const char* firstPosition) {
  std::string position = firstPosition, bits;
  for (int i = 0; i < 16; i++, position = nextProbePosition(position)) {
    const std::vector<std::string>& v = reports[position].values;
    if (v.empty()) return "no probe at " + position;
    if (v.back() != "ZERO" && v.back() != "ONE") return v.back() + " at " + position;
    bits += v.back() == "ONE" ? '1' : '0';
  }
  char hex[8];
  snprintf(hex, sizeof hex, "0x%04lX", std::stoul(bits, nullptr, 2));
  return hex;
}

struct Row {
  const char* name;
  const char* bit15;
  const char* bit0;
  const char* caption;
};

const Row rows[] = {
    {"PC", "aa.aa", "ad.aa", "IF: PC"},          {"PCtmp", "ba.aa", "bd.aa", "IF: PCtmp"},
    {"AddrBus", "ak.ae", "an.ae", "Address Bus"}, {"DataBus", "bk.ae", "bn.ae", "Data Bus"},
    {"IR_ID", "da-ea.aa", "dd-ed.aa", "ID: IR"},  {"IR_EX", "dd-ed.ad", "dg-eg.ad", "EX: IR"},
    {"IR_MEM", "dh-eh.ab", "dk-ek.ab", "MEM: IR"}, {"IR_WB", "dk-ek.ae", "dn-en.ae", "WB: IR"},
    {"PC1", "fa.aa", "fd.aa", "ID: PC1"},         {"A", "ga.aa", "gd.aa", "ID: A"},
    {"B", "ha.aa", "hd.aa", "ID: B"},             {"IR1", "ia.aa", "id.aa", "ID: IR1"},
    {"D", "ja.aa", "jd.aa", "ID: D"},             {"ALUo", "gd.ad", "gg.ad", "EX: ALUo"},
    {"DMAR", "hd.ad", "hg.ad", "EX: DMAR"},       {"SMDR", "jd.ad", "jg.ad", "EX: SMDR"},
    {"ALUo1", "gh.ab", "gk.ab", "MEM: ALUo1"},    {"LMDR", "jh.ab", "jk.ab", "MEM: LMDR"},
    {"Reg0", "fk.ae", "fn.ae", "Reg0"},           {"Reg1", "gk.ae", "gn.ae", "Reg1"},
    {"Reg2", "hk.ae", "hn.ae", "Reg2"},           {"Reg3", "ik.ae", "in.ae", "Reg3"},
    {"Reg4", "jk.ae", "jn.ae", "Reg4"},           {"Reg5", "kk.ae", "kn.ae", "Reg5"},
    {"Reg6", "lk.ae", "ln.ae", "Reg6"},           {"Reg7", "mk.ae", "mn.ae", "Reg7"},
};

TEST(ProcessorProgram, StartsWithItsCountsAndEveryProbeReportingOnce) {
  RunResult r = runProgram(programPath, {"-X", "--keys="});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, startupText);
  std::vector<std::string> lines = linesOf(r.err);
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines[0], "There are 1533 components.");
  EXPECT_EQ(lines[1], "There are 1306 signals.");
  // Nothing undriven: every other line is a probe report.
  EXPECT_EQ(linesStartingWith(r.err, "Time = ").size(), lines.size() - 2);
  std::map<std::string, ProbeReport> reports = probeReports(r.err);
  EXPECT_EQ(reports.size(), 26u * 16 + 9);
  for (const Row& row : rows) {
    std::string bit0 = std::string(row.name) + "[0]";  // unlabelled bits show their signal's name
    EXPECT_EQ(reports[row.bit0].label, bit0) << row.name;
    std::string position = row.bit15;
    for (const char* c = row.caption; *c; c++, position = nextProbePosition(position))
      EXPECT_EQ(reports[position].label, *c == ' ' ? std::string(row.name) + "[" + std::to_string(15 - (c - row.caption)) + "]"
                                                   : std::string(1, *c))
          << row.name << " at " << position;
  }
  for (const char* r : {"PC", "PCtmp", "IR_ID", "IR_EX", "IR_MEM", "IR_WB", "Reg0", "Reg1", "Reg2", "Reg3", "Reg4",
                         "Reg5", "Reg6", "Reg7"}) {
    const Row* row = std::find_if(std::begin(rows), std::end(rows), [&](const Row& x) { return x.name == std::string(r); });
    EXPECT_EQ(rowValue(reports, row->bit15), "0x0000") << r;
  }
  EXPECT_EQ(reports["ak.aa-ac"].label, "MemRq");
  EXPECT_EQ(reports["bk.aa-ac"].label, "R/W");
}

TEST(ProcessorProgram, ProbesReportTheWholeRun) {
  RunResult r = runProgram(programPath, {"-X", "--keys=" + resetThenCycles(40)});
  ASSERT_EQ(r.status, 0) << r.err;
  std::map<std::string, ProbeReport> reports = probeReports(r.err);
  EXPECT_EQ(rowValue(reports, "jk.ae"), "0x00F1");  // Reg4
  EXPECT_EQ(rowValue(reports, "kk.ae"), "0x00F2");  // Reg5
  EXPECT_EQ(rowValue(reports, "lk.ae"), "0xFF03");  // Reg6
  EXPECT_EQ(rowValue(reports, "mk.ae"), "0xFF04");  // Reg7
  EXPECT_EQ(rowValue(reports, "aa.aa"), "0x0027");  // PC
  const std::vector<std::string>& stallIF = reports["ca"].values;
  EXPECT_EQ(std::count(stallIF.begin(), stallIF.end(), "ONE"), 1);  // the one load
  // Branch? flickers ONE for a few ticks as each branch word enters MEM (isBranch rises before the
  // condition decode has left code 0), well after PC has latched; PC above shows no branch was taken.
  const std::vector<std::string>& branch = reports["ai"].values;
  EXPECT_EQ(std::count(branch.begin(), branch.end(), "ONE"), 2);
  EXPECT_EQ(branch.back(), "ZERO");
  for (const char* flag : {"ff.aa-ab", "ff.ad-ae"}) {  // N and Z: ZERO from reset on, never changing after
    const std::vector<std::string>& v = reports[flag].values;
    EXPECT_EQ(std::find(v.begin(), v.end(), "ZERO") - v.begin(), std::ptrdiff_t(v.size()) - 1) << reports[flag].label;
  }
  for (const char* never : {"cd", "cg", "ck"}) {  // Stall_ID, Stall_EX, Stall_MEM
    const std::vector<std::string>& v = reports[never].values;
    EXPECT_EQ(std::count(v.begin(), v.end(), "ONE"), 0) << reports[never].label;
  }
}

}  // namespace
