// The harness itself and the smallest end-to-end run.
#include <gtest/gtest.h>

#include "Harness.h"
#include "Sim.h"

namespace {
void emptyCircuit() {}
}  // namespace

TEST(Harness, EmptyCircuitEndsAtOnceWithCounts) {
  RunResult r = runCircuit(emptyCircuit, {"-X"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "There are 0 components.\nThere are 2 signals.\n");
}

TEST(Harness, ExampleProgramPrintsStartupText) {
  RunResult r = runProgram(TARVIK_EXAMPLES_DIR "/clock_stop", {"-X"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, startupText);
}
