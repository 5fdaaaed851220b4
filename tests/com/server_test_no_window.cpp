// Where no window can be made (no usable graphics driver, a desktop-less process): the library
// still loads, registers and unregisters for the machine and for the user, and creating a
// control fails with the reason instead of taking the host down.
// Run by tests/com/run-no-window-test in a prefix whose graphics driver cannot be loaded.
// Usage: server_no_window_test <Windows path of Apparata.ocx> [GoogleTest options]

#include "server_test_support.h"

#include "Apparata_h.h"

namespace {

using namespace server_test;

const wchar_t kClassKey[] = L"Software\\Classes\\CLSID\\{3C053B03-2C71-11D5-B2A4-FE129D63AC66}\\InprocServer32";
const wchar_t kNeutralLibraryKey[] = L"Software\\Classes\\TypeLib\\{3C053B00-2C71-11D5-B2A4-FE129D63AC66}\\1.0\\0";

TEST(NoWindow, Regsvr32RegistersAndUnregistersForTheMachineAndTheUser) {
  const struct {
    const wchar_t* arguments;
    HKEY hive;
    bool registered;
  } steps[] = {
      {L"", HKEY_LOCAL_MACHINE, true},
      {L"/u ", HKEY_LOCAL_MACHINE, false},
      {L"/n /i:user ", HKEY_CURRENT_USER, true},
      {L"/u /n /i:user ", HKEY_CURRENT_USER, false},
  };
  for (const auto& step : steps) {
    EXPECT_EQ(0, Regsvr32(step.arguments + Quoted(ServerPath()))) << Narrow(step.arguments);
    EXPECT_EQ(step.registered, ReadKey(step.hive, kClassKey).has_value()) << Narrow(step.arguments);
    EXPECT_EQ(step.registered, ReadKey(step.hive, kNeutralLibraryKey).has_value()) << Narrow(step.arguments);
  }
}

TEST(NoWindow, CreatingAControlFailsWithTheReasonAndTheNextTryFailsAlike) {
  ASSERT_EQ(0, Regsvr32(Quoted(ServerPath())));
  for (const wchar_t* progId : {L"Apparata.B740X", L"Apparata.HP4191X", L"Apparata.E712X", L"Apparata.B740X"}) {
    CLSID clsid{};
    ASSERT_HR(S_OK, CLSIDFromProgID(progId, &clsid));
    com_ptr<IQXDevice> device;
    EXPECT_HR(E_UNEXPECTED, CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IQXDevice, device.put_void()));
    com_ptr<IErrorInfo> error;
    ASSERT_HR(S_OK, GetErrorInfo(0, error.put())) << Narrow(progId);
    unique_bstr description, source;
    EXPECT_HR(S_OK, error->GetDescription(description.put()));
    EXPECT_HR(S_OK, error->GetSource(source.put()));
    EXPECT_EQ(L"The debug terminal cannot be shown: no window can be made.", description.str());
    EXPECT_EQ(progId, source.str());
  }
  EXPECT_EQ(0, Regsvr32(L"/u " + Quoted(ServerPath())));
}

}  // namespace

int main(int argc, char** argv) { return server_test::RunTests(argc, argv); }
