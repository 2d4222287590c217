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
#include "ShownNames.h"

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

std::string linkRefused(const std::string& path) {
  return path + " is a symbolic link: the grader reads and writes results through no link (remove it)";
}

// The results of one student's folder; false with problem at a link or a file that is no result.
bool readStudentResults(const std::string& folder, const std::string& student, std::vector<GradeResult>& results,
                        std::string& problem) {
  for (const FolderEntry& e : entriesOf(folder)) {
    std::string path = folder + "/" + e.name, text, reason;
    if (e.kind == EntryKind::link) return problem = linkRefused(path), false;
    if (e.kind != EntryKind::file || !endsWith(e.name, resultSuffix)) continue;
    if (!readWholeFile(path, text, reason)) return problem = path + ": " + reason, false;
    GradeResult r;
    std::string test = e.name.substr(0, e.name.size() - std::strlen(resultSuffix));
    if (!resultFromText(path, student, test, text, r, problem)) return false;
    results.push_back(r);
  }
  return true;
}

// The test of the assignment a result is of, or null.
const GradeTest* testOf(const Assignment& a, const GradeResult& r) {
  for (const GradeTest& t : a.tests)
    if (t.name == r.test) return &t;
  return nullptr;
}

// Why the result cannot be one of the class's, "" when it can.
std::string notOfClass(const GradeResult& r, const Assignment& a, const std::vector<std::string>& students,
                       const std::string& anotherAssignment) {
  const GradeTest* t = testOf(a, r);
  if (std::find(students.begin(), students.end(), r.student) == students.end())
    return r.file + " is a result of " + shownName(r.student) + ", who has no folder in the submissions: remove it";
  if (!t) return r.file + " is a result of test " + shownName(r.test) + ", which the assignment does not hold: remove it";
  if (r.assignment != a.identity) return r.file + anotherAssignment;
  if (r.maxScore != t->weight || r.hidden != t->hidden)
    return r.file + " holds another max_score or hidden than its test's in the assignment: remove it";
  return "";
}

}  // namespace

std::string resultFileName(const std::string& dir, const std::string& student, const std::string& test) {
  return dir + "/results/" + student + "/" + test + resultSuffix;
}

std::string resultText(const GradeResult& r) {
  nlohmann::ordered_json j;
  // Shown as in every report: JSON holds only UTF-8, and the escaped name reads back as the folder's.
  j["student"] = shownName(r.student);
  j["test"] = shownName(r.test);
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
  if (r.student != shownName(student) || r.test != shownName(test))
    return problem = file + " holds the result of student " + r.student + " on test " + r.test +
                     ", not the student and test its path names: a copy? remove it",
           false;
  r.student = student, r.test = test;
  if (!scoreInRange(r)) return problem = scoreRangeProblem(r), false;
  return true;
}

bool readResults(const std::string& dir, std::vector<GradeResult>& results, std::string& problem) {
  std::string folder = dir + "/results";
  if (isLink(folder)) return problem = linkRefused(folder), false;
  for (const FolderEntry& e : entriesOf(folder)) {
    if (e.kind == EntryKind::link) return problem = linkRefused(folder + "/" + e.name), false;
    if (e.kind == EntryKind::folder && !readStudentResults(folder + "/" + e.name, e.name, results, problem))
      return false;
  }
  sortResults(results);
  return true;
}

bool resultsOfClass(const std::vector<GradeResult>& results, const Assignment& a,
                    const std::vector<std::string>& students, const std::string& anotherAssignment,
                    std::string& problem) {
  for (const GradeResult& r : results)
    if (!(problem = notOfClass(r, a, students, anotherAssignment)).empty()) return false;
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

bool noLinksToWriteThrough(const std::string& dir, std::string& problem) {
  for (const char* part : {"/results", "/autograder"}) {
    std::string folder = dir + part;
    if (isLink(folder)) return problem = linkRefused(folder), false;
    for (const FolderEntry& e : entriesOf(folder))
      if (e.kind == EntryKind::link) return problem = linkRefused(folder + "/" + e.name), false;
  }
  return true;
}

bool replaceResults(const std::string& dir, const std::vector<GradeResult>& results, std::string& problem) {
  std::set<std::string> kept, students;
  std::string reason;
  if (!noLinksToWriteThrough(dir, problem)) return false;
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
