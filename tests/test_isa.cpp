// The instruction table in both directions: every word's text assembles back to the word, every
// mnemonic and operand form encodes to the expected bits, disassembly prints the canonical forms, and
// faulty sources get every error with its line, column and message.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "Assembler.h"
#include "Isa.h"

namespace {

// The words of an assembly as "AAAA:WWWW AAAA:WWWW ...", or its errors; for a processor's ROM with cpu.
std::string assembled(const std::string& source, const ProcessorVariant* cpu = nullptr) {
  Assembly a;
  std::string text;
  if (!assemble(source, "t.s", a, cpu)) {
    for (const std::string& e : a.errors) text += (text.empty() ? "" : "\n") + e;
    return text;
  }
  for (const AssembledWord& w : a.words) {
    char one[16];
    snprintf(one, sizeof one, "%s%04X:%04X", text.empty() ? "" : " ", w.address, w.word);
    text += one;
  }
  return text;
}

// Every word in turn at its own address, written in one target style, assembles back to itself.
void expectRoundTrip(bool absoluteTargets) {
  std::string source;
  for (int w = 0; w < 65536; ++w) source += disassemble(static_cast<uint16_t>(w), absoluteTargets ? w : -1) + "\n";
  Assembly a;
  ASSERT_TRUE(assemble(source, "all.s", a)) << a.errors[0];
  ASSERT_EQ(a.words.size(), 65536u);
  for (int w = 0; w < 65536; ++w)
    ASSERT_EQ(a.words[w].word, w) << disassemble(static_cast<uint16_t>(w), absoluteTargets ? w : -1);
}

TEST(Isa, EveryWordRoundTripsWithAbsoluteTargets) { expectRoundTrip(true); }
TEST(Isa, EveryWordRoundTripsWithRelativeTargets) { expectRoundTrip(false); }

TEST(Isa, EncodesEveryFormAndOperand) {
  const struct {
    const char* source;
    const char* words;
  } cases[] = {
      {"nop", "0000:0000"},
      {"add r1, r2, r3", "0000:0813"},
      {"sub r7, r6, -4", "0000:38F4"},
      {"and r0, r1, 3", "0000:014B"},
      {"or r2, r3, r4", "0000:119C"},
      {"adds r1, r1, 1", "0000:0C49"},
      {"subs r3, r3, 1", "0000:1CD9"},
      {"ands r1, r2, r3", "0000:0D13"},
      {"ors r5, r6, r7", "0000:2DB7"},
      {"ADD R1, r2, 0b11", "0000:0853"},
      {"setlo r1, 0xF0", "0000:0AF0"},
      {"setlo r3, -1", "0000:1AFF"},
      {"setlo r3, -128", "0000:1A80"},
      {"sethi r2, 0x7f", "0000:137F"},
      {"sethi r2, 255", "0000:13FF"},
      {"setlos r1, 0", "0000:0E00"},
      {"sethis r1, 0x80", "0000:0F80"},
      {"ld r1, [r2 + r3]", "0000:4813"},
      {"ld r1, [r2]", "0000:4810"},
      {"st r4, [r2 + 0]", "0000:A050"},
      {"st r4, [r2 - r1]", "0000:A091"},
      {"ld r1, [r6 - 3]", "0000:48F3"},
      {"ld r1, [r6 - 4]", "0000:4874"},  // as [r6 + -4]: sub's 3-bit constant stops at 3
      {".equ K, 4\nst r1, [r6 - K]", "0000:8874"},
      {"ld r1, [r6 - -4]", "0000:48F4"},
      {"ld r1, [r2 & -1]", "0000:4957"},
      {"ld r1, [r2 | r3]", "0000:4993"},
      {"ld r1, [r2 lo2 r3]", "0000:4A13"},
      {"ld r1, [r2 lo1 2]", "0000:4AD2"},
      {"ld r1, [r2 hi2 r3]", "0000:4B13"},
      {"st r1, [r2 HI1 r3]", "0000:8B93"},
      {"lds r1, [r2]", "0000:4C10"},
      {"sts r0, [r0]", "0000:8400"},
      {"bra 30", "0000:C01E"},
      {"beq .+5", "0000:C805"},
      {"bne .-1", "0000:D7FF"},
      {"blt .+1023", "0000:DBFF"},
      {"ble .-1024", "0000:E400"},
      {"bgt .", "0000:E800"},
      {"bge 65535", "0000:F7FF"},
      {"bnv 0", "0000:F800"},
      {".org 65535\nbra 0", "FFFF:C001"},
      {".org 100\nloop: nop\n  bne loop", "0064:0000 0065:D7FF"},
      {"bra end\nnop\nend:\nnop", "0000:C002 0001:0000 0002:0000"},
      {"_a.b1: bra _a.b1", "0000:C000"},
      {"mov r1, r2", "0000:0810"},
      {"cmp r1, 2", "0000:04CA"},
      {"cmp r1, r2", "0000:048A"},
      {"add r1, r2, r3 // c\n# only a comment\n\n  ; another\r\n", "0000:0813"},
      {".org 48\nt: .word 0x1111, -1, 65535, -32768, t\nnop", "0030:1111 0031:FFFF 0032:FFFF 0033:8000 0034:0030 0035:0000"},
      {".org 5\nnop\n.org 2\nnop", "0005:0000 0002:0000"},
  };
  for (const auto& c : cases) EXPECT_EQ(assembled(c.source), c.words) << c.source;
}

TEST(Isa, DisassemblesToCanonicalText) {
  const struct {
    uint16_t word;
    int address;
    const char* text;
  } cases[] = {
      {0x0000, -1, "nop"},
      {0x0810, -1, "add r1, r2, r0"},
      {0x38F4, -1, "sub r7, r6, -4"},
      {0x04CA, -1, "subs r0, r1, 2"},
      {0x13FF, -1, "sethi r2, 0xFF"},
      {0x0A0F, -1, "setlo r1, 0x0F"},
      {0x4810, -1, "ld r1, [r2]"},
      {0xA050, -1, "st r4, [r2 + 0]"},
      {0x4AD2, -1, "ld r1, [r2 lo1 2]"},
      {0x4957, -1, "ld r1, [r2 & -1]"},
      {0xC01E, 0, "bra 30"},
      {0xC01E, 10, "bra 40"},
      {0xD7FF, 0, "bne 65535"},
      {0xD7FF, -1, "bne .-1"},
      {0xC805, -1, "beq .+5"},
      {0xF800, -1, "bnv .+0"},
  };
  for (const auto& c : cases) EXPECT_EQ(disassemble(c.word, c.address), c.text) << c.word;
}

TEST(Isa, ReportsEachFaultWithItsColumn) {
  const struct {
    const char* source;
    const char* error;  // the first line of the only error
  } cases[] = {
      {"foo r1", "t.s:1:1: unknown mnemonic 'foo'"},
      {"add r1, r8, r0", "t.s:1:9: bad register 'r8' (registers are r0..r7)"},
      {"add r1, x, r0", "t.s:1:9: expected a register (r0..r7), found 'x'"},
      {"add r1 r2, r3", "t.s:1:8: expected ',', found 'r2'"},
      {"add r1, r2, 4", "t.s:1:13: constant 4 out of range -4..3"},
      {"add r1, r2, -5", "t.s:1:13: constant -5 out of range -4..3"},
      {"ld r1, [r6 + 4]", "t.s:1:14: constant 4 out of range -4..3"},
      {"ld r1, [r6 - 5]", "t.s:1:14: constant 5 out of range -4..4"},
      {"ld r1, [r6 - -5]", "t.s:1:14: constant -5 out of range -4..4"},
      {"add r1, r2, 0x", "t.s:1:13: bad number '0x'"},
      {"setlo r1, 256", "t.s:1:11: constant 256 out of range -128..255"},
      {"setlo r1, -129", "t.s:1:11: constant -129 out of range -128..255"},
      {"bra .+1024", "t.s:1:5: branch target out of range: offset 1024 not in -1024..1023"},
      {".org 2000\nbra 0", "t.s:2:5: branch target out of range: offset -2000 not in -1024..1023"},
      {"bra nowhere", "t.s:1:5: undefined label 'nowhere'"},
      {"a: nop\na: nop", "t.s:2:1: duplicate label 'a' (first on line 1)"},
      {"1x: nop", "t.s:1:1: bad label name '1x'"},
      {"add r1, r2", "t.s:1:11: missing operand: add takes rd, rs1, rs2|constant"},
      {"nop r1", "t.s:1:5: extra operand: nop takes no operands"},
      {"ld r1, [r2 + r3", "t.s:1:16: missing operand: ld takes rd, [rs1 OP rs2|constant]"},
      {"ld r1, [r2 ^ r3]", "t.s:1:12: unexpected character '^'"},
      {"ld r1, [r2 lo3 r3]", "t.s:1:12: expected an address operation (+ - & | lo2 lo1 hi2 hi1) or ']', found 'lo3'"},
      {"nop\n.org 0\nadd r1, r1, 1", "t.s:3:1: address 0x0000 already holds a word (line 1)"},
      {".org 65535\nnop\nnop", "t.s:3:1: address past 65535"},
      {".org 65536", "t.s:1:6: constant 65536 out of range 0..65535"},
      {".word 65536", "t.s:1:7: constant 65536 out of range -32768..65535"},
      {".word 1,", "t.s:1:9: missing operand: .word takes values"},
  };
  for (const auto& c : cases) {
    std::string text = assembled(c.source);
    EXPECT_EQ(text.substr(0, text.find('\n')), c.error) << c.source;
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 2) << c.source;  // one error: message, line, caret
  }
}

