// Constructors of the medium-scale components: adder, incrementer, counter, clock gate and flip-flops,
// selectors, registers and console outputs.
//
// Each checks the lengths of its signals and registers with its kind's row.  A length fault is not
// fatal at once: the constructor prints one line, counts a fatal diagnostic and still registers, so
// that one run reports every fault before the netlist is refused after flattening.
#include <cstdio>

#include "CompSupport.h"
#include "Ph1.h"
#include "Sim.h"
#include "msiPh1.h"

namespace {

// "I/O length error--<what> at <position> in.length = i out.length = o should be <expected>."
void checkOneBitPins(const char* what, const SD& sd, const Signal& in, const Signal& out, int inLength,
                     int outLength) {
  if (in.length == inLength && out.length == outLength) return;
  reportFatalDiagnostic(std::string("I/O length error--") + what + "() at " + positionText(sd) +
                        lengthText("in.length", in.length) + lengthText("out.length", out.length) + " should be " +
                        std::to_string(inLength) + " & " + std::to_string(outLength) + ".");
}

void checkControlPair(const char* what, const SD& sd, const Signal& control) {
  if (control.length == 2) return;
  reportFatalDiagnostic(std::string("I/O length error--") + what + "() at " + positionText(sd) +
                        lengthText("control.length", control.length) + " should be 2.");
}

}  // namespace

void reportFatalDiagnostic(const std::string& message) {
  fprintf(stderr, "%s\n", message.c_str());
  countFatalDiagnostic();
}

std::string decalText(const SD& sd) { return sd.decal ? sd.decal : ""; }
std::string positionText(const SD& sd) { return sd.graphicPosition ? sd.graphicPosition : ""; }
std::string lengthText(const char* name, long long value) {
  return std::string(" ") + name + " = " + std::to_string(value);
}

void Adder(const SD& sd, const Signal& dataIn, const Signal& out) {
  if (dataIn.length != 2 * out.length)
    reportFatalDiagnostic("I/O length error--Adder " + decalText(sd) + " at " + positionText(sd) +
                          lengthText("dataIn.length", dataIn.length) + lengthText("out.length", out.length));
  int bitWidth = out.length;
  addStandardComponent(KindRow::Adder, sd, dataIn, noSignal(), out, {1, &bitWidth});
}

// An in shorter than out is taken as zero-extended at run time.
void Increment(const SD& sd, const Signal& in, const Signal& out) {
  addStandardComponent(KindRow::Increment, sd, in, noSignal(), out);
}

// The clock and the count enable are inputs 0 and 1; without both there is nothing to count on.
void Counter(const SD& sd, const Signal& in, const Signal& out) {
  if (in.length < 2)
    reportFatalDiagnostic("I/O length error--Counter " + decalText(sd) + " at " + positionText(sd) +
                          lengthText("in.length", in.length) + " should be at least 2.");
  addStandardComponent(KindRow::Counter, sd, in, noSignal(), out);
}

void Gate(const SD& sd, const Signal& in, const Signal& out) {
  checkOneBitPins("Gate", sd, in, out, 2, 1);
  addStandardComponent(KindRow::Gate, sd, in, noSignal(), out);
}

void Dff(const SD& sd, const Signal& in, const Signal& out) {
  checkOneBitPins("Dff", sd, in, out, 4, 1);
  addStandardComponent(KindRow::Dff, sd, in, noSignal(), out);
}

void Jkff(const SD& sd, const Signal& in, const Signal& out) {
  checkOneBitPins("Jkff", sd, in, out, 5, 2);
  addStandardComponent(KindRow::Jkff, sd, in, noSignal(), out);
}

void Mux(const SD& sd, const Signal& controlIn, const Signal& dataIn, const Signal& out) {
  if (!isWordsTimesPowerOfTwo(dataIn.length, out.length, controlIn.length))
    reportFatalDiagnostic("I/O length error--Mux " + decalText(sd) + " at " + positionText(sd) +
                          lengthText("dataIn.length", dataIn.length) +
                          lengthText("controlIn.length", controlIn.length) + lengthText("out.length", out.length));
  addStandardComponent(KindRow::Mux, sd, dataIn, controlIn, out);
}

void Decoder(const SD& sd, const Signal& controlIn, const Signal& dataIn, const Signal& out) {
  if (!isPowerOfTwoOf(dataIn.length, out.length) || controlIn.length != 1)
    reportFatalDiagnostic("I/O length error--Decoder " + decalText(sd) + " at " + positionText(sd) +
                          lengthText("dataIn.length", dataIn.length) +
                          lengthText("controlIn.length", controlIn.length) + lengthText("out.length", out.length));
  addStandardComponent(KindRow::Decoder, sd, dataIn, controlIn, out);
}

void Encoder(const SD& sd, const Signal& dataIn, const Signal& out, const Signal& valid) {
  if (!isPowerOfTwoOf(out.length, dataIn.length) || valid.length != 1)
    reportFatalDiagnostic("I/O length error--Encoder " + decalText(sd) + " at " + positionText(sd) +
                          lengthText("dataIn.length", dataIn.length) + lengthText("out.length", out.length) +
                          lengthText("valid.length", valid.length));
  addStandardComponent(KindRow::Encoder, sd, dataIn, noSignal(), (valid, out));
}

void Register(const SD& sd, const Signal& enable, const Signal& write, const Signal& dataIn, const Signal& out) {
  if (dataIn.length != out.length || write.length != 1 || enable.length != 1)
    reportFatalDiagnostic("I/O lengths mismatch for Register " + decalText(sd) + " at " + positionText(sd) +
                          lengthText("dataIn.length", dataIn.length) + lengthText("write.length", write.length) +
                          lengthText("enable.length", enable.length) + lengthText("out.length", out.length));
  addStandardComponent(KindRow::Register, sd, dataIn, (enable, write), out);
}

void BitAddressibleRegister(const SD& sd, const Signal& clear, const Signal& set, const Signal& enable,
                            const Signal& write, const Signal& bitIn, const Signal& writeAddress,
                            const Signal& readAddress, const Signal& bitOut, const Signal& registerOut) {
  std::string prefix = "Signal length error for AddressibleRegister " + decalText(sd) + " at " + positionText(sd);
  bool singleBits = clear.length == 1 && set.length == 1 && enable.length == 1 && write.length == 1 &&
                    bitIn.length == 1 && bitOut.length == 1;
  if (!singleBits)
    reportFatalDiagnostic(prefix + " clear, set, enable, write, bitIn or bitOut more than a single bit.");
  if (readAddress.length != writeAddress.length || !isPowerOfTwoOf(readAddress.length, registerOut.length))
    reportFatalDiagnostic(prefix + " Read/Write Address or Output lengths do not agree.");
  addStandardComponent(KindRow::BitAddressibleRegister, sd, ((bitIn, writeAddress), readAddress),
                       (((clear, set), enable), write), (bitOut, registerOut));
}

void Stderr(const SD& sd, const Signal& in) {
  if (in.length != 10)
    reportFatalDiagnostic("I/O length error--Stderr() at " + positionText(sd) + lengthText("in.length", in.length) +
                          " should be 10.");
  addStandardComponent(KindRow::Stderr, sd, in, noSignal(), noSignal());
}

void IntOut(const SD& sd, const Signal& control, const Signal& data) {
  checkControlPair("IntOut", sd, control);
  addStandardComponent(KindRow::IntOut, sd, data, control, noSignal());
}

void HexOut(const SD& sd, const Signal& control, const Signal& data) {
  checkControlPair("HexOut", sd, control);
  addStandardComponent(KindRow::HexOut, sd, data, control, noSignal());
}
