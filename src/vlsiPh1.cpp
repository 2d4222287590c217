// Constructors of the large-scale components: RegisterFile and Ram (one multi-port memory routine,
// two rows of the kind table; a RegisterFile's address 0 reads as ZERO) and Rom.
//
// Like the medium components they report length faults as counted fatal diagnostics and register
// all the same.  The memory's geometry becomes its integer parameters; its store is internal 32-bit
// variables, two bits per stored bit, each word starting on a variable of its own.
#include <climits>
#include <vector>

#include "CompSupport.h"
#include "NameIndex.h"
#include "Ph1.h"
#include "Sim.h"
#include "msiPh1.h"
#include "vlsiPh1.h"

namespace {

void checkMemoryLengths(const char* firstWord, const SD& sd, const Signal& controlIn, const Signal& dataIn,
                        const Signal& out, const MemoryGeometry& g) {
  std::string head = std::string("Error--") + firstWord + " " + decalText(sd) + " at " + positionText(sd);
  if (!g.sensible()) {
    reportFatalDiagnostic(head + ": memory size error" + lengthText("numberOfWords", g.numberOfWords) +
                          lengthText("bitWordWidth", g.bitWordWidth) +
                          lengthText("portAddressSize", g.portAddressSize) +
                          lengthText("numberOfReadPorts", g.numberOfReadPorts) +
                          lengthText("numberOfWritePorts", g.numberOfWritePorts));
    return;
  }
  if (memoryPinsFit(g, controlIn.length, dataIn.length, out.length)) return;
  reportFatalDiagnostic(head + ": I/O length error\n" + lengthText("dataIn.length", dataIn.length) +
                        " should match: " + std::to_string(g.dataLength()) + "\n" +
                        lengthText("controlIn.length", controlIn.length) +
                        " should match: " + std::to_string(g.controlLength()) + "\n" +
                        lengthText("out.length", out.length) + " should match: " + std::to_string(g.outLength()));
}

void multiPortMemory(KindRow kind, int zeroIsZERO, const SD& sd, const Signal& controlIn, const Signal& dataIn,
                     const Signal& out, const MemoryGeometry& g) {
  checkMemoryLengths(kindRow(kind).name, sd, controlIn, dataIn, out, g);
  std::vector<int> parameters = multiPortRamParameters(g, zeroIsZERO);
  addStandardComponent(kind, sd, dataIn, controlIn, out,
                       {numberOfMultiPortRamParameters, parameters.data(), 0, nullptr,
                        parameters[numberOf32BitWordsParameter], 0, multiPortRamWritePorts(g)});
  recordMemoryComponent();
}

}  // namespace

bool MemoryGeometry::sensible() const {
  return numberOfWords >= 0 && bitWordWidth >= 0 && portAddressSize >= 0 && numberOfReadPorts >= 0 &&
         numberOfWritePorts >= 0 && numberOf32BitWords() <= INT_MAX;
}

bool memoryPinsFit(const MemoryGeometry& g, long long control, long long data, long long out) {
  return out == g.outLength() && data == g.dataLength() && control == g.controlLength();
}

std::vector<int> multiPortRamParameters(const MemoryGeometry& g, int zeroIsZERO) {
  bool sensible = g.sensible();
  return {g.numberOfWords,
          g.bitWordWidth,
          g.portAddressSize,
          g.numberOfReadPorts,
          g.numberOfWritePorts,
          sensible ? int(g.storeWordsPerSimWord()) : 0,
          sensible ? int(g.numberOf32BitWords()) : 0,
          zeroIsZERO};
}

int multiPortRamWritePorts(const MemoryGeometry& g) { return g.sensible() ? g.numberOfWritePorts : 0; }

int romBytesPerWord(int bitsPerWord) { return (bitsPerWord - 1) / 8 + 1; }

bool romFits(int inLength, int words, int outLength, int bitsPerWord) {
  long long byteCount = (long long)words * romBytesPerWord(bitsPerWord);
  return isPowerOfTwoOf(inLength, words) && outLength == bitsPerWord && byteCount >= 0 && byteCount <= INT_MAX;
}

void RegisterFile(const SD& sd, const Signal& controlIn, const Signal& dataIn, const Signal& out, int numberOfWords,
                  int bitWordWidth, int portAddressSize, int numberOfReadPorts, int numberOfWritePorts) {
  multiPortMemory(KindRow::RegisterFile, 1, sd, controlIn, dataIn, out,
                  {numberOfWords, bitWordWidth, portAddressSize, numberOfReadPorts, numberOfWritePorts});
}

void Ram(const SD& sd, const Signal& controlIn, const Signal& dataIn, const Signal& out, int numberOfWords,
         int bitWordWidth, int portAddressSize, int numberOfReadPorts, int numberOfWritePorts) {
  multiPortMemory(KindRow::Ram, 0, sd, controlIn, dataIn, out,
                  {numberOfWords, bitWordWidth, portAddressSize, numberOfReadPorts, numberOfWritePorts});
}

// Word w is bytes w*A .. w*A+A-1 of contents, most significant byte first (A bytes per word).  Null
// contents read as all ZERO.
void Rom(const SD& sd, const Signal& in, const Signal& out, int words, int bitsPerWord,
         const unsigned char* contents) {
  int bytesPerWord = romBytesPerWord(bitsPerWord);
  long long byteCount = (long long)words * bytesPerWord;
  bool fits = byteCount >= 0 && byteCount <= INT_MAX;
  if (!romFits(in.length, words, out.length, bitsPerWord))
    reportFatalDiagnostic("I/O length error--Rom " + decalText(sd) + " at " + positionText(sd) +
                          lengthText("in.length", in.length) + lengthText("words", words) +
                          lengthText("out.length", out.length) + lengthText("bitsPerWord", bitsPerWord) +
                          lengthText("allocatedBytesPerWord", bytesPerWord));
  int parameters[numberOfRomParameters] = {words, bitsPerWord, bytesPerWord};
  std::vector<unsigned char> bytes(fits ? size_t(byteCount) : 0, 0);
  if (contents && !bytes.empty()) bytes.assign(contents, contents + byteCount);
  addStandardComponent(KindRow::Rom, sd, in, noSignal(), out,
                       {numberOfRomParameters, parameters, int(bytes.size()), bytes.data()});
  recordMemoryComponent();
}
