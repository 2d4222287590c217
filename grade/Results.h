// One student's result on one test, kept in DIR/results/STUDENT/TEST.json (nlohmann-json).  The
// reports are made from these files alone, so that shards joined by "report" give a single run's.
#ifndef TARVIK_GRADE_RESULTS_H
#define TARVIK_GRADE_RESULTS_H

#include <string>
#include <vector>

struct GradeResult {
  std::string student, test;
  double score = 0, maxScore = 1;
  bool hidden = false;
  std::string reason;  // empty: passed
  std::string output;  // the first lines of what the run printed, when it failed
};

std::string resultFileName(const std::string& dir, const std::string& student, const std::string& test);
std::string resultText(const GradeResult& r);
// False with problem when the file is not a result (a half-written one never exists: files are renamed
// into place whole).
bool readResultFile(const std::string& path, GradeResult& r, std::string& problem);
// Every result under DIR/results, sorted by student and test.
bool readResults(const std::string& dir, std::vector<GradeResult>& results, std::string& problem);

#endif
