// A circuit program's entry: the simulator on a build function, which prints the control summary and
// colour legend once the options are read (--quiet leaves them out).  The exit status is 1 when output
// was lost on the way (StdStreams.h).  The circuit programs (main.cpp) and tarvik-sim share it.
#include <cstdio>

#include "ExitStatus.h"
#include "Palette.h"
#include "Sim.h"
#include "StdStreams.h"
#include "cmdLine.h"

namespace {

const char* const controlSummary[] = {
    "F1 Reset Simulation to Time Zero (restart)",
    "F2 Toggle Interconnecting Lines Drawing",
    "F3 Toggle Component Labels Drawing",
    "F4 Toggle Connection Tabs Drawing",
    "F5 Toggle Interconnecting Lines Labeling (show signal names !)",
    "F6 Toggle Time, QueueLength, Slowness Display",
    "F7 Toggle Interconnecting Lines for Mux'es Only",
    "F8 Toggle SuperProbe Display",
    "F9 Toggle Windowing Mode",
    "F10 Exit",
    "",
    "Control-a:  give the least detail (with macros)",
    "Control-n:  give a little less detail (with macros)",
    "Control-m:  give a little more detail (with macros)",
    "Control-z:  give the most detail (with macros)",
    "Control-l:  re-paint",
    "",
};

void printControlSummaryAndLegend() {
  for (const char* line : controlSummary) printf("%s\n", line);
  fputs(defaultColourLegend, stdout);
}

}  // namespace

int circuitProgramMain(int argc, char** argv, void (*build)()) {
  guardStandardStreams();
  startUpText = printControlSummaryAndLegend;
  Sim(argc, argv, build);
  int status = standardStreamsStatus();
  if (status) setPendingVerdict({status, reasonOutputLost, ""});
  return status;
}
