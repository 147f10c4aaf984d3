#include "run/run_end.h"

namespace zmbr {

bool runStarted(RunEnd end) {
    switch (end) {
    case RunEnd::Failure:
    case RunEnd::StepLimit:
    case RunEnd::Stopped:
    case RunEnd::Cancelled:
    case RunEnd::WriteFailed:
        return true;
    case RunEnd::OpenFailed:
    case RunEnd::Refused:
    case RunEnd::ResultUnwritable:
    case RunEnd::Unreadable:
        break;
    }
    return false;
}

std::string stopMessage(int step, const std::string& what) {
    const std::string when =
        step == 0 ? "before the first step" : "at step " + std::to_string(step);
    return "The analysis stopped " + when + ": " + what;
}

std::string stepLimitMessage() {
    return "Please make contact to zmbr-support@example.org. (0)";
}

std::string endWords(const RunOutcome& o) {
    switch (o.end) {
    case RunEnd::Failure: {
        std::string rows;
        int count = 0;
        for (int i = 0; i < kMaxRows; ++i)
            if (o.ruptured[static_cast<std::size_t>(i)])
                rows += (count++ ? ", " : "") + std::to_string(i + 1);
        const std::string rupture =
            count == 0 ? "" : (count == 1 ? "rupture of row " : "rupture of rows ") + rows;
        if (o.concreteNG)
            return count > 0 ? "concrete NG and " + rupture : "concrete NG";
        return rupture;
    }
    case RunEnd::StepLimit:
        return "step limit";
    case RunEnd::Stopped: {
        std::string cause = o.cause;
        if (cause.ends_with('.'))
            cause.pop_back();
        return "stopped (" + cause + ")";
    }
    case RunEnd::Cancelled:
        return "stopped: cancelled";
    case RunEnd::WriteFailed:
        return "stopped: the result file could not be written";
    case RunEnd::OpenFailed:
        return "stopped: the result file could not be opened";
    case RunEnd::Refused:
        return o.cause;
    case RunEnd::ResultUnwritable:
        return "the result file cannot be written";
    case RunEnd::Unreadable:
        return "the file cannot be read";
    }
    return "";
}

std::string endToken(const RunOutcome& o) {
    switch (o.end) {
    case RunEnd::Failure:
        return o.concreteNG ? "concrete_ng" : "rupture";
    case RunEnd::StepLimit:
        return "step_limit";
    case RunEnd::Stopped:
    case RunEnd::Cancelled:
    case RunEnd::WriteFailed:
        return "stopped";
    case RunEnd::OpenFailed:
    case RunEnd::Refused:
    case RunEnd::ResultUnwritable:
        return "refused";
    case RunEnd::Unreadable:
        return "unreadable";
    }
    return "";
}

} // namespace zmbr
