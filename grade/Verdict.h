// What a run's verdict line means for its grade.  Each run of a student's work gets a descriptor for
// the line the program writes as it ends, "verdict STATUS REASON[ DETAIL]" (header/ExitStatus.h); the
// grade follows from the exit status and that line, never from the run's English.
#ifndef TARVIK_GRADE_VERDICT_H
#define TARVIK_GRADE_VERDICT_H

#include <string>

// Why a run that ended within its limits failed, "" when it passed.  status: its exit status; written:
// what it wrote to its verdict descriptor; didNotHalt: the failure of a run whose stop condition never
// held ("" when that is no failure); badInput: the failure of a run that refused its input, when the
// input is the assignment's and the refusal says the work does not fit it ("" for the status and reason).
std::string verdictFailure(int status, const std::string& written, const std::string& didNotHalt,
                           const std::string& badInput = "");
// The failure of a run whose checks (--expect, a table) found a wrong value.
extern const char* const wrongResult;

// Line (without its newline) is what printf would print with format, whatever its numbers (%d, %llu)
// and texts (%s) were: a run's notes are left out of its excerpt by the formats they are printed with.
bool fitsFormat(const char* line, const char* format);

#endif
