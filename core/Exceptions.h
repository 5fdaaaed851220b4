#pragma once
// The runtime's exception family. Every failure inside the core is one of these, carrying the
// exact text that a host (through error information) or a user (through the error box) sees.
#include <cstdint>
#include <exception>
#include <string>

namespace core {

class Exception : public std::exception {
 public:
  explicit Exception(std::wstring message);
  const std::wstring& Message() const noexcept { return message_; }
  // The message with every character above U+007F as '?', for diagnostics only.
  const char* what() const noexcept override { return narrow_.c_str(); }

 private:
  std::wstring message_;
  std::string narrow_;
};

// A value does not fit the range of its destination ("Range check error").
class ERangeError : public Exception {
 public:
  ERangeError();
};

// 32-bit signed arithmetic overflowed ("Integer overflow").
class EIntOverflow : public Exception {
 public:
  EIntOverflow();
};

// A text could not be read as a number.
class EConvertError : public Exception {
 public:
  using Exception::Exception;
};

// An operating-system call failed with a result code; hosts receive that code itself.
class EOleSysError : public Exception {
 public:
  EOleSysError(std::wstring message, std::int32_t errorCode);
  std::int32_t ErrorCode() const noexcept { return errorCode_; }

 private:
  std::int32_t errorCode_;
};

// The text a host or a user is shown for any exception: this family's own message, "Out of
// memory", or a foreign exception's what() read as Latin-1.
std::wstring MessageOf(const std::exception& e);

}  // namespace core
