// Fuzz target: the netlist reader.
//
// The input is the text of a netlist file.  A refused one has a problem "n.net:LINE: what" whose line
// is one of the text's lines or the one after its last (a file that ends too early).  An accepted one
// stays inside the reader's limits, and the text written from it reads back to the same text.  The
// tools "box" (taking the argument "1") stand for a circuit's own tools.
#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzCheck.h"
#include "NetlistFile.h"
#include "BoxTools.h"

namespace {

void checkLimits(const Netlist& n) {
  require(n.signals.size() >= 2 && n.signals.size() <= maxNetlistSignals, "signals within the limits");
  require(n.components.size() <= maxNetlistComponents, "components within the limit");
  require(!n.scopes.empty() && n.scopes[0].parent == -1, "scope 0 is the top");
  for (const NetlistComponent& c : n.components) {
    require(c.kind != KindRow::Other, "no circuit's own component is read");
    for (const std::vector<int>* pins : {&c.dataInputs, &c.controlInputs, &c.outputs})
      for (int s : *pins) require(s >= 0 && size_t(s) < n.signals.size(), "every pin is a signal of the file");
    require(size_t(c.scope) < n.scopes.size(), "every component is in a scope of the file");
  }
  for (const NetlistLoad& l : n.loads) {
    require(l.image.words.size() + l.image.bytes.size() <= maxNetlistImageWords, "images within the limit");
    require(l.image.words.empty() || l.image.bytes.empty(), "an image holds words or bytes");
    require(!l.byTools || n.tools == "box", "an image of tools only in a file that names them");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text = textOf(data, size);
  Netlist netlist;
  std::string problem;
  if (!readNetlist(text, "n.net", netlist, problem)) {
    size_t at = 0;
    long line = lineOfMessage(problem, "n.net", at);
    long lines = long(sourceLines(text).size());
    require(line >= 1 && line <= lines + 1 && problem.compare(at, 1, " ") == 0, "a refusal names a line of the text");
    return 0;
  }
  checkLimits(netlist);
  std::string written = netlistText(netlist);
  Netlist again;
  require(readNetlist(written, "n.net", again, problem), "a written netlist reads back");
  require(netlistText(again) == written, "a written netlist reads back to the same text");
  return 0;
}
