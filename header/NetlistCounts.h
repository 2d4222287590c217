// The counts the library prints on standard error once a circuit is built ("There are 12 signals.");
// --quiet leaves out the first two.  Their formats are named once, here, so that a program that shows a
// run's output to someone else (the grader's excerpts) can leave exactly these lines out.
#ifndef TARVIK_NETLISTCOUNTS_H
#define TARVIK_NETLISTCOUNTS_H

const char signalCountFormat[] = "There are %d signals.\n";
const char componentCountFormat[] = "There are %d components.\n";
const char unconnectedInputCountFormat[] = "There are %d inputUnconnectedWarnings\n";

#endif
