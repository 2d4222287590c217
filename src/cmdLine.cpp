// The command line: options into the option globals.
//
// One left-to-right scan reads the words: single-character options go through the scanner (getopt.cpp),
// and a word that starts a long option (--keys, --vcd, --expect, --load, --quiet, --palette, --help,
// the circuit's own) is taken at its place between them.  So -h wins over whatever follows it, the
// argument of a single-character option (-W --keys) stays a word, and nothing after the end of the
// options (the first word that is not an option, or --) is read.  The library's long options are one
// table below.
//
// parseCommandLine applies the options and says how the command line ends (run, either help text, or
// a refused long option) without printing that ending or exiting; commandLine does both.
#include "cmdLine.h"

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "Capability.h"
#include "CircuitHooks.h"
#include "ExitStatus.h"
#include "FileIO.h"
#include "Globals.h"
#include "LongOption.h"
#include "Palette.h"

int red_fg = 0, green_fg = 0, blue_fg = 0;
int red_bg = 0, green_bg = 0, blue_bg = 0;
int red_sw = 0, green_sw = 0, blue_sw = 0;
int earlyExitFlag = 0;
char FunctionKeyString[25] = "";
char XW_geometry[20] = "";
char CursorKeyString[25] = "";
int connectMuxOnlyFlag = 0;
int profRunTimeFlag[16] = {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1};
int numberOfProfRunTimeFlags = 0;
uint64_t stopTime = 0;
int displayTimeFlag = 0;
int userRunTimeFlag[16] = {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1};
int numberOfUserRunTimeFlags = 0;
char WindowLabelString[25] = "";
int useXDisplay = 1;
int zFlagSet = 0;
int zSetXa = 0, zSetYa = 0, zSetXb = 0, zSetYb = 0;
int quietFlag = 0;
void (*startUpText)() = nullptr;

