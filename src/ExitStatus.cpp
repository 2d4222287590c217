// The reasons' texts, as a verdict line spells them.
#include "ExitStatus.h"

namespace {

const char* const reasonTexts[verdictReasonCount] = {
    "passed",       "no-stop-condition", "expect-failed", "test-failed",  "construction-failed",
    "output-lost",  "refused-option",    "bad-input",     "write-failed",
};

}  // namespace

const char* verdictReasonText(VerdictReason reason) {
  return reason >= 0 && reason < verdictReasonCount ? reasonTexts[reason] : "unknown";
}
