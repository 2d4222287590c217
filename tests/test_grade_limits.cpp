// tarvik-grade's limits and refusals: every way a run can fail gives its reason and the grading goes
// on; bad usage is refused before any run.  A stand-in processor (a script) plays each misbehaviour,
// so that the verdict does not depend on timing.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <nlohmann/json.hpp>

#include "test_grade_rig.h"

namespace {

// An assignment of one test and one student with a program, graded by the script as processor.
struct OneRun {
  ScratchFolder s;
  RunResult r;
  nlohmann::json result;
  OneRun(const std::string& script, const std::string& limits, const std::string& load = "",
         const std::string& entry = "", const std::vector<std::string>& images = {}) {
    put(s, "task/one.expect", "Reg1 1\n");
    for (const std::string& image : images) put(s, image, "0000\n");
    if (!load.empty()) put(s, "task/one.load", load);
    put(s, "task/assignment.toml", "[limits]\n" + limits + entry);
    put(s, "class/student/prog.s", "halt: bra halt\n");
    std::string processor = ::script(s, "processor", script);
    r = grade({"--processor", processor, "--out", s / "out", s / "task", s / "class"});
    result = nlohmann::json::parse(fileText(s / "out/results/student/one.json"), nullptr, false);
  }
};

#if defined(__SANITIZE_ADDRESS__)
const bool addressSpaceLimited = false;
#else
const bool addressSpaceLimited = true;
#endif

// A stand-in's verdict line, written to the descriptor the grader gives it.
#define VERDICT(line) "echo '" line "' >/dev/fd/$TARVIK_VERDICT_FD; "

TEST(GradeLimits, EachFailureHasItsReason) {
  struct Case {
    const char* script;
    const char* limits;
    const char* reason;
    const char* output;
  } cases[] = {
      {VERDICT("verdict 0 passed") "exit 0\n", "", "", ""},
      {"echo 'MISMATCH -- Reg1: expected 1, actual 0' >&2; " VERDICT("verdict 1 expect-failed") "exit 1\n", "",
       "wrong result", "MISMATCH -- Reg1: expected 1, actual 0\n"},
      {"echo \"ERROR -- $4: 1 error(s) in the program\" >&2; " VERDICT("verdict 2 refused-option --program") "exit 2\n",
       "", "does not assemble", "ERROR -- prog.s: 1 error(s) in the program\n"},
      {"echo 'the run ended' >&2; " VERDICT("verdict 0 no-stop-condition") "exit 0\n", "cycles = 7\n",
       "did not halt within 7 cycles", "the run ended\n"},
      // The reasons are the verdict's, not the English of the output.
      {"echo '--until: no condition held' >&2; " VERDICT("verdict 1 expect-failed") "exit 1\n", "", "wrong result",
       "--until: no condition held\n"},
      {VERDICT("verdict 2 refused-option --cycles") "exit 2\n", "", "exit status 2 (refused-option --cycles)", ""},
      // A program that ends on its own (exit in circuit code) gives no verdict, or one it did not end with.
      {"exit 0\n", "", "ended without a verdict (exit status 0)", ""},
      {VERDICT("verdict 1 construction-failed") "exit 0\n", "", "exit status 0 does not match its verdict (1 construction-failed)", ""},
      {VERDICT("verdict 0 passed") VERDICT("verdict 0 passed") "exit 0\n", "", "ended with an unreadable verdict (exit status 0)", ""},
      {VERDICT("verdict 0  passed") "exit 0\n", "", "ended with an unreadable verdict (exit status 0)", ""},
      {"sleep 30\n", "timeout = 1\n", "timed out after 1 s", ""},
      {"exec >&- 2>&-; sleep 30\n", "timeout = 1\n", "timed out after 1 s", ""},
      {"while :; do echo flood; done\n", "output = 100\ntimeout = 1\n", "output over 100 bytes", ""},
      {"while :; do echo flood >/dev/fd/$TARVIK_VERDICT_FD; done\n", "output = 100\ntimeout = 1\n",
       "output over 100 bytes", ""},
      // Past the cap the output is dropped, not the run: its end still decides (a long program's errors).
      {"seq 1 100000 >&2; " VERDICT("verdict 2 refused-option --program") "exit 2\n", "output = 100\n",
       "does not assemble", "1\n2\n3\n4\n5\n6\n7\n8\n9\n10\n...\n"},
      {"kill -SEGV $$\n", "", "crashed: signal 11 (Segmentation fault)", ""},
      // A sanitizer build's grader sets no address-space limit (its programs need the room).
      {"ulimit -v; " VERDICT("verdict 2 bad-input") "exit 2\n", "memory = 64\n", "exit status 2 (bad-input)",
       addressSpaceLimited ? "65536\n" : "unlimited\n"},
  };
  for (const Case& c : cases) {
    OneRun run(c.script, c.limits);
    EXPECT_EQ(run.r.status, 0) << c.script << run.r.err;
    EXPECT_EQ(run.result["reason"], c.reason) << c.script;
    // A flood's output is cut at the cap, whatever it held then.
    if (std::string(c.reason).find("output over") == std::string::npos) {
      EXPECT_EQ(run.result["output"], c.output) << c.script;
    }
    EXPECT_EQ(run.result["score"], *c.reason ? 0.0 : 1.0) << c.script;
  }
}

// A run's words name copies in its own folder: the student's program in the folder it starts in, the
// test's files by their names in the assignment (an image given whole by its whole path).
TEST(GradeLimits, ARunGetsCopiesOfTheProgramTheTestAndTheCycleCap) {
  OneRun run("echo \"$@\"; exit 1\n", "cycles = 123\n");
  EXPECT_EQ(run.result["output"], "-X --quiet --program prog.s --until halt --cycles 123 --expect one.expect\n");
}

// The .load lines become --load words naming copies of the images, then the manifest's options.
TEST(GradeLimits, ARunGetsTheLoadsAndOptionsOfItsTest) {
  ScratchFolder images;
  std::string rom = put(images, "abs/rom.hex", "0000\n");
  OneRun run("shift 10; echo \"$@\"; cat \"${2#*=}\"; exit 1\n", "",
             "# the data\nRAM=data.hex\n\nMemory.Rom = " + rom + " # given whole\n",
             "[tests.one]\noptions = [\"--until\", \"Reg3=9\"]\nweight = 0.5\n", {"task/data.hex"});
  EXPECT_EQ(run.result["output"],
            "--load RAM=data.hex --load Memory.Rom=" + rom.substr(1) + " --until Reg3=9\n0000\n");
  EXPECT_EQ(run.result["max_score"], 0.5);
}

// A failure keeps ten lines of what the run printed, the simulator's counts and the note that the
// program halted left out; lines that only begin like them are the run's own.
TEST(GradeLimits, AFailureKeepsTheFirstTenLines) {
  OneRun run("echo 'There are 3 components.'; echo 'There are 3 bugs.'; echo '--until halt held at tick 9 (cycle 2)'; "
             "echo 'There are 12 signals.'; seq 1 12; exit 1\n", "");
  EXPECT_EQ(run.result["output"], "There are 3 bugs.\n1\n2\n3\n4\n5\n6\n7\n8\n9\n...\n");
}

TEST(GradeLimits, ProgramsAreFoundOrTheirAbsenceExplained) {
  struct Case {
    std::vector<std::string> files;
    const char* reason;
  } cases[] = {
      {{"a.s"}, "wrong result"},
      {{"a.hex", "b.asm"}, "wrong result"},  // a source goes before an image
      {{"notes.txt"}, "no program (.s, .asm or .hex) in the folder"},
      {{"a.s", "b.s"}, "more than one program (.s, .asm or .hex): a.s, b.s"},
  };
  for (const Case& c : cases) {
    ScratchFolder s;
    put(s, "task/one.expect", "Reg1 1\n");
    for (const std::string& f : c.files) put(s, "class/student/" + f, "halt: bra halt\n");
    std::string processor = script(s, "processor", VERDICT("verdict 1 expect-failed") "exit 1\n");
    grade({"--processor", processor, "--out", s / "out", s / "task", s / "class"});
    nlohmann::json result = nlohmann::json::parse(fileText(s / "out/results/student/one.json"));
    EXPECT_EQ(result["reason"], c.reason) << c.files[0];
  }
}

TEST(GradeLimits, BadUsageIsRefusedBeforeAnyRun) {
  struct Case {
    std::vector<std::string> args;
    const char* manifest;
    std::string error;
  } cases[] = {
      {{"task", "class"}, "", "no --out DIR given (tarvik-grade --help shows the usage)"},
      {{"--out", "out", "task"}, "", "give ASSIGNMENT and SUBMISSIONS, two folders (tarvik-grade --help shows the usage)"},
      {{"-j0", "--out", "out", "task", "class"}, "", "-j needs a number of runs from 1 to 4096"},
      {{"--shard", "3/2", "--out", "out", "task", "class"}, "", "--shard needs I/N with 1 <= I <= N, as 2/4"},
      {{"--fast", "--out", "out", "task", "class"}, "", "unknown option '--fast' (tarvik-grade --help lists the options)"},
      {{"task", "class", "--out"}, "", "--out needs a folder"},
      {{"--processor=", "--out", "out", "task", "class"}, "", "--processor needs a program"},
      {{"--help=1", "--out", "out", "task", "class"}, "", "unknown option '--help=1' (tarvik-grade --help lists the options)"},
      {{"report", "--shard", "1/2", "--out", "out", "class"}, "", "unknown option '--shard' (tarvik-grade --help lists the options)"},
      {{"--out", "task/out", "task", "class"}, "",
       "--out task/out is inside the assignment or the submissions: results would be graded"},
      {{"--out", "out", "class", "class"}, "", "the assignment class holds no tests (NAME.expect files)"},
      {{"--out", "out", "task", "class"}, "kind = \"cpu\"\n", "assignment.toml: kind must be \"processor\", \"circuit\" or \"tests\""},
      {{"--out", "out", "task", "class"}, "processor = \"5z\"\n", "assignment.toml: processor must be \"5a\" or \"5b\""},
      {{"--out", "out", "task", "class"}, "kind = \"tests\"\n",
       "a tests assignment needs the circuit its students test: reference.cpp in task"},
      {{"--out", "out", "task", "class"}, "[coverage]\nfull = 90\n",
       "assignment.toml: [coverage] is for kind = \"tests\" only"},
      {{"--out", "out", "task", "class"}, "[tests.two]\nweight = 2\n",
       "assignment.toml: [tests.two] names no test file of the assignment"},
      {{"--out", "out", "task", "class"}, "[tests.one]\nweight = -1\n",
       "assignment.toml: [tests.one] weight must be a number from 0 to 1000000"},
      {{"--out", "out", "task", "class"}, "[limits]\ntimeout = 0\n",
       "assignment.toml: limits.timeout must be a whole number from 1 to 86400"},
      {{"--out", "out", "task", "class"}, "kind = \n", "TOML"},
      {{"--out", "out", "task", "class"}, "LOAD", "task/one.load:2: not MEMORY=IMAGE: 'RAM'"},
      {{"report", "--out", "out", "class"}, "", "report needs ASSIGNMENT, SUBMISSIONS and the result folders to join"},
      {{"report", "--out", "out", "task", "class", "class"}, "", "class holds no results (no results folder)"},
  };
  for (const Case& c : cases) {
    ScratchFolder s;
    put(s, "task/one.expect", "Reg1 1\n");
    if (std::string(c.manifest) == "LOAD") put(s, "task/one.load", "\nRAM\n");
    else if (*c.manifest) put(s, "task/assignment.toml", c.manifest);
    put(s, "class/student/prog.s", "halt: bra halt\n");
    std::vector<std::string> args;
    for (const std::string& a : c.args) args.push_back(a == "task" || a == "class" || a.find('/') != std::string::npos
                                                           ? s / a : a == "out" ? s / "out" : a);
    RunResult r = grade(args);
    EXPECT_EQ(r.status, 2) << c.error;
    EXPECT_EQ(r.out, "");
    std::string shown = r.err;
    for (size_t at; (at = shown.find(s.path + "/")) != std::string::npos;) shown.erase(at, s.path.size() + 1);
    if (c.error == "TOML") {
      EXPECT_EQ(shown.rfind("ERROR -- task/assignment.toml:1: ", 0), 0u) << shown;
    } else {
      EXPECT_EQ(shown, "ERROR -- " + c.error + "\n");
    }
    EXPECT_EQ(fileText(s / "out/table.txt"), "");
  }
}

// A circuit assignment builds each student's source once; a source that does not compile fails every
// test with the compiler's first lines.  (Running a built circuit needs --test.)
TEST(GradeLimits, ACircuitThatDoesNotCompileFailsEveryTest) {
  ScratchFolder s;
  for (const char* test : {"a.test", "b.test"}) put(s, std::string("task/") + test, "");
  put(s, "class/student/gates.cpp", "this is not C++\n");
  put(s, "class/absent/notes.txt", "\n");
  RunResult r = grade({"--out", s / "out", s / "task", s / "class"});
  EXPECT_EQ(r.status, 0) << r.err;
  for (const char* test : {"a", "b"}) {
    nlohmann::json result = nlohmann::json::parse(fileText(s / "out/results/student/" + test + ".json"));
    EXPECT_EQ(result["reason"], "does not compile");
    EXPECT_NE(result["output"].get<std::string>().find("gates.cpp:1:1: error"), std::string::npos) << result["output"];
  }
  EXPECT_NE(r.out.find("absent a: no circuit source (.cpp) in the folder\n"), std::string::npos) << r.out;
}

// A build is judged by its own limits, and its output names none of the teacher's folders: a stand-in
// compiler prints the folders it was given, as a compiler's notes and the linker's errors do.
TEST(GradeLimits, ABuildFailsInItsOwnTerms) {
  struct Case {
    const char* compiler;
    const char* reason;
    const char* output;
  } cases[] = {
      {"sleep 30\n", "does not compile: timed out after 1 s", ""},
      {"echo \"cannot write $2\"; for a; do case $a in *.a) echo \"$a: undefined\";; esac; done\n"
       "for a; do case $a in -I*) echo \"${a#-I}/Sim.h:1: note\";; esac; done; exit 1\n",
       "does not compile", "cannot write circuit\ntarvik/libtarvik_main.a: undefined\n"
       "tarvik/libtarvik.a: undefined\ntarvik/Sim.h:1: note\n"},
  };
  for (const Case& c : cases) {
    ScratchFolder s;
    put(s, "task/one.test", "");
    put(s, "task/assignment.toml", "[limits]\nbuild_timeout = 1\ntimeout = 5\n");
    put(s, "class/ann/adder.cpp", "\n");
    std::string compiler = script(s, "cc", c.compiler);
    RunResult r = runProgram("/usr/bin/env", {"CXX=" + compiler, gradeProgram, "--out", s / "out", s / "task",
                                              s / "class"}, 60);
    EXPECT_EQ(r.status, 0) << r.err;
    nlohmann::json result = nlohmann::json::parse(fileText(s / "out/results/ann/one.json"));
    EXPECT_EQ(result["reason"], c.reason);
    std::string output = result["output"];
    EXPECT_EQ(output.substr(0, std::string(c.output).size()), c.output);
    for (const std::string& folder : {std::string(TARVIK_SOURCE_DIR), s.path})
      EXPECT_EQ(output.find(folder), std::string::npos) << output;
  }
}

// A circuit assignment end to end: the student's circuit built once and run against each table, whose
// failing lines name the table without the assignment's folder.
TEST(GradeLimits, ACircuitIsBuiltAndRunAgainstEveryTable) {
  std::string adder = TARVIK_SOURCE_DIR "/examples/full_adder", table = fileText(adder + ".test");
  ASSERT_FALSE(table.empty());
  ScratchFolder s;
  put(s, "task/right.test", table);
  std::string wrong = table;
  wrong.replace(wrong.find("1 1 0   : 0 1"), 13, "1 1 0   : 1 1");
  put(s, "task/wrong.test", wrong);
  put(s, "class/ann/adder.cpp", fileText(adder + ".cpp"));
  RunResult r = grade({"--out", s / "out", s / "task", s / "class"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "student  right  wrong  score\nann      1      0      1/2\n\nann wrong: wrong result\n");
  nlohmann::json result = nlohmann::json::parse(fileText(s / "out/results/ann/wrong.json"));
  EXPECT_EQ(result["output"], "wrong.test:9: step 7: s expected 1, actual 0\n7 passed, 1 failed\n");
}

// A circuit's program only writes its netlist; tarvik-sim plays the tables on it.  A program that ends
// itself, however it says it passed (even on the verdict descriptor), builds no circuit; a circuit without a table's input fails with
// tarvik-sim's reason.
TEST(GradeLimits, ACircuitIsJudgedByItsNetlistOnly) {
  std::string adder = TARVIK_SOURCE_DIR "/examples/full_adder", source = fileText(adder + ".cpp");
  const std::string simnet = "void simnet() {";
  struct Hostile {
    const char* student;
    std::string before, inSimnet, reason;
  };
  const std::string exits = "#include <cstdlib>\n#include <cstdio>\n#include <unistd.h>\n";
  const Hostile cases[] = {
      {"quits", exits, "exit(0);", "does not build a circuit"},
      {"early", exits + "static int gone = (_exit(0), 0);\n", "", "does not build a circuit"},
      {"boasts", exits, "printf(\"8 passed, 0 failed\\n\"); fflush(stdout); _exit(0);", "does not build a circuit"},
      {"forges", exits, "if (const char* fd = getenv(\"TARVIK_VERDICT_FD\")) dprintf(atoi(fd), \"verdict 0 passed\\n\"); _exit(0);",
       "does not build a circuit"},
      {"nocin", "", "", "does not fit the table"},
      {"honest", "", "", ""},
  };
  ScratchFolder s;
  put(s, "task/right.test", fileText(adder + ".test"));
  for (const Hostile& h : cases) {
    std::string text = source;
    text.replace(text.find(simnet), simnet.size(), h.before + simnet + "\n  " + h.inSimnet);
    if (std::string(h.student) == "nocin") text.replace(text.find("\"cin\")"), 6, "\"c_in\")");
    put(s, std::string("class/") + h.student + "/adder.cpp", text);
  }
  RunResult r = grade({"--out", s / "out", s / "task", s / "class"});
  EXPECT_EQ(r.status, 0) << r.err;
  for (const Hostile& h : cases) {
    nlohmann::json result = nlohmann::json::parse(fileText(s / ("out/results/" + std::string(h.student) + "/right.json")));
    EXPECT_EQ(result["reason"], h.reason) << h.student << ": " << result["output"];
    EXPECT_EQ(result["score"], h.reason.empty() ? 1.0 : 0.0) << h.student;
  }
}

}  // namespace
