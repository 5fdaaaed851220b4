// The driver layer's messages come from the string table of the module that shows them: this
// program carries a translated table of its own, as a translated library would.
#include <gtest/gtest.h>

#include "hpib/HPIBDrv.h"
#include "hpib/HPIBMessages.h"
#include "hpib/win32/StringTableMessages.h"
#include "toolkit/headless/HeadlessPlatform.h"

namespace {

std::wstring FailureOf(std::uint16_t code) {
  try {
    hpib::HPIBCheck(hpib::Result{code});
  } catch (const hpib::EHardwareError& e) {
    return e.Message();
  }
  return L"(no error)";
}

TEST(Messages, TheStringTableTakesEffectAndAMissingStringKeepsItsBuiltInText) {
  toolkit::HeadlessPlatform platform;
  EXPECT_EQ(L"Critical HPIB driver error:\nHPIB timeout!", FailureOf(4));
  hpib::win32::ReadMessagesFrom(GetModuleHandleW(nullptr));
  EXPECT_EQ(L"Kritischer HPIB-Treiberfehler:\nHPIB-Zeitüberschreitung!", FailureOf(4));
  EXPECT_EQ(L"Kritischer HPIB-Treiberfehler:\nUnknown HPIB error!", FailureOf(1)) << "not in this table";
  EXPECT_EQ(L"Kritischer HPIB-Treiberfehler:\n?????", FailureOf(14));
  hpib::SetMessageLoader(nullptr);
  hpib::HPIBUnload();
}

}  // namespace
