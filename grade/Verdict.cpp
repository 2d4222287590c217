#include "Verdict.h"

#include <string.h>

#include <sstream>

#include "ExitStatus.h"

namespace {

struct Verdict {
  int status = -1;
  std::string reason, detail;
  std::string words() const { return reason + (detail.empty() ? "" : " " + detail); }
};

// The written text as a verdict: exactly one line "verdict STATUS REASON[ DETAIL]", words apart by one
// space, the status decimal; false for anything else.
bool readVerdict(const std::string& written, Verdict& v) {
  std::istringstream words(written);
  std::string first, status;
  if (!(words >> first >> status >> v.reason)) return false;
  words >> v.detail;
  bool decimal = status.size() <= 3 && status.find_first_not_of("0123456789") == std::string::npos;
  if (first != "verdict" || !decimal) return false;
  v.status = std::stoi(status);
  return written == "verdict " + status + " " + v.words() + "\n";
}

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
    {reasonExpectFailed, nullptr, "wrong result"},
    {reasonTestFailed, nullptr, "wrong result"},
    {reasonRefusedOption, "--program", "does not assemble"},
};

std::string statusText(int status) { return "exit status " + std::to_string(status); }

}  // namespace

std::string verdictFailure(int status, const std::string& written, const std::string& didNotHalt) {
  Verdict v;
  if (written.empty()) return "ended without a verdict (" + statusText(status) + ")";
  if (!readVerdict(written, v)) return "ended with an unreadable verdict (" + statusText(status) + ")";
  if (v.status != status)
    return statusText(status) + " does not match its verdict (" + std::to_string(v.status) + " " + v.words() + ")";
  for (const VerdictMeaning& m : meanings)
    if (v.reason == verdictReasonText(m.reason) && (!m.detail || v.detail == m.detail))
      return m.failure ? m.failure : didNotHalt;
  return statusText(status) + " (" + v.words() + ")";
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
