#pragma once
// Text and UTF-8 bytes on Windows: files the library reads, consoles and files the tools write.
#include <windows.h>

#include <string>
#include <string_view>

namespace core::win32 {

inline std::string ToUtf8(std::wstring_view text) {
  const int count = static_cast<int>(text.size());
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), count, nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), count, bytes.data(), size, nullptr, nullptr);
  return bytes;
}

inline std::wstring FromUtf8(std::string_view bytes) {
  const int count = static_cast<int>(bytes.size());
  const int size = MultiByteToWideChar(CP_UTF8, 0, bytes.data(), count, nullptr, 0);
  std::wstring text(static_cast<std::size_t>(size), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, bytes.data(), count, text.data(), size);
  return text;
}

}  // namespace core::win32
