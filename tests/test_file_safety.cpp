// What a run does with the files a user names: an output that is also an input (or another output)
// is refused before anything is written, outputs replace files only when complete, ticks and memory
// that could overflow are refused with a message, and the processor's views say why a chart is empty.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <new>
#include <string>
#include <vector>

#include "FileIO.h"
#include "Harness.h"
#include "StdStreams.h"

namespace {

const std::string processor = TARVIK_PIPELINE_DIR "/5a-LD-hazard";
const std::string gates = TARVIK_EXAMPLES_DIR "/switch_gates";

std::vector<std::string> inFolder(const ScratchFolder& f, std::vector<std::string> args) {
  for (std::string& a : args)  // the folder's own name may hold "D/": go on after each replacement
    for (size_t at = a.find("D/"); at != std::string::npos; at = a.find("D/", at + f.path.size() + 1))
      a.replace(at, 2, f.path + "/");
  return args;
}

TEST(FileSafety, AnOutputThatIsAnInputOrAnotherOutputIsRefusedBeforeTheRun) {
  const struct {
    std::string program;
    std::vector<std::string> args;
    std::string error;
  } cases[] = {
      {gates, {"-X", "--expect", "D/e.expect", "--vcd", "D/./e.expect"},
       "ERROR -- the output --vcd D/./e.expect is the input --expect D/e.expect: it would be overwritten"},
      {gates, {"-X", "--vcd", "D/link", "--expect", "D/e.expect"},  // a symbolic link to e.expect
       "ERROR -- the output --vcd D/link is the input --expect D/e.expect: it would be overwritten"},
      {gates, {"-X", "--vcd", "D/new.vcd", "--vcd", "D/sub/../new.vcd"},  // a name not yet taken
       "ERROR -- the outputs --vcd D/new.vcd and --vcd D/sub/../new.vcd are the same file"},
      {processor, {"-X", "--load", "Memory.Rom=D/p.hex", "--vcd", "D/p.hex"},
       "ERROR -- the output --vcd D/p.hex is the input --load D/p.hex: it would be overwritten"},
      {processor, {"-X", "--program", "D/p.s", "--gtkw", "D/p.s"},
       "ERROR -- --gtkw: the output --gtkw D/p.s is the input --program D/p.s: it would be overwritten"},
      {processor, {"-X", "--vcd", "D/./x.gtkw", "--gtkw", "D/x.gtkw"},
       "ERROR -- --gtkw: the save file and its filter D/x-mnemonics.txt must not be the --vcd dump"},
  };
  for (const auto& c : cases) {
    ScratchFolder f;
    f.write("e.expect", "a 0\n");
    f.write("p.s", "nop\n");
    f.write("p.hex", "0000\n");
    f.write("x.gtkw", "kept\n");
    ASSERT_EQ(symlink((f.path + "/e.expect").c_str(), (f.path + "/link").c_str()), 0);
    ASSERT_EQ(mkdir((f.path + "/sub").c_str(), 0755), 0);
    std::vector<std::string> args = inFolder(f, c.args);
    RunResult r = runProgram(c.program, args);
    EXPECT_EQ(r.status, 2) << c.error;
    EXPECT_EQ(linesOf(r.err).back(), inFolder(f, {c.error})[0]);
    EXPECT_TRUE(linesStartingWith(r.err, "Time =").empty()) << r.err;
    EXPECT_EQ(f.read("e.expect") + f.read("p.s") + f.read("p.hex") + f.read("x.gtkw"), "a 0\nnop\n0000\nkept\n");
  }
}

// The dump replaces an older one whole when the run ends, keeping its permissions and its link.
TEST(FileSafety, ADumpReplacesAnOlderOneOnlyWhenComplete) {
  ScratchFolder f;
  std::string old = f.write("old.vcd", "old\n");
  chmod(old.c_str(), 0640);
  ASSERT_EQ(symlink(old.c_str(), (f.path + "/via.vcd").c_str()), 0);
  RunResult r = runProgram(gates, {"-X", "--keys", "a", "--vcd", f.path + "/via.vcd"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(f.read("old.vcd").rfind("$comment", 0), 0u);
  struct stat st;
  ASSERT_EQ(lstat((f.path + "/via.vcd").c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  ASSERT_EQ(stat(old.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
  // A run refused at its script writes nothing and leaves no temporary file behind.
  r = runProgram(gates, {"-X", "--keys", "0{@18446744073709551615}1", "--vcd", old});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err, "ERROR -- timed step {@18446744073709551615} in key script lies beyond the last tick "
                   "4611686018427387904\n");
  EXPECT_EQ(f.read("old.vcd").rfind("$comment", 0), 0u);
  EXPECT_EQ(std::system(("test $(ls -A '" + f.path + "' | wc -l) -eq 2").c_str()), 0);
}

// Without a temporary file beside it (here its name is too long for one, which holds for root as well)
// an output is refused and the old file kept whole, by every program that writes one.
TEST(FileSafety, AnOutputWithoutATemporaryFileIsRefusedAndTheOldFileKept) {
  const std::string asm_ = TARVIK_PIPELINE_DIR "/tarvik-asm", leaf = std::string(245, 'n');
  const struct {
    std::string program, file;
    std::vector<std::string> args;
    std::string error;
  } cases[] = {
      {asm_, leaf + ".hex", {"D/p.s", "-o", "D/" + leaf + ".hex"}, "ERROR -- cannot write 'D/" + leaf + ".hex': "},
      {processor, leaf + ".vcd", {"-X", "--quiet", "--cycles", "1", "--vcd", "D/" + leaf + ".vcd"},
       "ERROR -- cannot create waveform dump D/" + leaf + ".vcd: "},
      {processor,
       leaf + ".gtkw",
       {"-X", "--quiet", "--cycles", "1", "--vcd", "D/w.vcd", "--gtkw", "D/" + leaf + ".gtkw"},
       "ERROR -- --gtkw: cannot write D/" + leaf + ".gtkw: "},
  };
  for (const auto& c : cases) {
    ScratchFolder f;
    f.write("p.s", "nop\n");
    f.write(c.file, "old\n");
    RunResult r = runProgram(c.program, inFolder(f, c.args));
    EXPECT_EQ(r.status, 2) << c.file;
    const std::string kept = "no temporary file can be made beside it (File name too long), so it is left as it was";
    EXPECT_EQ(linesStartingWith(r.err, "ERROR"), inFolder(f, {c.error + kept}));
    EXPECT_EQ(f.read(c.file), "old\n");
  }
}

TEST(FileSafety, ReadingRefusesWhatIsNoFileAndStopsAtTheCap) {
  ScratchFolder f;
  std::string text, reason;
  f.write("small", "abc");
  EXPECT_TRUE(readWholeFile(f.path + "/small", text, reason, 3));
  EXPECT_EQ(text, "abc");
  EXPECT_FALSE(readWholeFile(f.path + "/small", text, reason, 2));
  EXPECT_EQ(reason, "larger than 2 bytes");
  EXPECT_EQ(text, "");
  EXPECT_FALSE(readWholeFile(f.path, text, reason));
  EXPECT_EQ(reason, "Is a directory");
  std::string fifo = f.path + "/fifo";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  RunResult reader = runInChild([&] {
    if (fork() == 0) {
      std::ofstream(fifo) << std::string(70000, 'x');
      _exit(0);
    }
    std::string t, why;
    exit(readWholeFile(fifo, t, why) && t.size() == 70000 ? 0 : 1);
  });
  EXPECT_EQ(reader.status, 0);
}

// A NUL byte read from a file cannot end the message that quotes it.
TEST(FileSafety, ANulByteInAnImageIsShownInItsMessage) {
  ScratchFolder f;
  std::string image = f.path + "/nul.hex";
  std::ofstream(image) << std::string("1\0 2\n", 5);
  RunResult r = runProgram(processor, {"-X", "--load", "Memory.Rom=" + image});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err, "ERROR -- " + image + ":1: bad digit '\\0' in 1\\0\n");
}

TEST(FileSafety, RunningOutOfMemoryIsAMessageAndStatusTwo) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "AddressSanitizer's allocator reports a failed allocation itself";
#endif
  RunResult r = runInChild([] {
    struct rlimit limit = {size_t(1) << 30, size_t(1) << 30};
    setrlimit(RLIMIT_AS, &limit);
    reportMemoryExhaustion();
    fputs("collected before\n", stderr);
    std::vector<char> huge(size_t(1) << 31);
    printf("%d\n", huge[0]);
  });
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err, "collected before\nERROR -- out of memory\n");
}

TEST(FileSafety, AChartOfCyclesPastTheRunSaysWhyItIsEmpty) {
  RunResult r = runProgram(processor, {"-X", "--quiet", "--cycles", "10", "--diagram-cycles", "20:30"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(linesOf(r.out).back(), "Pipeline diagram: cycles 20 to 30 were asked for, but the run ended after cycle 10");
}

}  // namespace
