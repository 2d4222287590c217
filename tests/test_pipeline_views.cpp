// The processor's views (--trace, --diagram, --summary, --cycles) against what the instruction set and
// the pipeline's timing say, worked out by hand:
// - without stalls the word at address a is fetched in cycle a+1 and is in ID, EX, MEM, WB in the
//   cycles after; a load or store in MEM holds IF for that cycle (PC kept, nothing fetched) and a
//   bubble enters ID in the next;
// - WB writes its register at the rising edge, so the register shows the new value in that cycle;
//   a word reads its registers at the end of its cycle in ID;
// - the flags load at the rising edge of the cycle their word is in EX; a branch is decided in MEM,
//   and a taken one makes the next fetch its target.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "Harness.h"
#include "XServer.h"

namespace {

const std::string processor = std::string(TARVIK_PIPELINE_DIR) + "/5a-LD-hazard";

// What the views print: standard output, which --quiet keeps free of the start-up text.
std::string viewsText(const RunResult& r) {
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.compare(0, strlen(startupText), startupText), 0);
  return r.out;
}

RunResult runViews(const std::vector<std::string>& options) {
  std::vector<std::string> args = {"-X", "--quiet"};
  args.insert(args.end(), options.begin(), options.end());
  return runProgram(processor, args);
}

// Runs of spaces as one, so that the content is compared apart from the column widths.
std::string squeezed(const std::string& line) {
  std::string out;
  for (char c : line)
    if (c != ' ' || (!out.empty() && out.back() != ' ')) out += c;
  while (!out.empty() && out.back() == ' ') out.pop_back();
  return out;
}

// The trace line of a cycle, squeezed.
std::string traceLine(const std::string& text, int cycle) {
  std::string lead = std::to_string(cycle) + " ";
  for (const std::string& line : linesOf(text))
    if (squeezed(line).compare(0, lead.size(), lead) == 0) return squeezed(line);
  return "(no line for cycle " + std::to_string(cycle) + ")";
}

std::string section(const std::string& text, const std::string& from) {
  size_t at = text.find(from);
  return at == std::string::npos ? "" : text.substr(at);
}

// The built-in program: setlo r1..r7 (words 0..6), four nops, the load of 0xFF00 into r1 (word 11),
// the four adds of r1 (12..15), nops, the never-taken branches 0xFF00 (28) and 0xFFFE (32).
TEST(ProcessorViews, TraceOfTheRomProgram) {
  std::string text = viewsText(runViews({"--cycles", "40", "--trace"}));
  struct Case {
    int cycle;
    const char* line;
  } cases[] = {
      {1, "1 0 0 setlo r1, 0xF0 (bubble) (bubble) (bubble) (bubble) 0 0"},
      {5, "5 4 4 setlo r5, 0x02 3 setlo r4, 0x01 2 setlo r3, 0x18 1 setlo r2, 0x04 0 setlo r1, 0xF0 0 0 "
          "r1 <- 0x00f0"},
      {12, "12 11 11 ld r1, [r2 + r3] 10 nop 9 nop 8 nop 7 nop 0 0"},  // a nop of the program writes nothing
      // The load (fetched in 12) is in MEM in 15: IF is held at 14 and the load reads word 28.
      {15, "15 14 14*(no fetch) 13 add r5, r5, r1 12 add r4, r4, r1 11 ld r1, [r2 + r3] 10 nop 0 0 "
           "load 0xff00 <- [0x001c]"},
      {16, "16 14 14 add r6, r6, r1 (bubble) 13 add r5, r5, r1 12 add r4, r4, r1 11 ld r1, [r2 + r3] 0 0 "
           "r1 <- 0xff00"},
      // add r4 and add r5 read r1 in ID in 14 and 15, before the write of 16: 1 + 0xF0; add r6 after it.
      {18, "18 16 16 nop 15 add r7, r7, r1 14 add r6, r6, r1 (bubble) 13 add r5, r5, r1 0 0 r5 <- 0x00f2"},
      {20, "20 18 18 nop 17 nop 16 nop 15 add r7, r7, r1 14 add r6, r6, r1 0 0 r6 <- 0xff03"},
      // Word 28, fetched in 30 after the one-cycle slip, is in MEM in 33; condition 111 is never taken.
      {33, "33 31 31 nop 30 nop 29 nop 28 bnv 65308 27 nop 0 0 not taken"},
      {40, "40 38 38 nop 37 nop 36 nop 35 nop 34 nop 0 0"},
  };
  for (const Case& c : cases) EXPECT_EQ(traceLine(text, c.cycle), c.line);
  std::vector<std::string> lines = linesOf(text);
  ASSERT_EQ(lines.size(), 41u);  // the header and one line per cycle
  // Every column lines up with the header: the flags of every line stand under "N Z".
  size_t flags = lines[0].find(" N Z") + 1;
  for (const std::string& line : lines)
    EXPECT_TRUE(line.size() > flags + 2 && line[flags - 1] == ' ' && line[flags + 1] == ' ') << line;
}