TEST(Isa, ReportsEveryErrorOfTheFileInLineOrder) {
  EXPECT_EQ(assembled("start:  add r1, r2, 9\n"
                      "        bogus\n"
                      "\tbra missing\n"
                      "start: nop\n"
                      "        nop\n"),
            "t.s:1:21: constant 9 out of range -4..3\n"
            "start:  add r1, r2, 9\n"
            "                    ^\n"
            "t.s:2:9: unknown mnemonic 'bogus'\n"
            "        bogus\n"
            "        ^\n"
            "t.s:3:6: undefined label 'missing'\n"
            "\tbra missing\n"
            "\t    ^\n"
            "t.s:4:1: duplicate label 'start' (first on line 1)\n"
            "start: nop\n"
            "^");
}

TEST(Isa, ReadsNamesAndExpressionsWhereverAConstantGoes) {
  const struct {
    const char* source;
    const char* words;
  } cases[] = {
      {".equ BASE, 0x1240\nsetlo r1, lo(BASE+3)\nsethi r1, hi(BASE - 1)", "0000:0A43 0001:0B12"},
      {".equ K, 2\nadd r1, r2, K\nadd r1, r2, -K\nld r1, [r2 + K-1]", "0000:0852 0001:0856 0002:4851"},
      {".equ W, 0x1234\n.word W, lo(W), hi(W), W+1-2", "0000:1234 0001:0034 0002:0012 0003:1233"},
      {"nop\nt: nop\n.word t+1, lo(t)\nsetlo r1, t", "0000:0000 0001:0000 0002:0002 0003:0001 0004:0A01"},
      {".equ START, 8\n.org START+2\nbra START+2", "000A:C000"},
      {".equ N, 3\n.equ M, N+N-1\nadd r1, r1, M-2", "0000:084B"},
      {"loop: nop\nbne loop+1", "0000:0000 0001:D000"},
      {"setlo r1, lo(lo(0x1234) + hi(0x1234))", "0000:0A46"},
      {"ld r1, [r2 - K]\n.equ K, 1", "0000:48D1"},
      {"LO: nop\nsetlo r1, LO", "0000:0000 0001:0A00"},
      // the bytes of the exact value, however large the sums on the way
      {".word lo(0xFFFFFFFF+0xFFFFFFFF), hi(0xFFFFFFFF+0x101), lo(-0xFFFFFFFF)", "0000:00FE 0001:0001 0002:0001"},
  };
  for (const auto& c : cases) EXPECT_EQ(assembled(c.source), c.words) << c.source;
}

