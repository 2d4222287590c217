// Waveform dump (--vcd FILE): the run as an IEEE 1364 value change dump.
//
// Every declared bundle is one variable of its width, in the scope of the module it was declared in,
// all inside a root module scope "top" (names as in NameIndex.h).  The dump follows the run through
// its observers: at every (re)initialisation it writes the values of all variables, after every
// applied batch those variables holding a changed bit whose value now differs from what the file last
// shows, under one timestamp per batch.  ZERO is 0, ONE 1, HIZ z, and XXX and UNINITIALIZED are both
// x.  One time unit is one tick; ticks have no physical length, so the 1 ns timescale is nominal.
// Times in the file never go back: a restart (F1) begins a new time base one unit after the last time
// written, so tick t of the restarted run is written as offset + t, and a comment marks the restart.
// Output goes through one large stdio buffer into a temporary file that replaces FILE when the run
// ends.  The first failed write is reported once, drops the dump (an older FILE stays as it was) and
// ends the run.
#include "Vcd.h"

#include <signal.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "Bundles.h"
#include "FileIO.h"
#include "Globals.h"
#include "NameIndex.h"
#include "Ph2.h"
#include "Ph3.h"
#include "Ph4.h"

namespace {

// Static, so that it outlives every destructor when exit() flushes a dump still open.
char outputBuffer[size_t(1) << 20];

struct DumpVariable {
  std::vector<int> bits;  // serial numbers, bit 0 first
  std::string code;       // identifier code in the file
  std::string shown;      // the value the file last holds, most significant bit first
  bool pending = false;   // holds a bit changed by the current batch
};

struct WaveformDump {
  OutputFile output;     // a temporary file until the dump is complete
  FILE* file = nullptr;  // output.file while the dump is written
  std::string path;
  std::vector<DumpVariable> variables;
  std::vector<int> variableOfBit;  // by serial number; -1 for bits of no declared bundle
  std::vector<int> pendingVariables;
  std::string scratch;
  std::string text;  // value changes of the current batch, not yet handed to stdio
  uint64_t offset = 0;    // file time of tick 0 of the current time base
  uint64_t lastTime = 0;  // last timestamp written
  int initializations = 0;
  bool failed = false;
};

WaveformDump dump;

char letterOf(SignalValue v) {
  switch (v) {
    case ZERO: return '0';
    case ONE: return '1';
    case HIZ: return 'z';
    default: return 'x';
  }
}

// Identifier codes: numbers in base 94 over the printable characters '!' to '~'.
std::string codeOf(size_t n) {
  std::string code;
  do {
    code += char('!' + n % 94);
    n /= 94;
  } while (n > 0);
  return code;
}

void currentValue(const DumpVariable& v, std::string& into) {
  const std::vector<SignalValue>& now = phaseThree->currentSignals;
  into.resize(v.bits.size());
  for (size_t i = 0; i < v.bits.size(); i++) into[v.bits.size() - 1 - i] = letterOf(now[size_t(v.bits[i])]);
}

// Value changes are collected in dump.text and handed to stdio once per batch.
void writeValue(const DumpVariable& v) {
  std::string& out = dump.text;
  if (v.bits.size() == 1) {
    out += v.shown[0];
  } else {
    out += 'b';
    out += v.shown;
    out += ' ';
  }
  out += v.code;
  out += '\n';
}

void writeTime(uint64_t t) {
  dump.text += '#';
  dump.text += std::to_string(t);
  dump.text += '\n';
  dump.lastTime = t;
}

// Reports the first failure, gives up the dump (a file it replaces stays as it was) and ends the run.
void fail(const std::string& reason) {
  if (dump.failed) return;
  dump.failed = true;
  fprintf(stderr, "ERROR -- cannot write waveform dump %s: %s\n", dump.path.c_str(), reason.c_str());
  abandonOutput(dump.output);
  dump.file = nullptr;
  done = 1;
}

void fail(int error) { fail(strerror(error)); }

// Hands the collected text to stdio and reports a failed write.
void writeOut() {
  if (!dump.file) return;
  fwrite(dump.text.data(), 1, dump.text.size(), dump.file);
  dump.text.clear();
  if (ferror(dump.file)) fail(errno ? errno : EIO);
}

void writeScope(const NameIndex& names, const std::vector<std::vector<int>>& children,
                const std::vector<std::vector<int>>& members, size_t scope) {
  const std::string& name = scope == 0 ? std::string(rootScopeName) : names.scopeNames[scope];
  fprintf(dump.file, "$scope module %s $end\n", name.c_str());
  for (int b : members[scope]) {
    const DumpVariable& v = dump.variables[size_t(b)];
    size_t width = v.bits.size();
    if (width == 1)
      fprintf(dump.file, "$var wire 1 %s %s $end\n", v.code.c_str(), names.bundleNames[size_t(b)].c_str());
    else
      fprintf(dump.file, "$var wire %zu %s %s [%zu:0] $end\n", width, v.code.c_str(),
              names.bundleNames[size_t(b)].c_str(), width - 1);
  }
  for (int child : children[scope]) writeScope(names, children, members, size_t(child));
  fputs("$upscope $end\n", dump.file);
}

void writeHeader() {
  const std::vector<DeclaredBundle>& bundles = declaredBundles();
  const std::vector<ModuleScope>& scopes = moduleScopes();
  const NameIndex& names = nameIndex();
  std::vector<std::vector<int>> children(std::max<size_t>(scopes.size(), 1)), members(children.size());
  for (size_t i = 1; i < scopes.size(); i++) children[size_t(scopes[i].parent)].push_back(int(i));
  for (size_t b = 0; b < bundles.size(); b++) members[size_t(bundles[b].scope)].push_back(int(b));
  fputs("$comment\n"
        "  Tarvik value change dump.  One time unit is one simulation tick; the 1 ns timescale is nominal.\n"
        "  XXX and UNINITIALIZED are both shown as x.  A restart (F1) begins a new time base one unit\n"
        "  after the last time written, marked by a comment.\n"
        "$end\n"
        "$version Tarvik $end\n"
        "$timescale 1 ns $end\n",
        dump.file);
  writeScope(names, children, members, 0);
  fputs("$enddefinitions $end\n", dump.file);
}

// The values after a (re)initialisation: all of them the first time, later those that differ.
void initialized() {
  if (!dump.file) return;
  bool first = dump.initializations++ == 0;
  if (first) {
    writeTime(0);
    dump.text += "$dumpvars\n";
  } else {
    dump.offset = dump.lastTime + 1;
    dump.text += "$comment restart: tick 0 of the restarted run is time " + std::to_string(dump.offset) + " $end\n";
    writeTime(dump.offset);
  }
  for (DumpVariable& v : dump.variables) {
    currentValue(v, dump.scratch);
    if (!first && dump.scratch == v.shown) continue;
    v.shown = dump.scratch;
    writeValue(v);
  }
  if (first) dump.text += "$end\n";
  writeOut();
}

void batchApplied(uint64_t time, const std::vector<int>& changedBits) {
  if (!dump.file) return;
  for (int s : changedBits) {
    int v = dump.variableOfBit[size_t(s)];
    if (v < 0 || dump.variables[size_t(v)].pending) continue;
    dump.variables[size_t(v)].pending = true;
    dump.pendingVariables.push_back(v);
  }
  uint64_t t = dump.offset + time;
  bool stamped = t == dump.lastTime;
  for (int i : dump.pendingVariables) {
    DumpVariable& v = dump.variables[size_t(i)];
    v.pending = false;
    currentValue(v, dump.scratch);
    if (dump.scratch == v.shown) continue;
    if (!stamped) writeTime(t);
    stamped = true;
    v.shown = dump.scratch;
    writeValue(v);
  }
  dump.pendingVariables.clear();
  writeOut();
}

void ended() {
  if (!dump.file) return;
  std::string reason;
  dump.file = nullptr;
  if (!closeOutput(dump.output, reason)) fail(reason);
}

void collectVariables() {
  const std::vector<DeclaredBundle>& bundles = declaredBundles();
  dump.variableOfBit.assign(size_t(phaseTwo->numberOfSignals), -1);
  dump.variables.resize(bundles.size());
  for (size_t b = 0; b < bundles.size(); b++) {
    dump.variables[b].bits = bundles[b].bits;
    dump.variables[b].code = codeOf(b);
    for (int s : bundles[b].bits) dump.variableOfBit[size_t(s)] = int(b);
  }
}

// A reader that goes away must not kill the simulator: its write fails instead and is reported.
void survivePipeReaders() {
  struct stat st;
  if (fstat(fileno(dump.file), &st) == 0 && (S_ISFIFO(st.st_mode) || S_ISSOCK(st.st_mode))) signal(SIGPIPE, SIG_IGN);
}

}  // namespace

void startWaveformDump() {
  if (!vcdFileName) return;
  dump.path = vcdFileName;
  std::string reason;
  if (!openOutput(vcdFileName, dump.output, reason)) {
    fprintf(stderr, "ERROR -- cannot create waveform dump %s: %s\n", vcdFileName, reason.c_str());
    exit(2);
  }
  dump.file = dump.output.file;
  setvbuf(dump.file, outputBuffer, _IOFBF, sizeof outputBuffer);
  survivePipeReaders();
  collectVariables();
  writeHeader();
  runObservers.push_back({initialized, batchApplied, ended});
}

int waveformDumpStatus() { return dump.failed ? 2 : 0; }

void resetWaveformDump() {
  abandonOutput(dump.output);
  dump = WaveformDump();
}
