// --compare-with REF and --compare-at halt, run as a student would: each example program of
// examples/programs is the reference, and a copy with one seeded bug is the program compared with it.
// The comparison must name the exact cycle the runs part, the item that differs and the bugged line.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "Harness.h"

namespace {

const std::string pipelineDir = TARVIK_PIPELINE_DIR;
const std::string programsDir = std::string(TARVIK_SOURCE_DIR) + "/examples/programs/";

// A copy of an example with `count` lines from `line` on replaced by `text` (none when text is "").
std::string seeded(const std::string& program, int line, int count, const std::string& text) {
  std::vector<std::string> lines = linesOf(fileText(programsDir + program + ".s"));
  lines.erase(lines.begin() + line - 1, lines.begin() + line - 1 + count);
  if (!text.empty()) lines.insert(lines.begin() + line - 1, "        " + text);
  std::string source;
  for (const std::string& l : lines) source += l + "\n";
  return source;
}

RunResult compare(const std::string& cpu, const std::string& program, const std::string& reference,
                  std::vector<std::string> more = {}) {
  std::vector<std::string> args = {"-X", "--quiet", "--program", program, "--compare-with", reference};
  args.insert(args.end(), more.begin(), more.end());
  return runProgram(pipelineDir + "/" + (cpu == "5b" ? "5b-forwarding" : "5a-LD-hazard"), args, 60);
}

struct SeededBug {
  const char* cpu;
  const char* program;
  int line, count;  // the lines replaced
  const char* text;
  int cycle;         // where the runs part
  const char* item;  // what differs first
  int causeLine;     // the line of the bugged copy the report names as the cause
};
void PrintTo(const SeededBug& b, std::ostream* out) { *out << b.cpu << " " << b.program << ":" << b.line << " " << b.text; }

const SeededBug seededBugs[] = {
    {"5a", "sum", 14, 1, "setlo r4, 5", 8, "r4", 14},                // a wrong constant
    {"5a", "sum", 31, 1, "setlo r2, 7", 31, "r2", 31},               // off by one: a word too few
    {"5a", "sum", 38, 1, "beq loop", 40, "IF address", 38},          // the wrong branch condition
    {"5a", "sum", 42, 1, "st r3, [r1 + 1]", 106, "store", 42},       // the wrong store address
    {"5a", "sum", 37, 1, "add r3, r3, r5", 39, "r3", 37},            // the wrong register
    {"5a", "sum", 35, 1, "sub r2, r2, 1", 97, "Z", 35},              // flags never set
    {"5a", "multiply", 15, 1, "bne skip", 12, "IF address", 15},
    {"5a", "multiply", 16, 1, "", 15, "r3", 18},                     // a delay slot lost: the add runs in it
    {"5a", "multiply", 21, 1, "add r4, r4, r1", 18, "r4", 21},
    {"5a", "fibonacci", 14, 1, "add r1, r1, 2", 12, "r1", 14},
    {"5a", "fibonacci", 10, 2, "", 7, "IF address", 10},             // missing nops: the store reads r1 stale
    {"5a", "countdown", 29, 1, "bge gt", 32, "IF address", 29},
    {"5a", "countdown", 25, 1, "add r1, r0, 3", 23, "r1", 25},
    {"5a", "countdown", 47, 1, "ble lt", 63, "IF address", 47},
    {"5a", "copy", 17, 1, "st r4, [r2 + 1]", 13, "store", 17},
    {"5a", "copy", 12, 2, "", 7, "IF address", 12},                  // missing nops: the load reads r1 stale
    {"5a", "hazards", 15, 1, "ld r5, [r6 + 1]", 12, "r5", 15},       // the wrong load address
    {"5b", "hazards", 16, 1, "add r6, r4, r0", 10, "IF address", 16},  // no load interlock where one was
    {"5b", "copy", 31, 1, "copy: ld r4, [r1 + 1]", 80, "r4", 31},
    {"5b", "multiply", 22, 1, "subs r5, r5, 2", 19, "r5", 22},
};

class SeededBugs : public testing::TestWithParam<SeededBug> {};

TEST_P(SeededBugs, TheReportNamesTheCycleTheItemAndTheBuggedLine) {
  const SeededBug& b = GetParam();
  ScratchFolder folder;
  std::string bugged = folder.write("bugged.s", seeded(b.program, b.line, b.count, b.text));
  RunResult r = compare(b.cpu, bugged, programsDir + b.program + ".s");
  std::vector<std::string> lines = linesOf(r.out);
  ASSERT_GE(lines.size(), 3u) << r.out << r.err;
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(lines[0], "--compare-with: the runs part at cycle " + std::to_string(b.cycle));
  EXPECT_EQ(lines[1].rfind("  " + std::string(b.item) + ": yours ", 0), 0u) << lines[1];
  EXPECT_EQ(lines[2].rfind("  cause: ", 0), 0u) << lines[2];
  EXPECT_NE(lines[2].find("(line " + std::to_string(b.causeLine) + ")"), std::string::npos) << lines[2];
}

INSTANTIATE_TEST_SUITE_P(ExamplePrograms, SeededBugs, testing::ValuesIn(seededBugs));

// A program that never halts: cycles go on for as long as --cycles lets them.
const char* const loopingProgram = "loop: add r1, r1, 1\n bra loop\n nop\n nop\n nop\n";

// Whole runs: what they print on standard output and standard error and their status.
struct WholeRun {
  const char* name;
  const char* program;    // in examples/programs, or "bugged" (sum with r4 = 5), "late" (sum with a nop
                          // more before the halt: the same result, later), "loads" (reads RAM[0] into
                          // r2; ram.hex gives it), "loop" (never halts), "missing" (no such file)
  const char* reference;  // likewise; "bad" does not assemble
  std::vector<std::string> options;
  int status;
  const char* out;
  const char* err;
};
void PrintTo(const WholeRun& w, std::ostream* out) { *out << w.name; }

const WholeRun wholeRuns[] = {
    {"identical programs", "sum", "sum", {}, 0, "--compare-with: no difference in 111 cycles\n", ""},
    {"at the halt, a different path to the same result", "late", "sum",
     {"--compare-at", "halt", "--expect", programsDir + "sum.expect"}, 0,
     "--compare-with: no difference at the end in the 13 items checked\n", ""},
    {"at the halt, a wrong result", "bugged", "sum", {"--compare-at", "halt", "--expect", programsDir + "sum.expect"},
     1,
     "--compare-with: at the end 3 of 13 items checked differ\n"
     "  Reg3: yours 0x0020, reference 0x001f; last written in cycle 102 by 25 add r3, r3, r4 (line 37)\n"
     "  RAM[2]: yours 0x0005, reference 0x0004; last written in cycle 13 by 9 st r4, [r1 + 2] (line 20)\n"
     "  RAM[8]: yours 0x0020, reference 0x001f; last written in cycle 106 by 30 st r3, [r1 + 0] (line 42)\n",
     "MISMATCH -- Reg3: expected 31, actual 32\nMISMATCH -- RAM[2]: expected 4, actual 5\n"
     "MISMATCH -- RAM[8]: expected 31, actual 32\n"},
    {"a reference that cannot be read", "sum", "missing", {}, 2, "",
     "ERROR -- --compare-with: missing.s: cannot read the program: No such file or directory\n"},
    {"a reference that does not assemble", "sum", "bad", {}, 2, "",
     "bad.s:1:1: unknown mnemonic 'foo'\nfoo r1\n^\nERROR -- --compare-with: bad.s: 1 error(s) in the program\n"},
    {"--compare-at halt without --expect", "sum", "sum", {"--compare-at", "halt"}, 2, "",
     "ERROR -- --compare-at halt compares the items an --expect file names: give --expect FILE\n"},
    {"--compare-at with a word it does not take", "sum", "sum", {"--compare-at", "never"}, 2, "",
     "ERROR -- --compare-at needs cycle or halt, not \"never\"\n"},
    {"two references", "sum", "late", {"--compare-with", "bugged.s"}, 2, "",
     "ERROR -- --compare-with is given twice (late.s and bugged.s): give one reference\n"},
    {"--load reaches the reference's run too", "loads", "loads", {"--load", "RAM=ram.hex"}, 0,
     "--compare-with: no difference in 12 cycles\n", ""},
    // The reference's run is ended with the comparison: waiting for its ten million cycles would
    // take hours.
    {"a difference early in a long run", "sum", "loop", {"--cycles", "10000000"}, 1,
     "--compare-with: the runs part at cycle 5\n"
     "  r1: yours 0x0040, reference 0x0001\n"
     "  cause: cycle 5, WB: 0 setlo r1, 0x40 (line 11)\n"
     "       yours                               reference\n"
     "  IF   4 setlo r5, 0x05 (line 15)          4 nop (line 5)\n"
     "  ID   3 setlo r4, 0x04 (line 14)          3 nop (line 4)\n"
     "  EX   2 setlo r3, 0x01 (line 13)          2 nop (line 3)\n"
     "  MEM  1 setlo r2, 0x03 (line 12)          1 bra 0 (line 2)\n"
     "  WB   0 setlo r1, 0x40 (line 11)          0 add r1, r1, 1 (line 1)\n",
     ""},
};

class WholeRuns : public testing::TestWithParam<WholeRun> {};

TEST_P(WholeRuns, PrintExactlyThis) {
  const WholeRun& w = GetParam();
  ScratchFolder folder;
  folder.write("bugged.s", seeded("sum", 14, 1, "setlo r4, 5"));
  folder.write("late.s", seeded("sum", 43, 0, "nop"));
  folder.write("bad.s", "foo r1\n");
  folder.write("loads.s", "setlo r1, 0x40\nnop\nnop\nld r2, [r1 + 0]\nhalt: bra halt\nnop\nnop\nnop\n");
  folder.write("ram.hex", "0007\n");
  folder.write("loop.s", loopingProgram);
  auto path = [&](const std::string& name) {
    for (const char* scratch : {"bugged", "late", "loads", "loop", "missing", "bad"})
      if (name == scratch) return name + ".s";
    return programsDir + name + ".s";
  };
  std::vector<std::string> args = {"-X", "--quiet", "--program", path(w.program), "--compare-with", path(w.reference)};
  args.insert(args.end(), w.options.begin(), w.options.end());
  // Run in the folder, so that the messages name the files as given.
  args.insert(args.begin(), {"-c", "cd \"$0\" && exec \"$@\"", folder.path, pipelineDir + "/5a-LD-hazard"});
  RunResult run = runProgram("/bin/sh", args, 60);
  EXPECT_EQ(run.out, w.out);
  EXPECT_EQ(run.err, w.err);
  EXPECT_EQ(run.status, w.status);
}

INSTANTIATE_TEST_SUITE_P(Compare, WholeRuns, testing::ValuesIn(wholeRuns));

// The peak resident memory, in kB, of a comparison of a program that loops with itself for `cycles`.
long comparisonPeak(const std::string& loop, int cycles) {
  std::vector<std::string> args = {"-f", "%M", pipelineDir + "/5a-LD-hazard", "-X", "--quiet", "--program", loop,
                                   "--compare-with", loop, "--cycles", std::to_string(cycles)};
  RunResult run = runProgram("/usr/bin/time", args, 100);
  EXPECT_EQ(run.out, "--compare-with: no difference in " + std::to_string(cycles) + " cycles\n");
  return atol(run.err.c_str());
}

// Neither run keeps its past records: a long comparison needs the memory of a short one (keeping them
// all took some 300 bytes a cycle, 6 MB more at 20000 cycles).
TEST(LongComparison, NeedsNoMoreMemoryThanAShortOne) {
  TextFile loop(loopingProgram, "loop.s");
  long shortPeak = comparisonPeak(loop.path, 1000);
  long longPeak = comparisonPeak(loop.path, 20000);
  ASSERT_GT(shortPeak, 0);
  EXPECT_LT(longPeak - shortPeak, 2000) << shortPeak << " kB at 1000 cycles, " << longPeak << " kB at 20000";
}

}  // namespace
