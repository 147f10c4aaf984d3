#include "input/clock.h"

#include <cstdio>
#include <ctime>

namespace zmbr {

namespace {

class SystemClock final : public Clock {
  public:
    LocalDateTime now() const override {
        std::time_t t = std::time(nullptr);
        std::tm tm{};
        localtime_r(&t, &tm);
        return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
    }
};

} // namespace

Clock& systemClock() {
    static SystemClock clock;
    return clock;
}

std::string dateText(const LocalDateTime& t) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%02d-%02d-%04d", t.month, t.day, t.year);
    return buf;
}

std::string timeText(const LocalDateTime& t) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", t.hour, t.minute, t.second);
    return buf;
}

} // namespace zmbr
