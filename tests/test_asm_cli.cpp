// tarvik-asm as a user runs it: the listing image, the disassembly of an image it wrote, errors with
// status 1 and no image, bad usage and unreadable or unfit files with status 2.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "Harness.h"

namespace {

const std::string program = TARVIK_PIPELINE_DIR "/tarvik-asm";

std::string replaced(std::string text, const std::string& from, const std::string& to) {
  for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
  return text;
}

const char source[] =
    "; demo\n"
    "start:  setlo r1, 0x40\n"
    "        ld    r2, [r1]\n"
    "loop:   subs  r2, r2, 1   \n"
    "        bne   loop\n"
    "        .org  16\n"
    "        .word 0x1234, start\n";

const char listing[] =
    "// D/prog.s, assembled by tarvik-asm\n"
    "0A40  // 0000: start:  setlo r1, 0x40\n"
    "5008  // 0001:         ld    r2, [r1]\n"
    "14D1  // 0002: loop:   subs  r2, r2, 1\n"
    "D7FF  // 0003:         bne   loop\n"
    "@0010\n"
    "1234  // 0010:         .word 0x1234, start\n"
    "0000  // 0011:         .word 0x1234, start\n";

const char disassembly[] =
    "0000: 0A40  setlo r1, 0x40\n"
    "0001: 5008  ld r2, [r1]\n"
    "0002: 14D1  subs r2, r2, 1\n"
    "0003: D7FF  bne 2\n"
    "0010: 1234  setlo r2, 0x34\n"
    "0011: 0000  nop\n";

TEST(AsmCli, AssemblesListsAndDisassembles) {
  ScratchFolder d;
  d.write("prog.s", source);
  d.write("bad.s", "nop\n  add r1, r9, r0\nbra nowhere\n");
  d.write("wide.hex", "12345\n");
  d.write("intel.hex", ":040000000AF01234BC\n:00000001FF\n");  // bytes high first: words 0x0AF0, 0x1234
  const struct {
    std::vector<std::string> args;
    int status;
    std::string out, err;
  } runs[] = {
      {{"-l", "D/prog.s"}, 0, listing, ""},
      {{"-o", "D/prog.hex", "D/prog.s"}, 0, "", ""},
      {{"-d", "D/prog.hex"}, 0, disassembly, ""},
      {{"-o", "D/bad.hex", "D/bad.s"}, 1, "",
       "D/bad.s:2:11: bad register 'r9' (registers are r0..r7)\n  add r1, r9, r0\n          ^\n"
       "D/bad.s:3:5: undefined label 'nowhere'\nbra nowhere\n    ^\n"},
      {{"-d", "D/bad.hex"}, 2, "", "ERROR -- D/bad.hex: cannot read the memory image: No such file or directory\n"},
      {{"-d", "D/wide.hex"}, 2, "", "ERROR -- D/wide.hex:1: word 0x12345 is wider than the 16-bit words of the processor's memory\n"},
      {{"-d", "D/intel.hex"}, 0, "0000: 0AF0  setlo r1, 0xF0\n0001: 1234  setlo r2, 0x34\n", ""},
      {{"D/none.s"}, 2, "", "ERROR -- D/none.s: cannot read the source: No such file or directory\n"},
      {{}, 2, "", "ERROR -- no file given (tarvik-asm --help shows the usage)\n"},
      {{"-x", "D/prog.s"}, 2, "", "ERROR -- unknown option '-x' (tarvik-asm --help lists the options)\n"},
      {{"-l", "-d", "D/prog.hex"}, 2, "", "ERROR -- -l lists a source; it does not go with -d\n"},
  };
  for (const auto& run : runs) {
    std::vector<std::string> args;
    for (const std::string& a : run.args) args.push_back(replaced(a, "D/", d.path + "/"));
    RunResult r = runProgram(program, args);
    std::string what = run.args.empty() ? "(none)" : run.args.back();
    EXPECT_EQ(r.status, run.status) << what;
    EXPECT_EQ(r.out, replaced(run.out, "D/", d.path + "/")) << what;
    EXPECT_EQ(r.err, replaced(run.err, "D/", d.path + "/")) << what;
  }
  // The image written with -o is the listing without its comments.
  std::string image = replaced(listing, "D/", d.path + "/");
  for (size_t at; (at = image.find("  // ")) != std::string::npos;) image.erase(at, image.find('\n', at) - at);
  EXPECT_EQ(d.read("prog.hex"), image);
}

// No run loses what a user wrote or reports success on a short image.
TEST(AsmCli, NothingIsOverwrittenCutShortOrMisread) {
  ScratchFolder d;
  std::string s = d.write("s.s", "nop\n");
  d.write("i.hex", "0000\n");
  d.write("nul.s", std::string("nop ; a\0b\nnop\n", 14));
  d.write("end.s", ".word end\n.org 65535\nnop\nend:\n");
  mkdir((d.path + "/d.s").c_str(), 0755);
  d.write("x\n0BAD #.s", "nop\n");
  const struct {
    std::vector<std::string> args;
    int status;
    std::string out, err;
  } runs[] = {
      {{"-o", "D/s.s", "D/s.s"}, 2, "", "ERROR -- the output -o D/s.s is the input D/s.s: it would be overwritten\n"},
      {{"-d", "-o", "D/./i.hex", "D/i.hex"}, 2, "",
       "ERROR -- the output -o D/./i.hex is the input D/i.hex: it would be overwritten\n"},
      {{"D/nul.s"}, 1, "", std::string("D/nul.s:1:8: NUL byte in the source: is it a text file?\nnop ; a\\0b\n       ^\n")},
      {{"D/end.s"}, 1, "", "D/end.s:1:7: label 'end' is at 65536, past the last address 65535\n.word end\n      ^\n"},
      {{"D/d.s"}, 2, "", "ERROR -- D/d.s: cannot read the source: Is a directory\n"},
      {{"D/x\n0BAD #.s"}, 0, "// D/x\\x0A0BAD #.s, assembled by tarvik-asm\n0000\n", ""},
  };
  for (const auto& run : runs) {
    std::vector<std::string> args;
    for (const std::string& a : run.args) args.push_back(replaced(a, "D/", d.path + "/"));
    RunResult r = runProgram(program, args);
    EXPECT_EQ(r.status, run.status) << run.args.back();
    EXPECT_EQ(r.out, replaced(run.out, "D/", d.path + "/")) << run.args.back();
    EXPECT_EQ(r.err, replaced(run.err, "D/", d.path + "/")) << run.args.back();
  }
  EXPECT_EQ(d.read("s.s"), "nop\n");
  EXPECT_EQ(d.read("i.hex"), "0000\n");
  std::string full = program + " '" + s + "' > /dev/full 2>/dev/null";
  EXPECT_EQ(WEXITSTATUS(std::system(full.c_str())), 2);
}

TEST(AsmCli, HelpGoesToStandardOutput) {
  RunResult r = runProgram(program, {"--help"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out.rfind("Usage: tarvik-asm [-l] [-o OUT] FILE.s", 0), 0u) << r.out;
  EXPECT_EQ(r.err, "");
}

}  // namespace
