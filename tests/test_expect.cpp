// End-of-run checks (--expect): the notations of values, qualified and ambiguous names, faulty files
// refused before the run, mismatches reported with the exit status 1, and the processor's register
// file after its ROM program.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "ExpectNetlist.h"
#include "Harness.h"
#include "Sim.h"

namespace {

RunResult runChecks(const std::string& text, const std::string& keys = "a") {
  TextFile f(text);
  return runCircuit(checkedNetlist, {"-X", "--keys", keys, "--expect", f.path});
}

TEST(Expect, MatchingValuesInEveryNotationPass) {
  RunResult r = runChecks(
      "# after pressing a once\n"
      "\n"
      "a 1\n"
      "x 0b1   # trailing comment\n"
      "   y\t0x1\r\n"
      "word 0xa5c\n"
      "word 0x0A5C\n"
      "word 2652\n"
      "word 0b000101001011100\n"
      "bus Z\n"
      "idle UU0\n"
      "Pair.mid 0\n"
      "top.Pair_1.mid 0\n"
      "mid 1\n");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(linesStartingWith(r.err, "MISMATCH").size(), 0u);
  EXPECT_EQ(linesStartingWith(r.err, "ERROR").size(), 0u);
}

TEST(Expect, EachMismatchIsOneLineInTheNotationOfTheExpectedValue) {
  RunResult r = runChecks(
      "a 0\n"
      "word 0x5a5\n"
      "word 2653\n"
      "word 0b1\n"
      "bus 0\n"
      "idle 0x0\n"
      "idle UUU\n"
      "Pair_1.mid 1\n"
      "y 1\n");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(linesStartingWith(r.err, "MISMATCH"),
            (std::vector<std::string>{"MISMATCH -- a: expected 0, actual 1",
                                      "MISMATCH -- word: expected 0x5a5, actual 0xa5c",
                                      "MISMATCH -- word: expected 2653, actual 2652",
                                      "MISMATCH -- word: expected 0b000000000001, actual 0b101001011100",
                                      "MISMATCH -- bus: expected 0, actual Z",
                                      "MISMATCH -- idle: expected 0x0, actual UU0",
                                      "MISMATCH -- idle: expected UUU, actual UU0",
                                      "MISMATCH -- Pair_1.mid: expected 1, actual 0"}));
  // The checks come after the whole run.
  EXPECT_EQ(linesOf(r.err).back(), "MISMATCH -- Pair_1.mid: expected 1, actual 0");
}

TEST(Expect, ChecksWithoutAnyKeyPressSeeTheSettledCircuit) {
  RunResult r = runChecks("a 0\ny 0\nPair.mid 1\n", "");
  EXPECT_EQ(r.status, 0) << r.err;
}

TEST(Expect, UnknownAndAmbiguousNamesAreRefusedBeforeTheRun) {
  TextFile f("nope 1\nPair.nope 0\nPair 0\n");
  RunResult r = runCircuit(checkedNetlist, {"-X", "--keys", "a", "--expect=" + f.path});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(linesStartingWith(r.err, "ERROR -- "),
            (std::vector<std::string>{"ERROR -- " + f.path + ":1: no signal bundle is named nope",
                                      "ERROR -- " + f.path + ":2: no signal bundle is named Pair.nope",
                                      "ERROR -- " + f.path + ":3: no signal bundle is named Pair"}));
  EXPECT_EQ(linesStartingWith(r.err, "Time = ").size(), 0u);
}

void twoMids() {
  Signal a(1, "a"), x(1, "x"), y(1, "y");
  Switch(SD("aa"), a, 'a', Zero, "A");
  invertingPair(SD("ab"), a, x);
  invertingPair(SD("ac"), x, y);
}

TEST(Expect, ANameOfSeveralBundlesMustBeQualified) {
  TextFile f("mid 1\nid 1\n");
  RunResult r = runCircuit(twoMids, {"-X", "--keys", "a", "--expect", f.path});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err, "There are 7 components.\nThere are 7 signals.\n"
                   "ERROR -- " + f.path + ":1: mid names 2 signal bundles (Pair.mid, Pair_1.mid); qualify it by module scope\n"
                   "ERROR -- " + f.path + ":2: no signal bundle is named id\n");
  TextFile qualified("Pair.mid 0\nPair_1.mid 0\ntop.x 1\n");
  EXPECT_EQ(runCircuit(twoMids, {"-X", "--keys", "a", "--expect", qualified.path}).status, 0);
}

