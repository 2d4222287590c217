#include "Results.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <nlohmann/json.hpp>
#include <set>

#include "FileIO.h"
#include "GradeFiles.h"

namespace {

const char resultSuffix[] = ".json";

// What a damaged file says, with the way out: without the file its test is graded again.
std::string damaged(const std::string& file, const std::string& what) {
  return file + " is damaged (" + what + "): delete it, and grading into its folder again runs its test anew";
}

bool readFields(const nlohmann::json& j, GradeResult& r) {
  if (!j.is_object()) return false;
  r.student = j.at("student").get<std::string>();
  r.test = j.at("test").get<std::string>();
  r.score = j.at("score").get<double>();
  r.maxScore = j.at("max_score").get<double>();
  r.hidden = j.at("hidden").get<bool>();
  r.reason = j.at("reason").get<std::string>();
  r.output = j.at("output").get<std::string>();
  r.assignment = j.at("assignment").get<std::string>();
  return true;
}

bool scoreInRange(const GradeResult& r) {
  return std::isfinite(r.score) && std::isfinite(r.maxScore) && r.score >= 0 && r.score <= r.maxScore &&
         r.maxScore <= maximumScore;
}

std::string scoreRangeProblem(const GradeResult& r) {
  char text[160];
  snprintf(text, sizeof text, " holds score %.17g of max_score %.17g: a score is from 0 to max_score, at most %g",
           r.score, r.maxScore, maximumScore);
  return r.file + text;
}

bool sameKey(const GradeResult& a, const GradeResult& b) { return a.student == b.student && a.test == b.test; }

}  // namespace

std::string resultFileName(const std::string& dir, const std::string& student, const std::string& test) {
  return dir + "/results/" + student + "/" + test + resultSuffix;
}

std::string resultText(const GradeResult& r) {
  nlohmann::ordered_json j;
  j["student"] = r.student;
  j["test"] = r.test;
  j["score"] = r.score;
  j["max_score"] = r.maxScore;
  j["hidden"] = r.hidden;
  j["passed"] = r.reason.empty();
  j["reason"] = r.reason;
  j["output"] = r.output;
  j["assignment"] = r.assignment;
  return j.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
}

bool resultFromText(const std::string& file, const std::string& student, const std::string& test,
                    const std::string& text, GradeResult& r, std::string& problem) {
  r.file = file;
  try {
    if (!readFields(nlohmann::json::parse(text), r)) return problem = damaged(file, "not a JSON object"), false;
  } catch (const nlohmann::json::parse_error&) {
    return problem = damaged(file, "not whole JSON"), false;
  } catch (const nlohmann::json::exception&) {
    return problem = damaged(file, "a field of a result is missing or of the wrong type"), false;
  }
  if (r.student != student || r.test != test)
    return problem = file + " holds the result of student " + r.student + " on test " + r.test +
                     ", not the student and test its path names: a copy? remove it",
           false;
  if (!scoreInRange(r)) return problem = scoreRangeProblem(r), false;
  return true;
}

bool readResults(const std::string& dir, std::vector<GradeResult>& results, std::string& problem) {
  std::string folder = dir + "/results";
  for (const std::string& student : foldersIn(folder))
    for (const std::string& file : filesIn(folder + "/" + student)) {
      if (!endsWith(file, resultSuffix)) continue;
      std::string path = folder + "/" + student + "/" + file, text, reason;
      if (!readWholeFile(path, text, reason)) return problem = path + ": " + reason, false;
      GradeResult r;
      if (!resultFromText(path, student, file.substr(0, file.size() - std::strlen(resultSuffix)), text, r, problem))
        return false;
      results.push_back(r);
    }
  sortResults(results);
  return true;
}

void sortResults(std::vector<GradeResult>& results) {
  std::stable_sort(results.begin(), results.end(), [](const GradeResult& a, const GradeResult& b) {
    return a.student != b.student ? a.student < b.student : a.test < b.test;
  });
}

bool resultsJoin(const std::vector<GradeResult>& results, std::string& problem) {
  for (size_t i = 0; i < results.size(); ++i) {
    const GradeResult& r = results[i];
    if (i > 0 && sameKey(results[i - 1], r))
      return problem = "two results for student " + r.student + " on test " + r.test + ": " + results[i - 1].file +
                       " and " + r.file + " (join each shard once)",
             false;
    if (r.assignment != results[0].assignment)
      return problem = results[0].file + " and " + r.file +
                       " are results of different assignments (or of the assignment before and after a change)",
             false;
  }
  return true;
}

bool replaceResults(const std::string& dir, const std::vector<GradeResult>& results, std::string& problem) {
  std::set<std::string> kept, students;
  std::string reason;
  for (const GradeResult& r : results) {
    std::string name = resultFileName(dir, r.student, r.test);
    if (!makeFolders(dir + "/results/" + r.student, reason) || !writeWholeFileLocked(name, resultText(r), reason))
      return problem = "cannot write " + name + ": " + reason, false;
    kept.insert(name);
    students.insert(r.student);
  }
  auto removed = [&](const std::string& name) {
    if (std::remove(name.c_str()) == 0) return true;
    return problem = "cannot remove " + name + ": " + std::strerror(errno), false;
  };
  for (const std::string& student : foldersIn(dir + "/results"))
    for (const std::string& file : filesIn(dir + "/results/" + student)) {
      std::string name = dir + "/results/" + student + "/" + file;
      if (endsWith(file, resultSuffix) && !kept.count(name) && !removed(name)) return false;
    }
  for (const std::string& student : foldersIn(dir + "/autograder")) {
    std::string name = dir + "/autograder/" + student + "/results.json";
    if (!students.count(student) && isRegularFile(name) && !removed(name)) return false;
  }
  return true;
}
