#pragma once
// Host text from fuzzer bytes: pairs of bytes make UTF-16 code units, so every character a host
// can write, including those above U+00FF, turns up.
#include <cstddef>
#include <cstdint>
#include <string>

inline std::wstring HostText(const std::uint8_t* data, std::size_t size) {
  std::wstring text;
  for (std::size_t i = 0; i + 1 < size; i += 2) text += static_cast<wchar_t>(data[i] | (data[i + 1] << 8));
  return text;
}
