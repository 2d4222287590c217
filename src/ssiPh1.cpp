// Constructors of the small-scale components: gates, tri-state buffer, sources and controls, probes
// and the structure-only Module and Space.  Width errors of the small components end the program at
// once; vector forms split into one-bit components from the highest bit down.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "Bundles.h"
#include "CompSupport.h"
#include "Ph1.h"
#include "Sim.h"

namespace {

[[noreturn]] void widthError(const std::string& text) {
  fprintf(stderr, "%s\n", text.c_str());
  exit(1);
}

std::string len(const char* what, int n) { return std::string(" ") + what + " = " + std::to_string(n); }

std::string pos(const SD& sd) { return sd.graphicPosition ? sd.graphicPosition : ""; }

// And and Or share their vector forms; name is "And" or "Or".
void vectorGate(const char* name, void (*oneBit)(const SD&, const Signal&, const Signal&), const SD& sd,
                const Signal& in, const Signal& out) {
  if (out.length == 0)
    widthError(std::string("ERROR -- ") + name + " with out.length == 0 at " + pos(sd) + "  length error: " +
               len("in.length", in.length) + len("out.length", out.length));
  int groupSize = in.length / out.length;
  if (groupSize == 0 || in.length % out.length != 0)
    widthError(std::string("ERROR -- ") + name + " (vector) with inputs not divisible over outputs at " + pos(sd) +
               " length error: " + len("in.length", in.length) + len("out.length", out.length));
  for (int i = out.length - 1; i >= 0; i--) oneBit(sd, in.sub(i * groupSize, (i + 1) * groupSize - 1), out[i]);
}

void twoVectorGate(const char* name, void (*oneBit)(const SD&, const Signal&, const Signal&), const SD& sd,
                   const Signal& in1, const Signal& in2, const Signal& out) {
  bool fits = (in1.length == in2.length && in1.length == out.length) || (in1.length == 1 && in2.length == out.length) ||
              (in2.length == 1 && in1.length == out.length);
  if (!fits || out.length == 0)
    widthError(std::string("ERROR -- ") + name + " (vector) component at " + pos(sd) + " length error: " +
               len("in1.length", in1.length) + len("in2.length", in2.length) + len("out.length", out.length));
  for (int i = out.length - 1; i >= 0; i--) {
    Signal a = in1.length == 1 && in2.length != 1 ? in1 : in1[i];
    Signal b = in2.length == 1 && in1.length != 1 ? in2 : in2[i];
    oneBit(sd, (a, b), out[i]);
  }
}

// A gate of one output bit whose inputs are all data inputs.
void plainGate(KindRow kind, const SD& sd, const Signal& in, const Signal& out) {
  addStandardComponent(kind, sd, in, noSignal(), out);
}

void oneBitAnd(const SD& sd, const Signal& in, const Signal& out) { plainGate(KindRow::And, sd, in, out); }
void oneBitOr(const SD& sd, const Signal& in, const Signal& out) { plainGate(KindRow::Or, sd, in, out); }

// A source: no inputs, one output bit.
void source(KindRow kind, const char* label, const SD& sd, const Signal& out, const std::vector<int>& parameters) {
  addStandardComponent(kind, sd, noSignal(), noSignal(), out, {int(parameters.size()), parameters.data()}, label);
}

int firstBit(const Signal& s) { return s.length > 0 ? s.serialNumber[0] : 0; }

// The declared name of a bundle's first bit.
const char* bitName(const Signal& s) {
  ensurePhaseOne();
  return s.length > 0 ? phaseOne->signalList.nameOf(s.serialNumber[0]) : "";
}

bool empty(const char* text) { return !text || !*text; }

void oneProbe(const SD& sd, const Signal& bit, const char* label) {
  addStandardComponent(KindRow::Probe, sd, bit, noSignal(), noSignal(), {}, empty(label) ? bitName(bit) : label);
}

void byteProbe(KindRow kind, const SD& sd, const Signal& in, const char* label) {
  addStandardComponent(kind, sd, in, noSignal(), noSignal(), {}, empty(label) ? (in.nameTag ? in.nameTag : "") : label);
}

}  // namespace

const Signal& noSignal() {
  static const Signal* empty = new Signal(0, "UnNamed");
  return *empty;
}

bool isPowerOfTwoOf(int bits, long long n) {
  if (bits < 0 || bits > 62) return false;
  return (1LL << bits) == n;
}

bool isWordsTimesPowerOfTwo(long long n, long long w, int bits) {
  if (w == 0) return n == 0;
  return n % w == 0 && isPowerOfTwoOf(bits, n / w);
}

void And(const SD& sd, const Signal& in, const Signal& out) {
  if (out.length == 1)
    oneBitAnd(sd, in, out);
  else
    vectorGate("And", oneBitAnd, sd, in, out);
}
void And(const SD& sd, const Signal& in1, const Signal& in2, const Signal& out) {
  twoVectorGate("And", oneBitAnd, sd, in1, in2, out);
}
void Or(const SD& sd, const Signal& in, const Signal& out) {
  if (out.length == 1)
    oneBitOr(sd, in, out);
  else
    vectorGate("Or", oneBitOr, sd, in, out);
}
void Or(const SD& sd, const Signal& in1, const Signal& in2, const Signal& out) {
  twoVectorGate("Or", oneBitOr, sd, in1, in2, out);
}
void Nand(const SD& sd, const Signal& in, const Signal& out) { plainGate(KindRow::Nand, sd, in, out); }
void Nor(const SD& sd, const Signal& in, const Signal& out) { plainGate(KindRow::Nor, sd, in, out); }
void Xor(const SD& sd, const Signal& in, const Signal& out) { plainGate(KindRow::Xor, sd, in, out); }
void Xnor(const SD& sd, const Signal& in, const Signal& out) { plainGate(KindRow::Xnor, sd, in, out); }

