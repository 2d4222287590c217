// tarvik-grade end to end on the sample assignment: its reports byte for byte, read back as JUnit and
// autograder JSON, and the same whatever the shards, the number of jobs or an interrupted run.
#include <gtest/gtest.h>

#include <cstdio>
#include <nlohmann/json.hpp>
#include <pugixml.hpp>

#include "test_grade_rig.h"

namespace {

TEST(Grade, SampleAssignmentGivesTheKeptReports) {
  ScratchFolder s;
  RunResult r = gradeSample(s / "out", {"-j2"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.out, fileText(sampleAssignment + "/expected/table.txt"));
  EXPECT_EQ(reportFiles(s / "out"), reportFiles(sampleAssignment + "/expected"));
}

// The circuit sample: each student's source built once, run against each table; a wrong carry, a source
// that does not compile and a folder without one each fail with their reason.
TEST(Grade, CircuitSampleGivesTheKeptReports) {
  ScratchFolder s;
  RunResult r = gradeSample(s / "out", {"-j2"}, circuitSample);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.out, fileText(circuitSample + "/expected/table.txt"));
  const std::vector<std::string> students = {"ada", "bert", "carla", "dan"};
  EXPECT_EQ(reportFiles(s / "out", students), reportFiles(circuitSample + "/expected", students));
}

// The tests sample: the students' tables graded by the share of the teacher's adder's faults they
// notice, with the manifest's minimum and full coverage; a folder without a table scores nothing.
TEST(Grade, TestsSampleGivesTheKeptReports) {
  ScratchFolder s;
  const std::string sample = TARVIK_SOURCE_DIR "/examples/assignments/adder-tests";
  RunResult r = gradeSample(s / "out", {"-j2"}, sample);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.out, fileText(sample + "/expected/table.txt"));
  const std::vector<std::string> students = {"empty", "thorough", "weak"};
  EXPECT_EQ(reportFiles(s / "out", students), reportFiles(sample + "/expected", students));
}

// `processor = "5b"` runs the tests on 5b-forwarding, found as 5a-LD-hazard is: a load's reader right
// after it sees the loaded value there, the old one on 5a.
TEST(Grade, TheManifestPicksTheProcessor) {
  for (const char* manifest : {"", "processor = \"5b\"\n"}) {
    ScratchFolder s;
    put(s, "task/one.expect", "Reg2 0x0204\n");
    if (*manifest) put(s, "task/assignment.toml", manifest);
    put(s, "class/student/prog.s", "setlo r6, 20\nld r1, [r6 + 0]\nadd r2, r1, r1\nhalt: bra halt\nnop\nnop\nnop\n"
                                   ".org 20\n.word 0x0102\n");
    RunResult r = grade({"--out", s / "out", s / "task", s / "class"});
    EXPECT_EQ(r.status, 0) << r.err;
    nlohmann::json result = nlohmann::json::parse(fileText(s / "out/results/student/one.json"));
    EXPECT_EQ(result["reason"], *manifest ? "" : "wrong result") << manifest;
  }
}

TEST(Grade, JunitHasASuitePerStudentAndTheReasons) {
  ScratchFolder s;
  gradeSample(s / "out");
  pugi::xml_document doc;
  ASSERT_TRUE(doc.load_file((s / "out/junit.xml").c_str()));
  pugi::xml_node suites = doc.child("testsuites");
  EXPECT_EQ(suites.attribute("tests").as_int(), 20);
  EXPECT_EQ(suites.attribute("failures").as_int(), 15);
  std::map<std::string, std::string> firstFailure;
  for (pugi::xml_node suite : suites.children("testsuite")) {
    EXPECT_EQ(std::distance(suite.children("testcase").begin(), suite.children("testcase").end()), 4);
    pugi::xml_node failure = suite.find_child([](pugi::xml_node t) { return bool(t.child("failure")); });
    firstFailure[suite.attribute("name").value()] = failure.child("failure").attribute("message").value();
  }
  std::map<std::string, std::string> expected{{"ada", ""},
                                              {"bert", "wrong result"},
                                              {"carla", "does not assemble"},
                                              {"dmitri", "did not halt within 400 cycles"},
                                              {"eve", "no program (.s, .asm or .hex) in the folder"}};
  EXPECT_EQ(firstFailure, expected);
}

TEST(Grade, AutograderResultsKeepHiddenOutputBack) {
  ScratchFolder s;
  gradeSample(s / "out");
  nlohmann::json bert = nlohmann::json::parse(fileText(s / "out/autograder/bert/results.json"));
  EXPECT_EQ(bert["score"], 1.0);
  ASSERT_EQ(bert["tests"].size(), 4u);
  for (const nlohmann::json& t : bert["tests"]) {
    bool hidden = t["name"] == "secret";
    EXPECT_EQ(t["visibility"], hidden ? "hidden" : "visible");
    EXPECT_EQ(t["max_score"], t["name"] == "large" ? 2.0 : 1.0);
    if (hidden) {
      EXPECT_EQ(t["output"], "");
    }
  }
  // A wrong result against the reference: the items that differ, with the words that wrote them.
  EXPECT_EQ(bert["tests"][0]["output"],
            "wrong result\n--compare-with: at the end 2 of 2 items checked differ\n"
            "  RAM[8]: yours 0x001c, reference 0x0024; last written in cycle 71 by 12 st r3, [r1 + 1] (line 14)\n"
            "  Reg3: yours 0x001c, reference 0x0024; last written in cycle 67 by 7 add r3, r3, r4 (line 9)\n"
            "MISMATCH -- RAM[8]: expected 36, actual 28\nMISMATCH -- Reg3: expected 36, actual 28\n");
}

TEST(Grade, ShardsJoinedEqualASingleRun) {
  ScratchFolder s;
  gradeSample(s / "whole");
  for (const char* shard : {"1/2", "2/2"}) gradeSample(s / ("shard" + std::string(1, shard[0])), {"--shard", shard});
  EXPECT_EQ(fileText(s / "shard2/grades.csv"), "student,counting,large,secret,zeros,score,max_score\n"
                                                "ada,1,2,1,1,5,5\n");
  RunResult r = grade({"report", "--out", s / "joined", sampleAssignment + "/assignment",
                       sampleAssignment + "/submissions", s / "shard1", s / "shard2"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, fileText(s / "whole/table.txt"));
  EXPECT_EQ(reportFiles(s / "joined"), reportFiles(s / "whole"));
}

TEST(Grade, OneJobGivesWhatTwoGive) {
  ScratchFolder s;
  gradeSample(s / "one", {"-j", "1"});
  gradeSample(s / "two", {"-j2"});
  EXPECT_EQ(reportFiles(s / "one"), reportFiles(s / "two"));
}

// A finished result is kept, not run again; a missing one is run.
TEST(Grade, RerunKeepsFinishedResults) {
  ScratchFolder s;
  gradeSample(s / "out");
  std::string kept = s / "out/results/bert/zeros.json", missing = s / "out/results/ada/large.json";
  std::string marked = fileText(kept);
  marked.replace(marked.find("\"reason\": \"\""), 12, "\"reason\": \"kept\"");
  s.write("out/results/bert/zeros.json", marked);
  std::string ran = fileText(missing);
  ASSERT_EQ(remove(missing.c_str()), 0);
  RunResult r = gradeSample(s / "out");
  EXPECT_EQ(fileText(kept), marked);
  EXPECT_EQ(fileText(missing), ran);
  EXPECT_NE(r.out.find("bert zeros: kept\n"), std::string::npos) << r.out;
}

}  // namespace
