// Memories: the multi-port store behind Ram and RegisterFile (fresh contents, write edges, port order,
// read delivery, indeterminate and out-of-range addresses) and the Rom byte layout.
#include <gtest/gtest.h>

#include "ComponentRig.h"
#include "Harness.h"
#include "Sim.h"

using testing::internal::CaptureStderr;
using testing::internal::GetCapturedStderr;

namespace {

// A memory of `words` words of 4 bits with 2-bit addresses; read ports ra0, ra1 (rd0, rd1), write
// ports wa0, wa1 with clocks wc0, wc1, enables we0, we1 and data wd0, wd1.
struct MemoryBench {
  Signal ra0{2, "ra0"}, ra1{2, "ra1"}, wa0{2, "wa0"}, wc0{1, "wc0"}, we0{1, "we0"}, wa1{2, "wa1"}, wc1{1, "wc1"},
      we1{1, "we1"};
  Signal wd0{4, "wd0"}, wd1{4, "wd1"}, rd0{4, "rd0"}, rd1{4, "rd1"};
  MemoryBench(bool registerFile, int words, int readPorts, int writePorts) {
    Signal reads = readPorts == 2 ? (ra1, ra0) : ra0;
    Signal port0 = (we0, wc0, wa0), port1 = (we1, wc1, wa1);
    Signal control = writePorts == 2 ? (port1, port0, reads) : (port0, reads);
    Signal data = writePorts == 2 ? (wd1, wd0) : wd0;
    Signal out = readPorts == 2 ? (rd1, rd0) : rd0;
    if (registerFile)
      RegisterFile(SD("aa"), control, data, out, words, 4, 2, readPorts, writePorts);
    else
      Ram(SD("aa"), control, data, out, words, 4, 2, readPorts, writePorts);
    elaborate();
    step(0, rd0);  // time 0
  }
  // Arms write port 0 with the enable ONE and the clock ZERO.
  void arm() {
    set(we0, "1");
    set(wc0, "0");
    step(0, rd0);
  }
  // One write edge of port 0: word `data` to `address`, clock left high.
  void write(unsigned address, const char* data) {
    setWord(wa0, address);
    set(wd0, data);
    set(wc0, "0");
    step(0, rd0);
    set(wc0, "1");
    step(0, rd0);
  }
  std::string read(unsigned address) {
    setWord(ra0, address);
    return step(0, rd0);
  }
};

}  // namespace

TEST(Ram, FreshStoreReadsUninitializedAndIndeterminateAddressesXxx) {
  MemoryBench b(false, 4, 1, 1);
  EXPECT_EQ(levels(b.rd0), "XXXX") << "time 0: the read address is UNINITIALIZED";
  for (unsigned a = 0; a < 4; a++) EXPECT_EQ(b.read(a), "UUUU");
  set(b.ra0, "1X");
  EXPECT_EQ(step(0, b.rd0), "XXXX");
}

TEST(RegisterFile, AddressZeroAlwaysReadsZero) {
  MemoryBench b(true, 4, 1, 1);
  EXPECT_EQ(b.read(0), "0000");
  EXPECT_EQ(b.read(3), "UUUU");
  b.arm();
  b.write(0, "1111");
  b.write(2, "1010");
  EXPECT_EQ(b.read(0), "0000");
  EXPECT_EQ(b.read(2), "1010");
}

TEST(Ram, WriteThenReadInOneEvaluationDeliversTenTicksLater) {
  MemoryBench b(false, 4, 1, 1);
  b.arm();
  setWord(b.ra0, 1);
  setWord(b.wa0, 1);
  set(b.wd0, "1001");
  set(b.wc0, "1");
  phaseFour->time = 50;
  phaseTwo->logicEvaluate[0](0);
  // Every bit is queued directly, without an XXX interval; the order within a tick is the queue's.
  EXPECT_EQ(sortedLines(settle()), "60 rd0[0]=1\n60 rd0[1]=0\n60 rd0[2]=0\n60 rd0[3]=1\n");
  phaseFour->time = 70;
  phaseTwo->logicEvaluate[0](0);
  EXPECT_EQ(sortedLines(settle()), "80 rd0[0]=1\n80 rd0[1]=0\n80 rd0[2]=0\n80 rd0[3]=1\n")
      << "queued again, changed or not";
}

