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

std::optional<Failure> refusalReason(const PanelInput& in) {
    // The first zero in the order of the checks: the panel's fields, then row by row.
    auto firstZero = [&in](bool rowFields, int row) -> const FieldDeclaration* {
        const FieldDeclaration* first = nullptr;
        for (const FieldDeclaration& entry : fieldRegistry())
            if (entry.zeroRefused != 0 && entry.perRow() == rowFields &&
                fieldValue(in, entry.field, row) == 0 &&
                (!first || entry.zeroRefused < first->zeroRefused))
                first = &entry;
        return first;
    };
    auto zero = [](const std::string& what) {
        return Failure{"The analysis cannot start: " + what + " is 0."};
    };
    if (const FieldDeclaration* f = firstZero(false, 1))
        return zero(f->caption);
    for (int r = 1; r <= in.usedRows(); ++r)
        if (const FieldDeclaration* f = firstZero(true, r))
            return zero(std::string(f->caption) + " of row " + std::to_string(r));
    return std::nullopt;
}

void deriveRowValues(PanelInput& in, const std::array<std::string, kMaxRows>& failureTexts) {
    for (int r = 1; r <= in.usedRows(); ++r) {
        ReinforcementLayer& row = in.row(r);
        row.modularRatio = in.Ec != 0 ? row.Er / in.Ec : 0.0f; // Ec = 0 is refused

        row.failureMode = failureModeFromText(failureTexts[static_cast<std::size_t>(r - 1)]);
    }
}

void rereadFields(ParameterSheet& sheet) {
    PanelInput& in = sheet.input();
    // The texts already hold corrected values: no limit rule here. The panel's fields come
    // first, since axes says which rows are read.
    auto reread = [&](bool rowFields, int element) {
        for (const FieldDeclaration& entry : fieldRegistry())
            if (entry.executeRereads && entry.perRow() == rowFields)
                fieldValue(in, entry.field, element + 1) =
                    toFieldValue(parseNumber(sheet.text({entry.field, element})));
    };
    reread(false, 0);
    std::array<std::string, kMaxRows> failureTexts;
    for (int e = 0; e < in.usedRows(); ++e) {
        reread(true, e);
        failureTexts[static_cast<std::size_t>(e)] = sheet.text({PanelField::FailureMode, e});
    }
    deriveRowValues(in, failureTexts);
}

std::optional<ExecuteRefusal> prepareExecute(ParameterSheet& sheet, FileSystem& fs) {
    PanelInput& in = sheet.input();
    in.outputFileName = resultFileName(in.outputFileName);
    if (int error = writeTestOutput(fs, in.outputFileName))
        return ExecuteRefusal{{testOutputMessage(error)}, RunEnd::ResultUnwritable};
    rereadFields(sheet);
    if (auto reason = refusalReason(in))
        return ExecuteRefusal{*reason, RunEnd::Refused};
    return std::nullopt;
}

} // namespace zmbr
