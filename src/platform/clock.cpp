#include "platform/clock.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
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

const char* sourceDateEpochVariable() {
    return std::getenv("SOURCE_DATE_EPOCH");
}

class CommandLineClock final : public Clock {
  public:
    LocalDateTime now() const override {
        if (const char* value = sourceDateEpochVariable())
            if (auto moment = sourceDateEpoch(value))
                return *moment;
        return systemClock().now();
    }
};

} // namespace

Clock& systemClock() {
    static SystemClock clock;
    return clock;
}

// The calendar is counted here rather than by gmtime: time_t has 32 bits on some targets
// (WebAssembly), and the dates reach the year 9999.
std::optional<LocalDateTime> sourceDateEpoch(const std::string& value) {
    // Digits only: no sign, no decimals, no exponent.
    if (value.empty() || value.size() > 12 ||
        !std::all_of(value.begin(), value.end(), [](unsigned char c) { return std::isdigit(c); }))
        return std::nullopt;
    long long seconds = 0; // at most 12 digits: no overflow
    for (const char digit : value)
        seconds = seconds * 10 + (digit - '0');
    constexpr long long kLastSecondOf9999 = 253402300799;
    if (seconds > kLastSecondOf9999)
        return std::nullopt;
    constexpr long long kDay = 24 * 60 * 60;
    const std::chrono::year_month_day date{
        std::chrono::sys_days{std::chrono::days{static_cast<int>(seconds / kDay)}}};
    const auto second = static_cast<int>(seconds % kDay);
    return LocalDateTime{static_cast<int>(date.year()),
                         static_cast<int>(static_cast<unsigned>(date.month())),
                         static_cast<int>(static_cast<unsigned>(date.day())),
                         second / 3600,
                         second / 60 % 60,
                         second % 60};
}

Clock& commandLineClock() {
    static CommandLineClock clock;
    return clock;
}

std::string malformedSourceDateEpoch() {
    const char* value = sourceDateEpochVariable();
    return value && !sourceDateEpoch(value) ? value : "";
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