void Not(const SD& sd, const Signal& in, const Signal& out) {
  if (in.length == 1 && out.length == 1) {
    plainGate(KindRow::Not, sd, in, out);
    return;
  }
  if (in.length != out.length || in.length < 2)
    widthError("ERROR -- Not (vector) at " + pos(sd) + " length error: " + len("in.length", in.length) +
               len("out.length", out.length));
  for (int i = out.length - 1; i >= 0; i--) Not(sd, in[i], out[i]);
}

void Iand(const SD& sd, const Signal& inTrue, const Signal& inComplement, const Signal& out) {
  addStandardComponent(KindRow::Iand, sd, inComplement, inTrue, out);
}
void Inand(const SD& sd, const Signal& inTrue, const Signal& inComplement, const Signal& out) {
  addStandardComponent(KindRow::Inand, sd, inComplement, inTrue, out);
}
void CiOr(const SD& sd, const Signal& inTrue, const Signal& inComplement, const Signal& out) {
  addStandardComponent(KindRow::CiOr, sd, inComplement, inTrue, out);
}
void CiNor(const SD& sd, const Signal& inTrue, const Signal& inComplement, const Signal& out) {
  addStandardComponent(KindRow::CiNor, sd, inComplement, inTrue, out);
}
void MultiLevelCompare(const SD& sd, const Signal& in, const Signal& out) {
  plainGate(KindRow::MultiLevelCompare, sd, in, out);
}

void Tsb(const SD& sd, const Signal& in, const Signal& control, const Signal& out) {
  if (in.length != 1 || control.length != 1 || out.length != 1)
    widthError("ERROR -- Tsb (Tri-state-buffer) at " + pos(sd) + " length error: " +
               len("control.length", control.length) + len("in.length", in.length) + len("out.length", out.length));
  addStandardComponent(KindRow::Tsb, sd, in, control, out);
}

void Switch(const SD& sd, const Signal& out, char keyChar, const Signal& init, const char* label) {
  ensurePhaseOne();
  for (int i = out.length - 1; i >= 0; i--) {
    char key = char(keyChar + (out.length - 1 - i));
    Signal bit = out[i];
    std::string decal = std::string(1, key) + ":" + (empty(label) ? bitName(bit) : label);
    phaseOne->switchList.add(bit.serialNumber[0], key);
    source(KindRow::Switch, decal.c_str(), sd, bit, {firstBit(init)});
  }
}

void Pulser(const SD& sd, const Signal& out, char keyChar, int duration, const Signal& init) {
  ensurePhaseOne();
  if (out.length < 1) return;
  Signal bit = out[0];
  phaseOne->switchList.add(bit.serialNumber[0], keyChar);
  source(KindRow::Pulser, std::string(1, keyChar).c_str(), sd, bit, {duration, firstBit(init)});
}

void PowerOn(const SD& sd, const Signal& out, int time, const Signal& init) {
  if (out.length < 1) return;
  source(KindRow::PowerOn, nullptr, sd, out[0], {time, firstBit(init)});
}

void Clock(const SD& sd, const Signal& out, int duration, int offset, int period, const Signal& init) {
  if (out.length < 1) return;
  source(KindRow::Clock, nullptr, sd, out[0], {duration, offset, period, firstBit(init)});
}

void Stop(const SD& sd, const Signal& in) { addStandardComponent(KindRow::Stop, sd, in, noSignal(), noSignal()); }

void Probe(const SD& sd, const Signal& in, const char* label, int numberOfPartitions, const int* partitionSize) {
  if (numberOfPartitions > 0 && !partitionSize)
    widthError("ERROR--Partitioned Probe at " + pos(sd) + " with no partitionSize list," + len("in.length", in.length) +
               " -- can't continue.");
  int partition = 0, inPartition = 0;
  for (int i = in.length - 1; i >= 0; i--) {
    if (numberOfPartitions > 0) {
      int size = partitionSize[partition < numberOfPartitions ? partition : numberOfPartitions - 1];
      if (inPartition == size) {
        Space(sd);
        partition++;
        inPartition = 0;
      }
      inPartition++;
    }
    oneProbe(sd, in[i], label);
  }
}

void ProbeH(const SD& sd, const Signal& in, const char* label) {
  SD derived(sd, "1z");
  derived.graphicLevel--;
  std::string position = derived.graphicPosition;
  for (int i = 0; i < in.length; i++) {
    std::string bitLabel = !empty(label) && in.length > 1 ? std::string(label) + "[" + std::to_string(i) + "]"
                                                          : std::string(label ? label : "");
    Probe(derived, in[i], bitLabel.c_str());
    position.back()--;
    derived = SD(position.c_str(), derived.decal);
    derived.graphicLevel = sd.graphicLevel;
  }
}

void ProbeByte(const SD& sd, const Signal& in, const char* label) { byteProbe(KindRow::ProbeByte, sd, in, label); }
void ProbeByteH(const SD& sd, const Signal& in, const char* label) { byteProbe(KindRow::ProbeByteH, sd, in, label); }

void Module(const SD& sd, const Signal& in, const Signal& out) { Module(sd, "Module", in, out); }

void Module(const SD& sd, const char* tag, const Signal& in, const Signal& out) {
  enterRegistration(sd.graphicPosition ? sd.graphicPosition : "");
  openModuleScope(sd.graphicPosition, tag);
  addStandardComponent(KindRow::Module, sd, in, noSignal(), out, {}, tag);
}

void Space(const SD& sd) { addStandardComponent(KindRow::Space, sd, noSignal(), noSignal(), noSignal()); }
