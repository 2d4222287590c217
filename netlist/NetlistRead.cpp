// Reading a netlist: every line checked against the format and against what came before, so that the
// loader registers nothing a constructor would have refused and nothing the run could trip over.
#include <cstdio>
#include <cstdlib>
#include <algorithm>
#include <cctype>
#include <cstring>
#include <set>

#include "NetlistFile.h"
#include "NetlistKindRules.h"
#include "NetlistTools.h"

namespace {

class NetlistReader {
public:
  NetlistReader(const std::string& text, const std::string& fileName, std::string& problem)
      : text(text), fileName(fileName), problem(problem) {}

  // Reports what is wrong on the current line; returns false for the caller to pass on.
  bool fail(const std::string& what) {
    problem = fileName + ":" + std::to_string(lineNumber) + ": " + what;
    return false;
  }

  // The next line, which must start with keyword.
  bool line(const char* keyword) {
    if (at >= text.size()) {
      lineNumber++;
      return fail(std::string("the file ends where a line \"") + keyword + "\" was due");
    }
    size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    lineNumber++;
    tokens.clear();
    next = 0;
    if (!split(text.substr(at, end - at))) return false;
    at = end + 1;
    return word(keyword);
  }

  bool word(const char* w) {
    if (next < tokens.size() && !tokens[next].quoted && tokens[next].text == w) {
      next++;
      return true;
    }
    return fail(std::string("\"") + w + "\" expected" + found());
  }

  // In long long: addresses reach 4294967295, past a 32-bit long (the WebAssembly build's).
  bool number(long long min, long long max, long long& value, const char* what) {
    if (next >= tokens.size() || tokens[next].quoted) return fail(std::string(what) + " expected" + found());
    const std::string& t = tokens[next].text;
    char* end = nullptr;
    value = strtoll(t.c_str(), &end, 10);
    if (t.empty() || *end || t.size() > 12) return fail(std::string(what) + " expected" + found());
    if (value < min || value > max)
      return fail(what + std::string(" ") + t + " out of range " + std::to_string(min) + ".." + std::to_string(max));
    next++;
    return true;
  }

  template <typename T>
  bool number(long long min, long long max, T& value, const char* what) {
    long long v = 0;
    if (!number(min, max, v, what)) return false;
    value = T(v);
    return true;
  }

  bool quotedText(std::string& value, const char* what) {
    if (next >= tokens.size() || !tokens[next].quoted) return fail(std::string(what) + " (a quoted text) expected" + found());
    value = tokens[next++].text;
    return true;
  }

  // A bare word, as it stands.
  bool bareWord(std::string& value, const char* what) {
    if (next >= tokens.size() || tokens[next].quoted) return fail(std::string(what) + " expected" + found());
    value = tokens[next++].text;
    return true;
  }

  bool lineEnds() { return next == tokens.size() || fail("unexpected \"" + tokens[next].text + "\" at the line's end"); }

  bool fileEnds() {
    return at >= text.size() || (lineNumber++, fail("text after the line \"end\""));
  }

private:
  struct Token {
    std::string text;
    bool quoted;
  };

  std::string found() const {
    return next < tokens.size() ? ", found \"" + tokens[next].text + "\"" : ", found the line's end";
  }

  bool split(const std::string& l) {
    size_t i = 0;
    while (i < l.size()) {
      if (l[i] == ' ') {
        i++;
        continue;
      }
      Token t{"", l[i] == '"'};
      if (t.quoted ? !unquote(l, i, t.text) : !bare(l, i, t.text)) return false;
      tokens.push_back(t);
    }
    return true;
  }

  bool bare(const std::string& l, size_t& i, std::string& out) {
    while (i < l.size() && l[i] != ' ') {
      unsigned char c = static_cast<unsigned char>(l[i]);
      if (c < ' ' || c >= 127 || c == '"') return fail("a byte that no line may hold (code " + std::to_string(c) + ")");
      out += l[i++];
    }
    return true;
  }