namespace {

const char optionString[] = "C:c:S:EF:g:K:hmp:T:tu:W:Xz:";

const char* const helpLines[] = {
    "Command line options:",
    " Colors (ForeGround,BackGround,SubWindow) (0-255 for each component)",
    "  -C <redFG> <greenFG> <blueFG>",
    "  -c <redBG> <greenBG> <blueBG>",
    "  -S <redSW> <greenSW> <blueSW>",
    " Early Exit",
    "  -E",
    " Function Key Operate",
    "  -F <string of operations> ops from {23456789HUDE}>",
    "     {H:Home; U:PgUp; D:PgDn; E:End}",
    "   for example:  -F 23589DD",
    " Geometry (standard X Window geometry format)",
    "  -g wxh+x+y",
    "   for example:  -g 1000x900+100+50",
    " Cursor Key Operate",
    "  -K <digit string> , digits from {0123}>",
    "     {0:left; 1:up; 2:right; 3:down}",
    "   for example:  -K 0003",
    " ProfRunTimeFlags",
    "  -p <flagNr> <flag> ",
    "   (flag[0..15]: octal, hex or int accepted)",
    " StopTime",
    "  -T <time>",
    " Time Display",
    "  -t",
    " UserRunTimeFlags",
    "  -u <flagNr> <flag> ",
    "   (flag[0..15]: octal, hex or int accepted)",
    " WindowLabelString",
    "  -W <windowLabel>",
    " Don't use X-Display",
    "  -X",
    " ZoomIn (to upper left and lower right coordinates)",
    "  -z <xul> <yul> <xlr> <ylr>",
    " Help",
    "  -h",
};

// A refused long option ends the parse; the problem is reported by commandLine.
struct Refusal {
  bool refused = false;
  std::string option;  // as typed, without "=..."
  std::string problem;
  void set(const std::string& name, const std::string& why) {
    refused = true;
    option = name;
    problem = why;
  }
};

bool takeQuiet(const char*, std::string&) {
  quietFlag = 1;
  return true;
}

// The core's own long options, listed among the capabilities' (Capability.h).
const LongOption coreOptions[] = {
    {"--quiet", nullptr,
     "leave out the start-up text (the control summary and the colour legend), the\n"
     "netlist's counts and the processor's halt note; without a window also the\n"
     "probes' reports on standard error",
     takeQuiet},
    {"--palette", "name",
     "(also --palette=<name>) value colours of the window: default, or\n"
     "high-contrast (the five values and the background clearly apart, also\n"
     "for colour-blind users)",
     takePaletteOption, "a palette name (default or high-contrast)"},
};

const Capability coreCapability = {
    "core", 70, 0, coreOptions, sizeof coreOptions / sizeof coreOptions[0], false,
    nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
};
const bool coreAdded = addCapability(coreCapability);

// Listed after the others, and matched only as the whole word "--help".
const LongOption helpOption = {"--help", nullptr, "this text, on standard output", nullptr};

// Two dashes and a letter, with or without "=...": a long option, never a cluster of single-character options.
bool isLongOptionWord(const char* w) {
  return w[0] == '-' && w[1] == '-' && isalpha(static_cast<unsigned char>(w[2]));
}

// Matches word i against every record's options (the library's and a circuit's), then the options a
// circuit added by itself.
LongOptionMatch takeListedOption(int gargc, char** gargv, int& i, std::string& problem) {
  for (const Capability* c : capabilitiesListed()) {
    LongOptionMatch match = takeLongOptionFrom(c->options, c->optionCount, gargc, gargv, i, problem);
    if (match != longOptionNotInTable) return match;
  }
  return takeLongOptionFrom(circuitOptions().data(), circuitOptions().size(), gargc, gargv, i, problem);
}

// Takes the long option at word i, leaving i on its last word; says whether it asks for --help.
bool takeLongOption(int gargc, char** gargv, int& i, Refusal& refusal) {
  const char* w = gargv[i];
  if (strcmp(w, "--help") == 0) return true;
  std::string problem, name(w, strcspn(w, "="));
  LongOptionMatch match = takeListedOption(gargc, gargv, i, problem);
  if (match == longOptionRefused) refusal.set(name, problem);
  if (match != longOptionNotInTable) return false;
  // Another circuit's option (the processor's --trace, say) must not run this one unasked.
  refusal.set(name, "unknown option " + name + ": this circuit does not offer it (--help lists the options)");
  return false;
}

void printOptionsOf(FILE* to, bool circuitOwn) {
  for (const Capability* c : capabilitiesListed())
    if (c->circuitOwn == circuitOwn) printLongOptions(to, c->options, c->optionCount);
}

// The long options' part of --help: the library's, --help, then the circuit's own under their heading.
void printLongHelp(FILE* to) {
  fprintf(to, "Long options:\n");
  printOptionsOf(to, false);
  printLongOption(to, helpOption);
  bool circuitRecords = false;
  for (const Capability& c : capabilities()) circuitRecords = circuitRecords || (c.circuitOwn && c.optionCount);
  if (!circuitRecords && circuitOptions().empty()) return;
  fprintf(to, "Options of this circuit:\n");
  printOptionsOf(to, true);
  printLongOptions(to, circuitOptions().data(), circuitOptions().size());
}

void copyText(char* field, size_t size, const char* text, char option) {
  if (strlen(text) >= size)
    fprintf(stderr, "Warning -- -%c text longer than %zu characters, truncated\n", option, size - 1);
  snprintf(field, size, "%s", text);
}

// The next word of a multi-word option, or null when the command line has ended.
const char* nextWord(int nargc, char** nargv) {
  if (optind >= nargc) return nullptr;
  return nargv[optind++];
}

// Reads up to n values into the fields; stops at the end of the command line.
void readValues(int nargc, char** nargv, int* const* fields, int n) {
  *fields[0] = atoi(optarg);
  for (int k = 1; k < n; k++) {
    const char* w = nextWord(nargc, nargv);
    if (!w) return;
    *fields[k] = atoi(w);
  }
}

void runTimeFlag(int nargc, char** nargv, int* table, int& count, char option) {
  int n = atoi(optarg);
  const char* w = nextWord(nargc, nargv);
  if (!w) return;
  if (n < 0 || n > 15) {
    fprintf(stderr, "Warning -- -%c flag number %d is outside 0..15, ignored\n", option, n);
    return;
  }
  table[n] = int(strtol(w, nullptr, 0));
  count++;
}

}  // namespace

void printHelp(FILE* to) {
  for (const char* line : helpLines) fprintf(to, "%s\n", line);
}

void resetCommandLineGlobals() {
  red_fg = green_fg = blue_fg = 0;
  red_bg = green_bg = blue_bg = 0;
  red_sw = green_sw = blue_sw = 0;
  earlyExitFlag = 0;
  FunctionKeyString[0] = XW_geometry[0] = CursorKeyString[0] = WindowLabelString[0] = '\0';
  connectMuxOnlyFlag = 0;
  for (int i = 0; i < 16; i++) profRunTimeFlag[i] = userRunTimeFlag[i] = -1;
  numberOfProfRunTimeFlags = numberOfUserRunTimeFlags = 0;
  stopTime = 0;
  displayTimeFlag = 0;
  useXDisplay = 1;
  zFlagSet = 0;
  zSetXa = zSetYa = zSetXb = zSetYb = 0;
  quietFlag = 0;
  startUpText = nullptr;
  resetPalette();
  resetFileRoles();
}

