// A test table in the window: the run can be watched, halts at the end of the table, and the report
// still goes to standard output.
#include <gtest/gtest.h>

#include "Sim.h"
#include "WindowCircuits.h"
#include "XServer.h"

namespace {

const unsigned long oneColour = 0x008000;

TEST(WindowVectors, TheTableRunsInTheWindowAndItsReportGoesToTheTerminal) {
  XvfbServer server;
  ASSERT_TRUE(server.ready());
  // Only the last step turns the probe ONE, so once it shows ONE the table has reached its end.
  TextFile table("s : s\n0 : 0\n0 : 1\n1 : 1\n");
  DriveResult r = driveBeside(
      server, [&] { return runCircuit(switchBesideProbe, {"--quiet", "--test", table.path}); },
      [](WindowDriver& d) { d.note("probe", d.waitForPixel(768, 412, oneColour)); });
  EXPECT_EQ(r.notes["probe"], "008000");
  EXPECT_EQ(r.program.status, 1);
  EXPECT_EQ(r.program.out, table.path + ":3: step 2: s expected 1, actual 0\n2 passed, 1 failed\n");
}

}  // namespace
