// End-of-run checks (--expect FILE): expected values of declared bundles, compared when the run ends.
#ifndef TARVIK_EXPECT_H
#define TARVIK_EXPECT_H

// When --expect was given: reads the file and resolves its names.  A file that cannot be read, a
// malformed line or a name that matches no bundle or several ends the process with status 2.  Call
// after flattening, before the run.
void loadExpectations();
// 1 when a check failed at the end of the run, else 0.
int expectationStatus();
// Forgets the checks of a previous run in this process (tests).
void resetExpectations();

#endif
