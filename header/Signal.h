// Signals: the wires of a circuit description.
//
// Every single-bit signal of the netlist has a dense serial number, handed out in declaration order
// (Zero and One are always 0 and 1).  A Signal is a bundle: a length and an array of serial numbers,
// bit 0 least significant.  The three declaring constructors create new single-bit signals; every
// other operation (copy, subscript, sub-range, serial range, concatenation, replication) builds a new
// bundle over signals that already exist.  Passing bundles that share serial numbers to several
// component constructors is what connects the components.
#ifndef TARVIK_SIGNAL_H
#define TARVIK_SIGNAL_H

// The five signal values.  The numbers are fixed: AND takes the minimum and OR the maximum in this order.
// The underlying type is fixed so that any number can be held and named ("NOT A SIGNAL") safely.
enum SignalValue : int { ZERO = 0, UNINITIALIZED = 1, XXX = 2, HIZ = 3, ONE = 4 };

// Writes the value's name ("ZERO", ..., "NOT A SIGNAL") to standard error, without a line end.
void saySignalValue(SignalValue sv);
// The same name as a text.
const char* signalValueName(SignalValue sv);

class Signal {
public:
  int length;           // number of single-bit signals; 0 for an empty bundle
  int* serialNumber;    // serialNumber[i] is the serial number of bit i; null when length is 0
  int constSignal;      // 1 when declared constant; copied by every derived bundle
  const char* nameTag;  // the bundle's name

  // Declares nr signals named name[i], UNINITIALIZED, not constant.
  Signal(unsigned nr, const char* name);
  // Declares nr signals with the given initial value and constant flag; a null name gives "Annon".
  Signal(unsigned nr, SignalValue initValue, int constValue, const char* name);
  // Declares nr constant signals; bit i is ONE when bit (i mod 32) of setMask is set.
  Signal(unsigned nr, unsigned setMask, const char* name);

  Signal(const Signal& s);  // refers to the same signals
  ~Signal();

  Signal operator[](int sub) const;            // one bit
  Signal sub(int start, int end) const;        // bits end..start; start < end reverses them
  Signal operator-(const Signal& sig) const;   // serial-number range between two one-bit bundles
  Signal operator,(const Signal& siga) const;  // concatenation, right operand at the low bits
  Signal operator=(const Signal& sig) const;   // refused with a message: use initialisation
  void print() const;

private:
  Signal();  // the empty bundle every operator starts from
  friend Signal operator*(int reps, const Signal& siga);
};

Signal operator*(int reps, const Signal& siga);  // replication, the pattern repeating from the bottom

extern Signal Zero;  // constant ZERO, serial number 0
extern Signal One;   // constant ONE, serial number 1

#endif
