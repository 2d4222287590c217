// The option scanner: single-character options, arguments attached or in the next word.
#include <cstdio>
#include <cstring>

#include "Globals.h"
#include "cmdLine.h"

int optind = 1;
char* optarg = nullptr;
int optopt = 0;
int opterr = 1;

namespace {
char emptyText[] = "";
char* place = emptyText;  // scan position inside the current word

void complain(char** nargv, const char* what, int c) {
  if (opterr) fprintf(stderr, "%s: %s -- %c\n", nargv[0], what, c);
}
}  // namespace

void resetOptionScanner() {
  optind = 1;
  optarg = nullptr;
  optopt = 0;
  opterr = 1;
  place = emptyText;
}

bool optionScannerBetweenWords() { return !*place; }

int getopt(int nargc, char** nargv, const char* ostr) {
  if (!*place) {
    if (optind >= nargc || nargv[optind][0] != '-' || nargv[optind][1] == '\0') return -1;
    if (strcmp(nargv[optind], "--") == 0) {
      optind++;
      return -1;
    }
    place = nargv[optind] + 1;
  }
  optopt = static_cast<unsigned char>(*place++);
  const char* entry = optopt == ':' ? nullptr : strchr(ostr, optopt);
  if (!entry) {
    if (!*place) optind++;
    complain(nargv, "illegal option", optopt);
    return '?';
  }
  if (entry[1] != ':') {
    optarg = nullptr;
    if (!*place) optind++;
    return optopt;
  }
  if (*place) {
    optarg = place;
  } else if (++optind >= nargc) {
    place = emptyText;
    complain(nargv, "option requires an argument", optopt);
    return '?';
  } else {
    optarg = nargv[optind];
  }
  place = emptyText;
  optind++;
  return optopt;
}
