#pragma once
// The three controls as the soak and the bench run them: each with its bus address and the reply
// its instrument sends.
#include <string>

#include "framework/EventSink.h"
#include "instruments/B740.h"
#include "instruments/E712.h"
#include "instruments/HP4191.h"

namespace perf {

template <class Device>
struct ControlTraits;
template <>
struct ControlTraits<instruments::TB740Device> {
  static constexpr const char* name = "B7-40/5";
  static constexpr int port = 7;
  static constexpr const char* reply = "R +11357E-4";
};
template <>
struct ControlTraits<instruments::TE712Device> {
  static constexpr const char* name = "E7-12";
  static constexpr int port = 3;
  static constexpr const char* reply = "2.5723E+1 D";
};
template <>
struct ControlTraits<instruments::THP4191Device> {
  static constexpr const char* name = "HP 4191A";
  static constexpr int port = 17;
  static constexpr const char* reply = " NRN+1.2345E+01,NXN+5.4321E-01";
};

struct DataCounter : framework::EventSink {
  void Fire(int dispid) override { data += dispid == framework::kOnData; }
  unsigned long long data = 0;
};

}  // namespace perf
