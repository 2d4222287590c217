// Every example circuit run by its own program and by tarvik-sim from its netlist file: the same
// standard output, standard error, exit status and written files; and the file written again by
// tarvik-sim is the same file.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

#include "Harness.h"

namespace {

// The processors run with the library's options only: theirs are their own (--program, the views).
const char* const examples[] = {"switch_gates", "clock_stop",   "full_adder",   "step_counter",
                                "counter",      "traffic_light", "tristate_bus", "ram_readback",
                                "jk_divider",   "timed_reset",  "5a-LD-hazard", "5b-forwarding"};

bool isProcessor(const std::string& name) { return isdigit(static_cast<unsigned char>(name[0])) != 0; }

std::string exampleProgram(const std::string& name) {
  return std::string(isProcessor(name) ? TARVIK_PIPELINE_DIR : TARVIK_EXAMPLES_DIR) + "/" + name;
}
const std::string simProgram = std::string(TARVIK_EXAMPLES_DIR) + "/../tarvik-sim";

// The runs compared; OUT stands for a file the run writes, TEST for the circuit's test table.
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

struct RunFiles {
  std::string out, expect, image, test;
};

std::vector<std::string> argsFor(const std::vector<std::string>& run, const RunFiles& files) {
  std::vector<std::string> args;
  for (const std::string& a : run)
    args.push_back(a == "OUT"                ? files.out
                   : a == "EXPECT"           ? files.expect
                   : a == "TEST"             ? files.test
                   : a == "Memory.Rom=IMAGE" ? "Memory.Rom=" + files.image
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
  RunFiles files{folder / "own.out", folder.write("x.expect", "One 1\nZero 0\n"), folder.write("rom.hex", "1234 4321\n"),
                 std::string(TARVIK_SOURCE_DIR) + "/examples/" + example + ".test"};
  for (const std::vector<std::string>& run : runs) {
    if (run.back() == "TEST" && fileText(files.test).empty()) continue;
    // A processor's --until note counts its cycles, through run observers of its own options, which
    // tarvik-sim does not offer yet.
    if (isProcessor(example) && std::find(run.begin(), run.end(), "--until") != run.end()) continue;
    RunResult own = runProgram(exampleProgram(example), argsFor(run, files), 60);
    files.out = folder / "sim.out";
    std::vector<std::string> simArgs = argsFor(run, files);
    files.out = folder / "own.out";
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
