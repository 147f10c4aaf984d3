#include "study/figure_scale.h"

#include "numeric/number_text.h"

#include <algorithm>
#include <cmath>

namespace zmbr {

AxisScale axisScale(double low, double high, bool fromZero) {
    if (fromZero) {
        low = std::min(low, 0.0);
        high = std::max(high, 0.0);
    }
    if (!(high > low)) {
        const double pad = low == 0 ? 1 : std::abs(low) * 0.1;
        if (!fromZero || low < 0)
            low -= pad;
        if (!fromZero || high > 0 || low == 0)
            high += pad;
    }
    const double raw = (high - low) / 8;
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    const double m = raw / power;
    const double step = (m <= 1 ? 1 : m <= 2 ? 2 : m <= 5 ? 5 : 10) * power;
    AxisScale s;
    s.decimals = std::max(0, static_cast<int>(-std::floor(std::log10(step) + 1e-9)));
    if (fromZero) {
        // The ends on ticks beyond the values, so that no curve runs along the frame and a
        // peak stands clear of it; 0 stays on the frame.
        const double room = (high - low) * 0.05;
        s.low = std::floor((low < 0 ? low - room : low) / step + 1e-9) * step;
        s.high = std::ceil((high > 0 ? high + room : high) / step - 1e-9) * step;
    } else {
        // A margin, so that the marks at the first and last value show whole.
        const double margin = (high - low) * 0.05;
        s.low = low - margin;
        s.high = high + margin;
    }
    for (double k = std::ceil(s.low / step - 1e-9); k <= std::floor(s.high / step + 1e-9); ++k)
        s.ticks.push_back(k * step);
    return s;
}

std::string tickLabel(double value, int decimals) {
    const std::string pattern =
        decimals > 0 ? "0." + std::string(static_cast<std::size_t>(decimals), '0') : "0";
    return formatNumber(value, pattern);
}

EndMark endMarkOf(const std::string& end) {
    if (end == "concrete_ng")
        return EndMark::ConcreteNG;
    if (end == "rupture")
        return EndMark::Rupture;
    if (end == "step_limit")
        return EndMark::StepLimit;
    return EndMark::Stopped;
}

EndMark lastStepMark(const ResultCurve& curve) {
    if (!curve.closed || curve.steps.empty())
        return EndMark::None;
    return curve.concreteStatus == ConcreteStatus::NG ? EndMark::ConcreteNG : EndMark::Rupture;
}

const char* markName(EndMark m) {
    switch (m) {
    case EndMark::ConcreteNG:
        return "concrete NG";
    case EndMark::Rupture:
        return "rupture";
    case EndMark::StepLimit:
        return "step limit";
    case EndMark::Stopped:
        return "stopped";
    case EndMark::None:
        break;
    }
    return "";
}

} // namespace zmbr
