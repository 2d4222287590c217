// Names and texts every reader of the reports can read: a student's name that is not UTF-8 or holds
// control characters is shown escaped, the same way in every report, and its folder found again; what
// a run printed reaches junit.xml without a character XML 1.0 forbids.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <pugixml.hpp>

#include "test_grade_rig.h"

namespace {

struct Student {
  std::string folder, shown;
};

const Student students[] = {
    {"back\\slash", "back\\\\slash"},
    {"bad\x1bname", "bad\\x1bname"},
    {"new\nline", "new\\x0aline"},
    {"plain", "plain"},
    {"\xff", "\\xff"},
};

// Each student fails the one test, the stand-in processor printing an escape sequence and a stray byte.
struct NamedClass {
  ScratchFolder s;
  RunResult r;
  NamedClass() {
    put(s, "task/one.expect", "Reg1 1\n");
    for (const Student& student : students) put(s, "class/" + student.folder + "/prog.s", "halt: bra halt\n");
    std::string processor = script(s, "processor", "printf '\\033[31mred\\377\\n'; exit 1\n");
    r = grade({"--processor", processor, "--out", s / "out", s / "task", s / "class"});
  }
};

const char reason[] = "ended without a verdict (exit status 1)";

TEST(GradeNames, EveryReportShowsANameTheSameWay) {
  NamedClass k;
  ASSERT_EQ(k.r.status, 0) << k.r.err;
  std::string table = fileText(k.s / "out/table.txt"), csv = fileText(k.s / "out/grades.csv");
  EXPECT_EQ(k.r.out, table);
  EXPECT_EQ(linesOf(table).size(), 1 + 5 + 1 + 5u) << table;
  pugi::xml_document junit;
  ASSERT_TRUE(junit.load_file((k.s / "out/junit.xml").c_str()));
  pugi::xml_node suite = junit.child("testsuites").child("testsuite");
  for (const Student& student : students) {
    EXPECT_NE(table.find("\n" + student.shown + " "), std::string::npos) << student.shown;
    EXPECT_NE(table.find("\n" + student.shown + " one: " + reason + "\n"), std::string::npos) << student.shown;
    EXPECT_NE(csv.find("\n" + student.shown + ",0,0,1\n"), std::string::npos) << student.shown;
    EXPECT_EQ(suite.attribute("name").value(), student.shown);
    EXPECT_EQ(suite.child("testcase").attribute("classname").value(), student.shown);
    suite = suite.next_sibling("testsuite");
    // The folders DIR holds have the student's folder's own name; the result names the student as shown.
    nlohmann::json result = nlohmann::json::parse(fileText(k.s / ("out/results/" + student.folder + "/one.json")));
    EXPECT_EQ(result["student"], student.shown);
    EXPECT_NE(fileText(k.s / ("out/autograder/" + student.folder + "/results.json")), "") << student.shown;
  }
}

// Whatever a run printed, junit.xml holds only what XML 1.0 allows: the escape character is shown, the
// stray byte is U+FFFD as in the result file it is made from.
TEST(GradeNames, JunitHoldsNoCharacterXmlForbids) {
  NamedClass k;
  std::string junit = fileText(k.s / "out/junit.xml");
  EXPECT_NE(junit.find(">\\x1b[31mred\xef\xbf\xbd\n</failure>"), std::string::npos) << junit;
  for (const char* forbidden : {"\x1b", "\xff", "&#27;", "&#x1b;", "&#x1B;"})
    EXPECT_EQ(junit.find(forbidden), std::string::npos) << forbidden;
}

// The results read back as their students': grading again and joining them take every one.
TEST(GradeNames, ResultsOfAnyNameReadBack) {
  NamedClass k;
  std::string table = fileText(k.s / "out/table.txt");
  RunResult again = grade({"--processor", k.s / "processor", "--out", k.s / "out", k.s / "task", k.s / "class"});
  EXPECT_EQ(again.status, 0) << again.err;
  EXPECT_EQ(again.out, table);
  RunResult joined = grade({"report", "--out", k.s / "joined", k.s / "task", k.s / "class", k.s / "out"});
  EXPECT_EQ(joined.status, 0) << joined.err;
  EXPECT_EQ(joined.out, table);
}

}  // namespace
