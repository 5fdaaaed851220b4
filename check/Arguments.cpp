#include "check/Arguments.h"

#include <algorithm>
#include <iterator>

namespace check {

const char kUsage[] =
    "Usage: apparata_check [--trace] [--report FILE] [ADDRESS ...] | --version\n"
    "  ADDRESS        a primary address from 1 to 30 to check; none: all of them\n"
    "  --trace        print each bus operation\n"
    "  --report FILE  write everything to FILE as well, a new file: one that exists is left alone\n"
    "  --version      the check's version, and which library hosts of its bitness load\n"
    "Exit code: 0 every address named answered (none named: the back end can be used),\n"
    "1 one did not (or the card did not open), 2 bad arguments or a report file that exists,\n"
    "3 debug mode (no bus).";

namespace {

constexpr const char* kOptions[] = {"--help", "-h", "/?", "--trace", "--report", "--version"};

bool IsOption(const std::string& word) {
  return std::find(std::begin(kOptions), std::end(kOptions), word) != std::end(kOptions);
}

bool IsPrimary(const std::string& text, unsigned& primary) {
  const auto digit = [](char c) { return c >= '0' && c <= '9'; };
  if (text.empty() || text.size() > 2 || !std::all_of(text.begin(), text.end(), digit))
    return false;
  primary = static_cast<unsigned>(std::stoul(text));
  return primary >= 1 && primary <= 30;
}

}  // namespace

std::variant<Arguments, std::string> ParseArguments(const std::vector<std::string>& arguments) {
  Arguments parsed;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& a = arguments[i];
    unsigned primary = 0;
    if (a == "--help" || a == "-h" || a == "/?") parsed.help = true;
    else if (a == "--trace") parsed.trace = true;
    else if (a == "--version") parsed.version = true;
    else if (a == "--report" && i + 1 < arguments.size() && IsOption(arguments[i + 1]))
      return "--report needs a file name, not the option " + arguments[i + 1];
    else if (a == "--report" && i + 1 < arguments.size() && !arguments[i + 1].empty()) parsed.report = arguments[++i];
    else if (a == "--report") return std::string("--report needs a file name");
    else if (IsPrimary(a, primary)) parsed.addresses.push_back(primary);
    else return "\"" + a + "\" is neither an option nor a primary address from 1 to 30";
  }
  std::sort(parsed.addresses.begin(), parsed.addresses.end());
  parsed.addresses.erase(std::unique(parsed.addresses.begin(), parsed.addresses.end()), parsed.addresses.end());
  return parsed;
}

}  // namespace check
