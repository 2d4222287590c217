#include "Results.h"

#include <algorithm>
#include <nlohmann/json.hpp>

#include "FileIO.h"
#include "GradeFiles.h"

std::string resultFileName(const std::string& dir, const std::string& student, const std::string& test) {
  return dir + "/results/" + student + "/" + test + ".json";
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
  return j.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
}

bool readResultFile(const std::string& path, GradeResult& r, std::string& problem) {
  std::string text, reason;
  if (!readWholeFile(path, text, reason)) return problem = path + ": " + reason, false;
  try {
    nlohmann::json j = nlohmann::json::parse(text);
    r.student = j.at("student").get<std::string>();
    r.test = j.at("test").get<std::string>();
    r.score = j.at("score").get<double>();
    r.maxScore = j.at("max_score").get<double>();
    r.hidden = j.at("hidden").get<bool>();
    r.reason = j.at("reason").get<std::string>();
    r.output = j.at("output").get<std::string>();
  } catch (const nlohmann::json::exception& e) {
    return problem = path + ": not a result file: " + e.what(), false;
  }
  return true;
}

bool readResults(const std::string& dir, std::vector<GradeResult>& results, std::string& problem) {
  std::string folder = dir + "/results";
  for (const std::string& student : foldersIn(folder))
    for (const std::string& file : filesIn(folder + "/" + student)) {
      if (!endsWith(file, ".json")) continue;
      GradeResult r;
      if (!readResultFile(folder + "/" + student + "/" + file, r, problem)) return false;
      results.push_back(r);
    }
  std::sort(results.begin(), results.end(), [](const GradeResult& a, const GradeResult& b) {
    return a.student != b.student ? a.student < b.student : a.test < b.test;
  });
  return true;
}
