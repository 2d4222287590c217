// Fuzz target: key scripts.  Any text either parses into presses the input dispatch knows and timed
// steps whose absolute ticks never go back, or is refused with a message; nothing else may happen.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "KeyScript.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  std::vector<ScriptedKey> keys;
  std::string error;
  if (parseKeyScript(text, keys, error)) {
    uint64_t lastAbsolute = 0;
    for (const ScriptedKey& k : keys) {
      if (k.eventType == waitUntilTick) {
        if (k.ticks < lastAbsolute) abort();
        lastAbsolute = k.ticks;
      }
      bool known = k.eventType == waitUntilTick || k.eventType == waitTicks ||
                   (k.eventType == 1 && k.keyChar >= 0 && k.keyChar < 128) ||
                   (k.eventType == 2 && k.keyChar >= 1 && k.keyChar <= 35) ||
                   (k.eventType == 3 && k.keyChar >= -1 && k.keyChar <= 6);
      if (!known) abort();
    }
    if (keys.size() > text.size()) abort();
  } else if (error.empty()) {
    abort();
  }
  return 0;
}
