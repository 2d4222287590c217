#include "Verdict.h"

#include <string.h>

#include <sstream>

#include "ExitStatus.h"

const char* const wrongResult = "wrong result";

namespace {

// The reason a verdict's word names; false when it names none.
bool reasonNamed(const std::string& word, VerdictReason& reason) {
  for (int r = 0; r < verdictReasonCount; ++r)
    if (word == verdictReasonText(VerdictReason(r))) return reason = VerdictReason(r), true;
  return false;
}

// The written text as a verdict: exactly the line the program writes, "verdict STATUS REASON[ DETAIL]";
// false for anything else.
bool readVerdict(const std::string& written, Verdict& v) {
  std::istringstream words(written);
  std::string first, status, reason;
  if (!(words >> first >> status >> reason) || first != "verdict" || !reasonNamed(reason, v.reason)) return false;
  words >> v.detail;
  if (status.size() > 3 || status.find_first_not_of("0123456789") != std::string::npos) return false;
  v.status = std::stoi(status);
  return written == verdictLine(v);
}

// REASON[ DETAIL], as the line gives them.
std::string reasonWords(const Verdict& v) { return verdictReasonText(v.reason) + (v.detail.empty() ? "" : " " + v.detail); }

// The failures the verdicts mean; a null failure is the caller's didNotHalt.  Any other verdict fails
// with its status and reason.
struct VerdictMeaning {
  VerdictReason reason;
  const char* detail;  // null: whatever the verdict's
  const char* failure;
};

const VerdictMeaning meanings[] = {
    {reasonPassed, nullptr, ""},
    {reasonNoStopCondition, nullptr, nullptr},
    {reasonExpectFailed, nullptr, wrongResult},
    {reasonTestFailed, nullptr, wrongResult},
    {reasonRefusedOption, "--program", "does not assemble"},
};

std::string statusText(int status) { return "exit status " + std::to_string(status); }

}  // namespace

std::string verdictFailure(int status, const std::string& written, const std::string& didNotHalt,
                           const std::string& badInput) {
  Verdict v{-1, reasonPassed, ""};
  if (written.empty()) return "ended without a verdict (" + statusText(status) + ")";
  if (!readVerdict(written, v)) return "ended with an unreadable verdict (" + statusText(status) + ")";
  if (v.status != status)
    return statusText(status) + " does not match its verdict (" + std::to_string(v.status) + " " + reasonWords(v) + ")";
  if (v.reason == reasonBadInput && !badInput.empty()) return badInput;
  for (const VerdictMeaning& m : meanings)
    if (v.reason == m.reason && (!m.detail || v.detail == m.detail))
      return m.failure ? m.failure : didNotHalt;
  return statusText(status) + " (" + reasonWords(v) + ")";
}

bool fitsFormat(const char* line, const char* format) {
  for (;;) {
    if (*format == '\0' || strcmp(format, "\n") == 0) return *line == '\0';
    if (strncmp(format, "%s", 2) == 0) {
      for (;; ++line) {
        if (fitsFormat(line, format + 2)) return true;
        if (*line == '\0') return false;
      }
    }
    size_t conversion = strncmp(format, "%d", 2) == 0 ? 2 : strncmp(format, "%llu", 4) == 0 ? 4 : 0;
    if (conversion == 0) {
      if (*line++ != *format++) return false;
      continue;
    }
    if (conversion == 2 && *line == '-') ++line;
    size_t digits = strspn(line, "0123456789");
    if (digits == 0) return false;
    line += digits, format += conversion;
  }
}
