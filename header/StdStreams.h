// The standard streams of a program run: guarded before anything is written, checked at the end.
#ifndef TARVIK_STDSTREAMS_H
#define TARVIK_STDSTREAMS_H

// Before anything is written or opened: a standard descriptor (input, output, error) that is closed
// is opened on /dev/null, so that no file the run opens later (a waveform dump, say) takes its number
// and receives the reports; and writing into a broken pipe ends the process (SIGPIPE at its default
// action, also when the parent left it ignored).  Then it installs the streams' buffering: standard
// error fully buffered in a large buffer, flushed by the run loop; both line-buffered when they share
// a file, pipe or terminal, so that their lines arrive whole and in order.
void guardStandardStreams();
// Part of guardStandardStreams: a failed allocation prints "ERROR -- out of memory" after the text
// already buffered and ends the process with status 2.
void reportMemoryExhaustion();

// After the run: flushes standard output and standard error and returns the exit status the program
// ends with: 0, or 1 when something written to either was lost (it was closed at the start, or a
// write failed).  A failed standard output is reported on standard error.
int standardStreamsStatus();

#endif
