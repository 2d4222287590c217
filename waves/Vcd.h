// The waveform dump of --vcd: the run written as an IEEE 1364 value change dump.
#ifndef TARVIK_VCD_H
#define TARVIK_VCD_H

extern const char* vcdFileName;  // --vcd: value change dump of the run; null = none

// When --vcd was given: creates the file, writes its header and follows the run from then on.  A file
// that cannot be created ends the process with status 2.  Call after flattening, before the run.
void startWaveformDump();
// 2 when the dump could not be written completely, else 0.
int waveformDumpStatus();
// Forgets the dump of a previous run in this process (tests).
void resetWaveformDump();

#endif
