// The end-of-run checks' record: --expect, read after the stop conditions, and a failed check as status 1.
#include "Capability.h"
#include "Expect.h"
#include "FileIO.h"

const char* expectFileName = nullptr;

namespace {

bool takeExpectFile(const char* name, std::string&) {
  expectFileName = name;
  noteInputFile(name, "--expect");
  return true;
}

const LongOption options[] = {
    {"--expect", "file",
     "(also --expect=<file>) check signal values when the run ends: lines\n"
     "NAME VALUE, the value as 0x.., 0b.., decimal or a word of 01XZU; exit\n"
     "status 1 when a check fails; NAME[ADDR] VALUE checks word ADDR of a memory",
     takeExpectFile, "a file name"},
};

void reset() {
  expectFileName = nullptr;
  resetExpectations();
}

Verdict verdict() { return verdictWhen(expectationStatus() != 0, exitFailed, reasonExpectFailed); }

}  // namespace

const Capability& checksCapability() {
  static const Capability record = {
      "checks", 30, 30, options, 1, false, loadExpectations, nullptr, reset, verdict, nullptr, nullptr,
  };
  return record;
}
