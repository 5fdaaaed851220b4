// The server when its own file is damaged: a copy of Apparata.ocx whose type library cannot be
// read. Building a control then fails with the error box and E_UNEXPECTED, whatever the system's own
// code for the failure, and registering it fails with E_FAIL.
// Usage: server_failures_test <Windows path of Apparata.ocx> [GoogleTest options]

#include "server_test_support.h"

#include <fstream>
#include <iterator>

#include "Apparata_h.h"

namespace {

using namespace server_test;

// A copy of the server beside it whose type library is unreadable: the library's signature
// ("MSFT", its first four bytes) is spoilt. Empty when the copy cannot be made.
std::wstring CopyWithUnreadableTypeLibrary() {
  std::ifstream in(Narrow(ServerPath()), std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const std::size_t signature = bytes.find("MSFT\x02\x00\x01\x00");
  if (signature == std::string::npos || bytes.find("MSFT\x02\x00\x01\x00", signature + 1) != std::string::npos)
    return {};
  bytes.replace(signature, 4, "XXXX");
  const std::wstring copy = FolderOf(ServerPath()) + L"\\ApparataDamaged.ocx";
  std::ofstream out(Narrow(copy), std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return out ? copy : std::wstring();
}

TEST(Failures, ADamagedServerReportsItsFailuresAsTheServerContractSays) {
  const std::wstring copy = CopyWithUnreadableTypeLibrary();
  ASSERT_FALSE(copy.empty()) << "could not make the damaged copy";
  HMODULE server = LoadLibraryW(copy.c_str());
  ASSERT_NE(nullptr, server) << "LoadLibrary: " << GetLastError();
  {
    com_ptr<IClassFactory> factory;
    ASSERT_HR(S_OK, Export<DllGetClassObjectFn>(server, "DllGetClassObject")(CLSID_B740X, IID_IClassFactory,
                                                                            factory.put_void()));
    DialogWatch dialogs;
    com_ptr<IUnknown> control;
    EXPECT_HR(E_UNEXPECTED, factory->CreateInstance(nullptr, IID_IUnknown, control.put_void()));
    EXPECT_FALSE(control);
    ASSERT_EQ(1u, dialogs.texts.size()) << "one error box";
    EXPECT_FALSE(dialogs.texts[0].empty());
    EXPECT_EQ(L'.', dialogs.texts[0].back()) << Narrow(dialogs.texts[0]);

    EXPECT_HR(E_FAIL, Export<DllFunctionFn>(server, "DllRegisterServer")()) << "the type library cannot be registered";
  }
  FreeLibrary(server);
  DeleteFileW(copy.c_str());
}

}  // namespace

int main(int argc, char** argv) { return server_test::RunTests(argc, argv); }
