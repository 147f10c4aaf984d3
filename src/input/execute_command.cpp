#include "input/execute_command.h"

#include "input/text_encoding.h"

namespace zmbr {

std::string resultFileName(std::string_view name) {
    if (name.empty()) return "default.TGC";
    if (utf8Length(name) < 3) return std::string(name) + ".TGC";
    return std::string(dropLastUtf8Chars(name, 3)) + "TGC";
}

int writeTestOutput(FileSystem& fs, const std::string& path) {
    int error = 0;
    auto file = fs.create(path, error);
    if (!file) return error;
    error = file->write("Test output\r\n");
    int closeError = file->close();
    return error != 0 ? error : closeError;
}

std::string testOutputMessage(int code) {
    return "This output data file has been opened by another application. (" +
           std::to_string(code) + ")";
}

std::optional<std::string> refusalReason(const PanelInput& in) {
    auto zero = [](const std::string& what) {
        return "The analysis cannot start: " + what + " is 0.";
    };
    if (in.fc == 0) return zero("fc (-)");
    if (in.epsC == 0) return zero("εc (-)");
    if (in.t == 0) return zero("t");
    if (in.Ec == 0) return zero("Ec");
    if (in.sBy == 0) return zero("sby");
    if (in.tauBy == 0) return zero("τby");
    for (int r = 1; r <= in.usedRows(); ++r) {
        const ReinforcementLayer& row = in.row(r);
        const std::string ofRow = " of row " + std::to_string(r);
        if (row.s == 0) return zero("s" + ofRow);
        if (row.Ar == 0) return zero("Ar" + ofRow);
        if (row.Er == 0) return zero("Er" + ofRow);
    }
    return std::nullopt;
}

void deriveRowValues(PanelInput& in, const std::array<std::string, kMaxRows>& failureTexts) {
    for (int r = 1; r <= in.usedRows(); ++r) {
        ReinforcementLayer& row = in.row(r);
        row.modularRatio = row.Er / in.Ec;
        row.failureMode = failureModeFromText(failureTexts[static_cast<std::size_t>(r - 1)]);
    }
}

} // namespace zmbr
