// What tarvik-grade refuses to be led by: symbolic links among the students' files (each refused with
// its reason, never followed), result files that are not the class's, and a DIR inside the class.
#include <gtest/gtest.h>

#include <unistd.h>

#include <nlohmann/json.hpp>

#include "test_grade_rig.h"

namespace {

// A one-test class whose stand-in processor shows what it was given: its folder, then the program.
struct Class {
  ScratchFolder s;
  std::string processor;
  Class() {
    put(s, "task/one.expect", "Reg1 1 # the hidden check\n");
    put(s, "class/ann/prog.s", "ann's program\n");
    processor = script(s, "processor", "pwd; cat \"$4\"; exit 1\n");
  }
  RunResult grade(const std::string& out = "out") {
    return ::grade({"--processor", processor, "--out", s / out, s / "task", s / "class"});
  }
  nlohmann::json result(const std::string& student) {
    return nlohmann::json::parse(fileText(s / ("out/results/" + student + "/one.json")), nullptr, false);
  }
};

TEST(GradeRefusals, LinksAreRefusedNotFollowed) {
  struct Case {
    const char* student;  // a link in the class: student/prog.s, or the student's folder
    const char* target;   // relative to the scratch folder, or absolute
    const char* reason;
  } cases[] = {
      {"eve/prog.s", "/etc/passwd", "prog.s: a symbolic link (the grader follows none)"},
      {"eve/prog.s", "task/one.expect", "prog.s: a symbolic link (the grader follows none)"},
      {"eve/prog.s", "class/ann/prog.s", "prog.s: a symbolic link (the grader follows none)"},
      {"eve", "class/ann", "the folder is a symbolic link (the grader follows none)"},
  };
  for (const Case& c : cases) {
    Class k;
    std::string link = k.s / ("class/" + std::string(c.student)), target = c.target;
    mkdir((k.s / "class/eve").c_str(), 0777);
    rmdir(link.c_str());
    ASSERT_EQ(symlink(target[0] == '/' ? target.c_str() : (k.s / target).c_str(), link.c_str()), 0);
    RunResult r = k.grade();
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(k.result("eve")["reason"], c.reason) << c.target;
    EXPECT_EQ(k.result("eve")["output"], "") << c.target;
    // The honest student's run read the grader's copy, elsewhere than the student's folder.
    std::string annOutput = k.result("ann")["output"];
    EXPECT_EQ(annOutput.substr(annOutput.find('\n') + 1), "ann's program\n");
    EXPECT_EQ(annOutput.find(k.s / "class"), std::string::npos) << annOutput;
    for (const auto& [name, text] : reportFiles(k.s / "out", {"ann", "eve"})) {
      EXPECT_EQ(text.find("root:"), std::string::npos) << name;
      EXPECT_EQ(text.find("hidden check"), std::string::npos) << name;
    }
  }
}

// A DIR refused for lying inside the class is not made: it would be graded as a student next time.
TEST(GradeRefusals, ARefusedOutIsNotCreated) {
  Class k;
  RunResult r = k.grade("class/out");
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(shownError(k.s, r.err),
            "ERROR -- --out class/out is inside the assignment or the submissions: results would be graded\n");
  EXPECT_NE(access((k.s / "class/out").c_str(), F_OK), 0);
}

// report takes a result only for a student of the submissions and a test of the assignment, as the
// assignment holds it, and reads and writes no result through a link.
TEST(GradeRefusals, ReportTakesOnlyTheClassResults) {
  Class k;
  ASSERT_EQ(k.grade().status, 0);
  std::string kept = fileText(k.s / "out/results/ann/one.json");
  auto edited = [&](const std::string& from, const std::string& to) {
    std::string text = kept;
    return text.replace(text.find(from), from.size(), to);
  };
  struct Case {
    const char* file;
    std::string text;
    std::string error;
  } cases[] = {
      {"bob/one.json", edited("\"ann\"", "\"bob\""),
       "results/bob/one.json is a result of bob, who has no folder in the submissions: remove it"},
      {"ann/two.json", edited("\"one\"", "\"two\""),
       "results/ann/two.json is a result of test two, which the assignment does not hold: remove it"},
      {"ann/one.json", edited("\"assignment\": \"", "\"assignment\": \"0"),
       "results/ann/one.json is a result of another assignment, or of this one before a change: grade its "
       "shard again"},
      {"ann/one.json", edited("\"hidden\": false", "\"hidden\": true"),
       "results/ann/one.json holds another max_score or hidden than its test's in the assignment: remove it"},
      {"ann", "LINK", "results/ann is a symbolic link: the grader reads and writes results through no link "
                      "(remove it)"},
  };
  for (const Case& c : cases) {
    ScratchFolder shard;
    if (c.text == "LINK") {
      mkdir((shard / "results").c_str(), 0777);
      ASSERT_EQ(symlink((k.s / "out/results/ann").c_str(), (shard / "results/ann").c_str()), 0);
    } else {
      put(shard, std::string("results/") + c.file, c.text);
    }
    RunResult r = grade({"report", "--out", k.s / "joined", k.s / "task", k.s / "class", shard.path});
    EXPECT_EQ(r.status, 2) << c.error;
    EXPECT_EQ(shownError(shard, r.err), "ERROR -- " + c.error + "\n");
    EXPECT_NE(access((k.s / "joined/results").c_str(), F_OK), 0) << c.error;
  }
  // Nor is a result written or removed through a link in the DIR written to.
  mkdir((k.s / "joined").c_str(), 0777);
  ASSERT_EQ(symlink((k.s / "class").c_str(), (k.s / "joined/results").c_str()), 0);
  RunResult r = grade({"report", "--out", k.s / "joined", k.s / "task", k.s / "class", k.s / "out"});
  EXPECT_EQ(shownError(k.s, r.err), "ERROR -- joined/results is a symbolic link: the grader reads and writes "
                                    "results through no link (remove it)\n");
  EXPECT_EQ(fileText(k.s / "class/ann/one.json"), "");
}

}  // namespace
