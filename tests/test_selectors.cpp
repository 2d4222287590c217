// Selectors: multiplexer, decoder and priority encoder over the five values, and their length errors.
#include <gtest/gtest.h>

#include "ComponentRig.h"
#include "Harness.h"
#include "Sim.h"

namespace {

// Four words of two bits selected by s; levels are written highest bit first (word 3 first).
struct MuxBench {
  Signal s{2, "s"}, d{8, "d"}, y{2, "y"};
  MuxBench() {
    Mux(SD("aa"), s, d, y);
    elaborate();
  }
  std::string select(const char* select, const char* words) {
    set(s, select);
    set(d, words);
    return step(0, y);
  }
};

struct DecoderBench {
  Signal e{1, "e"}, code{2, "code"}, lines{4, "lines"};
  DecoderBench() {
    Decoder(SD("aa"), e, code, lines);
    elaborate();
  }
  std::string decode(const char* enable, const char* c) {
    set(e, enable);
    set(code, c);
    return step(0, lines);
  }
};

// Eight request lines, a 3-bit number and valid; levels(all) shows valid, then the number.
struct EncoderBench {
  Signal requests{8, "requests"}, number{3, "number"}, valid{1, "valid"}, all{(valid, number)};
  EncoderBench() {
    Encoder(SD("aa"), requests, number, valid);
    elaborate();
  }
  std::string encode(const char* lines) {
    set(requests, lines);
    return step(0, all);
  }
};

}  // namespace

TEST(Mux, PassesTheSelectedWordUnchanged) {
  MuxBench b;
  EXPECT_EQ(b.select("00", "11100100"), "00");
  EXPECT_EQ(b.select("01", "11100100"), "01");
  EXPECT_EQ(b.select("11", "11100100"), "11");
  EXPECT_EQ(b.select("10", "UZ100100"), "10");
  // (From ZERO the transition rules can reach HIZ but not UNINITIALIZED; from ONE both.)
  EXPECT_EQ(b.select("11", "UZ100100"), "UZ") << "HIZ and UNINITIALIZED pass through";
  EXPECT_EQ(b.select("01", "00000X00"), "0X");
}

TEST(Mux, AnUnknownSelectBitMakesEveryOutputXxx) {
  MuxBench b;
  EXPECT_EQ(b.select("0X", "11111111"), "XX") << "even when all words agree";
  EXPECT_EQ(b.select("U0", "00000000"), "XX");
  EXPECT_EQ(b.select("Z1", "00000000"), "XX");
}

TEST(Mux, WithoutSelectBitsIsABuffer) {
  Signal none(0, "none"), d(3, "d"), y(3, "y");
  Mux(SD("aa"), none, d, y);
  elaborate();
  set(d, "1Z0");
  EXPECT_EQ(step(0, y), "1Z0");
}

TEST(Mux, DrivesWithTheMediumDelays) {
  MuxBench b;
  set(b.s, "00");
  set(b.d, "00000001");
  phaseTwo->logicEvaluate[0](0);
  EXPECT_EQ(sortedLines(settle()), "13 y[0]=X\n13 y[1]=X\n17 y[0]=1\n17 y[1]=0\n");
}

TEST(Decoder, OneHotWhenEnabledWithAKnownCode) {
  DecoderBench b;
  EXPECT_EQ(b.decode("1", "00"), "0001");
  EXPECT_EQ(b.decode("1", "10"), "0100");
  EXPECT_EQ(b.decode("1", "11"), "1000");
}

TEST(Decoder, EnableAndCodeValueRules) {
  DecoderBench b;
  EXPECT_EQ(b.decode("U", "UU"), "XXXX") << "as at time 0";
  EXPECT_EQ(b.decode("0", "X1"), "0000") << "disabled: ZERO whatever the code";
  EXPECT_EQ(b.decode("1", "Z1"), "XXXX");
  EXPECT_EQ(b.decode("1", "1U"), "XXXX");
  EXPECT_EQ(b.decode("X", "01"), "XXXX");
  EXPECT_EQ(b.decode("Z", "01"), "XXXX");
}

TEST(Encoder, ReportsTheHighestRequest) {
  EncoderBench b;
  EXPECT_EQ(b.encode("00100100"), "1101") << "lines 2 and 5";
  EXPECT_EQ(b.encode("00000001"), "1000");
  EXPECT_EQ(b.encode("10000000"), "1111");
  EXPECT_EQ(b.encode("00000000"), "0000") << "no request: valid ZERO too";
}

TEST(Encoder, AnyUnknownLineMakesEverythingXxx) {
  EncoderBench b;
  EXPECT_EQ(b.encode("1000000X"), "XXXX") << "even below a ONE";
  EXPECT_EQ(b.encode("000Z0000"), "XXXX");
  EXPECT_EQ(b.encode("U0000000"), "XXXX");
}

TEST(Encoder, ValidIsScheduledFirst) {
  EncoderBench b;
  set(b.requests, "00000010");
  phaseFour->time = 5;
  phaseTwo->logicEvaluate[0](0);
  EXPECT_EQ(phaseFour->skewHeap.min().signalSerialNumber, b.valid.serialNumber[0]);
}

namespace {
void badSelectors() {
  Signal s2(2, "s2"), d7(7, "d7"), y2(2, "y2"), e2(2, "e2"), lines(4, "lines"), one(1, "one");
  Mux(SD("aa"), s2, d7, y2);
  Mux(SD("ab", "Big"), 40 * one, y2, y2);          // 2^40 words: a mismatch, not an overflow
  Decoder(SD("ac"), e2, s2, lines);                // two enable bits
  Decoder(SD("ad"), one, 64 * one, lines);         // 64 code bits
  Encoder(SD("ae"), lines, y2, (one, one));        // two valid bits
  Encoder(SD("af", "Pri"), d7, s2, one);           // 7 lines for 2 bits
  Mux(SD("ag"), s2, (y2, y2, y2, y2), y2);         // right: no message
  Decoder(SD("ah"), one, s2, lines);               // right
  Encoder(SD("ai"), lines, s2, one);               // right
}
}  // namespace

TEST(Selectors, LengthErrorsAreAllReportedThenTheRunIsRefused) {
  RunResult r = runCircuit(badSelectors, {"-X", "--keys="});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err,
            "I/O length error--Mux  at aa dataIn.length = 7 controlIn.length = 2 out.length = 2\n"
            "I/O length error--Mux Big at ab dataIn.length = 2 controlIn.length = 40 out.length = 2\n"
            "I/O length error--Decoder  at ac dataIn.length = 2 controlIn.length = 2 out.length = 4\n"
            "I/O length error--Decoder  at ad dataIn.length = 64 controlIn.length = 1 out.length = 4\n"
            "I/O length error--Encoder  at ae dataIn.length = 4 out.length = 2 valid.length = 2\n"
            "I/O length error--Encoder Pri at af dataIn.length = 7 out.length = 2 valid.length = 1\n"
            "6 Fatal Diagnostic(s)--Can't Continue.\n");
}
