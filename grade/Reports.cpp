#include "Reports.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <nlohmann/json.hpp>
#include <pugixml.hpp>
#include <set>
#include <sstream>

#include "GradeFiles.h"
#include "ShownNames.h"

namespace {

// Scores as the shortest decimal that reads back: 1, 0.5, 2.25.
std::string scoreText(double score) {
  char text[32];
  snprintf(text, sizeof text, "%.15g", score);
  return text;
}

std::vector<std::string> testNames(const std::vector<GradeResult>& results) {
  std::set<std::string> names;
  for (const GradeResult& r : results) names.insert(r.test);
  return std::vector<std::string>(names.begin(), names.end());
}

// The results grouped by student, in student order.
std::map<std::string, std::vector<GradeResult>> byStudent(const std::vector<GradeResult>& results) {
  std::map<std::string, std::vector<GradeResult>> students;
  for (const GradeResult& r : results) students[r.student].push_back(r);
  return students;
}

void scores(const std::vector<GradeResult>& results, double& score, double& maxScore) {
  score = maxScore = 0;
  for (const GradeResult& r : results) score += r.score, maxScore += r.maxScore;
}

std::string padded(const std::string& text, size_t width) {
  return text + std::string(width > text.size() ? width - text.size() : 0, ' ');
}

std::string tableRow(const std::vector<std::string>& cells, const std::vector<size_t>& widths) {
  std::string row;
  for (size_t i = 0; i < cells.size(); ++i) row += i + 1 < cells.size() ? padded(cells[i], widths[i] + 2) : cells[i];
  return row + "\n";
}

std::string csvField(const std::string& text) {
  if (text.find_first_of(",\"\n\r") == std::string::npos) return text;
  std::string quoted = "\"";
  for (char c : text) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
  return quoted + "\"";
}

std::string xmlText(const pugi::xml_document& doc) {
  std::ostringstream out;
  doc.save(out, "  ", pugi::format_default, pugi::encoding_utf8);
  return out.str();
}

}  // namespace

std::string tableText(const std::vector<GradeResult>& results) {
  std::vector<std::string> tests = testNames(results);
  std::vector<std::vector<std::string>> rows;
  rows.push_back({"student"});
  for (const std::string& t : tests) rows[0].push_back(shownName(t));
  rows[0].push_back("score");
  std::string failures;
  for (const auto& [student, own] : byStudent(results)) {
    std::vector<std::string> row{shownName(student)};
    for (const std::string& t : tests) {
      auto r = std::find_if(own.begin(), own.end(), [&](const GradeResult& g) { return g.test == t; });
      row.push_back(r == own.end() ? "-" : scoreText(r->score));
      // One line each, whatever names and reasons hold, and no control character for the terminal.
      if (r != own.end() && !r->reason.empty())
        failures += row[0] + " " + shownName(t) + ": " + shownName(r->reason) + "\n";
    }
    double score, maxScore;
    scores(own, score, maxScore);
    row.push_back(scoreText(score) + "/" + scoreText(maxScore));
    rows.push_back(row);
  }
  std::vector<size_t> widths(rows[0].size(), 0);
  for (const auto& row : rows)
    for (size_t i = 0; i < row.size(); ++i) widths[i] = std::max(widths[i], row[i].size());
  std::string text;
  for (const auto& row : rows) text += tableRow(row, widths);
  return failures.empty() ? text : text + "\n" + failures;
}

std::string junitText(const std::vector<GradeResult>& results) {
  pugi::xml_document doc;
  pugi::xml_node suites = doc.append_child("testsuites");
  suites.append_attribute("name") = "tarvik-grade";
  size_t failed = 0;
  for (const GradeResult& r : results) failed += !r.reason.empty();
  suites.append_attribute("tests") = (unsigned long long)results.size();
  suites.append_attribute("failures") = (unsigned long long)failed;
  for (const auto& [student, own] : byStudent(results)) {
    pugi::xml_node suite = suites.append_child("testsuite");
    std::string shownStudent = shownName(student);
    suite.append_attribute("name") = shownStudent.c_str();
    size_t ownFailed = 0;
    for (const GradeResult& r : own) ownFailed += !r.reason.empty();
    suite.append_attribute("tests") = (unsigned long long)own.size();
    suite.append_attribute("failures") = (unsigned long long)ownFailed;
    for (const GradeResult& r : own) {
      pugi::xml_node test = suite.append_child("testcase");
      test.append_attribute("name") = shownName(r.test).c_str();
      test.append_attribute("classname") = shownStudent.c_str();
      if (r.reason.empty()) continue;
      pugi::xml_node failure = test.append_child("failure");
      failure.append_attribute("message") = xmlReadable(r.reason).c_str();
      if (!r.output.empty()) failure.append_child(pugi::node_pcdata).set_value(xmlReadable(r.output).c_str());
    }
  }
  return xmlText(doc);
}

std::string autograderText(const std::vector<GradeResult>& own) {
  double score, maxScore;
  scores(own, score, maxScore);
  nlohmann::ordered_json j;
  j["score"] = score;
  j["tests"] = nlohmann::ordered_json::array();
  for (const GradeResult& r : own) {
    nlohmann::ordered_json t;
    t["name"] = shownName(r.test);
    t["score"] = r.score;
    t["max_score"] = r.maxScore;
    // A hidden test counts, but what it checked and printed stays with the teacher.
    std::string output = r.reason.empty() ? "passed" : r.reason + (r.output.empty() ? "" : "\n" + r.output);
    t["output"] = r.hidden ? std::string() : output;
    t["visibility"] = r.hidden ? "hidden" : "visible";
    j["tests"].push_back(t);
  }
  return j.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
}

std::string csvText(const std::vector<GradeResult>& results) {
  std::vector<std::string> tests = testNames(results);
  std::string text = "student";
  for (const std::string& t : tests) text += "," + csvField(shownName(t));
  text += ",score,max_score\n";
  for (const auto& [student, own] : byStudent(results)) {
    text += csvField(shownName(student));
    for (const std::string& t : tests) {
      auto r = std::find_if(own.begin(), own.end(), [&](const GradeResult& g) { return g.test == t; });
      text += "," + (r == own.end() ? std::string() : scoreText(r->score));
    }
    double score, maxScore;
    scores(own, score, maxScore);
    text += "," + scoreText(score) + "," + scoreText(maxScore) + "\n";
  }
  return text;
}

namespace {

// The reports of the whole class, each a file of DIR made from every result; written in this order.
struct ClassReport {
  const char* file;
  std::string (*text)(const std::vector<GradeResult>& results);
};

const ClassReport classReports[] = {
    {"table.txt", tableText},
    {"junit.xml", junitText},
    {"grades.csv", csvText},
};

}  // namespace

bool writeReports(const std::string& dir, const std::vector<GradeResult>& results, std::string& problem) {
  std::string reason;
  auto write = [&](const std::string& name, const std::string& text) {
    if (writeWholeFileLocked(dir + "/" + name, text, reason)) return true;
    problem = "cannot write " + dir + "/" + name + ": " + reason;
    return false;
  };
  for (const ClassReport& report : classReports)
    if (!write(report.file, report.text(results))) return false;
  for (const auto& [student, own] : byStudent(results)) {
    if (!makeFolders(dir + "/autograder/" + student, reason))
      return problem = "cannot create " + dir + "/autograder/" + student + ": " + reason, false;
    if (!write("autograder/" + student + "/results.json", autograderText(own))) return false;
  }
  fputs(tableText(results).c_str(), stdout);
  return true;
}