TEST(ProcessorViews, SummaryOfTheRomProgram) {
  // 40 cycles: WB held a fetched word in cycles 5..40 except 19 (the bubble of 16); PC ends at 39 (the
  // fetch of cycle 40, 38, plus 1).  The program's last word is the branch at 32: 33..35 are fetched
  // behind it, 36 (in cycle 38) is past the program.
  EXPECT_EQ(viewsText(runViews({"--cycles", "40", "--summary"})),
            "\nSummary:\n"
            "Registers:\n"
            "  r0 = 0x0000      0\n"
            "  r1 = 0xff00   -256\n"
            "  r2 = 0x0004      4\n"
            "  r3 = 0x0018     24\n"
            "  r4 = 0x00f1    241\n"
            "  r5 = 0x00f2    242\n"
            "  r6 = 0xff03   -253\n"
            "  r7 = 0xff04   -252\n"
            "  N = 0  Z = 0  PC = 0x0027 (39)\n"
            "RAM words written: none\n"
            "Cycles run:             40\n"
            "Instructions completed: 35\n"
            "Stall cycles:           1\n"
            "Branches taken:         0\n"
            "Cycles per instruction: 1.14\n"
            "  without nops:         2.86 (21 nops left out)\n"  // 40 cycles / (35 - 21): the ROM's empty words too
            "Warning: the program ran off its end: in cycle 38 IF fetched address 0x0024 (ROM word 36), which the "
            "program does not give\n");
}

// A program of stalls, a taken and an untaken branch, a store and a load:
//  0 setlo r1, 0x40   1 setlo r2, 5   2, 3 nop (r1, r2 written in 5, 6; word 4 is in ID in 6)
//  4 st r2, [r1 + 0]  (MEM in 8: RAM word 0 = 5, IF held)
//  5 ld r3, [r1 + 0]  (MEM in 9: IF held again; r3 = 5 in 10)
//  6 nop   7 subs r4, r3, r2 (fetched in 10, ID in 11 reads r3; EX in 12: 5 - 5 = 0, Z = 1)
//  8 beq 16 (MEM in 14, Z = 1: taken; 9..11 still run, then 16 is fetched in 15)
//  9 setlo r5, 1   10, 11 nop   12 setlo r6, 7 (skipped)   16 bne 0 (MEM in 18, Z = 1: not taken)
//  20 setlo r7, 9 (fetched in 19, WB in 23)
const char* const program = "0A40 1205 0000 0000 9048 5848 0000 249A\n"
                            "C808 2A01 0000 0000 3207 0000 0000 0000\n"
                            "D7F0 0000 0000 0000 3A09\n";

