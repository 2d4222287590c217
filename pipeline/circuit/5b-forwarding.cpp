// 5b-forwarding: 5a-LD-hazard with a forwarding unit and a load interlock.  EX takes each operand it
// reads from the word in MEM or WB that writes that register, and a word reading the register a load
// in EX writes waits one cycle in ID, so a program sees every register as a sequential reading gives.
// The front panel adds the forwarding choices (Fwd A, Fwd B, Fwd D: 1 from MEM, 2 from WB) and the
// interlock (Load-use).
//
// Press '0' to release reset, then '1' repeatedly: two presses make one processor cycle.  The ROM
// program loads 0xFF00 into Reg1 and adds Reg1 to Reg4 .. Reg7 in the four words after the load: here
// every add sees the loaded value.
#include "Pipeline.h"
#include "ProcessorOptions.h"

void simnet() { placeProcessor(*processorVariantTagged("5b")); }

// The processor's own long options must exist before the command line is read.
static const bool processorOptionsAdded = (addProcessorOptions(), true);
