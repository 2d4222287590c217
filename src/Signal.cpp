// Signals: declaration of single-bit signals and the bundle operations over them.
//
// Declaring constructors number new bits and enter them in phaseOne's signal list; every other
// operation builds a bundle over existing serial numbers.  Name texts of derived bundles are kept in a
// pool for the life of the process, so a bundle's name stays valid however bundles are copied.
#include "Signal.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>

#include "Bundles.h"
#include "Globals.h"
#include "Ph1.h"

namespace {

// The pool of name texts: never released before exit, so every nameTag stays valid.
const char* keepName(const std::string& name) {
  static std::set<std::string>* pool = new std::set<std::string>;
  return pool->insert(name).first->c_str();
}

const char* nameOrEmpty(const char* name) { return name ? name : ""; }

// Enters nr new bits named name[i] and sets serialNumber to them.
void declareBits(Signal& s, unsigned nr, const char* bitNameBase, SignalValue (*valueOf)(unsigned, unsigned),
                 unsigned arg, int constFlag) {
  ensurePhaseOne();
  if (nr == 0) {
    s.serialNumber = nullptr;
    return;
  }
  SignalList& list = phaseOne->signalList;
  s.serialNumber = new int[nr];
  for (unsigned i = 0; i < nr; i++) {
    s.serialNumber[i] = list.numberOfSignals;
    std::string bitName = bitNameBase ? std::string(bitNameBase) + "[" + std::to_string(i) + "]" : "Annon";
    list.add(list.numberOfSignals, valueOf(i, arg), bitName.c_str(), constFlag);
    list.numberOfSignals++;
  }
  recordDeclaredBundle(s);
}

SignalValue uninitialized(unsigned, unsigned) { return UNINITIALIZED; }
SignalValue fixedValue(unsigned, unsigned value) { return SignalValue(value); }
SignalValue maskBit(unsigned i, unsigned mask) { return ((mask >> (i % 32)) & 1u) ? ONE : ZERO; }

[[noreturn]] void fail() { exit(1); }

}  // namespace

// Zero and One come before every other static signal of any translation unit.
Signal Zero __attribute__((init_priority(101))) (1, 0u, "Zero");
Signal One __attribute__((init_priority(102))) (1, 1u, "One");

const char* signalValueName(SignalValue sv) {
  switch (sv) {
    case ZERO: return "ZERO";
    case UNINITIALIZED: return "UNINITIALIZED";
    case XXX: return "XXX";
    case HIZ: return "HIZ";
    case ONE: return "ONE";
  }
  return "NOT A SIGNAL";
}

void saySignalValue(SignalValue sv) { fputs(signalValueName(sv), stderr); }

Signal::Signal() : length(0), serialNumber(nullptr), constSignal(0), nameTag("UnNamed") {}

Signal::Signal(unsigned nr, const char* name) : length(int(nr)), serialNumber(nullptr), constSignal(0), nameTag(name) {
  declareBits(*this, nr, name ? name : "Annon", uninitialized, 0, 0);
}

Signal::Signal(unsigned nr, SignalValue initValue, int constValue, const char* name)
    : length(int(nr)), serialNumber(nullptr), constSignal(constValue), nameTag(name) {
  declareBits(*this, nr, name, fixedValue, unsigned(initValue), constValue);
}

Signal::Signal(unsigned nr, unsigned setMask, const char* name)
    : length(int(nr)), serialNumber(nullptr), constSignal(1), nameTag(name) {
  declareBits(*this, nr, name ? name : "Annon", maskBit, setMask, 1);
}

Signal::Signal(const Signal& s)
    : length(s.length), serialNumber(nullptr), constSignal(s.constSignal), nameTag(s.nameTag ? keepName(s.nameTag) : nullptr) {
  if (length > 0) {
    serialNumber = new int[length];
    memcpy(serialNumber, s.serialNumber, sizeof(int) * size_t(length));
  }
}

Signal::~Signal() {
  delete[] serialNumber;
  serialNumber = nullptr;
  nameTag = "DELETED";
}