TEST(ProcessorViews, ViewsOfAProgramWithStallsBranchesLoadsAndStores) {
  TextFile image(program, "views.hex");
  std::string text = viewsText(runViews(
      {"--load", "Memory.Rom=" + image.path, "--cycles", "24", "--trace", "--diagram-cycles", "7:16", "--summary"}));
  struct Case {
    int cycle;
    const char* line;
  } cases[] = {
      {8, "8 7 7*(no fetch) 6 nop 5 ld r3, [r1 + 0] 4 st r2, [r1 + 0] 3 nop 0 0 store [0x0040] <- 0x0005"},
      {9, "9 7 7*(no fetch) (bubble) 6 nop 5 ld r3, [r1 + 0] 4 st r2, [r1 + 0] 0 0 load 0x0005 <- [0x0040]"},
      {12, "12 9 9 setlo r5, 0x01 8 beq 16 7 subs r4, r3, r2 (bubble) (bubble) 0 1"},
      {14, "14 11 11 nop 10 nop 9 setlo r5, 0x01 8 beq 16 7 subs r4, r3, r2 0 1 taken -> 16 r4 <- 0x0000"},
      {15, "15 16 16 bne 0 11 nop 10 nop 9 setlo r5, 0x01 8 beq 16 0 1"},
      {18, "18 19 19 nop 18 nop 17 nop 16 bne 0 11 nop 0 1 not taken"},
  };
  for (const Case& c : cases) EXPECT_EQ(traceLine(text, c.cycle), c.line);
  EXPECT_EQ(section(text, "Pipeline diagram"),
            "Pipeline diagram, cycles 7 to 16 (* = held by a stall)\n"
            "\n"
            " addr  instruction      7   8   9   10  11  12  13  14  15  16\n"
            "    2  nop              WB\n"
            "    3  nop              MEM WB\n"
            "    4  st r2, [r1 + 0]  EX  MEM WB\n"
            "    5  ld r3, [r1 + 0]  ID  EX  MEM WB\n"
            "    6  nop              IF  ID  EX  MEM WB\n"
            "    7  subs r4, r3, r2      IF* IF* IF  ID  EX  MEM WB\n"
            "    8  beq 16                           IF  ID  EX  MEM WB\n"
            "    9  setlo r5, 0x01                       IF  ID  EX  MEM WB\n"
            "   10  nop                                      IF  ID  EX  MEM\n"
            "   11  nop                                          IF  ID  EX\n"
            "   16  bne 0                                            IF  ID\n"
            "   17  nop                                                  IF\n"
            "\n"
            "Summary:\n"
            "Registers:\n"
            "  r0 = 0x0000      0\n"
            "  r1 = 0x0040     64\n"
            "  r2 = 0x0005      5\n"
            "  r3 = 0x0005      5\n"
            "  r4 = 0x0000      0\n"
            "  r5 = 0x0001      1\n"
            "  r6 = 0x0000      0\n"
            "  r7 = 0x0009      9\n"
            "  N = 0  Z = 1  PC = 0x001a (26)\n"  // the fetch of cycle 24 was 25
            "RAM words written:\n"
            "  RAM[0] (address 0x0040) = 0x0005      5\n"
            "Cycles run:             24\n"
            "Instructions completed: 18\n"  // WB: cycles 5..24 but the two bubbles of the stalls
            "Stall cycles:           2\n"
            "Branches taken:         1\n"
            "Cycles per instruction: 1.33\n"
            "  without nops:         2.67 (9 nops left out)\n"  // 24 / (18 - 9): words 2, 3, 6, 10, 11, 17, 18, 19, 21
            "Warning: the program ran off its end: in cycle 20 IF fetched address 0x0015 (ROM word 21), which the "
            "program does not give\n");
}

// A never-stored RAM word floats; a psr word on it gives unknown flags, and a branch on them has no
// decision: the trace says so (PC is unknown after it), where it used to say "not taken".
TEST(ProcessorViews, ABranchOnUnknownFlagsIsTracedUndecided) {
  ScratchFolder folder;
  std::string source = folder.write("unknown.s", "setlo r1, 0x40\nnop\nnop\nld r2, [r1 + 0]\nnop\nnop\nnop\n"
                                                 "adds r3, r2, 0\nbeq 20\n");
  std::string text = viewsText(runViews({"--program", source, "--cycles", "14", "--trace"}));
  EXPECT_EQ(traceLine(text, 13), "13 11 11 nop 10 nop 9 nop 8 beq 20 7 adds r3, r2, 0 x x taken? -> 20 r3 <- 0xxxxx");
  EXPECT_EQ(traceLine(text, 14), "14 ? ? ???? 11 nop 10 nop 9 nop 8 beq 20 x x");
}

// Stores among the words after a halt run on every pass of its loop: a run past the halt lists each
// RAM word the trace shows stored, with its value, not only those of the first pass.
TEST(ProcessorViews, SummaryListsEveryStoreTheTraceShows) {
  ScratchFolder folder;
  std::string source = folder.write("halt.s", "setlo r1, 0x40\nsetlo r2, 5\nnop\nhalt: bra halt\n"
                                              "st r2, [r1 + 0]\nadd r2, r2, 1\nadd r1, r1, 1\n");
  std::string text = viewsText(runViews({"--program", source, "--cycles", "18", "--trace", "--summary"}));
  const char* const stores[][2] = {
      {"8", "[0x0040] <- 0x0005"}, {"13", "[0x0041] <- 0x0006"}, {"18", "[0x0042] <- 0x0007"}};
  for (const auto& store : stores) {
    std::string line = traceLine(text, std::stoi(store[0]));
    EXPECT_EQ(line.substr(line.find("store")), std::string("store ") + store[1]) << line;
  }
  EXPECT_EQ(section(text, "RAM words written"),
            "RAM words written:\n"
            "  RAM[0] (address 0x0040) = 0x0005      5\n"
            "  RAM[1] (address 0x0041) = 0x0006      6\n"
            "  RAM[2] (address 0x0042) = 0x0007      7\n"
            "Cycles run:             18\n"
            "Instructions completed: 7\n"
            "Stall cycles:           1\n"
            "Branches taken:         0\n"
            "Cycles per instruction: 1.57\n"
            "  without nops:         1.83 (1 nop left out)\n"  // 11 cycles / 6: the ROM's empty word after the halt
            "Halted in cycle:        11 (halt: bra halt; the loop after it is not counted above)\n");
}

