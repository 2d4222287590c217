// Bits held at a value for a whole run (a stuck-at fault): each one's drivers, switches included, were
// moved to a signal of their own that nothing reads.  A test table still presses a held input's switch,
// which then drives that signal, so the table runs as written and the circuit sees the held value.
#ifndef TARVIK_HELDBITS_H
#define TARVIK_HELDBITS_H
// Records that bit's drivers now drive the signal driven.
void noteHeldBit(int bit, int driven);
// The signal bit's drivers drive: bit itself unless it is held.
int signalOfDrivers(int bit);
void resetHeldBits();
#endif
