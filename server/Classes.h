#pragma once
// The control classes the server offers, as one table; factories and registry entries are
// made from it, in its order.
#include <windows.h>
#include <oaidl.h>
#include <ole2.h>

#include <string>

#include "core/win32/ComResource.h"
#include "framework/HPIBDev.h"
#include "toolkit/Form.h"

namespace server {

using core::win32::com_ptr;

using FormMaker = toolkit::FormPtr<framework::THPIBDevice> (*)(std::uintptr_t parentWindow);

struct ClassEntry {
  const CLSID* clsid;
  // The coclass's name in the type library; also how failures name the class.
  const wchar_t* name;
  FormMaker makeForm;
  int toolboxBitmap;  // bitmap resource of the server file
};

extern const ClassEntry kClasses[];
extern const std::size_t kClassCount;

// Every class alike: what each control requests (a simple frame that acts like a label), and
// what the adapter adds for being an in-place, inside-out control.
constexpr DWORD kMiscStatus = OLEMISC_SIMPLEFRAME | OLEMISC_ACTSLIKELABEL | OLEMISC_RECOMPOSEONRESIZE |
                              OLEMISC_CANTLINKINSIDE | OLEMISC_INSIDEOUT | OLEMISC_ACTIVATEWHENVISIBLE |
                              OLEMISC_SETCLIENTSITEFIRST;
constexpr const wchar_t* kThreadingModel = L"Apartment";

// What the type library says of a class.
struct ClassInfo {
  std::wstring name;         // "B740X"
  std::wstring description;  // the coclass's help string
  std::wstring progId;       // the library's name, ".", the class name: "Apparata.B740X"
  com_ptr<ITypeInfo> coclass;
};

// Reads the class's description from the type library. Throws core::Exception
// "Type information missing for class %s" when the library lacks the class,
// "Incorrect type information for class %s" when its default interface cannot be resolved
// and "Dispatch interface missing from class %s" when that interface is not dispatchable.
ClassInfo DescribeClass(const ClassEntry& entry);

}  // namespace server
