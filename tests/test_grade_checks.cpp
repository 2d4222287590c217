// tarvik-grade's checks of what it reads: a manifest or .load file the runs would refuse is refused
// before any run, and result files that are damaged, out of range, copied or of another assignment
// are refused rather than counted.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <nlohmann/json.hpp>

#include "test_grade_rig.h"

namespace {

// A one-test assignment graded by a stand-in processor that passes every run.
struct Class {
  ScratchFolder s;
  std::string processor;
  Class() {
    put(s, "task/one.expect", "Reg1 1\n");
    put(s, "task/data.hex", "0000\n");
    put(s, "class/student/prog.s", "halt: bra halt\n");
    processor = script(s, "processor", "echo 'verdict 0 passed' >/dev/fd/$TARVIK_VERDICT_FD; exit 0\n");
  }
  RunResult grade() { return ::grade({"--processor", processor, "--out", s / "out", s / "task", s / "class"}); }
};

TEST(GradeChecks, AManifestTheRunsWouldRefuseIsRefusedBeforeAnyRun) {
  struct Case {
    const char* manifest;
    const char* load;
    const char* error;
  } cases[] = {
      {"[limits]\ncycles = 10000001\n", "", "assignment.toml: limits.cycles must be a whole number from 1 to 10000000"},
      {"", "RAM=missing.hex\n", "task/one.load:1: the image task/missing.hex of RAM is not a file"},
      {"", "Cache=data.hex\n",
       "task/one.load:1: the processor has no memory Cache (its memories are Memory.Rom, RAM, Memory.Ram, "
       "Memory.Ram_1)"},
      {"", "RAM=data.hex\n# again\nMemory.Ram = data.hex\n",
       "task/one.load:3: Memory.Ram is loaded on line 1 already (RAM): one image a memory"},
      {"", "Ram_1=data.hex\nRAM=data.hex\n",
       "task/one.load:2: RAM is loaded on line 1 already (Memory.Ram_1): one image a memory"},
      {"", "Rom=data.hex\ntop.Memory.Rom=data.hex\n",
       "task/one.load:2: top.Memory.Rom is loaded on line 1 already (Memory.Rom): one image a memory"},
      {"[tests.one]\noptions = [\"--cycles\", \"9\"]\n", "",
       "assignment.toml: [tests.one] options may not hold --cycles: the grader gives it"},
      {"[tests.one]\noptions = [\"--expect=x\"]\n", "",
       "assignment.toml: [tests.one] options may not hold --expect: the grader gives it"},
  };
  for (const Case& c : cases) {
    Class k;
    put(k.s, "task/assignment.toml", c.manifest);
    put(k.s, "task/one.load", c.load);
    RunResult r = k.grade();
    EXPECT_EQ(r.status, 2) << c.error;
    EXPECT_EQ(shownError(k.s, r.err), "ERROR -- " + std::string(c.error) + "\n");
    // Nothing was run, so nothing is kept to block the corrected assignment's grading.
    struct stat st;
    EXPECT_NE(stat((k.s / "out/results").c_str(), &st), 0) << c.error;
  }
}

// Each lane alone, the ROM by a shorter name, a circuit's own memory names: what the runs take is taken.
TEST(GradeChecks, LoadsTheRunsTakeAreTaken) {
  Class k;
  put(k.s, "task/one.load", "Ram=data.hex\nMemory.Ram_1=data.hex\nRom=data.hex\n");
  put(k.s, "task/assignment.toml", "[limits]\ncycles = 10000000\n");
  RunResult r = k.grade();
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "student  one  score\nstudent  1    1/1\n");
}

// The class report joins results of: students ada and bob, tests one and two.
void putReportClass(const ScratchFolder& s) {
  for (const char* test : {"one", "two"}) put(s, std::string("task/") + test + ".expect", "Reg1 1\n");
  for (const char* student : {"ada", "bob"}) put(s, std::string("class/") + student + "/prog.s", "\n");
}

