// What the grader's tests share: running tarvik-grade, the sample assignment, and the report files of
// an output folder read back for comparison.
#ifndef TARVIK_TESTS_GRADE_RIG_H
#define TARVIK_TESTS_GRADE_RIG_H

#include <sys/stat.h>

#include <map>
#include <string>
#include <vector>

#include "Harness.h"

const std::string gradeProgram = TARVIK_GRADE_PROGRAM;
const std::string sampleAssignment = TARVIK_SOURCE_DIR "/examples/assignments/array-sum";
const std::string circuitSample = TARVIK_SOURCE_DIR "/examples/assignments/full-adder";

inline RunResult grade(const std::vector<std::string>& args) { return runProgram(gradeProgram, args, 60); }

// Writes a file of a scratch folder, creating the folders on its way ("class/ada/prog.s").
inline std::string put(const ScratchFolder& s, const std::string& file, const std::string& text) {
  for (size_t slash = file.find('/'); slash != std::string::npos; slash = file.find('/', slash + 1))
    mkdir((s / file.substr(0, slash)).c_str(), 0777);
  return s.write(file, text);
}

// An error text with the scratch folder taken out of the paths it names.
inline std::string shownError(const ScratchFolder& s, std::string err) {
  for (size_t at; (at = err.find(s.path + "/")) != std::string::npos;) err.erase(at, s.path.size() + 1);
  return err;
}

// An executable shell script of a scratch folder: a stand-in for the processor or the compiler.
inline std::string script(const ScratchFolder& s, const std::string& file, const std::string& body) {
  std::string path = put(s, file, "#!/bin/sh\n" + body);
  chmod(path.c_str(), 0755);
  chmod(s.path.c_str(), 0711);  // runs may be another user's: the sandbox's, when the grader is root
  return path;
}

// Grades a sample (the processor's by default) into out with extra options first.
inline RunResult gradeSample(const std::string& out, std::vector<std::string> options = {},
                             const std::string& sample = sampleAssignment) {
  options.insert(options.end(), {"--out", out, sample + "/assignment", sample + "/submissions"});
  return grade(options);
}

// Every report under a folder, by its name relative to the folder (results/ left out), for the students
// of the processor's sample unless others are named.
inline std::map<std::string, std::string> reportFiles(
    const std::string& folder, const std::vector<std::string>& students = {"ada", "bert", "carla", "dmitri", "eve"}) {
  std::map<std::string, std::string> files;
  for (const char* name : {"table.txt", "junit.xml", "grades.csv"}) files[name] = fileText(folder + "/" + name);
  for (const std::string& student : students) {
    std::string name = std::string("autograder/") + student + "/results.json";
    files[name] = fileText(folder + "/" + name);
  }
  return files;
}

#endif
