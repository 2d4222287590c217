// The command line: option scanner messages, option values, the help texts and the long options.
#include <gtest/gtest.h>

#include <cstring>

#include "Globals.h"
#include "Harness.h"
#include "KeyScript.h"
#include "Vcd.h"
#include "cmdLine.h"

namespace {

// Runs commandLine over "prog" followed by the words, in this process.
void parse(std::vector<std::string> words) {
  static std::vector<std::string> storage;
  static std::vector<char*> argv;
  storage = words;
  storage.insert(storage.begin(), "prog");
  argv.clear();
  for (std::string& s : storage) argv.push_back(&s[0]);
  argv.push_back(nullptr);
  commandLine(int(argv.size()) - 1, argv.data());
}

RunResult parseInChild(std::vector<std::string> words) {
  return runInChild([words] { parse(words); });
}

const char* const helpText =
    "Command line options:\n"
    " Colors (ForeGround,BackGround,SubWindow) (0-255 for each component)\n"
    "  -C <redFG> <greenFG> <blueFG>\n"
    "  -c <redBG> <greenBG> <blueBG>\n"
    "  -S <redSW> <greenSW> <blueSW>\n"
    " Early Exit\n"
    "  -E\n"
    " Function Key Operate\n"
    "  -F <string of operations> ops from {23456789HUDE}>\n"
    "     {H:Home; U:PgUp; D:PgDn; E:End}\n"
    "   for example:  -F 23589DD\n"
    " Geometry (standard X Window geometry format)\n"
    "  -g wxh+x+y\n"
    "   for example:  -g 1000x900+100+50\n"
    " Cursor Key Operate\n"
    "  -K <digit string> , digits from {0123}>\n"
    "     {0:left; 1:up; 2:right; 3:down}\n"
    "   for example:  -K 0003\n"
    " ProfRunTimeFlags\n"
    "  -p <flagNr> <flag> \n"
    "   (flag[0..15]: octal, hex or int accepted)\n"
    " StopTime\n"
    "  -T <time>\n"
    " Time Display\n"
    "  -t\n"
    " UserRunTimeFlags\n"
    "  -u <flagNr> <flag> \n"
    "   (flag[0..15]: octal, hex or int accepted)\n"
    " WindowLabelString\n"
    "  -W <windowLabel>\n"
    " Don't use X-Display\n"
    "  -X\n"
    " ZoomIn (to upper left and lower right coordinates)\n"
    "  -z <xul> <yul> <xlr> <ylr>\n"
    " Help\n"
    "  -h\n";

}  // namespace

TEST(Options, DefaultsBeforeAnyOption) {
  parse({});
  EXPECT_EQ(useXDisplay, 1);
  EXPECT_EQ(stopTime, 0u);
  EXPECT_EQ(displayTimeFlag, 0);
  EXPECT_EQ(profRunTimeFlag[0], -1);
  EXPECT_EQ(userRunTimeFlag[15], -1);
  EXPECT_STREQ(WindowLabelString, "");
}

TEST(Options, ValuesAttachedOrInTheNextWord) {
  parse({"-T100", "-C", "10", "20", "30", "-c1", "2", "3", "-S", "4", "5", "6", "-X", "-E", "-m", "-W", "lab",
         "-Fxy", "-K", "0003", "-g", "100x200+1+2", "-z", "1", "2", "3", "4"});
  EXPECT_EQ(stopTime, 100u);
  EXPECT_EQ(red_fg, 10);
  EXPECT_EQ(green_fg, 20);
  EXPECT_EQ(blue_fg, 30);
  EXPECT_EQ(red_bg, 1);
  EXPECT_EQ(green_bg, 2);
  EXPECT_EQ(blue_bg, 3);
  EXPECT_EQ(red_sw + green_sw + blue_sw, 15);
  EXPECT_EQ(useXDisplay, 0);
  EXPECT_EQ(earlyExitFlag, 1);
  EXPECT_EQ(connectMuxOnlyFlag, 1);
  EXPECT_STREQ(WindowLabelString, "lab");
  EXPECT_STREQ(FunctionKeyString, "xy");
  EXPECT_STREQ(CursorKeyString, "0003");
  EXPECT_STREQ(XW_geometry, "100x200+1+2");
  EXPECT_EQ(zFlagSet, 1);
  EXPECT_EQ(zSetXa + zSetYa * 10 + zSetXb * 100 + zSetYb * 1000, 4321);
}

