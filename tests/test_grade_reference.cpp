// The teacher's reference solution: run first on every test, it sets each test's cycle cap when the
// manifest sets none, and a reference that fails a test stops the grading before any result is written.
#include <gtest/gtest.h>

#include <unistd.h>

#include "test_grade_rig.h"

namespace {

// A copy of a sample, to change its assignment; the grading's output goes to s/out.
struct SampleCopy {
  ScratchFolder s;
  explicit SampleCopy(const std::string& sample) {
    EXPECT_EQ(runProgram("/bin/cp", {"-r", sample + "/assignment", sample + "/submissions", s.path}).status, 0);
    chmod(s.path.c_str(), 0755);  // the sandbox's user, when the grader is root, reads the copies
  }
  RunResult grade() { return ::grade({"--out", s / "out", s / "assignment", s / "submissions"}); }
  std::string teacherFile(const std::string& name) const { return s / ("assignment/" + name); }
};

TEST(GradeReference, CapsEachTestFromTheReferenceCycles) {
  SampleCopy k(sampleAssignment);
  std::string manifest = fileText(k.teacherFile("assignment.toml"));
  k.s.write("assignment/assignment.toml", manifest.erase(manifest.find("cycles = 400"), 12));
  RunResult r = k.grade();
  ASSERT_EQ(r.status, 0) << r.err;
  // The reference halts at cycle 85 on every test: 4 x 85 + 1000.
  std::string table = fileText(k.s / "out/table.txt");
  EXPECT_NE(table.find("ada      1         2      1       1      5/5"), std::string::npos) << table;
  EXPECT_NE(table.find("dmitri zeros: did not halt within 1340 cycles\n"), std::string::npos) << table;
}

TEST(GradeReference, AFailingReferenceStopsTheGrading) {
  const std::string tail = "; the assignment is wrong, not the students: nothing was graded\n";
  struct Case {
    const char* sample;
    std::vector<std::pair<std::string, std::string>> references;  // name, a submission's file ("": empty)
    std::string error;
  } cases[] = {
      {"array-sum", {{"reference.s", "bert/sum.s"}},
       "the reference solution reference.s fails the test counting: wrong result (MISMATCH -- RAM[8]: "
       "expected 36, actual 28)" + tail},
      {"array-sum", {{"reference.asm", "carla/sum.s"}},
       "the reference solution reference.asm fails the test counting: does not assemble (reference.asm:6:24: "
       "expected a number, found ']')" + tail},
      {"array-sum", {{"reference.s", ""}, {"reference.hex", ""}},
       "the assignment holds more than one reference (reference.hex, reference.s): keep one\n"},
      {"array-sum", {{"reference.cpp", ""}},
       "the assignment's reference.cpp is not a processor assignment's reference (reference.s, reference.asm or "
       "reference.hex)\n"},
      {"full-adder", {{"reference.cpp", "bert/adder.cpp"}},
       "the reference solution reference.cpp fails the test carry: wrong result (carry.test:5: step 3: cout "
       "expected 1, actual 0)" + tail},
  };
  for (const Case& c : cases) {
    std::string sample = std::string(TARVIK_SOURCE_DIR "/examples/assignments/") + c.sample;
    SampleCopy k(sample);
    for (const char* kept : {"reference.s", "reference.cpp"}) unlink(k.teacherFile(kept).c_str());
    for (const auto& [name, from] : c.references)
      k.s.write("assignment/" + name, from.empty() ? "" : fileText(sample + "/submissions/" + from));
    RunResult r = k.grade();
    EXPECT_EQ(r.status, 2) << c.error;
    EXPECT_EQ(r.err, "ERROR -- " + c.error);
    EXPECT_NE(access((k.s / "out/results").c_str(), F_OK), 0) << c.error;
  }
}

}  // namespace
