// The processor program's long options, gathered from the areas that take them.
#include "ProcessorOptions.h"

void addProcessorOptions() {
  addProgramOption();
  addWaveformOptions();
  addViewOptions();
  addCompareOptions();
}
