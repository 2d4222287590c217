// The reports of a grading, made from its results (sorted by student and test): the table on the
// terminal (also table.txt), junit.xml, one autograder results.json per student, grades.csv.
#ifndef TARVIK_GRADE_REPORTS_H
#define TARVIK_GRADE_REPORTS_H

#include <string>
#include <vector>

#include "Results.h"

std::string tableText(const std::vector<GradeResult>& results);
std::string junitText(const std::vector<GradeResult>& results);
std::string autograderText(const std::vector<GradeResult>& resultsOfOneStudent);
std::string csvText(const std::vector<GradeResult>& results);

// Writes every report into dir, each whole (temporary file and rename), and prints the table; false
// with problem when a file cannot be written.
bool writeReports(const std::string& dir, const std::vector<GradeResult>& results, std::string& problem);

#endif
