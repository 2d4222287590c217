// A processor variant added from outside the shipped table: one row and its circuit (here, in this
// file) are all it takes for the assembler's lookups and the processor's views to know it.
#include <gtest/gtest.h>

#include <string>

#include "Harness.h"
#include "Hazards.h"
#include "Pipeline.h"
#include "ProcessorOptions.h"
#include "Variants.h"

namespace {

const ProcessorVariant testPipe = {"5t", "5t-test-pipe", true, true, 3, "Interlock only", {"loadUse"}, "none", 64};
const bool registered = (addProcessorVariant(testPipe), true);

void testPipeCircuit() { placeProcessor(*processorVariantTagged("5t")); }
const bool processorOptionsAdded = (addProcessorOptions(), true);

const char loadThenUse[] = "setlo r6, 20\nld r1, [r6 + 0]\nadd r2, r1, r1\nhalt: bra halt\nnop\nnop\nnop\n"
                           ".org 20\n.word 0x0102\n";

TEST(AddedVariant, TheAssemblersLookupsKnowIt) {
  ASSERT_TRUE(registered);
  const ProcessorVariant* found = processorVariantTagged("5t");
  ASSERT_NE(found, nullptr);
  EXPECT_STREQ(found->program, "5t-test-pipe");
  EXPECT_EQ(processorVariantTags("|", "|"), "5a|5b|5t");
  EXPECT_EQ(processorVariantTags(", ", " or ", "\""), "\"5a\", \"5b\" or \"5t\"");
  // It forwards: the read right after the load, which 5a warns of, is no trap on it.
  for (const char* tag : {"5a", "5t"}) {
    Assembly a;
    ASSERT_TRUE(assemble(loadThenUse, "t.s", a));
    findHazards("t.s", a, *processorVariantTagged(tag));
    EXPECT_EQ(a.warnings.empty(), std::string(tag) == "5t") << tag;
  }
}

TEST(AddedVariant, TheViewsReadItsRow) {
  ScratchFolder folder;
  RunResult r = runCircuit(testPipeCircuit, {"-X", "--quiet", "--program", folder.write("p.s", loadThenUse),
                                             "--cycles", "8", "--trace", "--vcd", folder / "run.vcd", "--gtkw",
                                             folder / "run.gtkw"});
  ASSERT_EQ(r.status, 0) << r.err;
  std::string save = folder.read("run.gtkw");
  EXPECT_EQ(save.rfind("[*] 5t-test-pipe: ", 0), 0u) << save;
  const std::string group = "-Interlock only\n@28\ntop.loadUse\n";
  EXPECT_EQ(save.substr(save.size() - group.size()), group);
  EXPECT_NE(r.out.find("r1<-WB"), std::string::npos) << r.out;  // the trace shows its forwards
}

}  // namespace
