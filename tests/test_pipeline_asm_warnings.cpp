// The assembler's warnings follow the processor's timing: each program that gets one shows on the
// circuit the trap it names (an old register value read, the flags missed, a store dropped, a run past
// the end), and its mended version gets none and does what was meant.  Code whose history is unknown
// gets no warning.  --program tells a source from an image by its content.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "Assembler.h"
#include "Harness.h"
#include "Hazards.h"

namespace {

const std::string processor = std::string(TARVIK_PIPELINE_DIR) + "/5a-LD-hazard";
const std::string forwardingProcessor = std::string(TARVIK_PIPELINE_DIR) + "/5b-forwarding";
const std::string programs = std::string(TARVIK_SOURCE_DIR) + "/examples/programs/";

// The first line of each warning ("t.s:LINE:COL: warning: ..."), one per line.
std::string warningsOf(const std::string& source, const char* cpu = "5a") {
  Assembly a;
  if (!assemble(source, "t.s", a)) return "error: " + a.errors[0];
  findHazards("t.s", a, *processorVariantTagged(cpu));
  std::string text;
  for (const std::string& w : a.warnings) text += w.substr(0, w.find('\n')) + "\n";
  return text;
}

// Runs the program on the processor and checks what it leaves against expect.
void expectRun(const std::string& source, const std::string& expect, const std::string& what,
               const std::string& cpu = processor) {
  ScratchFolder d;
  RunResult r = runProgram(cpu, {"-X", "--quiet", "--program", d.write("p.s", source), "--cycles", "60",
                                       "--expect", d.write("p.expect", expect)});
  EXPECT_EQ(r.status, 0) << what << "\n" << r.err;
}

const char halt[] = "halt: bra halt\n";

TEST(AsmWarnings, EachTrapHappensOnTheProcessorAndItsMendGivesNoWarning) {
  const struct {
    const char* name;
    std::string source, warning, expect;      // the trap: what the processor really leaves
    std::string mended, mendedExpect;         // as meant
  } cases[] = {
      {"register read too soon", std::string("setlo r1, 7\nadd r2, r1, r0\n") + halt,
       "t.s:2:9: warning: reads r1 1 cycle after line 1 writes it: it gets the old r1", "Reg2 0\n",
       std::string("setlo r1, 7\nnop\nnop\nadd r2, r1, r0\n") + halt, "Reg2 7\n"},
      {"setlo keeps an old high byte", std::string("sethi r1, 0x12\nsetlo r1, 0x34\n") + halt,
       "t.s:2:7: warning: setlo keeps the high byte of r1, read 1 cycle after line 1 writes it", "Reg1 0x0034\n",
       std::string("sethi r1, 0x12\nnop\nnop\nsetlo r1, 0x34\n") + halt, "Reg1 0x1234\n"},
      {"load used by the next word",
       std::string("setlo r6, 40\nnop\nnop\nld r5, [r6 + 0]\nadd r1, r5, r0\n") + halt + ".org 40\n.word 0x1234\n",
       "t.s:5:9: warning: reads r5 right after the load on line 4", "Reg1 0\n",
       std::string("setlo r6, 40\nnop\nnop\nld r5, [r6 + 0]\nnop\nnop\nadd r1, r5, r0\n") + halt +
           ".org 40\n.word 0x1234\n",
       "Reg1 0x1234\n"},
      {"psr word held past its branch",
       std::string("setlo r1, 1\nnop\nnop\nsubs r2, r1, 1\nld r3, [r0 + 0]\nnop\nbeq skip\nadds r4, r1, 0\nnop\nnop\n"
                   "setlo r5, 1\nskip:\n") + halt,
       "t.s:8:1: warning: the flags of this adds come too late for the beq on line 7: the ld on line 5 holds the "
       "fetch a cycle", "Reg5 0\n",
       std::string("setlo r1, 1\nnop\nnop\nsubs r2, r1, 1\nld r3, [r0 + 0]\nadds r4, r1, 0\nbeq skip\nnop\nnop\nnop\n"
                   "setlo r5, 1\nskip:\n") + halt,
       "Reg5 1\n"},
      {"store to a constant ROM address",
       std::string("setlo r1, 5\nnop\nnop\nst r1, [r0 + 3]\nnop\nnop\nld r2, [r0 + 3]\n") + halt,
       "t.s:4:8: warning: stores to 0x0003, a ROM address (bit 6 clear): the memory drops the store",
       "Reg2 0x8843\n",  // the store's own word, still in the ROM
       std::string("setlo r6, 0x40\nsetlo r1, 5\nnop\nnop\nst r1, [r6 + 3]\nnop\nnop\nld r2, [r6 + 3]\n") + halt,
       "Reg2 5\nRAM[3] 5\n"},
      {"store to a ROM address set up in a register",
       std::string("setlo r6, 0x10\nsetlo r1, 5\nnop\nnop\nst r1, [r6 + 0]\nnop\nnop\nld r2, [r6 + 0]\n") + halt,
       "t.s:5:8: warning: stores to 0x0010, a ROM address (bit 6 clear)", "Reg2 0\n",
       std::string("setlo r6, 0x50\nsetlo r1, 5\nnop\nnop\nst r1, [r6 + 0]\nnop\nnop\nld r2, [r6 + 0]\n") + halt,
       "Reg2 5\nRAM[16] 5\n"},
      {"no halt at the end", "setlo r1, 3\nnop\nnop\nadd r2, r1, r1\n.org 8\n.word 0x0A07\n",
       "t.s:4:1: warning: the program does not end in a halt (halt: bra halt)", "Reg1 7\nReg2 6\n",
       std::string("setlo r1, 3\nnop\nnop\nadd r2, r1, r1\n") + halt + "nop\nnop\nnop\n.org 8\n.word 0x0A07\n",
       "Reg1 3\nReg2 6\n"},
  };
  for (const auto& c : cases) {
    std::string warnings = warningsOf(c.source);
    EXPECT_EQ(warnings.substr(0, c.warning.size()), c.warning) << c.name;
    EXPECT_EQ(std::count(warnings.begin(), warnings.end(), '\n'), 1) << c.name << "\n" << warnings;
    expectRun(c.source, c.expect, c.name);
    EXPECT_EQ(warningsOf(c.mended), "") << c.name;
    expectRun(c.mended, c.mendedExpect, std::string(c.name) + ", mended");
  }
}

// Where the history is unknown or the timing is safe there is no warning; where it is known there is.
// Where an expectation is given the processor shows the program does what it says.
TEST(AsmWarnings, WarnOnlyWhereTheTimingIsKnown) {
  const struct {
    std::string source, warnings;
    std::string expect = "";  // what the processor leaves, when run
  } cases[] = {
      // A loop whose every way in leaves r1 seen in time.
      {std::string("setlo r1, 1\nnop\nnop\nloop: add r2, r1, r0\nsubs r3, r3, 1\nbne loop\nnop\nnop\nnop\n") + halt, ""},
      // The first two words after a target are timed on each way in: here the branch's.
      {std::string("bra t\nnop\nnop\nnop\nt: setlo r1, 5\nnop\nadd r2, r1, r0\n") + halt,
       "t.s:7:9: warning: reads r1 2 cycles after line 5 writes it: it gets the old r1 (a register is seen by the "
       "words fetched 3 or more cycles after the word that writes it)\n"},
      // ... the third word's timing is known.
      {std::string("bra t\nnop\nnop\nnop\nt: nop\nnop\nsetlo r1, 5\nadd r2, r1, r0\n") + halt,
       "t.s:8:9: warning: reads r1 1 cycle after line 7 writes it: it gets the old r1 (a register is seen by the "
       "words fetched 3 or more cycles after the word that writes it)\n"},
      // After the words that follow an unconditional branch the flow comes from elsewhere.
      {std::string("setlo r1, 1\nbra on\nnop\nnop\nnop\nadd r2, r1, r0\non: nop\n") + halt, ""},
      // Loads in a row hold the fetch twice: the word after them is 3 cycles behind the first.
      {std::string("ld r1, [r0 + 0]\nld r2, [r0 + 1]\nnop\nadd r3, r1, r0\n") + halt, "", "Reg1 0x4840\nReg3 0x4840\n"},
      // ... and so do loads before a write: its reader 2 words later is 4 cycles later.
      {std::string("ld r6, [r0 + 0]\nld r7, [r0 + 0]\nsetlo r1, 5\nnop\nadd r2, r1, r0\n") + halt, "", "Reg2 5\n"},
      // A psr word fetched right after its branch is in time: Z = 0, not taken.
      {std::string("setlo r1, 1\nnop\nnop\nsubs r2, r1, 1\nbeq x\nadds r4, r1, 0\nnop\nnop\nsetlo r5, 1\nx: nop\n") +
           halt,
       "", "Reg5 1\n"},
      // The store reads r6 before its write is seen: the old r6, 0 since the reset.
      {std::string("setlo r6, 0x50\nst r1, [r6 + 0]\n") + halt,
       "t.s:2:8: warning: stores to 0x0000, a ROM address (bit 6 clear): the memory drops the store\n"
       "t.s:2:9: warning: reads r6 1 cycle after line 1 writes it: it gets the old r6 (a register is seen by the "
       "words fetched 3 or more cycles after the word that writes it)\n"},
      // After a branch target r6 may hold anything.
      {std::string("t: nop\nst r1, [r6 + 0]\nbra t\nnop\nnop\nnop\n"), ""},
      // hi1 makes the address from the constant alone, whatever r2 holds.
      {"t: st r1, [r2 hi1 1]\nbra t\nnop\nnop\nnop\n",
       "t.s:1:11: warning: stores to 0x0100, a ROM address (bit 6 clear): the memory drops the store\n"},
      // r0 is never written, and its reads are never late.
      {std::string("add r0, r1, 1\nadd r2, r0, r0\n") + halt, ""},
      // The three words after the halt are its own.
      {std::string(halt) + "nop\nnop\nnop\n.org 40\n.word 0x1234\n", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(warningsOf(c.source), c.warnings) << c.source;
    if (!c.expect.empty()) expectRun(c.source, c.expect, c.source);
  }
}

// On 5b a register read is never a trap (it is forwarded, or a load's reader waits in ID), and the
// interlock's hold moves the later fetches; the traps it shares with 5a are warned of as on 5a.  What
// 5b leaves shows each program's outcome there.
TEST(AsmWarnings, On5bOnlyTheTrapsItSharesWith5aAreWarned) {
  const std::string rule = " (a register is seen by the words fetched 3 or more cycles after the word that writes it)\n";
  const std::string lateFlags = "warning: the flags of this adds come too late for the beq on line ";
  const struct {
    const char* name;
    std::string source, on5a, on5b, expect5b;
  } cases[] = {
      {"reads 1, 2 and 3 words after a write", std::string("setlo r1, 7\nadd r2, r1, r0\nadd r3, r1, r0\nadd r4, r1, r0\n") + halt,
       "t.s:2:9: warning: reads r1 1 cycle after line 1 writes it: it gets the old r1" + rule +
           "t.s:3:9: warning: reads r1 2 cycles after line 1 writes it: it gets the old r1" + rule,
       "", "Reg2 7\nReg3 7\nReg4 7\n"},
      {"setlo right after sethi", std::string("sethi r1, 0x12\nsetlo r1, 0x34\n") + halt,
       "t.s:2:7: warning: setlo keeps the high byte of r1, read 1 cycle after line 1 writes it: it keeps the old "
       "one" + rule,
       "", "Reg1 0x1234\n"},
      {"a load and its reader", std::string("ld r5, [r0 + 3]\nadd r1, r5, r0\n") + halt + ".org 3\n.word 0x1234\n",
       "t.s:2:9: warning: reads r5 right after the load on line 1: it gets the old r5, not the loaded value (put two "
       "words between a load and the use of its result)\n",
       "", "Reg1 0x1234\n"},
      {"a fresh store to a fresh address", std::string("setlo r6, 0x50\nsetlo r1, 5\nst r1, [r6 + 0]\n") + halt,
       "t.s:3:4: warning: reads r1 1 cycle after line 2 writes it: it gets the old r1" + rule +
           "t.s:3:8: warning: stores to 0x0000, a ROM address (bit 6 clear): the memory drops the store\n"
           "t.s:3:9: warning: reads r6 2 cycles after line 1 writes it: it gets the old r6" + rule,
       "", "RAM[16] 5\n"},
      {"a store to the ROM through a fresh register", std::string("setlo r6, 0x10\nst r1, [r6 + 0]\n") + halt,
       "t.s:2:8: warning: stores to 0x0000, a ROM address (bit 6 clear): the memory drops the store\n"
       "t.s:2:9: warning: reads r6 1 cycle after line 1 writes it: it gets the old r6" + rule,
       "t.s:2:8: warning: stores to 0x0010, a ROM address (bit 6 clear): the memory drops the store\n", ""},
      {"no halt at the end", "setlo r1, 3\n",
       "t.s:1:1: warning: the program does not end in a halt (halt: bra halt): after this word the processor runs on "
       "into the words beyond\n",
       "t.s:1:1: warning: the program does not end in a halt (halt: bra halt): after this word the processor runs on "
       "into the words beyond\n", ""},
      // The interlock holds the beq's fetch a cycle, after which the ld no longer holds the adds'.
      {"the interlock moves the branch past the load's hold",
       std::string("ld r1, [r0 + 0]\nadd r2, r1, r0\nbeq skip\nadds r4, r1, 0\nnop\nnop\nsetlo r5, 1\nskip:\n") + halt,
       "t.s:2:9: warning: reads r1 right after the load on line 1: it gets the old r1, not the loaded value (put two "
       "words between a load and the use of its result)\nt.s:4:1: " + lateFlags + "3: the ld on line 1 holds the "
       "fetch a cycle, so the beq sees the flags before it\n",
       "", "Reg5 1\n"},
      // ... and here it holds the second load, which then holds the adds' fetch: beq sees the subs' Z.
      {"the interlock moves a load's hold onto the adds",
       std::string("subs r3, r0, 0\nld r1, [r0 + 0]\nld r2, [r1 + 0]\nbeq skip\nadds r4, r1, 0\nnop\nnop\nsetlo r5, 1\n"
                   "skip:\n") + halt,
       "t.s:3:9: warning: reads r1 right after the load on line 2: it gets the old r1, not the loaded value (put two "
       "words between a load and the use of its result)\nt.s:5:1: " + lateFlags + "4: the ld on line 2 holds the "
       "fetch a cycle, so the beq sees the flags before it\n",
       "t.s:5:1: " + lateFlags + "4: the ld on line 3 holds the fetch a cycle, so the beq sees the flags before it\n",
       "Reg5 0\n"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(warningsOf(c.source), c.on5a) << c.name;
    EXPECT_EQ(warningsOf(c.source, "5b"), c.on5b) << c.name;
    if (!c.expect5b.empty()) expectRun(c.source, c.expect5b, c.name, forwardingProcessor);
  }
}

// A branch target's words are checked on every way in: the fall-through and each branch after its delay
// slots.  Words in a halt loop's delay slots run on every turn.
TEST(AsmWarnings, EveryWayIntoATargetAndTheHaltsDelaySlotsAreChecked) {
  const std::string loadUse = "warning: reads r1 right after the load on line ";
  const std::string haltSlot = "warning: this word is in a delay slot of the halt on line ";
  const struct {
    const char* name;
    std::string source, on5a, on5b, expect5a;
  } cases[] = {
      {"a loop entered by fall-through right after a load",
       std::string("setlo r3, 2\nnop\nnop\nld r1, [r0 + 1]\nloop: add r2, r1, r0\nsubs r3, r3, 1\nbne loop\nnop\nnop\n"
                   "nop\n") + halt,
       "t.s:5:15: " + loadUse + "4: it gets the old r1, not the loaded value (put two words between a load and the "
       "use of its result)\n",
       "", ""},
      {"a load at a loop label, read by the next word on every way in",
       std::string("setlo r3, 2\nnop\nnop\nloop: ld r1, [r0 + 1]\nadd r2, r1, r0\nsubs r3, r3, 1\nbne loop\nnop\n"
                   "nop\nnop\n") + halt,
       "t.s:5:9: " + loadUse + "4: it gets the old r1, not the loaded value (put two words between a load and the "
       "use of its result)\n",
       "", ""},
      {"a label entered only by a branch whose last delay slot loads",
       std::string("bra t\nnop\nnop\nld r1, [r0 + 1]\nt: add r2, r1, r0\n") + halt,
       "t.s:5:12: " + loadUse + "4: it gets the old r1, not the loaded value (put two words between a load and the "
       "use of its result)\n",
       "", "Reg1 0x0000\nReg2 0\n"},
      {"a loop entered again by a branch whose delay slot writes what it reads",
       std::string("setlo r3, 2\nnop\nnop\nloop: add r2, r1, r0\nsubs r3, r3, 1\nbne loop\nnop\nnop\nsetlo r1, 5\n") +
           halt,
       "t.s:4:15: warning: reads r1 1 cycle after line 9 writes it: it gets the old r1 (a register is seen by the "
       "words fetched 3 or more cycles after the word that writes it)\n",
       "", ""},
      {"a load at a loop label, its use two words on",
       std::string("setlo r3, 2\nnop\nnop\nloop: ld r1, [r0 + 1]\nnop\nnop\nadd r2, r1, r0\nsubs r3, r3, 1\nbne loop\n"
                   "nop\nnop\nnop\n") + halt,
       "", "", ""},
      {"a word in a halt's delay slot", std::string("setlo r1, 1\n") + halt + "add r1, r0, 1\nnop\nnop\n",
       "t.s:3:1: " + haltSlot + "2: the processor runs it on every turn of the halt loop (put nops after a halt)\n",
       "t.s:3:1: " + haltSlot + "2: the processor runs it on every turn of the halt loop (put nops after a halt)\n",
       ""},
      {"the halt's last delay slot, after a load", std::string(halt) + "ld r1, [r0 + 1]\nnop\nsetlo r2, 1\n",
       "t.s:2:1: " + haltSlot + "1: the processor runs it on every turn of the halt loop (put nops after a halt)\n"
       "t.s:4:1: " + haltSlot + "1: the processor runs it on every turn of the halt loop (put nops after a halt)\n",
       "t.s:2:1: " + haltSlot + "1: the processor runs it on every turn of the halt loop (put nops after a halt)\n"
       "t.s:4:1: " + haltSlot + "1: the processor runs it on every turn of the halt loop (put nops after a halt)\n",
       ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(warningsOf(c.source), c.on5a) << c.name;
    EXPECT_EQ(warningsOf(c.source, "5b"), c.on5b) << c.name;
    if (!c.expect5a.empty()) expectRun(c.source, c.expect5a, c.name);
  }
}

TEST(AsmWarnings, TheExamplesWarnOnlyOfTheHazardsTheyShow) {
  for (const char* name : {"sum", "multiply", "fibonacci", "copy", "countdown", "hazards"}) {
    std::string warnings = warningsOf(fileText(programs + name + ".s"));
    EXPECT_EQ(std::count(warnings.begin(), warnings.end(), '\n'), std::string(name) == "hazards" ? 4 : 0)
        << name << "\n" << warnings;
    EXPECT_EQ(warningsOf(fileText(programs + name + ".s"), "5b"), "") << name;  // 5b forwards them
  }
}

// A source is recognised by its content; a file that is neither says how it was read.
TEST(AsmWarnings, ProgramTellsASourceFromAnImageByContent) {
  ScratchFolder d;
  std::string expect = d.write("five.expect", "Reg1 5\n");
  const struct {
    std::string file;
    int status;
    std::string says;
  } cases[] = {
      {d.write("five.txt", "; five\nsetlo r1, 5\nhalt: bra halt\n"), 0, ""},
      {d.write("five.prog", "start: setlo r1, 5\nhalt: bra halt\n"), 0, ""},
      {d.write("five.hex", "0A05\n"), 0, ""},
      {d.write("bad.txt", "0A05 zz\n"), 2, "ERROR -- read as a memory image: " + d.path + "/bad.txt:1: "},
      {d.write("bad.prog", "setlo r1, 500\n"), 2, d.path + "/bad.prog:1:11: constant 500 out of range -128..255"},
  };
  for (const auto& c : cases) {
    RunResult r = runProgram(processor, {"-X", "--quiet", "--program", c.file, "--cycles", "20", "--expect", expect});
    EXPECT_EQ(r.status, c.status) << c.file << "\n" << r.err;
    EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
  }
}

}  // namespace
