// The processor's traps for a student made loud: stores the ROM drops, running off the program, the
// start-up text with --quiet, options that cannot go together, and the views' further requests
// (--summary-ram, --trace-ticks, --explain NAME@cN, --diagram-cycles past the run).  Each runs the
// built program and compares what it prints.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Harness.h"

namespace {

const std::string processor = std::string(TARVIK_PIPELINE_DIR) + "/5a-LD-hazard";

// r1 = 5 and r3 = 0x45 are seen by the stores (the third word after a write): the store to 5 (bit 6
// ZERO, the ROM) is in MEM in cycle 8, the one to 0x45 (RAM word 5) in cycle 9.
const char* const storesProgram =
    "setlo r1, 5\nsetlo r2, 7\nsetlo r3, 0x45\nnop\nst r2, [r1 + 0]\nst r2, [r3 + 0]\nhalt: bra halt\n";

RunResult runProcessor(const std::vector<std::string>& options) {
  std::vector<std::string> args = {"-X", "--quiet"};
  args.insert(args.end(), options.begin(), options.end());
  return runProgram(processor, args);
}

// Standard output of a run of the program text, which must succeed.
std::string runOf(const std::string& source, const std::vector<std::string>& options) {
  TextFile program(source, "p.s");
  std::vector<std::string> args = {"--program", program.path};
  args.insert(args.end(), options.begin(), options.end());
  RunResult r = runProcessor(args);
  EXPECT_EQ(r.status, 0) << r.err;
  return r.out;
}

std::string lastLine(const std::string& text) {
  std::vector<std::string> lines = linesOf(text);
  return lines.empty() ? "" : lines.back();
}

// The part of a text from the line that begins with `from`, for `count` lines.
std::string linesFrom(const std::string& text, const std::string& from, size_t count) {
  std::vector<std::string> lines = linesOf(text);
  std::string part;
  for (size_t i = 0; i < lines.size(); i++)
    if (lines[i].compare(0, from.size(), from) == 0) {
      for (size_t k = i; k < lines.size() && k < i + count; k++) part += lines[k] + "\n";
      break;
    }
  return part;
}

}  // namespace

TEST(ProcessorTraps, StoreToARomAddressIsMarkedInTheTraceAndListedInTheSummary) {
  std::string out = runOf(storesProgram, {"--cycles", "12", "--trace", "--summary"});
  std::vector<std::string> stores = linesStartingWith(out, "       8 ");
  ASSERT_EQ(stores.size(), 1u);
  EXPECT_EQ(stores[0].substr(stores[0].find("  store")), "  store [0x0005] <- 0x0007 (ignored: ROM address)");
  stores = linesStartingWith(out, "       9 ");
  ASSERT_EQ(stores.size(), 1u);
  EXPECT_EQ(stores[0].substr(stores[0].find("  store")), "  store [0x0045] <- 0x0007");
  EXPECT_EQ(linesFrom(out, "RAM words written:", 5),
            "RAM words written:\n"
            "  RAM[5] (address 0x0045) = 0x0007      7\n"
            "Stores ignored (ROM address): 1\n"
            "  cycle 8: store [0x0005] <- 0x0007\n"
            "Cycles run:             12\n");
}

