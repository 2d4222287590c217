// Every example circuit run by its own program and by tarvik-sim from its netlist file: the same
// standard output, standard error, exit status and written files; and the file written again by
// tarvik-sim is the same file.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Harness.h"

namespace {

const char* const examples[] = {"switch_gates", "clock_stop",   "full_adder",  "step_counter", "counter",
                                "traffic_light", "tristate_bus", "ram_readback", "jk_divider",  "timed_reset"};

std::string exampleProgram(const std::string& name) { return std::string(TARVIK_EXAMPLES_DIR) + "/" + name; }
const std::string simProgram = std::string(TARVIK_EXAMPLES_DIR) + "/../tarvik-sim";

// The runs compared; OUT stands for a file the run writes, TEST for the circuit's test table.
const std::vector<std::vector<std::string>> runs = {
    {"-X", "-T", "3000"},
    {"-X", "-T", "3000", "--quiet", "--vcd", "OUT"},
    {"-X", "--keys", "{@100}0{+200}1{+300}", "--quiet", "--vcd", "OUT"},
    {"-X", "-T", "400", "--explain", "One@10", "--explain", "NoSuchName@10"},
    {"-X", "-T", "3000", "--until", "One=1"},
    {"-X", "-T", "3000", "--expect", "EXPECT"},
    {"-X", "--test", "TEST"},
};

std::vector<std::string> argsFor(const std::vector<std::string>& run, const std::string& example, const std::string& out,
                                 const std::string& expect) {
  std::vector<std::string> args;
  for (const std::string& a : run)
    args.push_back(a == "OUT" ? out : a == "EXPECT" ? expect
                                 : a == "TEST"      ? std::string(TARVIK_SOURCE_DIR) + "/examples/" + example + ".test"
                                                    : a);
  return args;
}

class NetlistSim : public ::testing::TestWithParam<const char*> {};

TEST_P(NetlistSim, RunsAsTheCircuitsOwnProgram) {
  ScratchFolder folder;
  std::string example = GetParam();
  std::string netlist = folder / "circuit.net";
  RunResult written = runProgram(exampleProgram(example), {"--netlist-out", netlist});
  ASSERT_EQ(written.status, 0) << written.err;
  std::string expect = folder.write("x.expect", "One 1\nZero 0\n");
  for (const std::vector<std::string>& run : runs) {
    if (run.back() == "TEST" && fileText(std::string(TARVIK_SOURCE_DIR) + "/examples/" + example + ".test").empty())
      continue;
    RunResult own = runProgram(exampleProgram(example), argsFor(run, example, folder / "own.out", expect), 60);
    std::vector<std::string> simArgs = argsFor(run, example, folder / "sim.out", expect);
    simArgs.insert(simArgs.begin(), netlist);
    RunResult sim = runProgram(simProgram, simArgs, 60);
    std::string what = example + " " + run[1] + " " + run.back();
    EXPECT_EQ(sim.out, own.out) << what;
    EXPECT_EQ(sim.err, own.err) << what;
    EXPECT_EQ(sim.status, own.status) << what;
    EXPECT_EQ(folder.read("sim.out"), folder.read("own.out")) << what;
  }
  RunResult again = runProgram(simProgram, {netlist, "--netlist-out", folder / "again.net"});
  ASSERT_EQ(again.status, 0) << again.err;
  EXPECT_EQ(folder.read("again.net"), folder.read("circuit.net"));
}

INSTANTIATE_TEST_SUITE_P(Examples, NetlistSim, ::testing::ValuesIn(examples));

}  // namespace
