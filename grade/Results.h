// One student's result on one test, kept in DIR/results/STUDENT/TEST.json (nlohmann-json).  The
// reports are made from these files alone, so that shards joined by "report" give a single run's.
// A result belongs to the file it is in: its path names the student and the test, and the names it
// holds must agree.
#ifndef TARVIK_GRADE_RESULTS_H
#define TARVIK_GRADE_RESULTS_H

#include <string>
#include <vector>

#include "Assignment.h"

struct GradeResult {
  std::string student, test;  // as the folder and file names hold them (the file: as shownName shows them)
  std::string assignment;  // the identity of the assignment it was graded against
  double score = 0, maxScore = 1;
  bool hidden = false;
  std::string reason;  // empty: passed
  std::string output;  // the first lines of what the run printed, when it failed
  std::string file;    // where it was read from (not written)
};

// A score a result may hold: finite, 0 <= score <= maxScore <= this.
const double maximumScore = 1e6;

std::string resultFileName(const std::string& dir, const std::string& student, const std::string& test);
std::string resultText(const GradeResult& r);
// The result in text, the contents of file, which lies in DIR/results/STUDENT/ and is named TEST.json;
// false with problem (naming file) when the text is damaged, names another student or test, or holds a
// score out of range.
bool resultFromText(const std::string& file, const std::string& student, const std::string& test,
                    const std::string& text, GradeResult& r, std::string& problem);
// Every result under DIR/results, sorted by student and test.
bool readResults(const std::string& dir, std::vector<GradeResult>& results, std::string& problem);
// False with problem (naming the file) when a result is not one the class can have: its student has
// no folder in the submissions (students), its test is not the assignment's, or it holds another
// weight or visibility than the test's; or when it is of another assignment identity (problem: the
// file, then anotherAssignment).
bool resultsOfClass(const std::vector<GradeResult>& results, const Assignment& a,
                    const std::vector<std::string>& students, const std::string& anotherAssignment,
                    std::string& problem);
// By student and test; results of one student and test keep their order.
void sortResults(std::vector<GradeResult>& results);
// False with problem when results (sorted by student and test) hold two for one student and test, or
// results of two assignments: they cannot be joined into one report.
bool resultsJoin(const std::vector<GradeResult>& results, std::string& problem);
// False with problem when DIR's results or autograder folder, or a student's folder in them, is a
// symbolic link: the grader writes and removes files there, never elsewhere.
bool noLinksToWriteThrough(const std::string& dir, std::string& problem);
// Makes DIR/results hold exactly results: writes each, removes every other result file (and the
// autograder report of a student left without results).  False with problem when a file cannot be
// written or removed.
bool replaceResults(const std::string& dir, const std::vector<GradeResult>& results, std::string& problem);

#endif
