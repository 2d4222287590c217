// The command line: the option scanner and the options it sets (see Globals.h).
#ifndef TARVIK_CMDLINE_H
#define TARVIK_CMDLINE_H

#include <cstdio>
#include <string>
#include <vector>

int getopt(int nargc, char** nargv, const char* ostr);

// How a command line ends once its options are applied.
enum CommandLineOutcome {
  commandLineRun,        // go on with the run
  commandLineShortHelp,  // -h: the help text on standard error, exit status 0
  commandLineLongHelp,   // --help: the help text and the long options on standard output, status 0
  commandLineRefused,    // a long option refused: "ERROR -- " and the problem, exit status 2
};
// Applies the options to the option globals; prints scanner messages and warnings but never the
// ending, and never exits.  With commandLineRefused, *problem (when given) says why.
CommandLineOutcome parseCommandLine(int gargc, char** gargv, std::string* problem);
// parseCommandLine, then the start-up text unless --quiet was given, then the ending it asks for:
// help texts and refusals end the process.
void commandLine(int gargc, char** gargv);
// Options read once the netlist is built (a served job's), as if they ended the command line: their
// ending as commandLine's; the start-up text is not printed again.
void commandLineMore(const std::vector<std::string>& words);
// What a program prints before anything else (main's control summary and colour legend); null for
// nothing.  It waits for the options to be read, since --quiet leaves it out.
extern void (*startUpText)();
// The help text of -h, one line each.
void printHelp(FILE* to);

#endif