CommandLineOutcome parseCommandLine(int gargc, char** gargv, std::string* problem) {
  resetOptionScanner();  // whatever the outcome, the scanner reads as freshly started
  int nargc = gargc;
  char** nargv = gargv;
  for (;;) {
    if (optionScannerBetweenWords() && optind < nargc && isLongOptionWord(nargv[optind])) {
      Refusal refusal;
      int i = optind;
      bool wantHelp = takeLongOption(nargc, nargv, i, refusal);
      optind = i + 1;
      if (refusal.refused) {
        setPendingVerdict({exitBadInput, reasonRefusedOption, refusal.option});
        if (problem) *problem = refusal.problem;
        return commandLineRefused;
      }
      if (wantHelp) return commandLineLongHelp;
      continue;
    }
    int c = getopt(nargc, nargv, optionString);
    if (c == -1) break;
    switch (c) {
      case 'C': { int* f[] = {&red_fg, &green_fg, &blue_fg}; readValues(nargc, nargv, f, 3); break; }
      case 'c': { int* f[] = {&red_bg, &green_bg, &blue_bg}; readValues(nargc, nargv, f, 3); break; }
      case 'S': { int* f[] = {&red_sw, &green_sw, &blue_sw}; readValues(nargc, nargv, f, 3); break; }
      case 'z': {
        int* f[] = {&zSetXa, &zSetYa, &zSetXb, &zSetYb};
        zFlagSet = 1;
        readValues(nargc, nargv, f, 4);
        break;
      }
      case 'E': earlyExitFlag = 1; break;
      case 'F': copyText(FunctionKeyString, sizeof FunctionKeyString, optarg, 'F'); break;
      case 'g': copyText(XW_geometry, sizeof XW_geometry, optarg, 'g'); break;
      case 'K': copyText(CursorKeyString, sizeof CursorKeyString, optarg, 'K'); break;
      case 'W': copyText(WindowLabelString, sizeof WindowLabelString, optarg, 'W'); break;
      case 'h': return commandLineShortHelp;
      case 'm': connectMuxOnlyFlag = 1; break;
      case 'p': runTimeFlag(nargc, nargv, profRunTimeFlag, numberOfProfRunTimeFlags, 'p'); break;
      case 'u': runTimeFlag(nargc, nargv, userRunTimeFlag, numberOfUserRunTimeFlags, 'u'); break;
      case 'T': stopTime = uint64_t(strtol(optarg, nullptr, 10)); break;
      case 't': displayTimeFlag = 1 - displayTimeFlag; break;
      case 'X': useXDisplay = 0; break;
      default: break;
    }
  }
  // Before anything is read after the options or written: no output may replace an input or another output.
  std::string conflict = fileRoleConflict();
  if (conflict.empty()) return commandLineRun;
  setPendingVerdict({exitBadInput, reasonRefusedOption, ""});
  if (problem) *problem = conflict;
  return commandLineRefused;
}

namespace {

std::string programName = "tarvik";  // argv[0], for the scanner's messages about later words

void endCommandLine(CommandLineOutcome outcome, const std::string& problem) {
  switch (outcome) {
    case commandLineRun:
      return;
    case commandLineShortHelp:
      printHelp(stderr);
      exit(0);
    case commandLineLongHelp:
      printHelp(stdout);
      printLongHelp(stdout);
      exit(0);
    case commandLineRefused:
      fprintf(stderr, "ERROR -- %s\n", shownText(problem).c_str());
      exit(2);
  }
}

}  // namespace

void commandLine(int gargc, char** gargv) {
  if (gargc > 0 && gargv[0]) programName = gargv[0];
  std::string problem;
  CommandLineOutcome outcome = parseCommandLine(gargc, gargv, &problem);
  if (startUpText && !quietFlag) startUpText();
  endCommandLine(outcome, problem);
}

void commandLineMore(const std::vector<std::string>& words) {
  // Kept for the process's life, as argv is: options keep pointers into their words.
  static std::vector<std::string> copies;
  static std::vector<char*> argv;
  copies = {programName};
  copies.insert(copies.end(), words.begin(), words.end());
  argv.clear();
  for (std::string& w : copies) argv.push_back(&w[0]);
  argv.push_back(nullptr);
  std::string problem;
  endCommandLine(parseCommandLine(int(copies.size()), argv.data(), &problem), problem);
}