// Its assignment identity, which depends on its files alone: learnt once from a grading.
const std::string& reportIdentity() {
  static const std::string identity = [] {
    ScratchFolder s;
    putReportClass(s);
    grade({"--processor", script(s, "processor", "exit 1\n"), "--out", s / "out", s / "task", s / "class"});
    return nlohmann::json::parse(fileText(s / "out/results/ada/one.json"))["assignment"].get<std::string>();
  }();
  return identity;
}

RunResult report(const ScratchFolder& s, const std::vector<std::string>& dirs) {
  std::vector<std::string> args{"report", "--out", s / "joined", s / "task", s / "class"};
  for (const std::string& dir : dirs) args.push_back(s / dir);
  return grade(args);
}

// A result file as tarvik-grade writes it, of the report's class unless another assignment is named.
std::string resultJson(const std::string& student, const std::string& test, const std::string& score,
                       const std::string& maxScore = "1", const std::string& assignment = "") {
  return "{\"student\": \"" + student + "\", \"test\": \"" + test + "\", \"score\": " + score +
         ", \"max_score\": " + maxScore + ", \"hidden\": false, \"passed\": true, \"reason\": \"\", \"output\": \"\", "
         "\"assignment\": \"" + (assignment.empty() ? reportIdentity() : assignment) + "\"}\n";
}

TEST(GradeChecks, ResultFilesThatCannotBeCountedAreRefused) {
  struct Case {
    const char* file;
    std::string text;
    const char* error;
  } cases[] = {
      {"ada/one.json", resultJson("ada", "one", "1").substr(0, 40),
       "a/results/ada/one.json is damaged (not whole JSON): delete it, and grading into its folder again runs its "
       "test anew"},
      {"ada/one.json", "[1]\n",
       "a/results/ada/one.json is damaged (not a JSON object): delete it, and grading into its folder again runs "
       "its test anew"},
      {"ada/one.json", resultJson("ada", "one", "\"1\""),
       "a/results/ada/one.json is damaged (a field of a result is missing or of the wrong type): delete it, and "
       "grading into its folder again runs its test anew"},
      {"ada/one.json", resultJson("ada", "one", "1e308", "1e308"),
       "a/results/ada/one.json holds score 1e+308 of max_score 1e+308: a score "
       "is from 0 to max_score, at most 1e+06"},
      {"ada/one.json", resultJson("ada", "one", "2"),
       "a/results/ada/one.json holds score 2 of max_score 1: a score is from 0 to max_score, at most 1e+06"},
      {"ada/one.json", resultJson("ada", "one", "-0.5"),
       "a/results/ada/one.json holds score -0.5 of max_score 1: a score is from 0 to max_score, at most 1e+06"},
      // A stray copy is keyed by its path and refused: it would count twice.
      {"ada/one copy.json", resultJson("ada", "one", "1"),
       "a/results/ada/one copy.json holds the result of student ada on test one, not the student and test its "
       "path names: a copy? remove it"},
      {"bob/one.json", resultJson("ada", "one", "1"),
       "a/results/bob/one.json holds the result of student ada on test one, not the student and test its path "
       "names: a copy? remove it"},
  };
  for (const Case& c : cases) {
    ScratchFolder s;
    putReportClass(s);
    put(s, "a/results/ada/two.json", resultJson("ada", "two", "1"));
    put(s, std::string("a/results/") + c.file, c.text);
    RunResult r = report(s, {"a"});
    EXPECT_EQ(r.status, 2) << c.error;
    EXPECT_EQ(shownError(s, r.err), "ERROR -- " + std::string(c.error) + "\n");
    EXPECT_EQ(fileText(s / "joined/table.txt"), "") << c.error;
  }
}

