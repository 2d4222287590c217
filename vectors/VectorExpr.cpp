// The loop counter's arithmetic in a repeat's lines: integers, the counter i, + - * / % (as in C:
// division truncates, the remainder takes the dividend's sign), unary minus and parentheses, without
// spaces.  Numbers are decimal, 0x hex or 0b binary, at most 2^62.  Overflow and division by zero are
// refused.
#include <cctype>

#include "Numbers.h"
#include "Vectors.h"

namespace {

// Deep enough for any real expression, shallow enough for the stack.
const int maxNesting = 64;

struct ExpressionReader {
  const std::string& text;
  long long counter;
  size_t at = 0;
  int nesting = 0;
  std::string problem;

  ExpressionReader(const std::string& t, long long i) : text(t), counter(i) {}

  bool fail(const std::string& why) {
    if (problem.empty()) problem = why;
    return false;
  }
  bool peek(char c) const { return at < text.size() && text[at] == c; }

  bool number(long long& v) {
    size_t from = at;
    while (at < text.size() && isalnum(static_cast<unsigned char>(text[at]))) at++;
    NumberSyntax syntax;
    syntax.hexPrefix = syntax.binaryPrefix = true;
    syntax.max = uint64_t(1) << 62;
    std::string digits = text.substr(from, at - from);
    NumberReading n = readNumber(digits, syntax);
    if (n.fault == numberTooWide || n.fault == numberOutOfRange) return fail(digits + " is too large (at most 2^62)");
    if (n.fault != numberRead) return fail("cannot read " + digits);
    v = static_cast<long long>(n.value);
    return true;
  }

  bool primary(long long& v) {
    if (peek('(')) {
      if (++nesting > maxNesting) return fail("parentheses nested too deep");
      at++;
      if (!sum(v)) return false;
      if (!peek(')')) return fail("a ( without its )");
      at++;
      nesting--;
      return true;
    }
    if (peek(counterName) && (at + 1 == text.size() || !isalnum(static_cast<unsigned char>(text[at + 1])))) {
      at++;
      v = counter;
      return true;
    }
    if (at < text.size() && isdigit(static_cast<unsigned char>(text[at]))) return number(v);
    return fail(at < text.size() ? std::string("unexpected ") + text[at] : "it ends too soon");
  }

  bool unary(long long& v) {
    if (!peek('-')) return primary(v);
    if (++nesting > maxNesting) return fail("too many signs");
    at++;
    if (!unary(v)) return false;
    nesting--;
    if (__builtin_sub_overflow(0LL, v, &v)) return fail("it overflows");
    return true;
  }

  bool product(long long& v) {
    if (!unary(v)) return false;
    while (peek('*') || peek('/') || peek('%')) {
      char op = text[at++];
      long long r = 0;
      if (!unary(r)) return false;
      if (op == '*') {
        if (__builtin_mul_overflow(v, r, &v)) return fail("it overflows");
        continue;
      }
      if (r == 0) return fail("division by zero");
      if (r == -1 && v == (-0x7fffffffffffffffLL - 1)) return fail("it overflows");
      v = op == '/' ? v / r : v % r;
    }
    return true;
  }

  bool sum(long long& v) {
    if (!product(v)) return false;
    while (peek('+') || peek('-')) {
      char op = text[at++];
      long long r = 0;
      if (!product(r)) return false;
      bool overflow = op == '+' ? __builtin_add_overflow(v, r, &v) : __builtin_sub_overflow(v, r, &v);
      if (overflow) return fail("it overflows");
    }
    return true;
  }
};

}  // namespace

bool evaluateCounterExpression(const std::string& text, long long counter, long long& value, std::string& problem) {
  ExpressionReader r{text, counter};
  bool read = r.sum(value) && (r.at == text.size() || r.fail(std::string("unexpected ") + text[r.at]));
  if (!read) problem = "cannot work out " + text + ": " + r.problem;
  return read;
}
