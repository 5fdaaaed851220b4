#include "hpib/trace/TraceClock.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace hpib {
namespace {

// Minutes from 0001-01-01 by the proleptic calendar, enough to subtract two nearby times.
long long Minutes(const std::tm& t) {
  const long long year = t.tm_year + 1900LL - 1;
  const long long days = year * 365 + year / 4 - year / 100 + year / 400 + t.tm_yday;
  return (days * 24 + t.tm_hour) * 60 + t.tm_min;
}

bool BrokenDown(std::time_t seconds, std::tm& local, std::tm& utc) {
#ifdef _WIN32
  return localtime_s(&local, &seconds) == 0 && gmtime_s(&utc, &seconds) == 0;
#else
  return localtime_r(&seconds, &local) && gmtime_r(&seconds, &utc);
#endif
}

}  // namespace

std::string LocalTimeStamp(const std::tm& local, const std::tm& utc, int milliseconds) {
  const long long offset = Minutes(local) - Minutes(utc);
  char text[96];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03d%c%02lld:%02lld", local.tm_year + 1900,
                local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec, milliseconds,
                offset < 0 ? '-' : '+', std::llabs(offset) / 60, std::llabs(offset) % 60);
  return text;
}

TraceClock SystemTraceClock() {
  return {[] {
            using namespace std::chrono;
            const auto now = system_clock::now();
            const auto since = duration_cast<milliseconds>(now.time_since_epoch()).count();
            const auto seconds = static_cast<std::time_t>(since / 1000);
            std::tm local{}, utc{};
            if (!BrokenDown(seconds, local, utc)) BrokenDown(0, local, utc);
            return LocalTimeStamp(local, utc, static_cast<int>(since % 1000));
          },
          [] {
            using namespace std::chrono;
            return static_cast<std::int64_t>(
                duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count());
          }};
}

}  // namespace hpib