// The summary's last line: the warning, or some other line when the program stays in.
TEST(ProcessorTraps, RunningOffTheProgramIsWarnedAboutButNotTheWordsBehindABranch) {
  ScratchFolder folder;
  // A branch to itself, alone: at RAM word 0 it loops there, the three words behind it not given.
  std::string loopImage = folder.write("loop.hex", "C000\n");
  const std::string fine = "(no warning)";
  const struct {
    const char* name;
    std::string source;
    std::vector<std::string> options;
    std::string lastLine;
  } cases[] = {
      {"halt loop as the last word", "setlo r1, 5\nhalt: bra halt\n", {}, fine},
      {"fall-through past the last word", "setlo r1, 5\nnop\n", {},
       "Warning: the program ran off its end: in cycle 3 IF fetched address 0x0002 (ROM word 2), which the "
       "program does not give"},
      // beq not taken (Z = 0): 2..4 are fetched before its decision, 5 after it.
      {"untaken branch as the last word", "setlos r1, 1\nbeq 0\n", {},
       "Warning: the program ran off its end: in cycle 6 IF fetched address 0x0005 (ROM word 5), which the "
       "program does not give"},
      {"a branch into RAM never written", "bra 0x40\n", {},
       "Warning: the program ran off its end: in cycle 5 IF fetched address 0x0040 (RAM word 0), which no store "
       "wrote and no image gave"},
      {"a branch into RAM an image gave", "bra 0x40\n", {"--load", "RAM=" + loopImage}, fine},
  };
  for (const auto& c : cases) {
    std::vector<std::string> options = {"--cycles", "20", "--summary"};
    options.insert(options.end(), c.options.begin(), c.options.end());
    std::string last = lastLine(runOf(c.source, options));
    EXPECT_EQ(last.compare(0, 8, "Warning:") == 0 ? last : fine, c.lastLine) << c.name;
  }
}

// A RAM word a store wrote is given: the fetch after it is the first that runs off.  The store (MEM in
// 7) holds the fetch once, so two words (5 and 6, not given) follow the branch, which is in MEM in 8;
// 0x40 is fetched in 9, 0x41 in 10.
TEST(ProcessorTraps, ARamWordAStoreWroteIsPartOfTheProgram) {
  std::string out = runOf("setlo r1, 0x40\nnop\nnop\nst r0, [r1 + 0]\nbra 0x40\n", {"--cycles", "30", "--summary"});
  EXPECT_EQ(lastLine(out),
            "Warning: the program ran off its end: in cycle 10 IF fetched address 0x0041 (RAM word 1), which no store "
            "wrote and no image gave");
}

TEST(ProcessorTraps, QuietLeavesOutTheStartUpText) {
  const struct {
    std::vector<std::string> args;
    bool startUpText;
    std::string then;
  } cases[] = {
      {{"-X", "--quiet", "--cycles", "1", "--trace"}, false, "   cycle     PC IF"},
      {{"-X", "--cycles", "1", "--trace"}, true, "   cycle     PC IF"},
      {{"-X", "-W", "--quiet", "--cycles", "1", "--trace"}, true, "   cycle     PC IF"},  // a window label
      {{"--quiet", "--help"}, false, "Command line options:"},
      {{"--help"}, true, "Command line options:"},
      {{"--quiet", "--cycles", "0"}, false, ""},
  };
  for (const auto& c : cases) {
    RunResult r = runProgram(processor, c.args);
    std::string expected = (c.startUpText ? std::string(startupText) : "") + c.then;
    EXPECT_EQ(c.then.empty() ? r.out : r.out.substr(0, expected.size()), expected) << c.args[1];
  }
}