TEST(Options, StopTimeInTwoWordsAndLaterOptionsOverwrite) {
  parse({"-T", "100", "-T", "250"});
  EXPECT_EQ(stopTime, 250u);
}

TEST(Options, EachTimeOptionToggles) {
  parse({"-t", "-t"});
  EXPECT_EQ(displayTimeFlag, 0);
  parse({"-t"});
  EXPECT_EQ(displayTimeFlag, 1);
}

TEST(Options, RunTimeFlagsDetectTheBase) {
  parse({"-p", "3", "0x1f", "-p", "2", "017", "-u", "0", "12", "-p15", "-1"});
  EXPECT_EQ(profRunTimeFlag[3], 31);
  EXPECT_EQ(profRunTimeFlag[2], 15);
  EXPECT_EQ(profRunTimeFlag[15], -1);
  EXPECT_EQ(numberOfProfRunTimeFlags, 3);
  EXPECT_EQ(userRunTimeFlag[0], 12);
  EXPECT_EQ(numberOfUserRunTimeFlags, 1);
}

TEST(Options, FlagIndexOutsideTheTableIsReportedAndIgnored) {
  RunResult r = parseInChild({"-p", "16", "5", "-u", "-1", "7"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err,
            "Warning -- -p flag number 16 is outside 0..15, ignored\n"
            "Warning -- -u flag number -1 is outside 0..15, ignored\n");
  parse({"-p", "16", "5"});
  EXPECT_EQ(numberOfProfRunTimeFlags, 0);
}

TEST(Options, MissingExtraWordsLeaveTheRestUnchanged) {
  parse({"-C", "10", "20"});
  EXPECT_EQ(red_fg, 10);
  EXPECT_EQ(green_fg, 20);
  EXPECT_EQ(blue_fg, 0);
  parse({"-z", "5"});
  EXPECT_EQ(zFlagSet, 1);
  EXPECT_EQ(zSetXa, 5);
  EXPECT_EQ(zSetYa, 0);
  parse({"-p", "4"});
  EXPECT_EQ(profRunTimeFlag[4], -1);
  EXPECT_EQ(numberOfProfRunTimeFlags, 0);
}

TEST(Options, OverlongTextsAreTruncatedWithAWarning) {
  RunResult r = parseInChild({"-W", std::string(40, 'w'), "-g", std::string(30, '1')});
  EXPECT_EQ(r.err,
            "Warning -- -W text longer than 24 characters, truncated\n"
            "Warning -- -g text longer than 19 characters, truncated\n");
  parse({"-W", std::string(40, 'w'), "-F", std::string(24, 'f')});
  EXPECT_EQ(std::string(WindowLabelString), std::string(24, 'w'));
  EXPECT_EQ(std::string(FunctionKeyString), std::string(24, 'f'));
}

TEST(Scanner, IllegalOptionIsReportedAndParsingGoesOn) {
  RunResult r = parseInChild({"-q", "-X"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "prog: illegal option -- q\n");
  parse({"-qX"});
  EXPECT_EQ(useXDisplay, 0);
}

TEST(Scanner, ColonIsNeverAnOption) {
  RunResult r = parseInChild({"-:"});
  EXPECT_EQ(r.err, "prog: illegal option -- :\n");
}

TEST(Scanner, MissingArgumentAtTheEnd) {
  RunResult r = parseInChild({"-X", "-g"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "prog: option requires an argument -- g\n");
}

TEST(Scanner, WordWithoutDashEndsTheOptions) {
  parse({"-t", "file", "-X"});
  EXPECT_EQ(displayTimeFlag, 1);
  EXPECT_EQ(useXDisplay, 1);
  parse({"--", "-X"});
  EXPECT_EQ(useXDisplay, 1);
  parse({"-", "-X"});
  EXPECT_EQ(useXDisplay, 1);
}

TEST(Scanner, WithoutMessagesWhenOpterrIsCleared) {
  RunResult r = runInChild([] {
    resetOptionScanner();
    opterr = 0;
    char a0[] = "prog", a1[] = "-q";
    char* argv[] = {a0, a1, nullptr};
    EXPECT_EQ(getopt(2, argv, "X"), '?');
    EXPECT_EQ(optopt, 'q');
  });
  EXPECT_EQ(r.err, "");
}

TEST(Help, ShortHelpOnStandardErrorAfterEarlierOptions) {
  RunResult r = runInChild([] {
    parse({"-q", "-h", "-r"});
  });
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, std::string("prog: illegal option -- q\n") + helpText);
}

TEST(Help, LongHelpOnStandardOutput) {
  RunResult r = parseInChild({"--help"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
  ASSERT_EQ(r.out.compare(0, strlen(helpText), helpText), 0);
  EXPECT_NE(r.out.find("  --keys <script>"), std::string::npos);
  EXPECT_NE(r.out.find("Timed steps: {@T} waits until tick T,\n                   {+N} waits N ticks;"),
            std::string::npos);
}

TEST(Help, ProgramPrintsTheControlSummaryBeforeTheHelp) {
  RunResult r = runProgram(TARVIK_EXAMPLES_DIR "/switch_gates", {"-h"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, startupText);
  EXPECT_EQ(r.err, helpText);
}

TEST(LongOptions, KeysInEitherFormAndOutOfTheScannersWay) {
  parse({"--keys", "ab{F1}", "-X", "--keys=c"});
  EXPECT_EQ(useXDisplay, 0);
  EXPECT_EQ(keyScriptGiven, 1);
  ASSERT_EQ(keyScript.size(), 1u);
  EXPECT_EQ(keyScript[0].keyChar, 'c');
}

TEST(LongOptions, OptionArgumentsAreNotTakenForLongOptions) {
  parse({"-W", "--keys", "-C", "1", "--keys", "2", "-X"});
  EXPECT_STREQ(WindowLabelString, "--keys");
  EXPECT_EQ(red_fg, 1);
  EXPECT_EQ(green_fg, 0);  // "--keys" as a colour word reads as 0
  EXPECT_EQ(blue_fg, 2);
  EXPECT_EQ(keyScriptGiven, 0);
  EXPECT_EQ(useXDisplay, 0);
}

TEST(LongOptions, MalformedScriptsStopBeforeTheNetlist) {
  RunResult r = parseInChild({"--keys", "ab{F1"});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err, "ERROR -- unclosed brace in key script at character 3\n");
  r = parseInChild({"--keys={Foo}"});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err, "ERROR -- unknown key name {Foo} in key script\n");
  r = parseInChild({"--keys"});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err, "ERROR -- option --keys requires a key script\n");
  r = parseInChild({"--keys", "a}"});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err, "ERROR -- unopened brace in key script at character 2\n");
}

TEST(LongOptions, KeyNames) {
  std::vector<ScriptedKey> keys;
  std::string error;
  ASSERT_TRUE(parseKeyScript("a{F10}{F35}{Left}{Down}{Home}{PageDown}{Return}{Ctrl-a}{Ctrl-Z}{space}{braceleft}", keys, error));
  std::vector<std::pair<int, int>> expected = {{1, 'a'}, {2, 10}, {2, 35}, {3, 0},  {3, 3},   {3, -1},
                                               {3, 5},   {1, 13}, {1, 1},  {1, 26}, {1, ' '}, {1, '{'}};
  ASSERT_EQ(keys.size(), expected.size());
  for (size_t i = 0; i < keys.size(); i++) {
    EXPECT_EQ(keys[i].eventType, expected[i].first) << i;
    EXPECT_EQ(keys[i].keyChar, expected[i].second) << i;
  }
  EXPECT_FALSE(parseKeyScript("{F36}", keys, error));
  EXPECT_FALSE(parseKeyScript("{F0}", keys, error));
  EXPECT_FALSE(parseKeyScript("{Ctrl-1}", keys, error));
  EXPECT_FALSE(parseKeyScript("tab\there", keys, error));
}

// parseCommandLine: the same parse, with the ending returned instead of printed and exited on.
namespace {

CommandLineOutcome outcomeOf(std::vector<std::string> words, std::string* problem = nullptr) {
  static std::vector<std::string> storage;
  static std::vector<char*> argv;
  storage = words;
  storage.insert(storage.begin(), "prog");
  argv.clear();
  for (std::string& s : storage) argv.push_back(&s[0]);
  argv.push_back(nullptr);
  return parseCommandLine(int(argv.size()) - 1, argv.data(), problem);
}

}  // namespace

TEST(ParseOutcome, EndingsAreReturnedWithoutPrintingOrExiting) {
  RunResult r = runInChild([] {
    std::string problem;
    if (outcomeOf({"-X", "-T", "50"}) != commandLineRun || useXDisplay != 0 || stopTime != 50) exit(10);
    if (outcomeOf({"-t", "-h", "-E"}) != commandLineShortHelp) exit(11);
    if (displayTimeFlag != 1 || earlyExitFlag != 0) exit(12);  // applied before -h, none after
    if (outcomeOf({"--vcd"}, &problem) != commandLineRefused || problem != "option --vcd requires a file name")
      exit(16);
    if (outcomeOf({"--expect="}, nullptr) != commandLineRefused) exit(17);
    if (outcomeOf({"--quiet=yes"}, &problem) != commandLineRefused || problem != "option --quiet takes no argument")
      exit(18);
  });
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "");
}

