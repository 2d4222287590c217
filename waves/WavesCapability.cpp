// The waveform dump's record: --vcd, the dump started last of the steps, and a failed write as status 2.
#include "Capability.h"
#include "FileIO.h"
#include "Vcd.h"

const char* vcdFileName = nullptr;

namespace {

bool takeVcdFile(const char* name, std::string&) {
  vcdFileName = name;
  noteOutputFile(name, "--vcd");
  return true;
}

const LongOption options[] = {
    {"--vcd", "file",
     "(also --vcd=<file>) write the run as a value change dump: every declared\n"
     "signal bundle in its module scope; one time unit is one tick",
     takeVcdFile, "a file name"},
};

void reset() {
  vcdFileName = nullptr;
  resetWaveformDump();
}

Verdict verdict() { return verdictWhen(waveformDumpStatus() != 0, exitBadInput, reasonWriteFailed); }

}  // namespace

const Capability& wavesCapability() {
  static const Capability record = {
      "waves", 20, 50, options, 1, false, startWaveformDump, nullptr, reset, verdict, nullptr, nullptr,
  };
  return record;
}
