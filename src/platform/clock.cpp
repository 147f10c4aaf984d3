#include "platform/clock.h"

#include "input/number_text.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <limits>

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

std::optional<LocalDateTime> sourceDateEpoch(const std::string& value) {
    // Digits only: no sign, no decimals, no exponent.
    if (value.empty() || value.size() > 12 ||
        !std::all_of(value.begin(), value.end(), [](unsigned char c) { return std::isdigit(c); }))
        return std::nullopt;
    // At most 12 digits: exact in a double. A 32-bit time_t ends in 2038.
    const double given = *parseWholeNumber(value);
    constexpr double kLastSecondOf9999 = 253402300799;
    if (given > kLastSecondOf9999 ||
        given > static_cast<double>(std::numeric_limits<std::time_t>::max()))
        return std::nullopt;
    const auto seconds = static_cast<std::time_t>(given);
    std::tm tm{};
    if (!gmtime_r(&seconds, &tm))
        return std::nullopt;
    return LocalDateTime{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday,
                         tm.tm_hour,        tm.tm_min,     tm.tm_sec};
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
