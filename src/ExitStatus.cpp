// The reasons' texts, and the verdict line written to the descriptor a caller gives.
#include "ExitStatus.h"

#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>

namespace {

const char* const reasonTexts[verdictReasonCount] = {
    "passed",      "no-stop-condition", "expect-failed", "test-failed",  "construction-failed",
    "ended-early", "output-lost",       "refused-option", "bad-input",   "write-failed",
    "compare-failed",
};

int verdictDescriptor = -1;  // -1: no caller asked for a verdict
Verdict pending{exitPassed, reasonPassed, ""};

void writePendingVerdict() {
  std::string line = verdictLine(pending);
  const char* p = line.data();
  size_t left = line.size();
  while (left > 0) {
    ssize_t n = write(verdictDescriptor, p, left);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    p += n;
    left -= size_t(n);
  }
}

// A decimal descriptor above 2 (the standard streams carry the program's own output), or -1.
int descriptorNamed(const char* text) {
  if (!text || !*text) return -1;
  char* end = nullptr;
  errno = 0;
  long fd = strtol(text, &end, 10);
  if (errno || *end || fd <= 2 || fd > INT_MAX) return -1;
  return int(fd);
}

// The detail is a word typed on the command line: a caller reads the line word by word.
std::string oneWord(std::string text) {
  for (char& c : text)
    if (static_cast<unsigned char>(c) <= ' ' || c == 127) c = '?';
  return text;
}

}  // namespace

const char* verdictReasonText(VerdictReason reason) {
  return reason >= 0 && reason < verdictReasonCount ? reasonTexts[reason] : "unknown";
}

std::string verdictLine(const Verdict& v) {
  std::string line = "verdict " + std::to_string(v.status) + " " + verdictReasonText(v.reason);
  if (!v.detail.empty()) line += " " + oneWord(v.detail);
  return line + "\n";
}

void openVerdictDescriptor() {
  if (verdictDescriptor >= 0) return;
  verdictDescriptor = descriptorNamed(getenv("TARVIK_VERDICT_FD"));
  if (verdictDescriptor >= 0) atexit(writePendingVerdict);
}

int verdictDescriptorNumber() { return verdictDescriptor; }

void setPendingVerdict(const Verdict& verdict) { pending = verdict; }

const Verdict& pendingVerdict() { return pending; }
