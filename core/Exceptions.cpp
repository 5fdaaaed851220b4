#include "core/Exceptions.h"

#include <new>

#include "core/Latin1.h"

namespace core {

Exception::Exception(std::wstring message) : message_(std::move(message)) {
  narrow_.reserve(message_.size());
  for (wchar_t c : message_) narrow_ += static_cast<unsigned long>(c) < 0x80 ? static_cast<char>(c) : '?';
}

ERangeError::ERangeError() : Exception(L"Range check error") {}

EIntOverflow::EIntOverflow() : Exception(L"Integer overflow") {}

EOleSysError::EOleSysError(std::wstring message, std::int32_t errorCode)
    : Exception(std::move(message)), errorCode_(errorCode) {}

std::wstring MessageOf(const std::exception& e) {
  if (const auto* own = dynamic_cast<const Exception*>(&e)) return own->Message();
  if (dynamic_cast<const std::bad_alloc*>(&e)) return L"Out of memory";
  return FromLatin1(e.what());
}

}  // namespace core
