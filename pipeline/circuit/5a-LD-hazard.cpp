// 5a-LD-hazard: a 16-bit five-stage pipelined processor with its memory, reset and clock switches and
// a front panel of probes over every pipeline register, the buses and the register file.
//
// Press '0' to release reset, then '1' repeatedly: two presses make one processor cycle.  The ROM
// program loads 0xFF00 into Reg1 and adds Reg1 to Reg4 .. Reg7 in the four words after the load; with
// no forwarding, the register file afterwards shows which of those adds saw the loaded value.
#include "Pipeline.h"
#include "ProcessorOptions.h"

void simnet() { placeProcessor(*processorVariantTagged("5a")); }

// The processor's own long options must exist before the command line is read.
static const bool processorOptionsAdded = (addProcessorOptions(), true);
