// The example gallery, each program run headless as its header comment says, its whole output checked.
#include <gtest/gtest.h>

#include <string>

#include "Harness.h"

namespace {

RunResult runExample(const std::string& name, const std::vector<std::string>& args) {
  return runProgram(TARVIK_EXAMPLES_DIR "/" + name, args);
}

TEST(Gallery, CounterPrintsEveryCountAndWrapsAround) {
  RunResult r = runExample("counter", {"-X"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, startupText);
  std::string counts;
  for (int n : {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 0, 1, 2}) counts += std::to_string(n) + "\n";
  EXPECT_EQ(r.err, "There are 6 components.\nThere are 9 signals.\n" + counts);
}

TEST(Gallery, TrafficLightGoesRedRedYellowGreenYellowRed) {
  RunResult r = runExample("traffic_light", {"-X"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, startupText);
  EXPECT_EQ(r.err,
            "There are 12 components.\n"
            "There are 11 signals.\n"
            "Time = 0  Probe for red at ad  Value = UNINITIALIZED\n"
            "Time = 0  Probe for yellow at bd  Value = UNINITIALIZED\n"
            "Time = 0  Probe for green at cd  Value = UNINITIALIZED\n"
            "Time = 7  Probe for red at ad  Value = XXX\n"
            "Time = 30  Probe for yellow at bd  Value = XXX\n"
            "Time = 30  Probe for green at cd  Value = XXX\n"
            "Time = 37  Probe for red at ad  Value = ONE\n"
            "Time = 37  Probe for yellow at bd  Value = ZERO\n"
            "Time = 37  Probe for green at cd  Value = ZERO\n"
            "Time = 216  Probe for yellow at bd  Value = XXX\n"
            "Time = 223  Probe for yellow at bd  Value = ONE\n"
            "Time = 337  Probe for red at ad  Value = XXX\n"
            "Time = 337  Probe for yellow at bd  Value = XXX\n"
            "Time = 341  Probe for red at ad  Value = ZERO\n"
            "Time = 341  Probe for yellow at bd  Value = ZERO\n"
            "Time = 341  Probe for green at cd  Value = XXX\n"
            "Time = 351  Probe for green at cd  Value = ONE\n"
            "Time = 452  Probe for yellow at bd  Value = XXX\n"
            "Time = 459  Probe for yellow at bd  Value = ONE\n"
            "Time = 465  Probe for green at cd  Value = XXX\n"
            "Time = 469  Probe for green at cd  Value = ZERO\n"
            "Time = 570  Probe for red at ad  Value = XXX\n"
            "Time = 573  Probe for yellow at bd  Value = XXX\n"
            "Time = 577  Probe for red at ad  Value = ONE\n"
            "Time = 577  Probe for yellow at bd  Value = ZERO\n"
            "Time = 688  Probe for yellow at bd  Value = XXX\n"
            "Time = 695  Probe for yellow at bd  Value = ONE\n");
}

TEST(Gallery, TristateBusRefusesTheSecondDriverUntilTheFirstLetsGo) {
  RunResult r = runExample("tristate_bus", {"-X", "--keys", "ababb"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, std::string(startupText) + "Another Tsb at bb is trying to drive it to ZERO, this is not allowed\n");
  EXPECT_EQ(r.err,
            "There are 5 components.\n"
            "There are 5 signals.\n"
            "Time = 0  Probe for bus at ac  Value = UNINITIALIZED\n"
            "Time = 10  Probe for bus at ac  Value = HIZ\n"
            "Time = 27  Probe for bus at ac  Value = XXX\n"
            "Time = 30  Probe for bus at ac  Value = ONE\n"
            "Time = 57  Probe for bus at ac  Value = HIZ\n"
            "Time = 84  Probe for bus at ac  Value = XXX\n"
            "Time = 87  Probe for bus at ac  Value = ZERO\n");
}

TEST(Gallery, RamReadsBackWhatWasWrittenAndNothingElse) {
  RunResult r = runExample("ram_readback", {"-X", "--keys", "fwbcewpbpap"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, startupText);
  EXPECT_EQ(r.err,
            "There are 10 components.\n"
            "There are 14 signals.\n"
            "11\n"
            "1\n"
            "\n"
            "ERROR -- IntOut component trying to output uninitialized bits \n"
            " or bits in transition. state = 4\n");
}

TEST(Gallery, JkDividerChainCountsUpwards) {
  RunResult r = runExample("jk_divider", {"-X"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, startupText);
  EXPECT_EQ(r.err, "There are 8 components.\nThere are 11 signals.\n0\n1\n2\n3\n4\n5\n6\n7\n0\n1\n2\n");
}

}  // namespace
