#pragma once
// Connects a control's default event interface to the script's handlers by name: event E of
// item N calls the script's global Sub N_E, with the event's arguments, when the script has one.
// An engine that binds the handlers of source items itself leaves nothing to do here; Wine's
// VBScript binds none (its SCRIPTSTATE_CONNECTED runs the code and connects nothing), so the
// host binds every item that no sink is connected to.
#include <windows.h>
#include <activscp.h>

#include <memory>
#include <string>

#include "tools/common/Events.h"

namespace scripthost {

// Binds `object`'s events (described by its coclass `classInfo`) to the script's handlers
// unless a sink is already connected there. Leaves `connection` null when there was nothing
// to bind: no event interface, or the engine bound it.
HRESULT BindEvents(IActiveScript* engine, const std::wstring& itemName, IUnknown* object, ITypeInfo* classInfo,
                   std::unique_ptr<tools::EventConnection>& connection);

}  // namespace scripthost