// Long and single-character options are one scan, left to right: the first ending wins, and the
// first word that is not an option ends the options.
TEST(ParseOutcome, OneScanLeftToRight) {
  struct Case {
    std::vector<std::string> words;
    CommandLineOutcome outcome;
    const char* err;
  } cases[] = {
      {{"-h", "--vcd"}, commandLineShortHelp, ""},
      {{"--help", "-h"}, commandLineLongHelp, ""},
      {{"--help", "--keys", "{Nope}"}, commandLineLongHelp, ""},
      {{"--keys", "{Nope}", "--help"}, commandLineRefused, ""},
      {{"-X", "foo", "--help"}, commandLineRun, ""},
      {{"-X", "--", "--bogus", "-h"}, commandLineRun, ""},
      {{"-q", "--help"}, commandLineLongHelp, "prog: illegal option -- q\n"},
      {{"-tX", "--quiet", "-T", "9", "x", "-h"}, commandLineRun, ""},
  };
  for (const Case& c : cases) {
    RunResult r = runInChild([&c] { exit(outcomeOf(c.words) == c.outcome ? 0 : 1); });
    EXPECT_EQ(r.status, 0) << c.words[0] << " " << c.words[1];
    EXPECT_EQ(r.err, c.err) << c.words[0];
  }
  RunResult r = runInChild([] {
    outcomeOf({"-tX", "--quiet", "-T", "9", "x", "--vcd", "v"});
    exit(displayTimeFlag == 1 && useXDisplay == 0 && quietFlag == 1 && stopTime == 9 && !vcdFileName ? 0 : 1);
  });
  EXPECT_EQ(r.status, 0);
}

TEST(ParseOutcome, ARefusalStopsTheParseWhereItIs) {
  std::string problem;
  EXPECT_EQ(outcomeOf({"--keys", "a", "--keys", "{F1", "--vcd", "out.vcd"}, &problem), commandLineRefused);
  EXPECT_EQ(problem, "unclosed brace in key script at character 1");
  EXPECT_EQ(vcdFileName, nullptr);  // after the refusal: not taken
  EXPECT_EQ(keyScript.size(), 0u);  // the refused script left nothing to replay
}

// Another circuit's long option (the processor's views) is refused, not read as single characters.
TEST(LongOptions, UnknownOnesAreRefusedBeforeTheNetlist) {
  for (const char* word : {"--trace", "--cycles=40"}) {
    RunResult r = parseInChild({"-X", word});
    EXPECT_EQ(r.status, 2) << word;
    std::string name(word, strcspn(word, "="));
    EXPECT_EQ(r.err, "ERROR -- unknown option " + name + ": this circuit does not offer it (--help lists the options)\n");
  }
  parse({"-W", "--trace", "-X"});  // the argument of a single-character option stays a word
  EXPECT_STREQ(WindowLabelString, "--trace");
}
