#pragma once
// The HP 4191A analyzer's language as the control speaks it: the mode, angle, scheme and
// frequency commands, the control words that a host writes to the control itself, and the
// two-field reply read by fixed positions.
#include <array>
#include <cstddef>
#include <optional>
#include <string>

namespace instruments::hp4191 {

// The control reads a host's text and a reply as short strings of at most this many characters:
// past the base control's 250 of a reply and a command, and the bus's 249 of a message.
constexpr std::size_t kShortStringLength = 255;

// The radio items of the three submenus, in order; an item's tag (its index + 1) is the digit
// of its command.
struct Item {
  const wchar_t* name;
  const wchar_t* caption;
};
constexpr std::array<Item, 8> kModes{{{L"ZfiItem", L"|Z|+fi"},
                                      {L"YfiItem", L"|Y|+fi"},
                                      {L"GfiItem", L"|\u0413|+fi"},
                                      {L"RXItem", L"R+X"},
                                      {L"GBItem", L"G+B"},
                                      {L"GxyItem", L"\u0413x+\u0413y"},
                                      {L"LItem", L"L"},
                                      {L"CItem", L"C"}}};
constexpr std::array<Item, 2> kAngles{{{L"DegreesItem", L"Degrees"}, {L"RadiansItem", L"Radians"}}};
constexpr std::array<Item, 4> kSchemes{{{L"RItem", L"R"}, {L"GItem", L"G"}, {L"DItem", L"D"}, {L"QItem", L"Q"}}};

// Modes 1 to 3 (indexes 0 to 2) measure a phase, whose unit the Angle submenu chooses; modes
// 7 and 8 (L and C) an equivalent circuit, which the Scheme submenu chooses.
constexpr bool HasAngle(int modeIndex) { return modeIndex < 3; }
constexpr bool HasScheme(int modeIndex) { return modeIndex > 5; }

// "A<tag>EN" and "B<tag>EN".
std::wstring ModeCommand(int tag);
std::wstring AngleSchemeCommand(int tag);
// "FR" + frequency + "EN".
std::wstring FrequencyCommand(const std::wstring& frequency);

// Upper case for the command letters; other characters stay.
std::wstring UpperCase(const std::wstring& text);

// Words that a host writes to the control itself; they never reach the instrument.
enum class ControlWord { ExtendedOutput, AutoStop, ScanUp, ScanDown, ScanOff };
struct ControlWordFound {
  ControlWord word;
  bool on;  // the text also holds "ON"
};
// The first word of the list above that the upper-cased text contains anywhere.
std::optional<ControlWordFound> FindControlWord(const std::wstring& upper);

// The mode index (0 to 7) that an upper-cased "A" command names by its second character.
// Throws core::EConvertError for a character that is no digit (or none), and
// core::Exception for a mode outside 1 to 8.
int ModeIndex(const std::wstring& upper);
// What an upper-cased "B" command selects by its second character: as an angle (the form's
// choice in modes 1 to 3), "1" degrees and any other radians; as a scheme (in modes 7 and 8),
// "1" to "4" for R, G, D and Q and nothing for another. A command without a second character
// selects nothing.
std::optional<int> AngleIndex(const std::wstring& upper);
std::optional<int> SchemeIndex(const std::wstring& upper);

// The frequency text of an upper-cased command that holds "FR": the characters after the first
// "FR" up to the first "EN" after it, empty when there is no such "EN". A mode and a frequency
// in one command (A1FR5EN) give the frequency. Nothing when the command holds no "FR".
std::optional<std::wstring> FrequencyText(const std::wstring& upper);

// A frequency as the instrument reads it: fixed point with "." and exactly four decimals, at
// most 10 significant digits (the rest zeros), halves rounded away from zero; scientific
// ("1.2345E10") for more than 10 integer digits.
std::wstring FormatFrequency(double value);

// The unit labels of the two displays, by the function letters of the reply.
std::wstring LabelA(wchar_t letterA);
std::wstring LabelB(wchar_t letterB, wchar_t letterA);

struct Reading {
  std::wstring labelA, valueA, labelB, valueB;
  // The values read as numbers; none for a field of status "O" (its value is +9.9999E+99).
  std::optional<double> numberA, numberB;
  bool beep = false;  // status "O" in either field
};
// Reads the reply by positions, after removing a blank at position 2. Positions that the
// reply lacks give no letter and shorter values; nothing else is checked.
Reading ParseReply(const std::wstring& reply);

}  // namespace instruments::hp4191
