// The exit statuses of every Tarvik program and the reasons behind them, as data.  A program's status
// says how the run went; the reason says which check decided it.  A program that is given a verdict
// descriptor (the environment variable TARVIK_VERDICT_FD names an open file descriptor) writes one line
// there as it ends:
//
//     verdict STATUS REASON[ DETAIL]
//
// so that a caller (the grader) reads the outcome without reading the program's English.
#ifndef TARVIK_EXITSTATUS_H
#define TARVIK_EXITSTATUS_H

#include <string>

enum ExitStatus {
  exitPassed = 0,         // the run ended and every check held
  exitFailed = 1,         // a check failed (--expect, --test), construction faults, or output was lost
  exitBadInput = 2,       // an option, a file or a name was refused before the run, or a written file failed
  exitColourFailure = 255  // the window could not allocate its colours
};

// Why a program ended with its status; each is written as its text (verdictReasonText).
enum VerdictReason {
  reasonPassed,           // 0: nothing failed
  reasonNoStopCondition,  // 0: --until was given and no condition held before the run ended (1 when a
                          //    check failed too)
  reasonExpectFailed,     // 1: an --expect check failed
  reasonTestFailed,       // 1: a step of a --test table failed
  reasonConstructionFailed,  // 1: the circuit's construction reported faults, or ended the program itself
  reasonEndedEarly,       // 1: the program ended during the run before its verdict was known
  reasonOutputLost,       // 1: standard output or standard error could not be written
  reasonRefusedOption,    // 2: the command line was refused; DETAIL is the option (--program, say)
  reasonBadInput,         // 2: a step after elaboration refused its input (a name, an image, a table)
  reasonWriteFailed,      // 2: a file the run writes (--vcd) failed
  reasonCompareFailed,    // 1: the run parted from a reference run it was compared with
  verdictReasonCount
};

const char* verdictReasonText(VerdictReason reason);  // "passed", "no-stop-condition", ...

struct Verdict {
  int status;
  VerdictReason reason;
  std::string detail;  // reasonRefusedOption: the option
};

// {status, reason} when the condition holds, else a pass: a capability's verdict in one line.
inline Verdict verdictWhen(bool holds, int status, VerdictReason reason) {
  return holds ? Verdict{status, reason, ""} : Verdict{exitPassed, reasonPassed, ""};
}

// Reads TARVIK_VERDICT_FD once; when it names an open descriptor above 2, the verdict pending when the
// process exits is written there (by an exit handler, so that every exit() writes one).
void openVerdictDescriptor();
// The descriptor the verdict goes to; -1 for none.
int verdictDescriptorNumber();
// The verdict the process ends with if it exits now; each stage of a run says what an exit would mean.
void setPendingVerdict(const Verdict& verdict);
const Verdict& pendingVerdict();
// "verdict STATUS REASON[ DETAIL]\n"
std::string verdictLine(const Verdict& verdict);

#endif
