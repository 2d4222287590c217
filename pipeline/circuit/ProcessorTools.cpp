// The processor's tools in a netlist file: a processor's file names them with its variant's tag, and
// tarvik-sim, which links this file, runs it with every option of the processor's own program.
#include <utility>

#include "FileIO.h"
#include "NetlistTools.h"
#include "Pipeline.h"
#include "ProcessorOptions.h"

namespace {

bool takesVariant(const std::string& tag, std::string& problem) {
  if (processorVariantTagged(tag)) return true;
  problem = "no processor \"" + tag + "\": the processors are " + processorVariantTags(", ", " and ", "\"");
  return false;
}

void addOptions(const std::string&) { addProcessorOptions(); }

void notePlaced(const std::string& tag) { notePlacedProcessor(*processorVariantTagged(tag)); }

// As --program gives it; no output of the run may overwrite the source it came from.
void takeProgram(const std::string& memory, MemoryImage image) {
  noteInputFile(image.file, "--program");
  takeProgramImage(memory, std::move(image));
}

const bool offered = offerCircuitTools({processorToolsName, takesVariant, addOptions, notePlaced, takeProgram});

}  // namespace
