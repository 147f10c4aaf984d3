#include "run/execute_command.h"

#include "input/parameter_sheet.h"
#include "numeric/number_text.h"
#include "run/result_file.h"

namespace zmbr {

int writeTestOutput(FileSystem& fs, const std::string& path) {
    int error = 0;
    auto file = fs.create(path, error);
    if (!file)
        return error;
    error = file->write("Test output\r\n");
    int closeError = file->close();
    return error != 0 ? error : closeError;
}

std::optional<std::string> refusalReason(const PanelInput& in) {
    auto zero = [](const std::string& what) {
        return "The analysis cannot start: " + what + " is 0.";
    };
    if (in.fc == 0)
        return zero("fc (-)");
    if (in.epsC == 0)
        return zero("εc (-)");
    if (in.layer == 0)
        return zero("layer");
    if (in.t == 0)
        return zero("t");
    if (in.sm == 0)
        return zero("sm");
    if (in.Ec == 0)
        return zero("Ec");
    if (in.sBy == 0)
        return zero("sby");
    if (in.tauBy == 0)
        return zero("τby");
    for (int r = 1; r <= in.usedRows(); ++r) {
        const ReinforcementLayer& row = in.row(r);
        const std::string ofRow = " of row " + std::to_string(r);
        if (row.s == 0)
            return zero("s" + ofRow);
        if (row.Ar == 0)
            return zero("Ar" + ofRow);
        if (row.Er == 0)
            return zero("Er" + ofRow);
    }
    return std::nullopt;
}

void deriveRowValues(PanelInput& in, const std::array<std::string, kMaxRows>& failureTexts) {
    for (int r = 1; r <= in.usedRows(); ++r) {
        ReinforcementLayer& row = in.row(r);
        row.modularRatio = in.Ec != 0 ? row.Er / in.Ec : 0.0f; // Ec = 0 is refused

        row.failureMode = failureModeFromText(failureTexts[static_cast<std::size_t>(r - 1)]);
    }
}

std::optional<ExecuteRefusal> prepareExecute(ParameterSheet& sheet, FileSystem& fs) {
    PanelInput& in = sheet.input();
    in.outputFileName = resultFileName(in.outputFileName);
    if (int error = writeTestOutput(fs, in.outputFileName))
        return ExecuteRefusal{true, testOutputMessage(error)};

    // The texts already hold corrected values: no limit rule here.
    auto read = [&sheet](Control c, int element = 0) {
        return toFieldValue(parseNumber(sheet.text({c, element})));
    };
    in.axes = read(Control::Text4);
    in.layer = read(Control::Text5);
    in.t = read(Control::Text10);
    in.sm = read(Control::Text11);
    in.fc = read(Control::Text8);
    in.epsC = read(Control::Text9);
    in.Ec = read(Control::Text12);
    in.tauBy = read(Control::Text13);
    in.sBy = read(Control::Text14);
    std::array<std::string, kMaxRows> failureTexts;
    for (int e = 0; e < in.usedRows(); ++e) {
        ReinforcementLayer& row = in.rows[static_cast<std::size_t>(e)];
        row.thetaR = read(Control::Text15, e);
        row.Ar = read(Control::Text2, e);
        row.s = read(Control::Text3, e);
        row.fru = read(Control::Text6, e);
        row.Er = read(Control::Text7, e);
        failureTexts[static_cast<std::size_t>(e)] = sheet.text({Control::Combo1, e});
    }
    deriveRowValues(in, failureTexts);
    if (auto reason = refusalReason(in))
        return ExecuteRefusal{false, *reason};
    return std::nullopt;
}

} // namespace zmbr
