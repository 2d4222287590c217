// Registers: the enabled word register's arming and load edges, and the bit-addressable register's
// clear, set, single-bit writes and read port.
#include <gtest/gtest.h>

#include "ComponentRig.h"
#include "Harness.h"
#include "Sim.h"

namespace {

struct RegisterBench {
  Signal enable{1, "enable"}, write{1, "write"}, d{4, "d"}, q{4, "q"};
  RegisterBench() {
    Register(SD("aa"), enable, write, d, q);
    elaborate();
    step(0, q);  // time 0
  }
  // Write levels in turn; returns the outputs after the last.
  std::string writes(const std::string& levelsInTurn) {
    std::string last;
    for (char level : levelsInTurn) {
      set(write, std::string(1, level));
      last = step(0, q);
    }
    return last;
  }
};

// Four bits, 2-bit addresses; levels(all) shows bitOut, then register bits 3..0.
struct BitRegisterBench {
  Signal clear{1, "clear"}, setBits{1, "set"}, enable{1, "enable"}, write{1, "write"}, bitIn{1, "bitIn"},
      writeAddress{2, "wa"}, readAddress{2, "ra"}, bitOut{1, "bitOut"}, bits{4, "bits"}, all{(bitOut, bits)};
  BitRegisterBench() {
    BitAddressibleRegister(SD("aa"), clear, setBits, enable, write, bitIn, writeAddress, readAddress, bitOut, bits);
    elaborate();
  }
  std::string with(const char* c, const char* s, const char* w) {
    set(clear, c);
    set(setBits, s);
    set(write, w);
    return step(0, all);
  }
  void quietStart() {
    set(enable, "1");
    with("0", "0", "0");
    with("0", "0", "0");
  }
  // One write edge of `value` to bit `address`, reading bit `readAt`; the write is left high.
  std::string writeBit(unsigned address, const char* value, unsigned readAt) {
    setWord(writeAddress, address);
    setWord(readAddress, readAt);
    set(bitIn, value);
    with("0", "0", "0");
    return with("0", "0", "1");
  }
};

}  // namespace

TEST(Register, NeverArmsWhileTheEnableIsUninitialized) {
  RegisterBench b;
  set(b.d, "1010");
  EXPECT_EQ(b.writes("0101"), "UUUU");
  set(b.enable, "X");
  EXPECT_EQ(b.writes("01"), "UUUU");
}

TEST(Register, LoadsOnARiseSeenWhileArmed) {
  RegisterBench b;
  set(b.d, "1010");
  set(b.write, "U");
  set(b.enable, "1");
  EXPECT_EQ(step(0, b.q), "UUUU") << "the first known enable only arms";
  EXPECT_EQ(b.writes("1"), "1010") << "from UNINITIALIZED to ONE";
  set(b.d, "0110");
  EXPECT_EQ(b.q.length, 4);
  EXPECT_EQ(step(0, b.q), "1010") << "data changes while write stays high do nothing";
  EXPECT_EQ(b.writes("X1"), "1010") << "ONE, XXX, ONE loads once";
  EXPECT_EQ(b.writes("01"), "0110");
  set(b.d, "XZ01");
  EXPECT_EQ(b.writes("X1"), "0110");
  EXPECT_EQ(b.writes("X0X1"), "XZ01") << "from XXX to ONE; unknown bits are loaded as they are";
}

TEST(Register, EdgeWithEnableNotOneIsSpent) {
  RegisterBench b;
  set(b.d, "0011");
  set(b.enable, "0");
  b.writes("0");
  EXPECT_EQ(b.writes("1"), "UUUU");
  set(b.enable, "1");
  EXPECT_EQ(b.writes("1"), "UUUU") << "no edge until write has been ZERO";
  EXPECT_EQ(b.writes("01"), "0011");
}

TEST(BitAddressibleRegister, StartsXxxAndIgnoresWritesUntilQuiet) {
  BitRegisterBench b;
  set(b.enable, "1");
  setWord(b.writeAddress, 1);
  setWord(b.readAddress, 1);
  set(b.bitIn, "1");
  EXPECT_EQ(b.with("0", "0", "1"), "XXXXX") << "time 0";
  EXPECT_EQ(b.with("0", "0", "1"), "XXXXX") << "write high since the start";
  EXPECT_EQ(b.with("0", "0", "0"), "XXXXX");
  EXPECT_EQ(b.with("0", "0", "1"), "1XX1X") << "bitOut follows a write to the bit it reads";
}

