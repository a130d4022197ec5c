// The parse floor of a whole run: reads every file named on the command line
// once and converts every number in it with std::from_chars, nothing else.
// A run of the programs on the same files can be no faster than this; the
// whole-run script divides run time by floor time.
//
// Values are taken as whitespace- or comma-separated tokens; tokens that are
// not numbers (names, headers) are skipped. Prints the number of values and
// their sum, so that the conversions cannot be optimised away.
//
// Usage: parse_floor FILE...
#include <charconv>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <system_error>

namespace {

bool is_separator(char c) { return c == ' ' || c == '\t' || c == ',' || c == '\n' || c == '\r'; }

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::cerr << "usage: parse_floor FILE...\n";
    return 2;
  }
  long long values = 0;
  double sum = 0.0;
  std::string contents;
  for (int a = 1; a < argc; ++a) {
    std::ifstream file(argv[a], std::ios::binary);
    if (!file) {
      std::cerr << "parse_floor: cannot open " << argv[a] << '\n';
      return 1;
    }
    std::ostringstream buffer;
    buffer << file.rdbuf();
    contents = std::move(buffer).str();
    const char* p = contents.data();
    const char* const end = p + contents.size();
    while (p < end) {
      while (p < end && is_separator(*p)) ++p;
      const char* token = p;
      while (p < end && !is_separator(*p)) ++p;
      if (token == p) break;
      float value = 0.0f;
      const auto [stop, error] = std::from_chars(token, p, value);
      if (error == std::errc() && stop == p) {
        ++values;
        sum += value;
      }
    }
  }
  std::printf("%lld values, sum %.6g\n", values, sum);
  return 0;
}
