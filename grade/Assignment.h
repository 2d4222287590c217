// An assignment folder: its tests, found by their files (NAME.expect for the processor, NAME.test for a
// circuit) and described further by an optional manifest, assignment.toml.
#ifndef TARVIK_GRADE_ASSIGNMENT_H
#define TARVIK_GRADE_ASSIGNMENT_H

#include <string>
#include <vector>

#include "Runner.h"
#include "Variants.h"

// tests: the students hand in test tables for the teacher's circuit (reference.cpp), scored by the
// share of its stuck-at faults they notice.
enum class AssignmentKind { processor, circuit, tests };

struct GradeTest {
  std::string name;
  std::string file;                  // absolute: NAME.expect or NAME.test
  std::vector<std::string> options;  // run options: NAME.load's --load words, then the manifest's
  double weight = 1;
  bool hidden = false;
  unsigned long cycles = 0;  // the processor's cycle cap for this test: the manifest's, or from the reference
};

struct Assignment {
  std::string folder;  // absolute
  AssignmentKind kind = AssignmentKind::processor;
  const ProcessorVariant* processor = &defaultProcessorVariant();  // `processor = "TAG"`: whose program runs
  std::vector<GradeTest> tests;  // sorted by name
  RunLimits limits;
  unsigned long cycles = 100000;  // the processor's cycle cap
  bool cyclesGiven = false;       // by the manifest: else each test's cap comes from the reference's run
  std::string reference;          // the teacher's solution, absolute ("": none); run first on every test
  // A tests assignment's [coverage]: the fault coverage (percent) below which a student scores 0, and
  // from which the whole weight; in between, in proportion.
  double coverageMinimum = 0, coverageFull = 100;
  unsigned buildSeconds = 120;    // a circuit's compile
  // What the results were graded against: a digest of the manifest, the reference, the tests, their .load
  // files and images (contents, and names relative to the assignment), so the same wherever it lies.
  std::string identity;
};

// The one test of a tests assignment: the fault coverage of the student's tables.
const char coverageTestName[] = "coverage";
// Reads ASSIGNMENT; false with problem (for an ERROR -- line) when it has no tests, an unreadable
// manifest, a .load line that is not MEMORY=IMAGE or names a memory the processor lacks or an image
// that is missing, a manifest entry for a test that does not exist, a value the runs would refuse...
bool readAssignment(const std::string& folder, Assignment& assignment, std::string& problem);

#endif
