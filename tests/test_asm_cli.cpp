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

// A run of tarvik-asm and all it shows; "D/" in its texts stands for the scratch folder.
struct CliRun {
  std::vector<std::string> args;
  int status;
  std::string out, err;
};

void expectRuns(const ScratchFolder& d, const std::vector<CliRun>& runs) {
  for (const CliRun& run : runs) {
    std::vector<std::string> args;
    for (const std::string& a : run.args) args.push_back(replaced(a, "D/", d.path + "/"));
    RunResult r = runProgram(program, args);
    std::string what = run.args.empty() ? "(none)" : run.args.back();
    EXPECT_EQ(r.status, run.status) << what;
    EXPECT_EQ(r.out, replaced(run.out, "D/", d.path + "/")) << what;
    EXPECT_EQ(r.err, replaced(run.err, "D/", d.path + "/")) << what;
  }
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
    "        setlo r1, 0x40          ; 0000: 0A40\n"
    "        ld r2, [r1]             ; 0001: 5008\n"
    "L0002:  subs r2, r2, 1          ; 0002: 14D1\n"
    "        bne L0002               ; 0003: D7FF\n"
    "        .org 0x0010\n"
    "        setlo r2, 0x34          ; 0010: 1234\n"
    "        nop                     ; 0011: 0000\n";

// The source reads r1 a cycle after setting it, enters its loop by fall-through right after a load whose
// register the loop's first word reads, and ends in no halt.
const char warnings[] =
    "D/prog.s:3:20: warning: reads r1 1 cycle after line 2 writes it: it gets the old r1 (a register is seen by "
    "the words fetched 3 or more cycles after the word that writes it)\n"
    "        ld    r2, [r1]\n"
    "                   ^\n"
    "D/prog.s:4:19: warning: reads r2 right after the load on line 3: it gets the old r2, not the loaded value (put "
    "two words between a load and the use of its result)\n"
    "loop:   subs  r2, r2, 1   \n"
    "                  ^\n"
    "D/prog.s:5:9: warning: the program does not end in a halt (halt: bra halt): after this word the processor "
    "runs on into the words beyond\n"
    "        bne   loop\n"
    "        ^\n";

TEST(AsmCli, AssemblesListsAndDisassembles) {
  ScratchFolder d;
  d.write("prog.s", source);
  d.write("bad.s", "nop\n  add r1, r9, r0\nbra nowhere\n");
  d.write("wide.hex", "12345\n");
  d.write("intel.hex", ":040000000AF01234BC\n:00000001FF\n");  // bytes high first: words 0x0AF0, 0x1234
  d.write("long.s", ".org 63\nnop\nhalt: bra halt\n");
  expectRuns(d, {
      {{"-l", "D/prog.s"}, 0, listing, warnings},
      {{"-o", "D/prog.hex", "D/prog.s"}, 0, "", warnings},
      {{"-w", "-o", "D/quiet.hex", "D/prog.s"}, 0, "", ""},
      {{"-d", "D/prog.hex"}, 0, disassembly, ""},
      {{"-o", "D/bad.hex", "D/bad.s"}, 1, "",
       "D/bad.s:2:11: bad register 'r9' (registers are r0..r7)\n  add r1, r9, r0\n          ^\n"
       "D/bad.s:3:5: undefined label 'nowhere'\nbra nowhere\n    ^\n"},
      {{"-d", "D/bad.hex"}, 2, "", "ERROR -- D/bad.hex: cannot read the memory image: No such file or directory\n"},
      {{"-d", "D/wide.hex"}, 2, "", "ERROR -- D/wide.hex:1: word 0x12345 is wider than the 16-bit words of the processor's memory\n"},
      {{"-d", "D/intel.hex"}, 0,
       "        setlo r1, 0xF0          ; 0000: 0AF0\n"
       "        setlo r2, 0x34          ; 0001: 1234\n",
       ""},
      {{"D/none.s"}, 2, "", "ERROR -- D/none.s: cannot read the source: No such file or directory\n"},
      {{}, 2, "", "ERROR -- no file given (tarvik-asm --help shows the usage)\n"},
      {{"-x", "D/prog.s"}, 2, "", "ERROR -- unknown option '-x' (tarvik-asm --help lists the options)\n"},
      {{"-l", "-d", "D/prog.hex"}, 2, "", "ERROR -- -l lists a source; it does not go with -d\n"},
      // 5b forwards r1 to the ld: only the missing halt is left.
      {{"--cpu", "5b", "-o", "D/fwd.hex", "D/prog.s"}, 0, "", std::string(warnings).substr(std::string(warnings).find("D/prog.s:5"))},
      {{"--cpu=5a", "-o", "D/stale.hex", "D/prog.s"}, 0, "", warnings},
      {{"D/prog.s", "--cpu"}, 2, "", "ERROR -- --cpu needs 5a or 5b\n"},
      {{"--cpu", "5c", "D/prog.s"}, 2, "", "ERROR -- --cpu 5c: the processor is 5a or 5b\n"},
      {{"--cpu=", "D/prog.s"}, 2, "", "ERROR -- --cpu : the processor is 5a or 5b\n"},
      {{"--no-warnings=1", "D/prog.s"}, 2, "", "ERROR -- unknown option '--no-warnings=1' (tarvik-asm --help lists the options)\n"},
      {{"-d", "--cpu", "5b", "D/prog.hex"}, 2, "", "ERROR -- --cpu picks the warnings of assembling; it does not go with -d\n"},
      {{"--cpu", "5b", "-o", "D/long.hex", "D/long.s"}, 1, "",
       "D/long.s:3:7: address 0x0040 is past the end of the ROM (64 words, 0x0000..0x003F)\nhalt: bra halt\n      ^\n"},
  });
  // The image written with -o is the listing without its comments.
  std::string image = replaced(listing, "D/", d.path + "/");
  for (size_t at; (at = image.find("  // ")) != std::string::npos;) image.erase(at, image.find('\n', at) - at);
  EXPECT_EQ(d.read("prog.hex"), image);
  EXPECT_EQ(d.read("quiet.hex"), image);
}

// No run loses what a user wrote or reports success on a short image.
TEST(AsmCli, NothingIsOverwrittenCutShortOrMisread) {
  ScratchFolder d;
  std::string s = d.write("s.s", "nop\n");
  d.write("i.hex", "0000\n");
  d.write("nul.s", std::string("nop ; a\0b\nnop\n", 14));
  d.write("end.s", ".word end\n.org 65535\nnop\nend:\n");
  mkdir((d.path + "/d.s").c_str(), 0755);
  d.write("x\n0BAD #.s", "halt: bra halt\n");
  expectRuns(d, {
      {{"-o", "D/s.s", "D/s.s"}, 2, "", "ERROR -- the output -o D/s.s is the input D/s.s: it would be overwritten\n"},
      {{"-d", "-o", "D/./i.hex", "D/i.hex"}, 2, "",
       "ERROR -- the output -o D/./i.hex is the input D/i.hex: it would be overwritten\n"},
      {{"D/nul.s"}, 1, "", std::string("D/nul.s:1:8: NUL byte in the source: is it a text file?\nnop ; a\\0b\n       ^\n")},
      {{"D/end.s"}, 1, "",
       "D/end.s:1:7: label 'end' is at 65536, past the last address 65535\n.word end\n      ^\n"
       "D/end.s:3:1: address 0xFFFF is past the end of the ROM (64 words, 0x0000..0x003F)\nnop\n^\n"},
      {{"D/d.s"}, 2, "", "ERROR -- D/d.s: cannot read the source: Is a directory\n"},
      {{"D/x\n0BAD #.s"}, 0, "// D/x\\x0A0BAD #.s, assembled by tarvik-asm\nC000\n", ""},
  });
  EXPECT_EQ(d.read("s.s"), "nop\n");
  EXPECT_EQ(d.read("i.hex"), "0000\n");
  std::string full = program + " '" + s + "' > /dev/full 2>/dev/null";
  EXPECT_EQ(WEXITSTATUS(std::system(full.c_str())), 2);
}

// The words of an image file, without its first comment (it names the source).
std::string imageWords(const std::string& file) {
  std::string text = fileText(file);
  return text.substr(text.find('\n') + 1);
}

// Each example program and a table of words go through -d and back to the same image.
TEST(AsmCli, ListingsAssembleBackToTheirImage) {
  ScratchFolder d;
  const std::string examples = std::string(TARVIK_SOURCE_DIR) + "/examples/programs/";
  for (const char* name : {"sum", "multiply", "fibonacci", "copy", "countdown", "hazards"}) {
    EXPECT_EQ(runProgram(program, {"-w", "-o", d / "p.hex", examples + name + ".s"}).status, 0) << name;
    EXPECT_EQ(runProgram(program, {"-d", "-o", d / "p.lst", d / "p.hex"}).status, 0) << name;
    RunResult again = runProgram(program, {"-w", "-o", d / "again.hex", d / "p.lst"});
    EXPECT_EQ(again.status, 0) << name << "\n" << again.err;
    EXPECT_EQ(imageWords(d / "again.hex"), imageWords(d / "p.hex")) << name;
  }
  d.write("t.hex", "@0000\nD7FF C005\n@0010\nC6D4 C7FF 4AD2 0000\n@FFFE\nF800 C7FF\n");
  RunResult listed = runProgram(program, {"-d", d / "t.hex"});
  EXPECT_EQ(listed.out,
            "        bne LFFFF               ; 0000: D7FF\n"  // wraps to a word of the image
            "        bra 6                   ; 0001: C005\n"  // no word there
            "        .org 0x0010\n"
            "L0010:  bra .-300               ; 0010: C6D4\n"  // wraps outside the image
            "        bra L0010               ; 0011: C7FF\n"
            "        ld r1, [r2 lo1 2]       ; 0012: 4AD2\n"
            "        nop                     ; 0013: 0000\n"
            "        .org 0xFFFE\n"
            "LFFFE:  bnv LFFFE               ; FFFE: F800\n"
            "LFFFF:  bra LFFFE               ; FFFF: C7FF\n");
  // Its words past the ROM do not assemble back for the processor.
  d.write("t.lst", listed.out);
  RunResult again = runProgram(program, {"-w", "-o", d / "t2.hex", d / "t.lst"});
  EXPECT_EQ(again.status, 1);
  EXPECT_EQ(again.err.substr(0, again.err.find('\n')),
            d / "t.lst:9:9: address 0xFFFE is past the end of the ROM (64 words, 0x0000..0x003F)");
}

// A source is told from an image by its content, and each gets the program that reads it.
TEST(AsmCli, TellsASourceFromAnImage) {
  ScratchFolder d;
  d.write("image.txt", "0A05 0000\n");
  d.write("prog.txt", "x: bra x\n");
  d.write("prog.s", "x: bra x\n");
  d.write("neither.txt", "hello world\n");
  expectRuns(d, {
      {{"D/image.txt"}, 2, "",
       "ERROR -- D/image.txt is a memory image, not an assembly source (tarvik-asm -d lists it)\n"},
      {{"D/prog.txt"}, 0, "// D/prog.txt, assembled by tarvik-asm\nC000\n", ""},
      {{"D/neither.txt"}, 1, "", "D/neither.txt:1:1: unknown mnemonic 'hello'\nhello world\n^\n"},
      {{"-d", "D/prog.s"}, 2, "",
       "ERROR -- read as a memory image: D/prog.s:1: bad digit 'x' in x: (an assembly source? tarvik-asm without -d "
       "assembles it)\n"},
      {{"-d", "-w", "D/image.txt"}, 2, "",
       "ERROR -- -w turns off the warnings of assembling; it does not go with -d\n"},
  });
}

TEST(AsmCli, HelpGoesToStandardOutput) {
  RunResult r = runProgram(program, {"--help"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out.rfind("Usage: tarvik-asm [-l] [-w] [--cpu 5a|5b] [-o OUT] FILE.s  assemble FILE.s into a memory image\n"
                        "       tarvik-asm -d [-o OUT] IMAGE                        list",
                        0),
            0u)
      << r.out;
  EXPECT_EQ(r.err, "");
}

}  // namespace
