// Long options: matching a command-line word against a table, and a table's --help text.
#include "LongOption.h"

#include <cstring>

namespace {

const size_t helpColumn = 19;  // where every option's help text starts

// Word w is o's name alone or, unless o is matched by its name alone, followed by '='.
bool names(const LongOption& o, const char* w) {
  size_t n = strlen(o.name);
  return strncmp(w, o.name, n) == 0 && (w[n] == '\0' || (w[n] == '=' && !o.nameAlone));
}

std::string describedArgument(const LongOption& o) {
  return o.what ? o.what : std::string("an argument (") + o.argument + ")";
}

// The argument of o at word i, after its '=' or as the next word (i then moves on to it); null with
// problem when it is missing, or empty and o does not take an empty one.
const char* argumentOf(const LongOption& o, int argc, char** argv, int& i, std::string& problem) {
  const char* rest = argv[i] + strlen(o.name);
  const char* value = *rest == '=' ? rest + 1 : i + 1 < argc ? argv[++i] : nullptr;
  if (value && (*value != '\0' || o.mayBeEmpty)) return value;
  problem = o.missingText ? o.missingText : std::string("option ") + o.name + " requires " + describedArgument(o);
  return nullptr;
}

}  // namespace

LongOptionMatch takeLongOptionFrom(const LongOption* table, size_t count, int argc, char** argv, int& i,
                                   std::string& problem) {
  for (const LongOption* o = table; o != table + count; o++) {
    if (!names(*o, argv[i])) continue;
    const char* argument = nullptr;
    if (!o->argument && argv[i][strlen(o->name)] == '=') {
      problem = std::string("option ") + o->name + " takes no argument";
      return longOptionRefused;
    }
    if (o->argument && !(argument = argumentOf(*o, argc, argv, i, problem))) return longOptionRefused;
    return o->take(argument, problem) ? longOptionTaken : longOptionRefused;
  }
  return longOptionNotInTable;
}

void printLongOption(FILE* to, const LongOption& option) {
  std::string head = std::string("  ") + option.name;
  if (option.argument) head += std::string(" <") + option.argument + ">";
  head += head.size() + 2 <= helpColumn ? std::string(helpColumn - head.size(), ' ') : std::string("  ");
  std::string text = option.help ? option.help : "";
  size_t from = 0;
  for (bool first = true;; first = false) {
    size_t end = text.find('\n', from);
    std::string line = text.substr(from, end == std::string::npos ? std::string::npos : end - from);
    fprintf(to, "%s%s\n", first ? head.c_str() : std::string(helpColumn, ' ').c_str(), line.c_str());
    if (end == std::string::npos) break;
    from = end + 1;
  }
}

void printLongOptions(FILE* to, const LongOption* table, size_t count) {
  for (const LongOption* o = table; o != table + count; o++) printLongOption(to, *o);
}