TEST(Isa, RefusesNamesAndExpressionsThatDoNotFit) {
  const struct {
    const char* source;
    const char* error;
  } cases[] = {
      {".equ K, 4\nadd r1, r2, K", "t.s:2:13: constant 4 out of range -4..3"},
      {".equ B, 0x40\nsetlo r1, B+0xC0", "t.s:2:11: constant 256 out of range -128..255"},
      {".word 0xFFFF+1", "t.s:1:7: constant 65536 out of range -32768..65535"},
      {"add r1, r2, X", "t.s:1:13: undefined label 'X'"},
      {".org K\n.equ K, 1", "t.s:1:6: undefined label 'K'"},
      {"K: nop\n.equ K, 1", "t.s:2:6: duplicate name 'K' (first on line 1)"},
      {".equ K, 1\nK: nop", "t.s:2:1: duplicate label 'K' (first on line 1)"},
      {".equ 1K, 1", "t.s:1:6: bad name '1K'"},
      {".equ K", "t.s:1:7: missing operand: .equ takes name, value"},
      {".equ", "t.s:1:5: missing operand: .equ takes name, value"},
      {".equ K, 1, 2", "t.s:1:10: extra operand: .equ takes name, value"},
      {"setlo r1, lo(3", "t.s:1:15: missing operand: setlo takes rd, constant"},
      {"setlo r1, 1 +", "t.s:1:14: missing operand: setlo takes rd, constant"},
      {"setlo r1, (3)", "t.s:1:11: expected a number, found '('"},
      {"add r1, r2, r9", "t.s:1:13: bad register 'r9' (registers are r0..r7)"},
      // numbers and sums beyond what is held exactly are refused, not cut
      {"setlo r1, lo(0x100000000123)", "t.s:1:14: number '0x100000000123' too large (at most 0xFFFFFFFF)"},
      {".word hi(0x100000000 - 0x100000000)", "t.s:1:10: number '0x100000000' too large (at most 0xFFFFFFFF)"},
      {".word 99999999999999999999999", "t.s:1:7: number '99999999999999999999999' too large (at most 0xFFFFFFFF)"},
  };
  for (const auto& c : cases) {
    std::string text = assembled(c.source);
    EXPECT_EQ(text.substr(0, text.find('\n')), c.error) << c.source;
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 2) << c.source;
  }
  std::string sum = ".word lo(";  // the 262145th term takes the sum past 2^50
  for (int i = 0; i < 262146; ++i) sum += "0xFFFFFFFF+";
  EXPECT_EQ(assembled(sum + "0)").substr(0, 48), "t.s:1:2883593: expression too large (past 2^50)\n");
  std::string deep = "setlo r1, ";
  for (int i = 0; i < 100000; ++i) deep += "lo(";
  EXPECT_EQ(assembled(deep).substr(0, 45), "t.s:1:203: lo( and hi( nested too deeply\nsetl");
}

