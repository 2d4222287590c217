// Every example circuit run by its own program and by tarvik-sim from its netlist file: the same
// standard output, standard error, exit status and written files; and the file written again by
// tarvik-sim is the same file.  The processors also with their own options, and with a program and an
// image given when the file was written.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

#include "Harness.h"

namespace {

const char* const examples[] = {"switch_gates", "clock_stop",   "full_adder",   "step_counter",
                                "counter",      "traffic_light", "tristate_bus", "ram_readback",
                                "jk_divider",   "timed_reset",  "5a-LD-hazard", "5b-forwarding"};

bool isProcessor(const std::string& name) { return isdigit(static_cast<unsigned char>(name[0])) != 0; }

std::string exampleProgram(const std::string& name) {
  return std::string(isProcessor(name) ? TARVIK_PIPELINE_DIR : TARVIK_EXAMPLES_DIR) + "/" + name;
}
const std::string simProgram = std::string(TARVIK_EXAMPLES_DIR) + "/../tarvik-sim";

// The runs compared; OUT stands for a file the run writes, TEST for the circuit's test table, NAME=IMAGE for an image.
const std::vector<std::vector<std::string>> runs = {
    {"-X", "-T", "3000"},
    {"-X", "-T", "3000", "--quiet", "--vcd", "OUT"},
    {"-X", "--keys", "{@100}0{+200}1{+300}", "--quiet", "--vcd", "OUT"},
    {"-X", "-T", "400", "--explain", "One@10", "--explain", "NoSuchName@10"},
    {"-X", "-T", "3000", "--until", "One=1"},
    {"-X", "-T", "3000", "--expect", "EXPECT"},
    {"-X", "-T", "3000", "--quiet", "--load", "Memory.Rom=IMAGE", "--vcd", "OUT"},
    {"-X", "-T", "900", "--quiet", "--explain", "PC@800", "--until", "PC=3"},
    {"-X", "--test", "TEST"},
};

// The processors' own options; PROGRAM stands for a program of the examples.
const std::vector<std::vector<std::string>> processorRuns = {
    {"-X", "--program", "PROGRAM", "--summary"},
    {"-X", "--cycles", "30", "--trace", "--quiet"},
    {"-X", "--program", "PROGRAM", "--diagram", "--cycles", "40", "--gtkw", "OUT"},
    {"-X", "--program", "PROGRAM", "--until", "Reg1=1", "--summary-ram", "nonzero"},
    {"-X", "--program", "PROGRAM", "--program", "PROGRAM"},
    {"-X", "--help"},
};

const std::string program = std::string(TARVIK_SOURCE_DIR) + "/examples/programs/multiply.s";

struct RunFiles {
  std::string out, expect, image, test, program = ::program;
};

std::vector<std::string> argsFor(const std::vector<std::string>& run, const RunFiles& files) {
  std::vector<std::string> args;
  for (const std::string& a : run) {
    size_t image = a.find("=IMAGE");
    args.push_back(a == "OUT"                    ? files.out
                   : a == "EXPECT"               ? files.expect
                   : a == "TEST"                 ? files.test
                   : a == "PROGRAM"              ? files.program
                   : image != std::string::npos ? a.substr(0, image + 1) + files.image
                                                 : a);
  }
  return args;
}

// The same run of the circuit's program and of tarvik-sim on its file (ownArgs after the file's own).
void expectSameRun(const std::string& example, const std::string& netlist, const std::vector<std::string>& run,
                   ScratchFolder& folder, RunFiles files, const std::vector<std::string>& ownFirst = {}) {
  files.out = folder / "own.out";
  std::vector<std::string> ownArgs = argsFor(run, files);
  ownArgs.insert(ownArgs.begin(), ownFirst.begin(), ownFirst.end());
  RunResult own = runProgram(exampleProgram(example), ownArgs, 60);
  files.out = folder / "sim.out";
  std::vector<std::string> simArgs = argsFor(run, files);
  simArgs.insert(simArgs.begin(), netlist);
  RunResult sim = runProgram(simProgram, simArgs, 60);
  std::string what = example + " " + run[1] + " " + run.back();
  EXPECT_EQ(sim.out, own.out) << what;
  EXPECT_EQ(sim.err, own.err) << what;
  EXPECT_EQ(sim.status, own.status) << what;
  EXPECT_EQ(folder.read("sim.out"), folder.read("own.out")) << what;
  folder.write("sim.out", "");
  folder.write("own.out", "");
}

class NetlistSim : public ::testing::TestWithParam<const char*> {};

TEST_P(NetlistSim, RunsAsTheCircuitsOwnProgram) {
  ScratchFolder folder;
  std::string example = GetParam();
  std::string netlist = folder / "circuit.net";
  RunResult written = runProgram(exampleProgram(example), {"--netlist-out", netlist});
  ASSERT_EQ(written.status, 0) << written.err;
  EXPECT_EQ(written.out + written.err, "");  // only the file: no start-up text
  RunFiles files{folder / "own.out", folder.write("x.expect", "One 1\nZero 0\n"), folder.write("rom.hex", "1234 4321\n"),
                 std::string(TARVIK_SOURCE_DIR) + "/examples/" + example + ".test"};
  for (const std::vector<std::string>& run : runs) {
    if (run.back() == "TEST" && fileText(files.test).empty()) continue;
    expectSameRun(example, netlist, run, folder, files);
  }
  if (isProcessor(example))
    for (const std::vector<std::string>& run : processorRuns) expectSameRun(example, netlist, run, folder, files);
  RunResult again = runProgram(simProgram, {netlist, "--netlist-out", folder / "again.net"});
  ASSERT_EQ(again.status, 0) << again.err;
  EXPECT_EQ(folder.read("again.net"), folder.read("circuit.net"));
}

INSTANTIATE_TEST_SUITE_P(Examples, NetlistSim, ::testing::ValuesIn(examples));

// A program and an image given when the file is written are in the file: the file alone runs as the
// processor's program with them, a second program or image for the same memory, or an output over the
// program's source, is refused as on the program's command line, and the file written again is the same.
TEST(NetlistSimImages, AFileKeepsTheProgramAndImagesItWasWrittenWith) {
  ScratchFolder folder;
  // A copy of the program: a run below must refuse to overwrite it.
  RunFiles files{"", "", folder.write("ram.hex", "@4 7 8 3*9\n"), "", folder.write("prog.s", fileText(program))};
  const std::vector<std::string> given = {"--program", files.program, "--load", "Memory.Ram=" + files.image};
  for (const char* example : {"5a-LD-hazard", "5b-forwarding"}) {
    std::string netlist = folder / "given.net";
    std::vector<std::string> write = given;
    write.insert(write.end(), {"--netlist-out", netlist});
    ASSERT_EQ(runProgram(exampleProgram(example), write).status, 0);
    for (const std::vector<std::string>& run : std::vector<std::vector<std::string>>{
             {"-X", "--summary-ram", "nonzero"},
             {"-X", "--cycles", "20", "--trace"},
             {"-X", "--program", "PROGRAM"},
             {"-X", "--load", "Memory.Ram=IMAGE"},
             {"-X", "--cycles", "3", "--vcd", "PROGRAM"}})
      expectSameRun(example, netlist, run, folder, files, given);
    RunResult again = runProgram(simProgram, {netlist, "--netlist-out", folder / "again.net"});
    ASSERT_EQ(again.status, 0) << again.err;
    EXPECT_EQ(folder.read("again.net"), folder.read("given.net"));
  }
  EXPECT_EQ(fileText(files.program), fileText(program));
}

}  // namespace

namespace {

// tarvik-sim refuses a bad file, a missing one and no file before anything is printed.
TEST(NetlistSimRefusals, NothingRunsAfterARefusal) {
  ScratchFolder folder;
  std::string cut = folder.write("cut.net", "tarvik-netlist 1\nsignals 2\nsignal 0 ZERO 1 \"Zero[0]\"\n");
  struct Case {
    std::vector<std::string> args;
    std::string err;
  };
  const Case cases[] = {
      {{cut, "-X"}, "ERROR -- " + cut + ":4: the file ends where a line \"signal\" was due\n"},
      {{folder / "none.net"}, "ERROR -- " + folder / "none.net" + ": No such file or directory\n"},
      {{}, "ERROR -- usage: tarvik-sim NETLIST [options of the circuit programs]\n"},
  };
  for (const Case& c : cases) {
    RunResult r = runProgram(simProgram, c.args);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, c.err);
    EXPECT_EQ(r.status, 2);
  }
}

}  // namespace
