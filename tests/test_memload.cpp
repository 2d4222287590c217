// Memory images loaded into a running circuit (--load, addMemoryLoad, the after-elaboration hook),
// memories named by scope, wide memories, memory words in --expect, and the circuit's own options.
#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <string>
#include <vector>

#include "ExpectNetlist.h"
#include "Globals.h"
#include "Harness.h"
#include "MemImage.h"
#include "Sim.h"
#include "cmdLine.h"

namespace {

// A Rom of 12-bit words, two Rams of bytes joined as the 16-bit Wide, and a RegisterFile in each of two
// boxes; every read address is the same pair of switches.
void memories() {
  static const unsigned char rom[8] = {0x0A, 0xBC, 0x01, 0x23, 0, 0, 0, 0};
  Signal address(2, "address"), word(12, "word"), high(8, "high"), low(8, "low"), in(8, "in");
  Switch(SD("aa"), address, 'a', Zero, "addr");
  Rom(SD("ab"), address, word, 4, 12, rom);
  Ram(SD("ac"), (Zero, Zero, address, address), in, high, 4, 8, 2, 1, 1);
  Ram(SD("ad"), (Zero, Zero, address, address), in, low, 4, 8, 2, 1, 1);
  registerFileIn(SD("ba"), address);
  registerFileIn(SD("ca"), address);
  WideMemory("Wide", {"Ram", "Ram_1"});
}

RunResult runWith(const std::vector<std::string>& args) {
  std::vector<std::string> all = {"-X", "--keys="};  // the run ends once the circuit has settled
  all.insert(all.end(), args.begin(), args.end());
  return runCircuit(memories, all);
}

const char* const intelWide = ":0400000012345678E8\n:00000001FF\n";

TEST(MemoryLoad, LoadedWordsAreReadByExpectAndMissingOnesAreEmpty) {
  TextFile wide(intelWide), rom("@1 fff 2*5"), file("5 9 a");
  TextFile checks(
      "Wide[0] 0x1234\nWide[1] 0x5678\nRam[1] 0x56\nRam_1[0] 0x34\nWide[2] UUUUUUUUUUUUUUUU\n"
      "Rom[0] 0\nRom[1] 0xfff\nRom[3] 5\nBox.RegFile[0] 0\nBox.RegFile[1] 9\ntop.Box_1.RegFile[2] UUUU\n");
  RunResult r = runWith({"--load", "Wide=" + wide.path, "--load=Rom=" + rom.path, "--load", "Box.RegFile=" + file.path,
                         "--expect", checks.path});
  EXPECT_EQ(r.status, 0) << r.err;

  TextFile wrong("Wide[0x1] 22136\nRom[1] 0b1\n");
  r = runWith({"--expect", wrong.path});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(linesStartingWith(r.err, "MISMATCH"),
            (std::vector<std::string>{"MISMATCH -- Wide[1]: expected 22136, actual UUUUUUUUUUUUUUUU",
                                      "MISMATCH -- Rom[1]: expected 0b000000000001, actual 0b000100100011"}));
}

TEST(MemoryLoad, NamesThatPickNoMemoryOrSeveralAreRefused) {
  TextFile image("1");
  RunResult r = runWith({"--load", "Nope=" + image.path});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(linesStartingWith(r.err, "ERROR"),
            std::vector<std::string>{"ERROR -- " + image.path +
                                     ": no memory is named Nope; the memories are Rom, Ram, Ram_1, Box.RegFile, "
                                     "Box_1.RegFile, Wide"});
  r = runWith({"--load", "RegFile=" + image.path});
  EXPECT_EQ(linesStartingWith(r.err, "ERROR"),
            std::vector<std::string>{"ERROR -- " + image.path +
                                     ": RegFile names 2 memories (Box.RegFile, Box_1.RegFile); qualify it by "
                                     "module scope"});
}

TEST(MemoryLoad, EveryFaultyImageIsReportedAndNothingRuns) {
  TextFile wide("1 2\n3 10000"), rom("@4 1"), good("1");
  RunResult r = runWith({"--load", "Rom=" + good.path, "--load", "Wide=" + wide.path, "--load", "Rom=" + rom.path});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(linesStartingWith(r.err, "ERROR"),
            (std::vector<std::string>{"ERROR -- " + wide.path + ":2: word 0x10000 is wider than the 16-bit words of Wide",
                                      "ERROR -- " + rom.path + ":1: address 0x4 is past the end of Rom (4 words)"}));
  EXPECT_EQ(linesStartingWith(r.err, "Time =").size(), 0u);
  r = runWith({"--load", "Rom"});
  EXPECT_EQ(r.err, "ERROR -- option --load requires NAME=FILE, not Rom\n");
  r = runWith({"--load", "Rom=/nonexistent"});
  EXPECT_EQ(r.err, "ERROR -- /nonexistent: cannot read the memory image: No such file or directory\n");
}

TEST(MemoryLoad, ExpectOfMemoryWordsRefusesFaultsBeforeTheRun) {
  TextFile checks("Wide[4] 0\nNope[0] 0\nRom[x] 0\nRam[0] 0x100\n");
  RunResult r = runWith({"--expect", checks.path});
  EXPECT_EQ(r.status, 2);
  std::vector<std::string> errors = linesStartingWith(r.err, "ERROR");
  ASSERT_EQ(errors.size(), 4u) << r.err;
  EXPECT_EQ(errors[0], "ERROR -- " + checks.path + ":1: address 4 is past the end of Wide (4 words)");
  EXPECT_EQ(errors[2], "ERROR -- " + checks.path + ":3: cannot read address x (decimal or 0x..)");
  EXPECT_EQ(errors[3], "ERROR -- " + checks.path + ":4: value 0x100 does not fit the 8 bits of Ram[0]");
}

// A word given twice keeps the later one whole, in a Ram as in a Rom; one memory may get one image.
TEST(MemoryLoad, ALaterWordWinsAndAMemoryTakesOneImage) {
  TextFile twice("4*f @2 7\n@1 0"), checks("Ram[2] 0x07\nRam[1] 0\nRom[2] 7\nBox.RegFile[2] 7\n");
  RunResult r = runWith({"--load", "Ram=" + twice.path, "--load", "Rom=" + twice.path, "--load", "Box.RegFile=" + twice.path,
                         "--expect", checks.path});
  EXPECT_EQ(r.status, 0) << r.err;
  TextFile first("1"), second("2");
  r = runWith({"--load", "top.Ram=" + first.path, "--load", "Ram=" + second.path});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(linesStartingWith(r.err, "ERROR"),
            std::vector<std::string>{"ERROR -- Ram is given two images, " + first.path + " and " + second.path + ": give one"});
}

// A wide memory and one of its lanes are one memory: two images would mix in its words.
TEST(MemoryLoad, AWideMemoryAndItsLaneTakeOneImage) {
  TextFile first("1"), second("2");
  const struct {
    std::string firstName, secondName, shared;
  } cases[] = {{"Wide", "Ram_1", "Ram_1"}, {"Ram", "Wide", "Ram"}, {"top.Ram_1", "Wide", "Ram_1"}};
  for (const auto& c : cases) {
    RunResult r = runWith({"--load", c.firstName + "=" + first.path, "--load", c.secondName + "=" + second.path});
    EXPECT_EQ(r.status, 2) << c.firstName;
    EXPECT_EQ(linesStartingWith(r.err, "ERROR"),
              std::vector<std::string>{"ERROR -- " + c.shared + " is given two images, " + first.path + " and " +
                                       second.path + ": give one"});
  }
  EXPECT_EQ(runWith({"--load", "Ram=" + first.path, "--load", "Ram_1=" + second.path}).status, 0);
}

void badLane() {
  Signal address(2, "address"), out(8, "out");
  Ram(SD("aa"), (Zero, Zero, address, address), Signal(8, "in"), out, 4, 8, 2, 1, 1);
  WideMemory("W", {"Ram", "Rom"});
}

TEST(MemoryLoad, AWideMemoryOfUnknownLanesIsAConstructionFault) {
  RunResult r = runCircuit(badLane, {"-X"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(linesStartingWith(r.err, "ERROR"),
            std::vector<std::string>{"ERROR -- wide memory W: no memory is named Rom; the memories are Ram"});
}

// The image comes back at every restart, in place of what the run wrote.
TEST(MemoryLoad, ARestartLoadsTheImageAgain) {
  TextFile image("5 6 7 8");
  RunResult r = runProgram(TARVIK_EXAMPLES_DIR "/ram_readback", {"-X", "--load", "Ram=" + image.path, "--keys", "pfwp{F1}p"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err.substr(r.err.find("signals.\n") + 9), "5\n1\n5\n");
}

MemoryImage hookImage;
void queueFromHook() { addMemoryLoad("Ram_1", hookImage); }

void memoriesWithHook() {
  memories();
  hookImage.file = "hook";
  hookImage.words = {{2, 0xab, 1}};
  addAfterElaborationHook(queueFromHook);
}

TEST(MemoryLoad, TheAfterElaborationHookMayQueueImages) {
  TextFile checks("Ram_1[2] 0xab\n");
  RunResult r = runCircuit(memoriesWithHook, {"-X", "--keys=", "--expect", checks.path});
  EXPECT_EQ(r.status, 0) << r.err;
}

bool takeCount(const char* argument, std::string& problem) {
  if (std::string(argument) == "0") {
    problem = "--count must not be 0";
    return false;
  }
  printf("count %s\n", argument);
  return true;
}

bool takeFlag(const char* argument, std::string&) {
  printf("flag %s\n", argument ? argument : "none");
  return true;
}

std::string parsedWith(std::vector<std::string> words) {
  words.insert(words.begin(), "prog");
  std::vector<char*> argv;
  for (std::string& w : words) argv.push_back(&w[0]);
  std::string problem;
  testing::internal::CaptureStdout();
  CommandLineOutcome outcome = parseCommandLine(int(argv.size()), argv.data(), &problem);
  std::string taken = testing::internal::GetCapturedStdout();
  return taken + (outcome == commandLineRefused ? "refused: " + problem : "");
}

TEST(CircuitOptions, TakenInBothFormsAndRefusedWithTheirProblem) {
  addCircuitOption({"--count", "N", "how many", takeCount});
  addCircuitOption({"--flag", nullptr, "a flag\nof two lines", takeFlag});
  EXPECT_EQ(parsedWith({"--count", "3", "-X", "--count=4", "--flag"}), "count 3\ncount 4\nflag none\n");
  EXPECT_EQ(useXDisplay, 0);
  EXPECT_EQ(parsedWith({"--count=0", "--flag"}), "refused: --count must not be 0");
  EXPECT_EQ(parsedWith({"--flag=x"}), "refused: option --flag takes no argument");
  EXPECT_EQ(parsedWith({"--count"}), "refused: option --count requires an argument (N)");
  EXPECT_EQ(parsedWith({"--quiet"}), "");
  EXPECT_EQ(quietFlag, 1);

  RunResult help = runInChild([] {
    char program[] = "prog", option[] = "--help";
    char* argv[] = {program, option, nullptr};
    commandLine(2, argv);
  });
  EXPECT_NE(help.out.find("--help           this text, on standard output\n"
                          "Options of this circuit:\n"
                          "  --count <N>      how many\n"
                          "  --flag           a flag\n"
                          "                   of two lines\n"),
            std::string::npos)
      << help.out;
  resetCommandLineGlobals();
  resetCircuitOptions();
}

void probed() {
  Signal a(1, "a");
  Switch(SD("aa"), a, 'a', Zero, "A");
  Probe(SD("ab"), a, "P");
}

// A quiet run prints only what was asked for and errors: no probe reports, no netlist counts.
TEST(CircuitOptions, QuietProbesSayNothingWithoutAWindow) {
  RunResult r = runCircuit(probed, {"-X", "--keys", "a"});
  EXPECT_GT(linesStartingWith(r.err, "Time =").size(), 0u);
  EXPECT_EQ(linesStartingWith(r.err, "There are").size(), 2u);
  r = runCircuit(probed, {"-X", "--quiet", "--keys", "a"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
}

// A program of the user's own that loads RAM word 28 (address 92): the RAM's image reaches Reg1.
TEST(MemoryLoad, TheProcessorRunsAnImageInItsRomOnAnImageInItsRam) {
  TextFile rom("0AF0 1204 1A58 2201 2A02 3203 3A04\n@b 4813\n"), ram("@1c 1234\n");
  TextFile checks("Reg1 0x1234\nReg3 0x58\nRAM[28] 0x1234\nMemory.Ram_1[28] 0x34\n");
  std::string keys = "0";
  for (int i = 0; i < 40; i++) keys += "11";
  RunResult r = runProgram(TARVIK_PIPELINE_DIR "/5a-LD-hazard", {"-X", "--quiet", "--load", "Memory.Rom=" + rom.path,
                                                                 "--load", "RAM=" + ram.path, "--keys", keys,
                                                                 "--expect", checks.path});
  EXPECT_EQ(r.status, 0) << r.err;
}

}  // namespace
