#include "framework/Reading.h"

namespace framework {

std::wstring Lines(const Pairs& pairs) {
  std::wstring text;
  for (const Pair& pair : pairs) {
    if (&pair != &pairs.front()) text += L"\r\n";
    if (!pair.label.empty()) text.append(pair.label) += L'=';
    text += pair.value;
  }
  return text;
}

}  // namespace framework
