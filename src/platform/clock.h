#pragma once
// The system date and time, behind a seam so that result files can be reproduced.

#include <optional>
#include <string>

namespace zmbr {

struct LocalDateTime {
    int year = 0, month = 0, day = 0;
    int hour = 0, minute = 0, second = 0;
};

class Clock {
  public:
    virtual ~Clock() = default;
    virtual LocalDateTime now() const = 0;
};

Clock& systemClock();

// A clock that always shows the same moment.
class FixedClock final : public Clock {
  public:
    explicit FixedClock(LocalDateTime t) : t_(t) {}
    LocalDateTime now() const override { return t_; }

  private:
    LocalDateTime t_;
};

// The moment a SOURCE_DATE_EPOCH value names (whole seconds since 1970-01-01 00:00:00 UTC),
// as a UTC date and time. Nothing for a value that is not such a number of seconds or lies
// beyond the year 9999.
std::optional<LocalDateTime> sourceDateEpoch(const std::string& value);

// The clock of command-line runs: the moment SOURCE_DATE_EPOCH names when it is set and
// valid, so that two runs of one panel write identical files; else the system clock. The
// windows keep the system clock.
Clock& commandLineClock();

// The value of SOURCE_DATE_EPOCH when it is set but names no moment; empty otherwise.
std::string malformedSourceDateEpoch();

// mm-dd-yyyy and hh:mm:ss, as the result file shows them.
std::string dateText(const LocalDateTime& t);
std::string timeText(const LocalDateTime& t);

} // namespace zmbr
