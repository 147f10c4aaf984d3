#include "solver/run_state.h"
#include "solver/run_context.h"

namespace zmbr {

const char* statusText(RowStatus s) {
    switch (s) {
    case RowStatus::Ok:
        return "OK";
    case RowStatus::Rpt:
        return "RPT";
    case RowStatus::Yld:
        return "YLD";
    case RowStatus::Blank:
        break;
    }
    return "";
}

const char* statusText(ConcreteStatus s) {
    switch (s) {
    case ConcreteStatus::Ok:
        return "OK";
    case ConcreteStatus::NG:
        return "NG";
    case ConcreteStatus::Blank:
        break;
    }
    return "";
}

std::string stopMessage(int step, const std::string& what) {
    const std::string when =
        step == 0 ? "before the first step" : "at step " + std::to_string(step);
    return "The analysis stopped " + when + ": " + what;
}

void RunContext::stop(const std::string& what) const {
    throw RunStop{RunEnd::Stopped, stopMessage(state.step, what)};
}

} // namespace zmbr