TEST(BitAddressibleRegister, ClearSetAndSingleBitWrites) {
  BitRegisterBench b;
  setWord(b.readAddress, 2);
  set(b.enable, "1");
  EXPECT_EQ(b.with("1", "0", "0"), "XXXXX") << "time 0";
  EXPECT_EQ(b.with("1", "0", "0"), "00000") << "clear acts straight after the start";
  EXPECT_EQ(b.with("0", "1", "0"), "00000") << "not again before it is released";
  EXPECT_EQ(b.with("0", "0", "0"), "00000");
  EXPECT_EQ(b.with("1", "1", "0"), "00000") << "clear and set together do nothing";
  EXPECT_EQ(b.with("0", "1", "0"), "11111");
  b.with("0", "0", "0");
  EXPECT_EQ(b.writeBit(0, "0", 2), "11110");
  EXPECT_EQ(b.with("1", "0", "1"), "00000") << "clear acts while write is held high";
  EXPECT_EQ(b.with("0", "1", "1"), "11111") << "and so does set";
  b.with("0", "0", "0");
  set(b.enable, "0");
  EXPECT_EQ(b.writeBit(3, "0", 2), "11111") << "write with the enable ZERO";
  set(b.enable, "1");
  EXPECT_EQ(b.with("0", "0", "1"), "11111") << "the edge is spent";
  set(b.writeAddress, "X1");
  EXPECT_EQ(b.with("0", "0", "0"), "11111");
  EXPECT_EQ(b.with("0", "0", "1"), "11111") << "indeterminate write address: nothing written";
  set(b.readAddress, "0U");
  EXPECT_EQ(b.with("0", "0", "1"), "X1111");
}

TEST(BitAddressibleRegister, ReadOfAPendingWriteShowsTheOldValue) {
  BitRegisterBench b;
  b.quietStart();
  b.with("0", "1", "0");
  b.with("0", "0", "0");
  setWord(b.writeAddress, 1);
  setWord(b.readAddress, 0);
  set(b.bitIn, "0");
  set(b.write, "1");
  phaseTwo->logicEvaluate[0](0);  // the write of bit 1 is queued, not yet applied
  setWord(b.readAddress, 1);
  EXPECT_EQ(step(0, b.all), "11101");
}

namespace {
void badRegisters() {
  Signal one(1, "one"), two(2, "two"), four(4, "four"), eight(8, "eight");
  Register(SD("aa"), one, one, four, eight);
  Register(SD("ab", "Acc"), two, one, four, four);
  BitAddressibleRegister(SD("ac"), one, two, one, one, one, two, two, one, four);
  BitAddressibleRegister(SD("ad", "Flags"), one, one, one, one, one, two, (one, two), one, four);
  BitAddressibleRegister(SD("ae"), one, one, one, one, two, 40 * one, 40 * one, two, four);
  Register(SD("af"), one, one, four, four);                                         // right
  BitAddressibleRegister(SD("ag"), one, one, one, one, one, two, two, one, four);  // right
}
}  // namespace

TEST(Registers, LengthErrorsAreAllReportedThenTheRunIsRefused) {
  RunResult r = runCircuit(badRegisters, {"-X", "--keys="});
  EXPECT_EQ(r.status, 1);
  const std::string single = " clear, set, enable, write, bitIn or bitOut more than a single bit.\n";
  const std::string agree = " Read/Write Address or Output lengths do not agree.\n";
  EXPECT_EQ(r.err,
            "I/O lengths mismatch for Register  at aa dataIn.length = 4 write.length = 1 enable.length = 1 "
            "out.length = 8\n"
            "I/O lengths mismatch for Register Acc at ab dataIn.length = 4 write.length = 1 enable.length = 2 "
            "out.length = 4\n"
            "Signal length error for AddressibleRegister  at ac" + single +
            "Signal length error for AddressibleRegister Flags at ad" + agree +
            "Signal length error for AddressibleRegister  at ae" + single +
            "Signal length error for AddressibleRegister  at ae" + agree +
            "6 Fatal Diagnostic(s)--Can't Continue.\n");
}