TEST(GradeChecks, ShardsThatDoNotJoinAreRefused) {
  struct Case {
    std::string first, second;
    const char* error;
  } cases[] = {
      {resultJson("ada", "one", "1"), resultJson("ada", "one", "0"),
       "two results for student ada on test one: a/results/ada/one.json and b/results/ada/one.json (join each "
       "shard once)"},
      {resultJson("ada", "one", "1"), resultJson("ada", "one", "1", "1", "a2"),
       "b/results/ada/one.json is a result of another assignment, or of this one before a change: grade its shard "
       "again"},
  };
  for (const Case& c : cases) {
    ScratchFolder s;
    putReportClass(s);
    put(s, "a/results/ada/one.json", c.first);
    put(s, "b/results/ada/one.json", c.second);
    RunResult r = report(s, {"a", "b"});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(shownError(s, r.err), "ERROR -- " + std::string(c.error) + "\n");
  }
}

// report's DIR holds what the shards hold now: a result graded again replaces the old one.  The shards
// must hold the whole class, each student in one of them: a missing result or a student in two is named.
TEST(GradeChecks, ReportFollowsTheShardsOfTheWholeClass) {
  ScratchFolder s;
  putReportClass(s);
  for (std::string test : {"one", "two"}) {
    put(s, "a/results/ada/" + test + ".json", resultJson("ada", test, "0"));
    put(s, "b/results/bob/" + test + ".json", resultJson("bob", test, "1"));
  }
  EXPECT_EQ(report(s, {"a", "b"}).out, "student  one  two  score\nada      0    0    0/2\nbob      1    1    2/2\n");
  put(s, "a/results/ada/one.json", resultJson("ada", "one", "1"));
  EXPECT_EQ(report(s, {"a", "b"}).out, "student  one  two  score\nada      1    0    1/2\nbob      1    1    2/2\n");
  std::string kept = fileText(s / "joined/table.txt");
  const std::string rest = " (grade their shards, or resume them, before joining)";
  struct Case {
    std::vector<std::string> dirs;
    const char* moved;  // a result moved from b to a first
    std::string error;
  } cases[] = {
      {{"a"}, "", "the shards hold no results for 1 of the class's students: bob" + rest},
      {{"a", "b"}, "bob/two.json",
       "student bob has results in two shards: a and b (each student belongs to one shard: join each shard once)"},
      {{"b"}, "bob/two.json", "the shards hold no results for 2 of the class's students: ada, bob (1 of 2 tests)" + rest},
  };
  for (const Case& c : cases) {
    if (*c.moved) put(s, std::string("a/results/") + c.moved, fileText(s / (std::string("b/results/") + c.moved)));
    if (*c.moved) remove((s / (std::string("b/results/") + c.moved)).c_str());
    RunResult r = report(s, c.dirs);
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(shownError(s, r.err), "ERROR -- " + c.error + "\n");
    EXPECT_EQ(fileText(s / "joined/table.txt"), kept) << c.error;
  }
}

// Results of the assignment before a change are not kept as if graded against the new one; a damaged
// result stops the grading before any run, with the way out.
TEST(GradeChecks, KeptResultsMustBeWholeAndOfTheAssignment) {
  Class k;
  ASSERT_EQ(k.grade().status, 0);
  std::string kept = fileText(k.s / "out/results/student/one.json");
  put(k.s, "task/assignment.toml", "[tests.one]\nweight = 2\n");
  RunResult r = k.grade();
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(shownError(k.s, r.err),
            "ERROR -- out/results/student/one.json is a result of another assignment, or of this one before a "
            "change: grade into a new --out DIR, or delete out/results to grade every test again\n");
  ASSERT_EQ(remove((k.s / "task/assignment.toml").c_str()), 0);
  put(k.s, "out/results/student/one.json", kept.substr(0, kept.size() / 2));
  r = k.grade();
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(shownError(k.s, r.err),
            "ERROR -- out/results/student/one.json is damaged (not whole JSON): delete it, and grading into its "
            "folder again runs its test anew\n");
  ASSERT_EQ(remove((k.s / "out/results/student/one.json").c_str()), 0);
  EXPECT_EQ(k.grade().status, 0);
  EXPECT_EQ(fileText(k.s / "out/results/student/one.json"), kept);
}

}  // namespace
