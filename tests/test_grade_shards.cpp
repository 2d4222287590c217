// Shards: a student goes to a shard by a hash of the name, so that adding a student moves no other; the
// shard comes from --shard or else from a cluster's or CI's environment, whose bad values are refused.
#include <gtest/gtest.h>

#include <stdlib.h>

#include <algorithm>

#include "test_grade_rig.h"

namespace {

// A class whose stand-in processor fails every run: grades.csv lists the students a grading took.
struct ShardClass {
  ScratchFolder s;
  std::string processor;
  explicit ShardClass(const std::vector<std::string>& students) {
    put(s, "task/one.expect", "Reg1 1\n");
    for (const std::string& student : students) put(s, "class/" + student + "/prog.s", "\n");
    processor = script(s, "processor", "exit 1\n");
  }
  RunResult grade(const std::string& out, std::vector<std::string> options = {}) {
    options.insert(options.end(), {"--processor", processor, "--out", s / out, s / "task", s / "class"});
    return ::grade(options);
  }
  // The students of a grading, one a line.
  std::string graded(const std::string& out) {
    std::string csv = fileText(s / (out + "/grades.csv")), names;
    for (size_t line = csv.find('\n'); line + 1 < csv.size(); line = csv.find('\n', line + 1))
      names += csv.substr(line + 1, csv.find(',', line) - line - 1) + " ";
    return names;
  }
};

TEST(GradeShards, StudentsGoToShardsByTheirNames) {
  const char* expected[] = {"", "ada ", "bert carla dmitri eve ", ""};
  for (bool withFay : {false, true}) {
    std::vector<std::string> students{"ada", "bert", "carla", "dmitri", "eve"};
    if (withFay) students.push_back("fay");
    ShardClass k(students);
    std::string all;
    for (int i = 1; i <= 4; ++i) {
      std::string out = "s" + std::to_string(i);
      ASSERT_EQ(k.grade(out, {"--shard", std::to_string(i) + "/4"}).status, 0);
      std::string mine = k.graded(out);
      all += mine;
      // fay joins a shard; nobody else moves.
      std::string withoutFay = mine.find("fay ") == std::string::npos ? mine : mine.erase(mine.find("fay "), 4);
      EXPECT_EQ(withoutFay, expected[i - 1]) << i;
    }
    EXPECT_EQ(std::count(all.begin(), all.end(), ' '), long(students.size()));  // each in exactly one shard
  }
}

TEST(GradeShards, TheEnvironmentNamesTheShardWhenNoneIsGiven) {
  struct Case {
    std::vector<std::pair<const char*, const char*>> variables;
    std::vector<std::string> options;
    int status;
    std::string err, graded;
  } cases[] = {
      {{{"TARVIK_SHARD", "2/2"}}, {}, 0, "tarvik-grade: grading shard 2/2 (from TARVIK_SHARD)\n", "ada "},
      {{{"TARVIK_SHARD", "2/2"}}, {"--shard", "1/2"}, 0, "", "bert "},
      {{{"SLURM_ARRAY_TASK_ID", "5"}, {"SLURM_ARRAY_TASK_MIN", "4"}, {"SLURM_ARRAY_TASK_MAX", "5"},
        {"SLURM_ARRAY_TASK_COUNT", "2"}},
       {}, 0, "tarvik-grade: grading shard 2/2 (from SLURM_ARRAY_TASK_ID and SLURM_ARRAY_TASK_COUNT)\n", "ada "},
      {{{"JOB_COMPLETION_INDEX", "0"}, {"TARVIK_SHARDS", "2"}}, {}, 0,
       "tarvik-grade: grading shard 1/2 (from JOB_COMPLETION_INDEX and TARVIK_SHARDS)\n", "bert "},
      {{{"TARVIK_SHARD", "3/2"}}, {}, 2,
       "ERROR -- TARVIK_SHARD=3/2 is not a shard: it needs I/N with 1 <= I <= N, as 2/4\n", ""},
      {{{"SLURM_ARRAY_TASK_ID", "4"}, {"SLURM_ARRAY_TASK_MIN", "0"}, {"SLURM_ARRAY_TASK_MAX", "8"},
        {"SLURM_ARRAY_TASK_COUNT", "3"}},
       {}, 2,
       "ERROR -- the Slurm array's SLURM_ARRAY_TASK_ID=4, SLURM_ARRAY_TASK_MIN=0, SLURM_ARRAY_TASK_MAX=8 and "
       "SLURM_ARRAY_TASK_COUNT=3 are not a shard: the array must be one range of at most 4096 tasks with no step "
       "(--array=1-8)\n",
       ""},
      {{{"JOB_COMPLETION_INDEX", "2"}}, {}, 2,
       "ERROR -- the indexed job's JOB_COMPLETION_INDEX=2 and TARVIK_SHARDS=(unset) are not a shard: TARVIK_SHARDS "
       "must be the job's completions (1 to 4096) and the index below it\n",
       ""},
  };
  for (const Case& c : cases) {
    ShardClass k({"ada", "bert"});
    for (const auto& [name, value] : c.variables) setenv(name, value, 1);
    RunResult r = k.grade("out", c.options);
    for (const auto& [name, value] : c.variables) unsetenv(name);
    EXPECT_EQ(r.status, c.status) << c.err;
    EXPECT_EQ(r.err, c.err);
    EXPECT_EQ(k.graded("out"), c.graded) << c.err;
  }
}

}  // namespace
