// Stuck-at faults (--fault NET=0|1): a held net reads as its value everywhere, the circuit's own program
// and tarvik-sim on its netlist agree, and every malformed or impossible fault is refused before the run.
#include <gtest/gtest.h>

#include "Harness.h"

namespace {

const std::string adder = std::string(TARVIK_EXAMPLES_DIR) + "/full_adder";
const std::string table = std::string(TARVIK_SOURCE_DIR) + "/examples/full_adder.test";
const std::string simProgram = std::string(TARVIK_EXAMPLES_DIR) + "/../tarvik-sim";

// cout held at 0 fails exactly the rows that expect a carry; with s held at 1 too, only the row of both.
TEST(StuckAt, AHeldOutputFailsTheRowsThatExpectTheOtherValue) {
  const std::string rows[] = {"6: step 4", "8: step 6", "9: step 7", "10: step 8"};
  RunResult low = runProgram(adder, {"-X", "--quiet", "--test", table, "--fault", "cout=0"});
  EXPECT_EQ(low.status, 1);
  std::string expected;
  for (const std::string& row : rows) expected += table + ":" + row + ": cout expected 1, actual 0\n";
  EXPECT_EQ(low.out, expected + "4 passed, 4 failed\n");
  RunResult high = runProgram(adder, {"-X", "--quiet", "--test", table, "--fault=cout=1", "--fault", "s[0]=1"});
  // Only step 8 (1 1 1 : 1 1) has both at 1.
  EXPECT_EQ(linesStartingWith(high.out, table + ":").size(), 8u) << high.out;
  EXPECT_EQ(linesOf(high.out).back(), "1 passed, 7 failed");
  ScratchFolder folder;
  ASSERT_EQ(runProgram(adder, {"--netlist-out", folder / "a.net"}).status, 0);
  RunResult sim = runProgram(simProgram, {folder / "a.net", "-X", "--quiet", "--test", table, "--fault", "cout=0"});
  EXPECT_EQ(sim.out, low.out);
  EXPECT_EQ(sim.status, low.status);
}

// The table still presses a held input's switch; the adder sees cin at 0, so the rows with cin 1 fail.
TEST(StuckAt, AHeldInputOfATableReadsAsHeld) {
  RunResult r = runProgram(adder, {"-X", "--quiet", "--test", table, "--fault", "cin=0"});
  EXPECT_EQ(r.status, 1) << r.err;
  std::string expected;
  for (const char* row : {"4: step 2: s expected 1, actual 0", "6: step 4: s expected 0, actual 1",
                          "6: step 4: cout expected 1, actual 0", "8: step 6: s expected 0, actual 1",
                          "8: step 6: cout expected 1, actual 0", "10: step 8: s expected 1, actual 0"})
    expected += table + ":" + row + "\n";
  EXPECT_EQ(r.out, expected + "4 passed, 4 failed\n");
}

TEST(StuckAt, FaultsThatCannotBeHeldAreRefusedBeforeTheRun) {
  const std::pair<const char*, const char*> cases[] = {
      {"cin", "option --fault requires NET=0 or NET=1, not cin"},
      {"cin=2", "option --fault requires NET=0 or NET=1, not cin=2"},
      {"=1", "option --fault requires NET=0 or NET=1, not =1"},
      {"nosuch=1", "--fault nosuch=1: no signal bundle is named nosuch"},
      {"cin[3]=1", "--fault cin[3]=1: bit 3 is out of range: cin has 1 bit"},
      {"Zero=1", "--fault Zero=1: Zero and One are the library's constants: no fault holds them"},
  };
  for (const auto& c : cases) {
    RunResult r = runProgram(adder, {"-X", "--quiet", "-T", "10", "--fault", c.first});
    EXPECT_EQ(r.err, std::string("ERROR -- ") + c.second + "\n") << c.first;
    EXPECT_EQ(r.out, "") << c.first;
    EXPECT_EQ(r.status, 2) << c.first;
  }
  RunResult twice = runProgram(adder, {"-X", "--quiet", "-T", "10", "--fault", "cout=1", "--fault", "cout[0]=0"});
  EXPECT_EQ(twice.err, "ERROR -- --fault cout[0]=0: a bit of cout[0] is held by an earlier --fault\n");
}

}  // namespace