TEST(Ram, StoresXxxAndUninitializedAsTheyAreAndHizAsUninitialized) {
  MemoryBench b(false, 4, 1, 1);
  b.arm();
  b.write(2, "1XZU");
  b.write(1, "Z1Z0");
  EXPECT_EQ(b.read(2), "1XUU");
  EXPECT_EQ(b.read(1), "U1U0");
}

TEST(Ram, WriteEdgesFollowTheClockLevels) {
  MemoryBench b(false, 4, 1, 1);
  setWord(b.ra0, 0);
  setWord(b.wa0, 0);
  set(b.wd0, "0001");
  set(b.wc0, "1");
  EXPECT_EQ(step(0, b.rd0), "UUUU") << "enable unknown: not armed";
  set(b.we0, "1");
  EXPECT_EQ(step(0, b.rd0), "UUUU") << "first known enable only arms, even with the clock high";
  set(b.wc0, "X");
  step(0, b.rd0);
  set(b.wc0, "1");
  EXPECT_EQ(step(0, b.rd0), "0001") << "a rise from XXX writes";
  set(b.wd0, "0010");
  set(b.wc0, "X");
  step(0, b.rd0);
  set(b.wc0, "1");
  EXPECT_EQ(step(0, b.rd0), "0001") << "ONE, XXX, ONE writes once";
  set(b.wc0, "0");
  step(0, b.rd0);
  set(b.we0, "X");
  set(b.wc0, "1");
  EXPECT_EQ(step(0, b.rd0), "0001") << "enable XXX at the edge: no write";
  set(b.we0, "1");
  EXPECT_EQ(step(0, b.rd0), "0001") << "the edge is spent until the clock is ZERO";
  set(b.wc0, "0");
  step(0, b.rd0);
  set(b.wc0, "1");
  EXPECT_EQ(step(0, b.rd0), "0010");
}

TEST(Ram, HigherWritePortWinsOnTheSameAddressAndReadPortsAreIndependent) {
  MemoryBench b(false, 4, 2, 2);
  set(b.we0, "1");
  set(b.we1, "1");
  set(b.wc0, "0");
  set(b.wc1, "0");
  step(0, b.rd0);
  setWord(b.wa0, 3);
  setWord(b.wa1, 3);
  set(b.wd0, "1100");
  set(b.wd1, "0011");
  set(b.wc0, "1");
  set(b.wc1, "1");
  setWord(b.ra0, 3);
  set(b.ra1, "Z0");
  step(0, b.rd0);
  EXPECT_EQ(levels(b.rd0), "0011");
  EXPECT_EQ(levels(b.rd1), "XXXX");
}

TEST(Ram, IndeterminateWriteAddressIsReportedAndStoresNothing) {
  MemoryBench b(false, 4, 1, 1);
  b.arm();
  b.write(1, "1111");
  set(b.wc0, "0");
  step(0, b.rd0);
  set(b.wa0, "U1");
  set(b.wd0, "0000");
  set(b.wc0, "1");
  CaptureStderr();
  step(0, b.rd0);
  EXPECT_EQ(GetCapturedStderr(),
            "ERROR-- Ram at aa componentNumber = 0\n"
            "     Attempt to write with indeterminate write-port address.\n"
            "     The component is probably enabled when it shouldn't be.\n");
  EXPECT_EQ(b.read(1), "1111");
  EXPECT_EQ(b.read(3), "UUUU");
  setWord(b.wa0, 3);
  EXPECT_EQ(step(0, b.rd0), "UUUU") << "the failed edge is spent like a write";
}

