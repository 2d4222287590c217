// Long options, the library's and a circuit's alike: --NAME ARG, --NAME=ARG, or a flag --NAME.  Each is
// a row of a table; one matcher reads a command-line word against a table, and one printer lays a
// table out for --help.
#ifndef TARVIK_LONGOPTION_H
#define TARVIK_LONGOPTION_H

#include <cstddef>
#include <cstdio>
#include <string>

struct LongOption {
  const char* name;      // with its dashes: "--program"
  const char* argument;  // placeholder shown in --help ("FILE"); null for a flag
  const char* help;      // its --help text; '\n' separates lines
  // Takes the option's argument (null for a flag).  Returning false refuses it: the program prints
  // "ERROR -- " and problem on standard error and exits with status 2 before the run.
  bool (*take)(const char* argument, std::string& problem);
  // What the argument is, for "option --NAME requires ..."; null for "an argument (ARGUMENT)".
  const char* what = nullptr;
  bool mayBeEmpty = false;  // an empty argument is taken, not refused
  // A program's own refusal of a missing (or refused empty) argument, whole; null for the text above.
  const char* missingText = nullptr;
  // A flag that matches its name alone: NAME=... is then no word of the table, for the program to
  // call unknown; otherwise it is refused as "option --NAME takes no argument".
  bool nameAlone = false;
};

enum LongOptionMatch { longOptionNotInTable, longOptionTaken, longOptionRefused };

// Matches word i of argv against the table's names.  A match takes its argument (after '=', or the next
// word: i is then left on it) and hands it to take; with longOptionRefused, problem says why.
LongOptionMatch takeLongOptionFrom(const LongOption* table, size_t count, int argc, char** argv, int& i,
                                   std::string& problem);

// The --help lines of one option: "  --NAME <ARGUMENT>", its help from a fixed column on (two spaces
// after a longer head), and its further lines in that column.
void printLongOption(FILE* to, const LongOption& option);
void printLongOptions(FILE* to, const LongOption* table, size_t count);

#endif
