// Everything a circuit description needs: signals, designators and the component library.
//
// A circuit is a function simnet() that declares Signals and calls the constructors below; the
// library's main() runs it once to build the netlist and then simulates it.
#ifndef TARVIK_SIM_H
#define TARVIK_SIM_H

#include <cstdint>
#include <string>
#include <vector>

#include "CircuitHooks.h"
#include "SecEvTyp.h"
#include "Schmtc.h"
#include "Signal.h"

// The circuit description's entry: builds the whole netlist.
void simnet();
// The driver: command line, netlist build, elaboration, display and run.
void Sim(int argc, char** argv, void (*build)());
// A circuit program's main: the start-up text, Sim on build, and the exit status.
int circuitProgramMain(int argc, char** argv, void (*build)());

// Run-time flag tables offered to circuits (-p, -u); -1 where not given.
extern int profRunTimeFlag[16];
extern int numberOfProfRunTimeFlags;
extern int userRunTimeFlag[16];
extern int numberOfUserRunTimeFlags;
// While 0, components are registered without icon and are never drawn.
extern int visibleFlag;

// Names a circuit adds for the people using it (the name index, NameIndex.h).  NameAlias("r1", "Reg1"):
// a name that does not pick one bundle by itself is looked up as the name it stands for, by every reader
// of names (--expect, --until, --explain, NAME[i] included).  MemoryAddresses("RAM", 0x40): NAME[ADDR] of
// that memory takes the addresses a program uses, first .. first + words - 1, as well as the word
// numbers.  WideMemory declares a wide memory made of lanes side by side, most significant lane first
// (two 8-bit RAMs as one 16-bit RAM): each lane a memory name as for --load, all of the same number of
// words; the wide memory is named NAME for --load and --expect.
void NameAlias(const char* alias, const char* name);
void MemoryAddresses(const char* memory, uint32_t first);
void WideMemory(const char* name, const std::vector<std::string>& lanes);

// Logic gates and tri-state buffer (delays 7/10).  Vector forms split into one-bit gates.
void And(const SD& sd, const Signal& in, const Signal& out);
void And(const SD& sd, const Signal& in1, const Signal& in2, const Signal& out);
void Or(const SD& sd, const Signal& in, const Signal& out);
void Or(const SD& sd, const Signal& in1, const Signal& in2, const Signal& out);
void Nand(const SD& sd, const Signal& in, const Signal& out);
void Nor(const SD& sd, const Signal& in, const Signal& out);
void Xor(const SD& sd, const Signal& in, const Signal& out);
void Xnor(const SD& sd, const Signal& in, const Signal& out);
void Not(const SD& sd, const Signal& in, const Signal& out);
void Iand(const SD& sd, const Signal& inTrue, const Signal& inComplement, const Signal& out);
void Inand(const SD& sd, const Signal& inTrue, const Signal& inComplement, const Signal& out);
void CiOr(const SD& sd, const Signal& inTrue, const Signal& inComplement, const Signal& out);
void CiNor(const SD& sd, const Signal& inTrue, const Signal& inComplement, const Signal& out);
void MultiLevelCompare(const SD& sd, const Signal& in, const Signal& out);
void Tsb(const SD& sd, const Signal& in, const Signal& control, const Signal& out);

// Sources and controls.  A source starts at the value of its init bit and changes to its complement.
void Switch(const SD& sd, const Signal& out, char keyChar, const Signal& init, const char* label = "");
void Pulser(const SD& sd, const Signal& out, char keyChar, int duration, const Signal& init);
void PowerOn(const SD& sd, const Signal& out, int time, const Signal& init);
void Clock(const SD& sd, const Signal& out, int duration, int offset, int period, const Signal& init);
void Stop(const SD& sd, const Signal& in);

// Probes and structure-only components.
void Probe(const SD& sd, const Signal& in, const char* label = "", int numberOfPartitions = 0,
           const int* partitionSize = nullptr);
void ProbeH(const SD& sd, const Signal& in, const char* label = "");
void ProbeByte(const SD& sd, const Signal& in, const char* label = "");
void ProbeByteH(const SD& sd, const Signal& in, const char* label = "");
void Module(const SD& sd, const Signal& in, const Signal& out);
void Module(const SD& sd, const char* tag, const Signal& in, const Signal& out);
void Space(const SD& sd);

// Arithmetic and counting (delays 13/17).
void Adder(const SD& sd, const Signal& dataIn, const Signal& out);
void Increment(const SD& sd, const Signal& in, const Signal& out);
void Counter(const SD& sd, const Signal& in, const Signal& out);

// Latches and flip-flops (delays 13/17).
void Gate(const SD& sd, const Signal& in, const Signal& out);
void Dff(const SD& sd, const Signal& in, const Signal& out);
void Jkff(const SD& sd, const Signal& in, const Signal& out);

// Selectors (delays 13/17).
void Mux(const SD& sd, const Signal& controlIn, const Signal& dataIn, const Signal& out);
void Decoder(const SD& sd, const Signal& controlIn, const Signal& dataIn, const Signal& out);
void Encoder(const SD& sd, const Signal& dataIn, const Signal& out, const Signal& valid);

// Registers (delays 13/17).
void Register(const SD& sd, const Signal& enable, const Signal& write, const Signal& dataIn,
              const Signal& out);
void BitAddressibleRegister(const SD& sd, const Signal& clear, const Signal& set, const Signal& enable,
                            const Signal& write, const Signal& bitIn, const Signal& writeAddress,
                            const Signal& readAddress, const Signal& bitOut, const Signal& registerOut);

// Console outputs.
void Stderr(const SD& sd, const Signal& in);
void IntOut(const SD& sd, const Signal& control, const Signal& data);
void HexOut(const SD& sd, const Signal& control, const Signal& data);

// Memories.
void RegisterFile(const SD& sd, const Signal& controlIn, const Signal& dataIn, const Signal& out,
                  int numberOfWords, int bitWordWidth, int portAddressSize, int numberOfReadPorts,
                  int numberOfWritePorts);
void Ram(const SD& sd, const Signal& controlIn, const Signal& dataIn, const Signal& out, int numberOfWords,
         int bitWordWidth, int portAddressSize, int numberOfReadPorts, int numberOfWritePorts);
void Rom(const SD& sd, const Signal& in, const Signal& out, int words, int bitsPerWord,
         const unsigned char* contents);

#endif