  bool unquote(const std::string& l, size_t& i, std::string& out) {
    for (i++; i < l.size() && l[i] != '"'; i++) {
      unsigned char c = static_cast<unsigned char>(l[i]);
      if (c < ' ' || c >= 127) return fail("a byte that no text may hold (code " + std::to_string(c) + "): escape it");
      if (c != '\\') {
        out += l[i];
      } else if (i + 1 < l.size() && (l[i + 1] == '\\' || l[i + 1] == '"')) {
        out += l[++i];
      } else if (i + 3 < l.size() && l[i + 1] == 'x' && isxdigit(static_cast<unsigned char>(l[i + 2])) &&
                 isxdigit(static_cast<unsigned char>(l[i + 3]))) {
        out += char(strtol(l.substr(i + 2, 2).c_str(), nullptr, 16));
        i += 3;
      } else {
        return fail("a backslash that starts no escape (\\\\, \\\" or \\xHH)");
      }
    }
    if (i >= l.size()) return fail("a quoted text that does not end on its line");
    i++;
    return true;
  }

  const std::string& text;
  const std::string& fileName;
  std::string& problem;
  size_t at = 0;  // where the next line starts
  int lineNumber = 0;
  std::vector<Token> tokens;
  size_t next = 0;  // the next token of the line
};

bool readHeader(NetlistReader& r) {
  long version = 0;
  if (!r.line(netlistFormatName) || !r.number(1, 999999, version, "a version")) return false;
  if (version > netlistFormatVersion)
    return r.fail("version " + std::to_string(version) + " is newer than this program reads (" +
                  std::to_string(netlistFormatVersion) + ")");
  return r.lineEnds();
}

bool readCount(NetlistReader& r, const char* section, size_t max, size_t& count) {
  return r.line(section) && r.number(0, long(max), count, "a count") && r.lineEnds();
}

// A section of records after its count line, each record read by readRecord(its index).
template <typename ReadRecord>
bool readSection(NetlistReader& r, const char* section, ReadRecord readRecord) {
  size_t count = 0;
  if (!readCount(r, section, maxNetlistNames, count)) return false;
  for (size_t i = 0; i < count; i++)
    if (!readRecord(i)) return false;
  return true;
}

bool readIndex(NetlistReader& r, size_t expected) {
  size_t index = 0;
  if (!r.number(0, long(maxNetlistSignals), index, "an index")) return false;
  return index == expected || r.fail("index " + std::to_string(index) + " where " + std::to_string(expected) + " is due");
}

bool readValue(NetlistReader& r, SignalValue& value) {
  std::string name;
  if (!r.bareWord(name, "a signal value")) return false;
  for (SignalValue v : {ZERO, UNINITIALIZED, XXX, HIZ, ONE})
    if (name == signalValueName(v)) {
      value = v;
      return true;
    }
  return r.fail("unknown signal value \"" + name + "\"");
}

// Zero and One exist in every program before anything is read: the file's must be the same.
bool builtInSignalAgrees(NetlistReader& r, const NetlistSignal& s) {
  const Signal& own = s.serial == 0 ? Zero : One;
  std::string name = std::string(own.nameTag) + "[0]";
  SignalValue value = s.serial == 0 ? ZERO : ONE;
  if (s.name == name && s.value == value && s.constant == 1) return true;
  return r.fail("signal " + std::to_string(s.serial) + " must be " + name + " " + signalValueName(value) + " 1");
}

bool readSignals(NetlistReader& r, Netlist& n) {
  size_t count = 0;
  if (!readCount(r, "signals", maxNetlistSignals, count)) return false;
  if (count < 2) return r.fail("a netlist has at least the signals Zero[0] and One[0]");
  for (size_t i = 0; i < count; i++) {
    NetlistSignal s{int(i), UNINITIALIZED, 0, ""};
    if (!r.line("signal") || !readIndex(r, i) || !readValue(r, s.value) ||
        !r.number(-2147483647L - 1, 2147483647L, s.constant, "a constant flag") || !r.quotedText(s.name, "a name") ||
        !r.lineEnds())
      return false;
    if (i < 2 && !builtInSignalAgrees(r, s)) return false;
    n.signals.push_back(s);
  }
  return true;
}

bool readSerials(NetlistReader& r, const Netlist& n, size_t max, std::vector<int>& serials, const char* what) {
  size_t count = 0;
  if (!r.number(0, long(max), count, what)) return false;
  long last = long(n.signals.size()) - 1;
  for (size_t i = 0; i < count; i++) {
    int s = 0;
    if (!r.number(0, last, s, "a signal serial")) return false;
    serials.push_back(s);
  }
  return true;
}

bool readScopes(NetlistReader& r, Netlist& n) {
  size_t count = 0;
  if (!readCount(r, "scopes", maxNetlistNames, count)) return false;
  if (count < 1) return r.fail("a netlist has at least the top scope");
  for (size_t i = 0; i < count; i++) {
    ModuleScope s;
    if (!r.line("scope") || !readIndex(r, i) || !r.number(i == 0 ? -1 : 0, long(i) - 1, s.parent, "a parent scope") ||
        !r.quotedText(s.name, "a tag") || !r.quotedText(s.position, "a position") || !r.lineEnds())
      return false;
    n.scopes.push_back(s);
  }
  return true;
}

bool readBundles(NetlistReader& r, Netlist& n) {
  return readSection(r, "bundles", [&](size_t i) {
    n.bundles.push_back({"", {}, 0});
    DeclaredBundle& b = n.bundles.back();
    return r.line("bundle") && readIndex(r, i) && r.number(0, long(n.scopes.size()) - 1, b.scope, "a scope") &&
           r.quotedText(b.name, "a name") && readSerials(r, n, maxNetlistSignals, b.bits, "a width") && r.lineEnds();
  });
}

bool readKind(NetlistReader& r, KindRow& kind) {
  std::string name;
  if (!r.bareWord(name, "a component kind")) return false;
  return kindRowNamed(name, kind) || r.fail("unknown component kind \"" + name + "\"");
}

bool readBytes(NetlistReader& r, std::vector<unsigned char>& bytes) {
  size_t count = 0;
  std::string hex;
  if (!r.number(0, long(maxNetlistBytes), count, "a byte count") || !r.bareWord(hex, "the bytes in hex")) return false;
  if (count == 0) return hex == "-" || r.fail("\"-\" expected for no bytes");
  if (hex.size() != 2 * count) return r.fail(std::to_string(hex.size()) + " hex digits for " + std::to_string(count) + " bytes");
  for (size_t i = 0; i < count; i++) {
    if (!isxdigit(static_cast<unsigned char>(hex[2 * i])) || !isxdigit(static_cast<unsigned char>(hex[2 * i + 1])))
      return r.fail("the bytes hold a character that is no hex digit");
    bytes.push_back(static_cast<unsigned char>(strtol(hex.substr(2 * i, 2).c_str(), nullptr, 16)));
  }
  return true;
}

bool readFlags(NetlistReader& r, NetlistComponent& c) {
  return r.word("flags") && r.number(0, 1, c.outputOverloadable, "a flag") && r.number(0, 1, c.selfActivating, "a flag");
}

bool readIcon(NetlistReader& r, NetlistComponent& c) {
  std::string word;
  if (!r.bareWord(word, "icon or noicon")) return false;
  c.icon = word == "icon";
  return c.icon || word == "noicon" || r.fail("icon or noicon expected, found \"" + word + "\"");
}

bool readPinsAndParameters(NetlistReader& r, const Netlist& n, NetlistComponent& c) {
  size_t integers = 0;
  if (!r.word("data") || !readSerials(r, n, maxNetlistPins, c.dataInputs, "a pin count") || !r.word("control") ||
      !readSerials(r, n, maxNetlistPins, c.controlInputs, "a pin count") || !r.word("out") ||
      !readSerials(r, n, maxNetlistPins, c.outputs, "a pin count") || !r.word("int") ||
      !r.number(0, long(maxNetlistIntegers), integers, "a parameter count"))
    return false;
  for (size_t i = 0; i < integers; i++) {
    int v = 0;
    if (!r.number(-2147483647L - 1, 2147483647L, v, "an integer parameter")) return false;
    c.integers.push_back(v);
  }
  return r.word("bytes") && readBytes(r, c.bytes);
}

bool readComponent(NetlistReader& r, const Netlist& n, size_t i, NetlistComponent& c) {
  if (!r.line("component") || !readIndex(r, i) || !readKind(r, c.kind) || !r.word("level") ||
      !r.number(-1000000, 1000000, c.level, "a level") || !r.word("at") || !r.quotedText(c.position, "a position") ||
      !r.word("decal") || !r.quotedText(c.decal, "a decal") || !readIcon(r, c) || !readFlags(r, c) ||
      !readPinsAndParameters(r, n, c) || !r.word("storage") || !r.number(0, maxNetlistStorage, c.storage32, "a size") ||
      !r.number(0, maxNetlistStorage, c.storage16, "a size") || !r.number(0, maxNetlistStorage, c.storage8, "a size") ||
      !r.word("scope") || !r.number(0, long(n.scopes.size()) - 1, c.scope, "a scope") || !r.lineEnds())
    return false;
  std::string fault = kindRuleFault(c);
  if (!fault.empty()) return r.fail(fault);
  int serial = 0;
  if (initialValueSerial(c, serial) && (serial < 0 || size_t(serial) >= n.signals.size()))
    return r.fail("initial value serial " + std::to_string(serial) + " out of range 0.." +
                  std::to_string(n.signals.size() - 1));
  return true;
}

bool readComponents(NetlistReader& r, Netlist& n) {
  size_t count = 0;
  if (!readCount(r, "components", maxNetlistComponents, count)) return false;
  n.components.resize(count);
  for (size_t i = 0; i < count; i++)
    if (!readComponent(r, n, i, n.components[i])) return false;
  return true;
}

bool readKeys(NetlistReader& r, Netlist& n) {
  return readSection(r, "keys", [&](size_t) {
    NetlistKey k{0, 0, 0};
    std::string key;
    int first = n.keys.empty() ? 0 : n.keys.back().component;
    if (!r.line("key") || !r.number(first, long(n.components.size()) - 1, k.component, "a component") ||
        !r.number(0, long(n.signals.size()) - 1, k.serial, "a signal serial") || !r.quotedText(key, "a key") ||
        !r.lineEnds())
      return false;
    if (key.size() != 1) return r.fail("a key is one character");
    k.key = key[0];
    n.keys.push_back(k);
    return true;
  });
}

bool readMemories(NetlistReader& r, Netlist& n) {
  return readSection(r, "memories", [&](size_t) {
    RegisteredMemory m{0, 0};
    if (!r.line("memory") || !r.number(0, long(n.components.size()) - 1, m.component, "a component") ||
        !r.number(0, long(n.scopes.size()) - 1, m.scope, "a scope") || !r.lineEnds())
      return false;
    if (kindRow(n.components[size_t(m.component)].kind).memory == noMemory)
      return r.fail("component " + std::to_string(m.component) + " is no memory");
    n.memories.push_back(m);
    return true;
  });
}

bool unique(NetlistReader& r, std::set<std::string>& seen, const std::string& name, const char* what) {
  return seen.insert(name).second || r.fail(std::string(what) + " \"" + name + "\" is declared twice");
}

bool readWideMemories(NetlistReader& r, Netlist& n) {
  std::set<std::string> seen;
  return readSection(r, "widememories", [&](size_t) {
    WideDeclaration w;
    size_t lanes = 0;
    if (!r.line("widememory") || !r.quotedText(w.name, "a name") || !unique(r, seen, w.name, "wide memory") ||
        !r.number(0, long(maxNetlistPins), lanes, "a lane count"))
      return false;
    w.lanes.resize(lanes);
    for (std::string& lane : w.lanes)
      if (!r.quotedText(lane, "a lane")) return false;
    n.wideMemories.push_back(w);
    return r.lineEnds();
  });
}

bool readAliases(NetlistReader& r, Netlist& n) {
  std::set<std::string> seen;
  return readSection(r, "aliases", [&](size_t) {
    n.aliases.emplace_back();
    return r.line("alias") && r.quotedText(n.aliases.back().first, "an alias") &&
           unique(r, seen, n.aliases.back().first, "alias") && r.quotedText(n.aliases.back().second, "a name") &&
           r.lineEnds();
  });
}

bool readAddresses(NetlistReader& r, Netlist& n) {
  std::set<std::string> seen;
  return readSection(r, "addresses", [&](size_t) {
    n.addresses.push_back({"", 0});
    AddressedMemory& a = n.addresses.back();
    return r.line("addresses") && r.quotedText(a.name, "a memory") && unique(r, seen, a.name, "memory address") &&
           r.number(0, 4294967295L, a.first, "a first address") && r.lineEnds();
  });
}

bool readTools(NetlistReader& r, Netlist& n) {
  size_t count = 0;
  if (!r.line("tools") || !r.number(0, 1, count, "a count") || !r.lineEnds()) return false;
  if (count == 0) return true;
  if (!r.line("tool") || !r.quotedText(n.tools, "a name") || !r.quotedText(n.toolsArgument, "an argument") ||
      !r.lineEnds())
    return false;
  const CircuitTools* tools = circuitToolsNamed(n.tools);
  if (!tools) return r.fail("no circuit tools named \"" + n.tools + "\" in this program");
  std::string problem;
  return tools->takes(n.toolsArgument, problem) || r.fail(problem);
}

bool readHex(NetlistReader& r, uint64_t max, uint64_t& value, const char* what) {
  std::string hex;
  if (!r.bareWord(hex, what)) return false;
  char* end = nullptr;
  value = strtoull(hex.c_str(), &end, 16);
  if (hex.empty() || hex.size() > 16 || *end || !isxdigit(static_cast<unsigned char>(hex[0])))
    return r.fail(std::string(what) + " in hex expected, found \"" + hex + "\"");
  char largest[17];
  snprintf(largest, sizeof largest, "%llx", static_cast<unsigned long long>(max));
  return value <= max || r.fail(std::string(what) + " " + hex + " out of range 0.." + largest);
}

bool readImageWord(NetlistReader& r, MemoryImage& image) {
  ImageWord w{0, 0, 0};
  return r.line("word") && r.number(0, 4294967295L, w.address, "an address") &&
         readHex(r, ~uint64_t(0), w.value, "a word") && r.number(0, 2147483647L, w.line, "a line") &&
         r.number(1, 4294967295L, w.repeat, "a repeat count") && r.lineEnds() && (image.words.push_back(w), true);
}

bool readImageByte(NetlistReader& r, MemoryImage& image) {
  ImageByte b{0, 0, 0};
  uint64_t value = 0;
  return r.line("byte") && r.number(0, 4294967295L, b.address, "an address") && readHex(r, 0xff, value, "a byte") &&
         r.number(0, 2147483647L, b.line, "a line") && r.lineEnds() &&
         (b.value = uint8_t(value), image.bytes.push_back(b), true);
}

bool readLoad(NetlistReader& r, Netlist& n, size_t i) {
  n.loads.push_back({"", false, MemoryImage()});
  NetlistLoad& l = n.loads.back();
  std::string by;
  size_t words = 0, bytes = 0;
  if (!r.line("load") || !readIndex(r, i) || !r.quotedText(l.memory, "a memory") || !r.bareWord(by, "tools or option"))
    return false;
  if (by != "tools" && by != "option") return r.fail("tools or option expected, found \"" + by + "\"");
  l.byTools = by == "tools";
  if (l.byTools && n.tools.empty()) return r.fail("an image of the circuit's tools, but the file names no tools");
  if (!r.quotedText(l.image.file, "a file") || !r.number(0, long(maxNetlistImageWords), words, "a word count") ||
      !r.number(0, long(maxNetlistImageWords), bytes, "a byte count") || !r.lineEnds())
    return false;
  if (words > 0 && bytes > 0) return r.fail("an image holds words or bytes, not both");
  for (size_t k = 0; k < words; k++)
    if (!readImageWord(r, l.image)) return false;
  for (size_t k = 0; k < bytes; k++)
    if (!readImageByte(r, l.image)) return false;
  return true;
}

bool readLoads(NetlistReader& r, Netlist& n) { return readSection(r, "loads", [&](size_t i) { return readLoad(r, n, i); }); }

// The line of the first NUL byte, 0 when there is none.
int lineOfNul(const std::string& text) {
  size_t nul = text.find('\0');
  if (nul == std::string::npos) return 0;
  return 1 + int(std::count(text.begin(), text.begin() + long(nul), '\n'));
}

}  // namespace

bool readNetlist(const std::string& text, const std::string& fileName, Netlist& netlist, std::string& problem) {
  netlist = Netlist();
  if (int line = lineOfNul(text)) {
    problem = fileName + ":" + std::to_string(line) + ": a NUL byte: a netlist is text";
    return false;
  }
  NetlistReader r(text, fileName, problem);
  return readHeader(r) && readSignals(r, netlist) && readScopes(r, netlist) && readBundles(r, netlist) &&
         readComponents(r, netlist) && readKeys(r, netlist) && readMemories(r, netlist) &&
         readWideMemories(r, netlist) && readAliases(r, netlist) && readAddresses(r, netlist) && readTools(r, netlist) &&
         readLoads(r, netlist) && r.line("end") &&
         r.lineEnds() && r.fileEnds();
}
