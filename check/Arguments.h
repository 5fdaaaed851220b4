#pragma once
// The bus check's command line: apparata_check [--trace] [--report FILE] [ADDRESS ...], or
// --version, or --help.
#include <string>
#include <variant>
#include <vector>

namespace check {

struct Arguments {
  std::vector<unsigned> addresses;  // primary addresses named, rising, each once; none: 1 to 30
  bool trace = false;               // print each bus operation as the trace does
  std::string report;               // UTF-8 path of a file to write everything to; empty: none
  bool help = false;
  bool version = false;  // the check's and the library's versions, nothing probed
};

extern const char kUsage[];

// The arguments after the program's name, or why they are wrong.
std::variant<Arguments, std::string> ParseArguments(const std::vector<std::string>& arguments);

}  // namespace check
