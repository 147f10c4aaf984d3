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

RowStatus rowStatusOf(const std::string& text) {
    for (RowStatus s : {RowStatus::Ok, RowStatus::Rpt, RowStatus::Yld})
        if (text == statusText(s))
            return s;
    return RowStatus::Blank;
}

ConcreteStatus concreteStatusOf(const std::string& text) {
    for (ConcreteStatus s : {ConcreteStatus::Ok, ConcreteStatus::NG})
        if (text == statusText(s))
            return s;
    return ConcreteStatus::Blank;
}

void RunContext::stop(const std::string& what) const {
    throw AnalysisStop{what};
}

} // namespace zmbr