// For a processor, a program must fit its ROM: the first word past it is reported, once.
TEST(Isa, RefusesAProgramPastTheProcessorsRom) {
  const ProcessorVariant* cpu = &defaultProcessorVariant();
  const struct {
    const char* source;
    const char* result;  // the words, or the first line of the only error
  } cases[] = {
      {".org 63\nnop", "003F:0000"},
      {".org 63\nnop\nnop\nnop", "t.s:3:1: address 0x0040 is past the end of the ROM (64 words, 0x0000..0x003F)"},
      {".org 62\n.word 1, 2, 3", "t.s:2:1: address 0x0040 is past the end of the ROM (64 words, 0x0000..0x003F)"},
      {"nop\n.org 0x100\n  bra 0\n  bra x",
       "t.s:3:3: address 0x0100 is past the end of the ROM (64 words, 0x0000..0x003F)"},
  };
  for (const auto& c : cases) {
    std::string text = assembled(c.source, cpu);
    EXPECT_EQ(text.substr(0, text.find('\n')), c.result) << c.source;
    EXPECT_LE(std::count(text.begin(), text.end(), '\n'), 2) << c.source;
  }
  EXPECT_EQ(assembled(".org 63\nnop\nnop"), "003F:0000 0040:0000") << "any address without a processor";
}

// Two faults of one line come in column order, whichever pass finds them.
TEST(Isa, ReportsTheErrorsOfALineInColumnOrder) {
  EXPECT_EQ(assembled("1x: foo\nk: add r1, r2, 9\nk: add r1, r2, 9"),
            "t.s:1:1: bad label name '1x'\n1x: foo\n^\n"
            "t.s:1:5: unknown mnemonic 'foo'\n1x: foo\n    ^\n"
            "t.s:2:16: constant 9 out of range -4..3\nk: add r1, r2, 9\n               ^\n"
            "t.s:3:1: duplicate label 'k' (first on line 2)\nk: add r1, r2, 9\n^\n"
            "t.s:3:16: constant 9 out of range -4..3\nk: add r1, r2, 9\n               ^");
}

}  // namespace