TEST(ProcessorTraps, ConflictsAndBadArgumentsAreRefusedBeforeTheRun) {
  ScratchFolder folder;
  std::string image = folder.write("one.hex", "0000\n"), source = folder.write("p.s", "nop\n");
  std::string save = folder / "run.gtkw";
  const struct {
    std::string program;
    std::vector<std::string> args;
    std::string err;
  } cases[] = {
      {processor, {"--gtkw", save, "--cycles", "2"},
       "ERROR -- --gtkw: needs --vcd FILE too: the save file lays out that dump"},
      {processor, {"--load", "Rom=" + image, "--program", source},
       "ERROR -- Memory.Rom is given two images, " + image + " and " + source + ": give one"},
      {processor, {"--program", source, "--load", "Memory.Rom=" + image},
       "ERROR -- Memory.Rom is given two images, " + source + " and " + image + ": give one"},
      {processor, {"--summary-ram", "some"}, "ERROR -- --summary-ram needs nonzero or all, not \"some\""},
      {processor, {"--explain", "PC@c0"}, "ERROR -- option --explain PC@c0: c0 is not c followed by a cycle number from 1"},
      {processor, {"--explain", "PC@c"}, "ERROR -- option --explain PC@c: c is not c followed by a cycle number from 1"},
      {TARVIK_EXAMPLES_DIR "/clock_stop", {"--explain", "x@c3"},
       "ERROR -- option --explain x@c3: this circuit does not number its cycles; give TIME as a tick"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> args = {"-X", "--quiet"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    RunResult r = runProgram(c.program, args);
    EXPECT_EQ(r.status, 2) << c.err;
    EXPECT_EQ(lastLine(r.err), c.err);
    EXPECT_EQ(r.err.find("Time = "), std::string::npos) << "the run must not start";
  }
  EXPECT_EQ(fileText(save), "") << "nothing is written";
}

TEST(ProcessorTraps, SummaryRamListsTheWordsAsked) {
  std::string held = runOf(storesProgram, {"--cycles", "12", "--summary-ram", "nonzero"});
  EXPECT_EQ(linesFrom(held, "RAM, ", 3),
            "RAM, non-zero words (never-written ones left out):\n"
            "  RAM[5] (address 0x0045) = 0x0007      7\n"
            "Cycles run:             12\n");
  std::string all = runOf(storesProgram, {"--cycles", "12", "--summary-ram", "all"});
  EXPECT_EQ(linesFrom(all, "RAM, ", 1), "RAM, every word:\n");
  EXPECT_EQ(linesStartingWith(all, "  RAM[").size(), 64u + 1u);  // and the word written
  EXPECT_EQ(linesFrom(all, "  RAM[63]", 1), "  RAM[63] (address 0x007f) = 0xxxxx      ?\n");
}

TEST(ProcessorTraps, DiagramSaysWhenItWasAskedForCyclesPastTheRun) {
  const char* const ended = "(cycles 5 to 30 were asked for, but the run ended after cycle 10)";
  std::string past = runOf("nop\n", {"--cycles", "10", "--diagram-cycles", "5:30"});
  EXPECT_EQ(linesOf(past)[2], ended);
  std::string within = runOf("nop\n", {"--cycles", "10", "--diagram-cycles", "5:10"});
  EXPECT_EQ(within.find("were asked for"), std::string::npos);
}

// The tick --trace-ticks shows for cycle 3 is the one --explain NAME@c3 explains at, and NAME@TICK
// explains the same.
TEST(ProcessorTraps, TraceTicksAndExplainAtACycleAgree) {
  RunResult byCycle = runProcessor({"--cycles", "5", "--trace-ticks", "--explain", "PC[0]@c3"});
  ASSERT_EQ(byCycle.status, 0) << byCycle.err;
  std::vector<std::string> lines = linesOf(byCycle.out);
  ASSERT_GE(lines.size(), 5u);
  EXPECT_EQ(lines[0].substr(0, 30), "   cycle         tick     PC I");
  std::string tick = lines[3].substr(9, 12);
  tick = tick.substr(tick.find_first_not_of(' '));
  EXPECT_EQ(lines[4], "explain PC[0] at cycle 3 (tick " + tick + ")");
  RunResult byTick = runProcessor({"--cycles", "5", "--explain", "PC[0]@" + tick});
  EXPECT_EQ(linesFrom(byTick.out, "explain ", 2).substr(("explain PC[0] at " + tick).size()),
            linesFrom(byCycle.out, "explain ", 2).substr(("explain PC[0] at cycle 3 (tick " + tick + ")").size()));
  RunResult never = runProcessor({"--cycles", "5", "--explain", "PC[0]@c9"});
  EXPECT_EQ(linesOf(never.out)[0].substr(0, 42), "explain PC[0] at cycle 9: the run ended at");
  EXPECT_NE(linesOf(never.out)[0].find(" after cycle 5, so these are the values at its end"), std::string::npos);
}
