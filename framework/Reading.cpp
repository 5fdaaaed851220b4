#include "framework/Reading.h"

namespace framework {

std::wstring Lines(const Pairs& pairs) {
  std::wstring text;
  for (const Pair& pair : pairs) {
    if (&pair != &pairs.front()) text += L"\r\n";
    text += pair.label.empty() ? pair.value : pair.label + L"=" + pair.value;
  }
  return text;
}

}  // namespace framework
