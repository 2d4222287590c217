// The memory images' record: --load, and every queued image loaded first of the steps (a circuit's own
// options may have queued some by then).
#include "Capability.h"
#include "MemImage.h"
#include "MemLoad.h"

namespace {

const LongOption options[] = {
    {"--load", "name=file",
     "(also --load=<name=file>) replace the contents of the memory NAME (a\n"
     "Rom, Ram or RegisterFile, named like --expect names) with the image FILE\n"
     "before the run and at every restart: hex words (@ADDR, N*WORD, comments #\n"
     "and //) or Intel HEX; may be given several times",
     takeMemoryLoadOption, "NAME=FILE"},
};

}  // namespace

const Capability& memimageCapability() {
  static const Capability record = {
      "memimage", 40, 10, options, 1, false, loadMemoryImages, nullptr, resetMemoryImages, nullptr, nullptr, nullptr,
  };
  return record;
}
