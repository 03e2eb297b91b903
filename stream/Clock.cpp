#include "stream/Clock.h"

#include <chrono>
#include <ctime>

#include "stream/DateValue.h"

namespace tidewell {

double SystemClock::Now() const {
    using namespace std::chrono;
    auto now = system_clock::now();
    std::time_t t = system_clock::to_time_t(now);
    std::tm local{};
    localtime_r(&t, &local);
    double ms =
        static_cast<double>(duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000);
    CalendarTime ct{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                    local.tm_hour,        local.tm_min,     local.tm_sec};
    return DateTimeValue(ct) + ms / 86400000.0;
}

}  // namespace tidewell
