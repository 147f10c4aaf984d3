#include "paramfile/parameter_file.h"
#include "platform/error_text.h"
#include "platform/text_encoding.h"

namespace zmbr {

std::string saveFailureMessage(int code) {
    return "Error. Try again." + std::to_string(errorCode(code));
}

std::vector<std::string> parameterFileLines(const ParameterSheet& sheet) {
    std::vector<std::string> lines{"Created by ZMBR3"};
    auto add = [&](FileBlock block, int element) {
        for (const FieldDeclaration& entry : fieldRegistry())
            if (entry.block == block)
                lines.push_back(entry.kind == FieldKind::Flag
                                    ? (sheet.input().optionOn != 0 ? "Y" : "N")
                                    : sheet.text({entry.field, element}));
    };
    add(FileBlock::Head, 0);
    // The row blocks follow the value of axes, not the text of its field.
    for (int e = 0; e < sheet.input().usedRows(); ++e)
        add(FileBlock::Row, e);
    add(FileBlock::Tail, 0);
    return lines;
}

namespace {

int writeLines(FileSystem& fs, const std::string& path, const std::vector<std::string>& lines) {
    int error = 0;
    auto file = fs.create(path, error);
    if (!file)
        return error;
    for (const std::string& line : lines) {
        error = file->write(utf8ToCp932(line) + "\r\n");
        if (error)
            break;
    }
    if (!error)
        error = file->flush();
    const int closeError = file->close();
    return error ? error : closeError;
}

} // namespace

int writeParameterFile(ParameterSheet& sheet, FileSystem& fs, const std::string& path) {
    const std::vector<std::string> lines = parameterFileLines(sheet);
    int error = 0;
    if (const PathKind kind = fs.kindOf(path);
        kind != PathKind::Missing && kind != PathKind::NormalFile) {
        // A device or the like cannot be replaced; it is written in place.
        error = writeLines(fs, path, lines);
    } else {
        const std::string partial = path + ".zmbr-partial";
        error = writeLines(fs, partial, lines);
        if (!error)
            error = fs.rename(partial, path);
        if (error)
            fs.remove(partial);
    }
    if (!error)
        sheet.input().outputFileName = path;
    return error;
}

} // namespace zmbr