// Three words behind a 2-bit address: address 3 is outside the store and is handled like an
// indeterminate address, so neither the write nor the read touches memory beyond word 2.
TEST(Ram, AddressBeyondTheLastWordIsTreatedAsIndeterminate) {
  MemoryBench b(false, 3, 1, 1);
  b.arm();
  b.write(2, "0110");
  set(b.wc0, "0");
  step(0, b.rd0);
  setWord(b.wa0, 3);
  set(b.wd0, "1111");
  set(b.wc0, "1");
  CaptureStderr();
  step(0, b.rd0);
  EXPECT_EQ(GetCapturedStderr().substr(0, 39), "ERROR-- Ram at aa componentNumber = 0\n ");
  EXPECT_EQ(b.read(3), "XXXX");
  EXPECT_EQ(b.read(2), "0110");
}

// A 40-bit address over four words: a ONE above bit 31 must not wrap onto a stored word.
TEST(Ram, WideAddressWithAHighBitIsOutOfRange) {
  Signal ra(40, "ra"), wa(40, "wa"), wc(1, "wc"), we(1, "we"), wd(2, "wd"), rd(2, "rd");
  Ram(SD("aa"), (we, wc, wa, ra), wd, rd, 4, 2, 40, 1, 1);
  elaborate();
  step(0, rd);
  set(we, "1");
  set(wc, "0");
  step(0, rd);
  setWord(wa, 1);
  set(wd, "10");
  set(wc, "1");
  setWord(ra, 1);
  EXPECT_EQ(step(0, rd), "10");
  setWord(ra, (1ULL << 35) | 1);
  EXPECT_EQ(step(0, rd), "XX");
  setWord(ra, 1ULL << 31 | 1);
  EXPECT_EQ(step(0, rd), "XX");
}

TEST(Ram, RestartEmptiesTheStore) {
  MemoryBench b(false, 4, 1, 1);
  b.arm();
  b.write(1, "1010");
  EXPECT_EQ(b.read(1), "1010");
  phaseFour->runInitialize();
  set(b.ra0, "01");
  EXPECT_EQ(step(0, b.rd0), "UUUU");
}

namespace {

// Four words; word 1 is 0x1234 (16 bits) or, with 12 bits, 0x234 with the top nibble of its first
// byte ignored.
const unsigned char romBytes16[] = {0x00, 0x00, 0x12, 0x34, 0xff, 0xff, 0x80, 0x01};
const unsigned char romBytes12[] = {0x00, 0x00, 0xf2, 0x34, 0x0f, 0xff, 0x08, 0x01};

struct RomBench {
  Signal address{2, "address"}, word;
  RomBench(int bits, const unsigned char* bytes) : word(unsigned(bits), "word") {
    Rom(SD("aa"), address, word, 4, bits, bytes);
    elaborate();
    step(0, word);
  }
  std::string at(const char* a) {
    set(address, a);
    return step(0, word);
  }
};

}  // namespace

TEST(Rom, SixteenBitWordsAreTwoBytesMostSignificantFirst) {
  RomBench b(16, romBytes16);
  EXPECT_EQ(levels(b.word), std::string(16, 'X')) << "time 0: address UNINITIALIZED";
  EXPECT_EQ(b.at("01"), "0001001000110100");
  EXPECT_EQ(b.at("11"), "1000000000000001");
  EXPECT_EQ(b.at("1Z"), std::string(16, 'X'));
}

TEST(Rom, TwelveBitWordsIgnoreTheTopOfTheirFirstByte) {
  RomBench b(12, romBytes12);
  EXPECT_EQ(b.at("01"), "001000110100");
  EXPECT_EQ(b.at("10"), "111111111111");
  EXPECT_EQ(b.at("11"), "100000000001");
}

