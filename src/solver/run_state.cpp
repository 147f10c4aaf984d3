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

void RunContext::stop(const std::string& what) const {
    const std::string when =
        state.step == 0 ? "before the first step" : "at step " + std::to_string(state.step);
    throw RunStop{RunEnd::Stopped, "The analysis stopped " + when + ": " + what};
}

} // namespace zmbr
