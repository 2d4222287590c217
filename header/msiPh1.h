// Run-time routines of the medium-scale components (delays 13/17): arithmetic, counter, latches and
// flip-flops, selectors, registers and console outputs; and what their constructors share with the
// large-scale ones for reporting construction faults.
#ifndef TARVIK_MSIPH1_H
#define TARVIK_MSIPH1_H

#include <string>

#include "Schmtc.h"
#include "Signal.h"

void adder(int cind);
void increment(int cind);
void counter(int cind);

void gate(int cind);
void dff(int cind);
void jkff(int cind);

void mux(int cind);
void decoder(int cind);
void encoder(int cind);

void enabledRegister(int cind);
void bitAddressibleRegister(int cind);

void _stderr(int cind);
void intOut(int cind);
void hexOut(int cind);

// The clock-and-enable phase machine of registers, console outputs and memory write ports:
// 0 fresh, 1 waiting for the enable to be known, 2 armed, 3 clock high without action, then the
// clock must be seen at ZERO before the next edge.  Returns true when this evaluation is an edge with
// the enable ONE; the phase then becomes phaseAfterAction (4 for registers and console outputs, 3 for
// memory write ports, whose clock-high phase does not tell the two cases apart).
bool enabledClockEdge(int& phase, SignalValue clock, SignalValue enable, int phaseAfterAction);

// Construction faults of the medium and large components: the message is printed as one line on
// standard error and counted as a fatal diagnostic; the component is registered all the same.
void reportFatalDiagnostic(const std::string& message);
// The designator's own label ("" without one) and its position, as the messages show them.
std::string decalText(const SD& sd);
std::string positionText(const SD& sd);
// " name = value", the way the messages list lengths.
std::string lengthText(const char* name, long long value);

#endif