TEST(Rom, DrivesWithTheLargeScaleDelays) {
  Signal address(1, "address"), word(2, "word");
  const unsigned char bytes[] = {0x01, 0x02};
  Rom(SD("aa"), address, word, 2, 2, bytes);
  elaborate();
  set(address, "0");
  phaseTwo->logicEvaluate[0](0);
  EXPECT_EQ(sortedLines(settle()), "17 word[0]=X\n17 word[1]=X\n23 word[0]=1\n23 word[1]=0\n");
}

namespace {
void badMemories() {
  Signal a(3, "a"), d(8, "d"), q(8, "q"), c(11, "c");
  const unsigned char bytes[20] = {};
  RegisterFile(SD("aa", "RF"), c, d, q, 8, 8, 3, 1, 1);  // control should be 3 + 5
  Ram(SD("ab"), (c, c), d, (q, q), 8, 8, 3, 2, 1);       // dataIn right, the rest wrong
  Rom(SD("ac"), a, q, 10, 8, bytes);
  Rom(SD("ad", "Boot"), a, a, 8, 8, bytes);
  Ram(SD("ae"), c, d, q, -1, 8, 3, 1, 1);
  RegisterFile(SD("af"), c.sub(7, 0), d, q, 8, 8, 3, 1, 1);  // right: no message
}
}  // namespace

TEST(Memories, LengthErrorsAreAllReportedThenTheRunIsRefused) {
  RunResult r = runCircuit(badMemories, {"-X", "--keys="});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err,
            "Error--RegisterFile RF at aa: I/O length error\n"
            " dataIn.length = 8 should match: 8\n"
            " controlIn.length = 11 should match: 8\n"
            " out.length = 8 should match: 8\n"
            "Error--Ram  at ab: I/O length error\n"
            " dataIn.length = 8 should match: 8\n"
            " controlIn.length = 22 should match: 11\n"
            " out.length = 16 should match: 16\n"
            "I/O length error--Rom  at ac in.length = 3 words = 10 out.length = 8 bitsPerWord = 8 "
            "allocatedBytesPerWord = 1\n"
            "I/O length error--Rom Boot at ad in.length = 3 words = 8 out.length = 3 bitsPerWord = 8 "
            "allocatedBytesPerWord = 1\n"
            "Error--Ram  at ae: memory size error numberOfWords = -1 bitWordWidth = 8 portAddressSize = 3 "
            "numberOfReadPorts = 1 numberOfWritePorts = 1\n"
            "5 Fatal Diagnostic(s)--Can't Continue.\n");
}

namespace {
// The processor's memory pattern: a Rom addressed by switches feeding a Ram's write data, a keyed
// write clock and a probe on the Ram's read port.
const unsigned char program[] = {0x5a, 0xa5};
void romIntoRam() {
  Signal pc(1, "pc"), word(8, "word"), clk(1, "clk"), rd(8, "rd");
  Switch(SD("aa"), pc, 'p', Zero);
  Switch(SD("ab"), clk, 'c', Zero);
  Rom(SD("ba"), pc, word, 2, 8, program);
  Ram(SD("bb"), (One, clk, pc, pc), word, rd, 2, 8, 1, 1, 1);
  ProbeByte(SD("ca"), rd, "rd");
  Probe(SD("cb"), rd[0], "rd0");
}
}  // namespace

TEST(Ram, KeyedWriteOfRomDataIsReadBack) {
  RunResult r = runCircuit(romIntoRam, {"-X", "--keys", "cpcc"});
  EXPECT_EQ(r.status, 0);
  std::vector<std::string> values;
  for (const std::string& line : linesStartingWith(r.err, "Time = ")) values.push_back(line.substr(line.rfind(' ') + 1));
  // Address 0 unknown, then fresh; written 0x5a; address 1 fresh; written 0xa5.
  EXPECT_EQ(values, (std::vector<std::string>{"UNINITIALIZED", "XXX", "UNINITIALIZED", "ZERO", "XXX", "UNINITIALIZED",
                                              "ONE"}));
}