// The views and --expect read the same bundles and the same RAM: what the summary shows, --expect
// finds under the names the views use and under the other forms the one rule allows.
TEST(ProcessorViews, TheViewsAndExpectPickTheSameSignalsByName) {
  ScratchFolder folder;
  std::string image = folder.write("names.hex", program);
  std::string checks = folder.write("names.expect",
                                    "Reg1 0x0040\ntop.Reg3 5\nReg7 9\nZ 1\ntop.N 0\nPC 0x001a\nRAM[0] 0x0005\n"
                                    "RAM[1] UUUUUUUUUUUUUUUU\nBasicPipe.isBranch 0\nisBranch 0\n");
  std::string text = viewsText(runViews({"--load", "Memory.Rom=" + image, "--cycles", "24", "--summary", "--expect", checks}));
  EXPECT_NE(text.find("  r3 = 0x0005      5\n"), std::string::npos) << text;
  EXPECT_NE(text.find("  N = 0  Z = 1  PC = 0x001a (26)\n"), std::string::npos) << text;
  EXPECT_NE(text.find("  RAM[0] (address 0x0040) = 0x0005      5\n"), std::string::npos) << text;
}

// A long chart wraps in blocks of sixteen cycles, each listing only the rows it has cells of.
TEST(ProcessorViews, DiagramWrapsInBlocks) {
  std::vector<std::string> lines = linesOf(viewsText(runViews({"--cycles", "20", "--diagram"})));
  std::vector<std::string> headers;
  for (const std::string& line : lines)
    if (line.compare(0, 6, " addr ") == 0) headers.push_back(squeezed(line));
  ASSERT_EQ(headers.size(), 2u);
  EXPECT_EQ(headers[1], "addr instruction 17 18 19 20");
  EXPECT_EQ(squeezed(lines.back()), "18 nop IF");  // the fetch of cycle 20: word 18, one slip behind
}

TEST(ProcessorViews, LeaveTheSimulationAsItIs) {
  std::string keys = "0";
  for (int i = 0; i < 30; i++) keys += "11";
  ScratchFolder folder;
  std::string plainDump = folder / "plain.vcd", viewedDump = folder / "viewed.vcd";
  RunResult byKeys = runProgram(processor, {"-X", "--keys", keys, "--vcd", plainDump});
  RunResult viewed =
      runProgram(processor, {"-X", "--cycles", "30", "--trace", "--diagram", "--summary", "--vcd", viewedDump});
  EXPECT_EQ(viewed.status, 0);
  EXPECT_EQ(viewed.err, byKeys.err);  // every probe report, with its time
  EXPECT_EQ(fileText(viewedDump), fileText(plainDump));
  EXPECT_GT(fileText(plainDump).size(), 1000u);
}

TEST(ProcessorViews, BadInputIsRefusedBeforeTheRun) {
  struct Case {
    std::vector<std::string> args;
    const char* says;
  } cases[] = {
      {{"--cycles", "0"}, "ERROR -- --cycles needs a number of cycles from 1 to 10000000, not \"0\"\n"},
      {{"--cycles", "-3"}, "not \"-3\""},
      {{"--cycles=12x"}, "not \"12x\""},
      {{"--cycles", "10000001"}, "not \"10000001\""},
      {{"--cycles", "99999999999999999999"}, "not \"99999999999999999999\""},
      {{"--cycles"}, "ERROR -- option --cycles requires an argument (N)"},
      {{"--cycles", "5", "--keys", "0"}, "ERROR -- --cycles makes its own key presses"},
      {{"--keys", "0", "--cycles", "5"}, "ERROR -- --cycles makes its own key presses"},
      {{"--diagram-cycles", "9:3"}, "ERROR -- --diagram-cycles needs FROM:TO"},
      {{"--diagram-cycles", "5"}, "not \"5\""},
      {{"--diagram-cycles", ":5"}, "not \":5\""},
      {{"--trace=yes"}, "ERROR -- option --trace takes no argument"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = {"-X"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    RunResult r = runProgram(processor, args);
    EXPECT_EQ(r.status, 2) << c.args[0];
    EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("Time = "), std::string::npos) << "the run must not start";
  }
}

// In the window the trace follows the clock as the keys press it.
TEST(ProcessorViews, TraceFollowsTheKeysInTheWindow) {
  XvfbServer x;
  if (x.name.empty()) GTEST_SKIP() << "no Xvfb";
  RunResult r = runProgram(processor, {"--keys", "0111111{F10}", "--trace"});
  std::vector<std::string> lines = linesOf(section(r.out, "   cycle"));
  ASSERT_EQ(lines.size(), 4u) << r.out;
  EXPECT_EQ(squeezed(lines[3]), "3 2 2 setlo r3, 0x18 1 setlo r2, 0x04 0 setlo r1, 0xF0 (bubble) (bubble) 0 0");
}

}  // namespace
