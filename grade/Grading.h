// Grading: every (student, test) pair of the shard not already graded is run, in parallel, and its
// result written to DIR/results.  What a run is depends on the assignment's kind: the processor runs
// the student's program; a circuit is first built from the student's source, once, and the built
// program only writes the circuit's netlist: its tables are played by tarvik-sim on that file, so that
// no verdict comes from a process that runs the student's code.
#ifndef TARVIK_GRADE_GRADING_H
#define TARVIK_GRADE_GRADING_H

#include <string>
#include <vector>

#include "Assignment.h"
#include "Results.h"

// A folder of the teacher's and the name the reports give it in a run's output ("": left out).
struct NeutralName {
  std::string folder, shown;
};

struct GradeSetup {
  Assignment assignment;
  std::string submissions;  // absolute
  std::string out;          // DIR, absolute
  std::string processor;    // the processor program (processor assignments)
  std::string compiler;     // the C++ compiler and the installation's flags (circuit assignments)
  std::string sim;          // tarvik-sim, which plays the tables on a circuit's netlist
  std::string faults;       // tarvik-faults, which grades a tests assignment's tables
  std::string referenceNetlist;  // a tests assignment's circuit, built once: DIR/reference/circuit.net
  std::vector<std::string> compileFlags;
  std::vector<NeutralName> neutralNames;  // the longest folders first: one inside another is named by its own
  unsigned jobs = 1;
  unsigned shard = 1, shards = 1;
};

// The students: SUBMISSIONS' folders, and its symbolic links (each refused), by name.
std::vector<std::string> studentsOfClass(const std::string& submissions);
// The students of the shard: SUBMISSIONS' folders whose names hash to it (Shards.h).
std::vector<std::string> studentsOfShard(const GradeSetup& s);

// What a run printed, as a result keeps it: at most ten lines, the simulator's start-up counts left out.
std::string outputExcerpt(const std::string& output);

// For the circuits' compiles: Sim.h precompiled once for the class (used when it is valid
// for the compiles' flags, else the compiles go as before).
void precompileHeader(GradeSetup& s);
// Runs the assignment's reference, if it has one, on every test before any student's: false with problem
// when it fails one (the assignment is wrong).  Unless the manifest sets the cycles, each test's cycle
// cap becomes capFromReference of the reference's cycles to halt.
bool gradeReference(GradeSetup& s, std::string& problem);
// Grades the shard; false with problem when a result cannot be written or a run cannot start.
bool gradeAll(const GradeSetup& s, std::string& problem);

#endif