Signal Signal::operator[](int sub) const {
  if (sub < 0 || sub >= length) {
    fprintf(stderr, "Signal :: operator[] subscript out of range--\n  -- Signal = %s sub = %d\n", nameOrEmpty(nameTag), sub);
    fail();
  }
  Signal r;
  r.length = 1;
  r.serialNumber = new int[1]{serialNumber[sub]};
  r.constSignal = constSignal;
  std::string name = nameOrEmpty(nameTag);
  if (length > 1) name += "[" + std::to_string(sub) + "]";
  r.nameTag = keepName(name);
  return r;
}

Signal Signal::sub(int start, int end) const {
  if (start < 0 || start >= length || end < 0 || end >= length) {
    fprintf(stderr, "Signal member sub(int,int)--bad range: %d,%d\nSource length = %d\n", start, end, length);
    fail();
  }
  Signal r;
  r.length = abs(start - end) + 1;
  r.serialNumber = new int[r.length];
  int direction = start >= end ? 1 : -1;
  for (int k = 0; k < r.length; k++) r.serialNumber[k] = serialNumber[end + direction * k];
  r.constSignal = constSignal;
  r.nameTag = keepName(nameOrEmpty(nameTag));
  return r;
}

Signal Signal::operator-(const Signal& sig) const {
  if (length != 1 || sig.length != 1) {
    fprintf(stderr, "Error--operator - arguments are not length = 1.\n");
    fail();
  }
  int s = serialNumber[0], e = sig.serialNumber[0];
  Signal r;
  r.length = abs(s - e) + 1;
  r.serialNumber = new int[r.length];
  for (int k = 0; k < r.length; k++) r.serialNumber[k] = s > e ? e + k : e - k;
  r.constSignal = constSignal;
  r.nameTag = keepName(nameOrEmpty(nameTag));
  return r;
}

Signal Signal::operator,(const Signal& siga) const {
  Signal r;
  r.length = length + siga.length;
  if (r.length > 0) {
    r.serialNumber = new int[r.length];
    for (int k = 0; k < siga.length; k++) r.serialNumber[k] = siga.serialNumber[k];
    for (int k = 0; k < length; k++) r.serialNumber[siga.length + k] = serialNumber[k];
  }
  r.constSignal = constSignal;
  r.nameTag = keepName(std::string(nameOrEmpty(nameTag)) + "," + nameOrEmpty(siga.nameTag));
  return r;
}

Signal operator*(int reps, const Signal& siga) {
  Signal r;
  // A negative count replicates nothing, like 0.
  long total = reps > 0 ? long(reps) * siga.length : 0;
  if (total > 0x7fffffffL) {
    fprintf(stderr, "Error--operator * replication of %s gives more than 2147483647 bits.\n", nameOrEmpty(siga.nameTag));
    exit(1);
  }
  r.length = int(total);
  if (r.length > 0) {
    r.serialNumber = new int[r.length];
    for (int k = 0; k < r.length; k++) r.serialNumber[k] = siga.serialNumber[k % siga.length];
  }
  r.constSignal = siga.constSignal;
  r.nameTag = keepName(nameOrEmpty(siga.nameTag));
  return r;
}

Signal Signal::operator=(const Signal& sig) const {
  fprintf(stderr, "Assignment from SignalName = %s to Signal Name = %s not implemented.\n", nameOrEmpty(sig.nameTag),
          nameOrEmpty(nameTag));
  fprintf(stderr, "  Try to use initialization instead -- or talk to the Prof.\n");
  return Signal();
}

void Signal::print() const {
  fprintf(stderr, "Signal.print() this=%p nameTag=%s constSignal=%d length=%d, numbered:\n     ", static_cast<const void*>(this),
          nameOrEmpty(nameTag), constSignal, length);
  for (int i = length - 1; i >= 0; i--) fprintf(stderr, "%d ", serialNumber[i]);
  fputc('\n', stderr);
}
