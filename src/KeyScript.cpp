// Scripted key presses (--keys).
//
// A script is a text of key names: a printable character stands for itself, and braces name the
// other keys: {F1}..{F35}, {Left} {Up} {Right} {Down} {Home} {PageUp} {PageDown} {End}, {Return},
// {Tab}, {Escape}, {BackSpace}, {Delete}, {space}, {braceleft}, {braceright} and {Ctrl-a}..{Ctrl-z}.
// Each press is handed to the input dispatch as the event the window would have delivered.
#include "KeyScript.h"

#include <cctype>
#include <cstdlib>
#include <cstring>

#include "Globals.h"
#include "Ph4.h"

std::vector<ScriptedKey> keyScript;
size_t keyScriptNext = 0;
int keyScriptGiven = 0;

void resetKeyScript() {
  keyScript.clear();
  keyScriptNext = 0;
  keyScriptGiven = 0;
}

namespace {

struct NamedKey {
  const char* name;
  ScriptedKey key;
};

const NamedKey namedKeys[] = {
    {"Left", {3, 0}},        {"Up", {3, 1}},         {"Right", {3, 2}},     {"Down", {3, 3}},
    {"Home", {3, -1}},       {"PageUp", {3, 4}},     {"Prior", {3, 4}},     {"PageDown", {3, 5}},
    {"Next", {3, 5}},        {"End", {3, 6}},        {"Return", {1, 13}},   {"Tab", {1, 9}},
    {"Escape", {1, 27}},     {"BackSpace", {1, 8}},  {"Delete", {1, 127}},  {"space", {1, ' '}},
    {"braceleft", {1, '{'}}, {"braceright", {1, '}'}},
};

bool functionKey(const std::string& name, ScriptedKey& key) {
  if (name.size() < 2 || name.size() > 3 || name[0] != 'F') return false;
  for (size_t i = 1; i < name.size(); i++)
    if (!isdigit(static_cast<unsigned char>(name[i]))) return false;
  if (name[1] == '0') return false;
  int n = atoi(name.c_str() + 1);
  if (n < 1 || n > 35) return false;
  key = {2, n};
  return true;
}

bool controlKey(const std::string& name, ScriptedKey& key) {
  if (name.size() != 6 || name.compare(0, 5, "Ctrl-") != 0) return false;
  unsigned char letter = static_cast<unsigned char>(name[5]);
  if (!isalpha(letter)) return false;
  key = {1, tolower(letter) & 0x1f};
  return true;
}

bool lookUp(const std::string& name, ScriptedKey& key) {
  for (const NamedKey& k : namedKeys)
    if (name == k.name) {
      key = k.key;
      return true;
    }
  return functionKey(name, key) || controlKey(name, key);
}

bool mayDeliver() { return phaseFour->settled() || haltFlag; }

}  // namespace

bool parseKeyScript(const std::string& text, std::vector<ScriptedKey>& keys, std::string& error) {
  keys.clear();
  for (size_t i = 0; i < text.size(); i++) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (c == '{') {
      size_t close = text.find('}', i + 1);
      if (close == std::string::npos) {
        error = "unclosed brace in key script at character " + std::to_string(i + 1);
        return false;
      }
      std::string name = text.substr(i + 1, close - i - 1);
      ScriptedKey key;
      if (!lookUp(name, key)) {
        error = "unknown key name {" + name + "} in key script";
        return false;
      }
      keys.push_back(key);
      i = close;
    } else if (c == '}') {
      error = "unopened brace in key script at character " + std::to_string(i + 1);
      return false;
    } else if (c < 32 || c > 126) {
      error = "key script character " + std::to_string(i + 1) + " is not printable: name the key in braces";
      return false;
    } else {
      keys.push_back({1, int(c)});
    }
  }
  return true;
}

void nextScriptedKey(int* eventType, int* keyChar) {
  *eventType = 0;
  if (keyScriptNext >= keyScript.size() || !mayDeliver()) return;
  *eventType = keyScript[keyScriptNext].eventType;
  *keyChar = keyScript[keyScriptNext].keyChar;
  keyScriptNext++;
}

bool keyScriptFinished() { return keyScriptGiven && keyScriptNext >= keyScript.size() && mayDeliver(); }
