#pragma once
// The system date and time, behind a seam so that result files can be reproduced.

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

// mm-dd-yyyy and hh:mm:ss, as the result file shows them.
std::string dateText(const LocalDateTime& t);
std::string timeText(const LocalDateTime& t);

} // namespace zmbr
