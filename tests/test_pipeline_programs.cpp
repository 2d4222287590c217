// The example programs of examples/programs run on the processor to their halt and leave the registers
// and RAM words their .expect files give; --program refuses what it cannot run, before the run.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "Harness.h"

namespace {

const std::string processor = std::string(TARVIK_PIPELINE_DIR) + "/5a-LD-hazard";
const std::string programs = std::string(TARVIK_SOURCE_DIR) + "/examples/programs/";

RunResult runProgramFile(const std::string& file, const std::vector<std::string>& more = {}) {
  std::vector<std::string> args = {"-X", "--quiet", "--program", file};
  args.insert(args.end(), more.begin(), more.end());
  return runProgram(processor, args);
}

}  // namespace

class ExamplePrograms : public testing::TestWithParam<const char*> {};

// Each ends in halt: bra halt, which ends the run.
TEST_P(ExamplePrograms, LeaveTheRegistersAndRamTheirExpectationsGive) {
  std::string name = GetParam();
  RunResult r = runProgramFile(programs + name + ".s", {"--until", "halt", "--expect", programs + name + ".expect"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err.find("MISMATCH"), std::string::npos) << r.err;
  EXPECT_EQ(linesStartingWith(r.err, "--until halt held at tick ").size(), 1u) << r.err;
}

INSTANTIATE_TEST_SUITE_P(Suite, ExamplePrograms,
                         testing::Values("sum", "multiply", "fibonacci", "copy", "countdown", "hazards"));

// The same program as an assembly source and as the image tarvik-asm would write for it.
TEST(Program, AnImageRunsLikeItsSource) {
  ScratchFolder folder;
  std::string source = folder.write("five.s", "setlo r1, 5\nnop\nnop\nadd r2, r1, r1\n");
  std::string image = folder.write("five.hex", "v2.0 raw\n0A05 0000 0000 1009\n");
  std::string expect = folder.write("five.expect", "Reg1 5\nReg2 10\n");
  for (const std::string& file : {source, image}) {
    RunResult r = runProgramFile(file, {"--cycles", "10", "--expect", expect});
    EXPECT_EQ(r.status, 0) << file << "\n" << r.err;
  }
}

TEST(Program, IsRefusedBeforeTheRunWhenItCannotBeRun) {
  ScratchFolder folder;
  std::string directory = folder.path + "/d.s";
  mkdir(directory.c_str(), 0755);
  struct Case {
    std::string file, says;
  } cases[] = {
      {"/nonexistent/prog.s", "ERROR -- /nonexistent/prog.s: cannot read the program: No such file or directory"},
      {folder.write("bad.s", "addd r1, r2, r3\nadd r1, r2, 9\n"), "2 error(s) in the program"},
      {folder.write("long.s", ".org 64\nnop\n"),  // refused by the assembler, before any image is loaded
       folder.path + "/long.s:2:1: address 0x0040 is past the end of the ROM (64 words, 0x0000..0x003F)\nnop\n^\n"
       "ERROR -- " + folder.path + "/long.s: 1 error(s) in the program"},
      {directory, "ERROR -- " + directory + ": cannot read the program: Is a directory"},
      {"/dev/zero", "ERROR -- /dev/zero: cannot read the memory image: not a regular file"},
  };
  for (const Case& c : cases) {
    RunResult r = runProgramFile(c.file, {"--cycles", "1"});
    EXPECT_EQ(r.status, 2) << c.file;
    EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("Time = "), std::string::npos) << "the run must not start";
  }
}

// Options that contradict each other are refused before the run, with both values named; a repeated
// option already while the command line is read, before the circuit is built.
TEST(Program, ConflictingOptionsAreRefusedBeforeTheRun) {
  ScratchFolder folder;
  std::string sum = programs + "sum.s", copy = programs + "copy.s", image = folder.write("one.hex", "0000\n");
  struct Case {
    std::vector<std::string> args;
    std::string says;
    bool beforeBuilding;
  } cases[] = {
      {{"--program", sum, "--program", copy, "--cycles", "5"},
       "ERROR -- --program is given twice (" + sum + " and " + copy + "): give one program", true},
      {{"--cycles", "5", "--cycles", "60"}, "ERROR -- --cycles is given twice (5 and 60): give it once", true},
      // --load after --program, by the ROM's name: refused before its file is read (a source is no image)
      {{"--program", sum, "--load", "Memory.Rom=" + image, "--cycles", "5"},
       "ERROR -- Memory.Rom is given two images, " + sum + " and " + image + ": give one", true},
      {{"--program", sum, "--load", "Memory.Rom=" + sum, "--cycles", "5"},
       "ERROR -- Memory.Rom is given two images, " + sum + " and " + sum + ": give one", true},
      // by another name of it: once the circuit is built
      {{"--program", sum, "--load", "Rom=" + image, "--cycles", "5"},
       "ERROR -- Memory.Rom is given two images, " + sum + " and " + image + ": give one", false},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = {"-X"};  // not --quiet: the netlist's counts tell whether it was built
    args.insert(args.end(), c.args.begin(), c.args.end());
    RunResult r = runProgram(processor, args);
    EXPECT_EQ(r.status, 2) << c.says;
    EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("There are ") == std::string::npos, c.beforeBuilding) << r.err;
    EXPECT_EQ(r.err.find("Time = "), std::string::npos) << "the run must not start";
  }
}