TEST(Expect, EveryMalformedLineIsReportedWithFileAndLine) {
  TextFile f(
      "a\n"
      "a 1 2\n"
      "a 0xZZ\n"
      "a 12a\n"
      "idle xz0\n"
      "word 0X1\n"
      "a 0x2\n"
      "idle UU\n"
      "word 99999999999999999999\n"
      "word 0b1000000000000\n"
      "word 101001011100   # digits alone are decimal\n"
      "a 1\n");
  RunResult r = runCircuit(checkedNetlist, {"-X", "--expect", f.path});
  EXPECT_EQ(r.status, 2);
  const std::string at = "ERROR -- " + f.path + ":";
  EXPECT_EQ(linesStartingWith(r.err, "ERROR -- "),
            (std::vector<std::string>{
                at + "1: expected a signal name and a value, found 1 word",
                at + "2: expected a signal name and a value, found 3 words",
                at + "3: cannot read value 0xZZ (hex 0x.., binary 0b.., decimal, or a word of 0 1 X Z U)",
                at + "4: cannot read value 12a (hex 0x.., binary 0b.., decimal, or a word of 0 1 X Z U)",
                at + "5: cannot read value xz0 (hex 0x.., binary 0b.., decimal, or a word of 0 1 X Z U)",
                at + "6: value 0X1 has 3 letters but word has 12 bits",
                at + "7: value 0x2 does not fit the 1 bit of a",
                at + "8: value UU has 2 letters but idle has 3 bits",
                at + "9: value 99999999999999999999 is too large",
                at + "10: value 0b1000000000000 does not fit the 12 bits of word",
                at + "11: value 101001011100 does not fit the 12 bits of word"}));
  EXPECT_EQ(linesStartingWith(r.err, "Time = ").size(), 0u);
}

TEST(Expect, AFileThatCannotBeReadIsRefused) {
  RunResult r = runCircuit(checkedNetlist, {"-X", "--expect", "/nonexistent/checks"});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(linesOf(r.err).back(), "ERROR -- cannot read expectations /nonexistent/checks: No such file or directory");
  r = runCircuit(checkedNetlist, {"-X", "--expect"});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err, "ERROR -- option --expect requires a file name\n");
}

// A NUL byte is no digit, and shows as \0 in the message; a file of nothing but faults is cut short.
TEST(Expect, NulBytesAndFloodsOfFaults) {
  RunResult r = runChecks(std::string("a \0\nx 0x0\0\n", 11));
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(linesStartingWith(r.err, "ERROR -- ").size(), 2u) << r.err;
  EXPECT_NE(r.err.find(":1: cannot read value \\0 (hex"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find(":2: cannot read value 0x0\\0 (hex"), std::string::npos) << r.err;
  std::string flood;
  for (int i = 0; i < 1000; i++) flood += "?\n";
  TextFile f(flood);
  r = runCircuit(checkedNetlist, {"-X", "--expect", f.path});
  std::vector<std::string> errors = linesStartingWith(r.err, "ERROR -- ");
  ASSERT_EQ(errors.size(), 21u);
  EXPECT_EQ(errors[19], "ERROR -- " + f.path + ":20: expected a signal name and a value, found 1 word");
  EXPECT_EQ(errors[20], "ERROR -- " + f.path + ": more than 20 faulty lines, the rest not read");
  r = runCircuit(checkedNetlist, {"-X", "--expect", "/dev/urandom"});
  EXPECT_EQ(linesOf(r.err).back(), "ERROR -- cannot read expectations /dev/urandom: not a regular file");
}

// ---- The processor --------------------------------------------------------------------------------

const char* const processor = TARVIK_PIPELINE_DIR "/5a-LD-hazard";

std::string resetThenCycles(int cycles) {
  std::string keys = "0";
  for (int i = 0; i < cycles; i++) keys += "11";
  return keys;
}

const char* const romProgramResult =
    "# The register file after the ROM program: reset released, then 40 cycles.\n"
    "Reg0 0x0000\nReg1 0xFF00\nReg2 4\nReg3 0x18\n"
    "Reg4 0x00F1\nReg5 0x00F2\nReg6 0xFF03\nReg7 0b1111111100000100\n"
    "PC 0x0027\n"
    "BasicPipe.Registers.write 0b0000000\n";

TEST(Expect, TheProcessorsRegisterFileAfterTheRomProgram) {
  TextFile f(romProgramResult);
  RunResult r = runProgram(processor, {"-X", "--keys", resetThenCycles(40), "--expect", f.path});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(linesStartingWith(r.err, "MISMATCH").size(), 0u);

  TextFile wrong(std::string(romProgramResult) + "Reg4 0x00F2\n");
  r = runProgram(processor, {"-X", "--keys", resetThenCycles(40), "--expect", wrong.path});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(linesStartingWith(r.err, "MISMATCH"),
            std::vector<std::string>{"MISMATCH -- Reg4: expected 0x00f2, actual 0x00f1"});
}

}  // namespace
