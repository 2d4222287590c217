// The command line: the option scanner and the options it sets (see Globals.h).
#ifndef TARVIK_CMDLINE_H
#define TARVIK_CMDLINE_H

#include <cstdio>

int getopt(int nargc, char** nargv, const char* ostr);
void commandLine(int gargc, char** gargv);
// The help text of -h, one line each.
void printHelp(FILE* to);

#endif
