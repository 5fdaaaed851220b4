#pragma once
// The controls the demo shows, left to right: one line each.
#include <cstdint>

namespace demo {

struct DemoControl {
  const wchar_t* progId;
  std::int32_t port;     // where the simulated instrument answers in debug mode
  const wchar_t* setup;  // a command written to Text first, so that the panel shows the function the
                         // simulated instrument reads; null for none
  int width, height;     // the control's panel
};

constexpr DemoControl kControls[] = {
    {L"Apparata.B740X", 7, L"F2E", 200, 97},  // R: resistance
    {L"Apparata.E712X", 3, nullptr, 200, 97},
    {L"Apparata.HP4191X", 17, nullptr, 208, 227},
};

}  // namespace demo
