// Fuzz target: result files and the totals report makes of them.
//
// The input is result files separated by NUL bytes, each "STUDENT/TEST" on its first line (where the
// file lies) and then its text.  A file that is taken holds its path's student and test and a score
// from 0 to its max_score, and what tarvik-grade would write for it reads back the same; one that is
// refused names its file.  When the taken ones join (no student and test twice, one assignment), every
// student's total is finite and at most the total of the maxima, and so is the autograder's.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <map>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "FuzzCheck.h"
#include "Reports.h"
#include "Results.h"

namespace {

bool sameResult(const GradeResult& a, const GradeResult& b) {
  return a.student == b.student && a.test == b.test && a.assignment == b.assignment && a.score == b.score &&
         a.maxScore == b.maxScore && a.hidden == b.hidden && a.reason == b.reason && a.output == b.output;
}

// The result in a piece, or false when it is refused.
bool takenResult(const std::string& piece, GradeResult& r) {
  size_t newline = piece.find('\n'), slash = piece.find('/');
  if (newline == std::string::npos || slash > newline) return false;
  std::string student = piece.substr(0, slash), test = piece.substr(slash + 1, newline - slash - 1);
  std::string file = "results/" + student + "/" + test + ".json", problem;
  if (!resultFromText(file, student, test, piece.substr(newline + 1), r, problem)) {
    require(problem.rfind(file, 0) == 0, "a refused result names its file");
    return false;
  }
  require(r.student == student && r.test == test, "a result is its path's");
  require(std::isfinite(r.score) && r.score >= 0 && r.score <= r.maxScore, "a score is from 0 to its maximum");
  GradeResult back;
  require(resultFromText(file, student, test, resultText(r), back, problem) && sameResult(r, back),
          "a result written reads back the same");
  return true;
}

void checkTotals(const std::vector<GradeResult>& results) {
  std::map<std::string, std::pair<double, double>> totals;
  for (const GradeResult& r : results) totals[r.student].first += r.score, totals[r.student].second += r.maxScore;
  for (const auto& [student, total] : totals)
    require(std::isfinite(total.second) && total.first <= total.second, "a total is at most its maximum");
  // The autograder's total is a number (JSON has no inf or nan: they would show as null).
  std::map<std::string, std::vector<GradeResult>> own;
  for (const GradeResult& r : results) own[r.student].push_back(r);
  for (const auto& [student, theirs] : own) {
    nlohmann::json report = nlohmann::json::parse(autograderText(theirs));
    require(report["score"].is_number() && std::isfinite(report["score"].get<double>()),
            "the autograder's total is a finite number");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<GradeResult> results;
  for (const std::string& piece : nulSeparatedWords(data, size, 8, 2048)) {
    GradeResult r;
    if (takenResult(piece, r)) results.push_back(r);
  }
  sortResults(results);
  std::string problem;
  if (!resultsJoin(results, problem)) {
    require(!problem.empty(), "a refused join says why");
    return 0;
  }
  for (size_t i = 1; i < results.size(); i++)
    require(results[i - 1].student != results[i].student || results[i - 1].test != results[i].test,
            "joined results hold each student and test once");
  checkTotals(results);
  return 0;
}
