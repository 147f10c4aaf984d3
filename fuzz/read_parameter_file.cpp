// Arbitrary bytes read as a parameter file into a loaded sheet. A failed read leaves the sheet
// as it was and says why in a short, printable message; a good one writes back and reads again
// to the same texts.

#include "fuzz_check.h"
#include "memory_file_system.h"
#include "paramfile/parameter_file.h"
#include "platform/text_encoding.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

using namespace zmbr;

namespace {

// Everything a read may change: every field's text, the check box and the panel's values.
std::vector<std::string> snapshot(const ParameterSheet& sheet) {
    std::vector<std::string> out;
    for (const FieldDeclaration& entry : fieldRegistry())
        for (int e = 0; e < (entry.perRow() ? kMaxRows : 1) && entry.kind != FieldKind::Flag; ++e)
            out.push_back(sheet.text({entry.field, e}));
    out.push_back(sheet.option() ? "option on" : "option off");
    const PanelInput& in = sheet.input();
    out.push_back(in.comment);
    out.push_back(in.outputFileName);
    out.push_back(in.paramFileName);
    std::vector<float> values{in.axes,
                              in.layer,
                              in.fc,
                              in.epsC,
                              in.t,
                              in.sm,
                              in.Ec,
                              in.tauBy,
                              in.sBy,
                              in.initialTheta,
                              static_cast<float>(in.optionOn)};
    for (const ReinforcementLayer& r : in.rows)
        values.insert(values.end(), {r.thetaR, r.Ar, r.s, r.fru, r.Er, r.modularRatio,
                                     static_cast<float>(r.failureMode)});
    std::string bits(values.size() * sizeof(float), '\0');
    std::memcpy(bits.data(), values.data(), bits.size());
    out.push_back(bits);
    return out;
}

// The first entry where two snapshots differ, for the report.
std::string firstDifference(const std::vector<std::string>& a, const std::vector<std::string>& b) {
    for (std::size_t i = 0; i < a.size() && i < b.size(); ++i)
        if (a[i] != b[i])
            return "entry " + std::to_string(i) + ": \"" + a[i] + "\" became \"" + b[i] + "\"";
    return "sizes differ";
}

// A text as it comes back from a file: characters CP932 lacks are "?".
std::string throughCp932(const std::string& text) {
    return cp932ToUtf8(utf8ToCp932(text));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::MemoryFileSystem fs;
    fs.files["in.mbr"] = std::string(reinterpret_cast<const char*>(data), size);

    ParameterSheet sheet;
    sheet.load();
    const std::vector<std::string> before = snapshot(sheet);
    if (auto failure = readParameterFile(sheet, fs, "in.mbr")) {
        const std::string& message = failure->message;
        fuzz::check(!message.empty(), "a failed read without a reason");
        // The message quotes a bad line short, its control characters and stray bytes escaped.
        fuzz::check(message.size() < 300, "a long failure message", message);
        fuzz::check(isValidUtf8(message), "a failure message that is not UTF-8", message);
        fuzz::check(std::none_of(message.begin(), message.end(),
                                 [](char c) { return (c >= 0 && c < 0x20) || c == 0x7F; }),
                    "a control character in a failure message", message);
        const std::vector<std::string> after = snapshot(sheet);
        fuzz::check(after == before, "a failed read changed the sheet",
                    firstDifference(before, after));
        return 0;
    }
    fuzz::check(sheet.input().outputFileName == "in.mbr", "a read did not set outputFileName");
    fuzz::check(sheet.input().usedRows() >= 1 && sheet.input().usedRows() <= kMaxRows,
                "a read gave a row count outside 1 to 10");

    // Write the sheet back and read that file into a copy: the same texts come back, each as
    // CP932 can hold it.
    const int error = writeParameterFile(sheet, fs, "back.mbr");
    fuzz::check(error == 0, "writing a sheet into memory failed");
    fuzz::check(fs.files.count("back.mbr.zmbr-partial") == 0, "a partial file was left behind");
    const std::string& written = fs.files.at("back.mbr");
    fuzz::check(written.size() >= 2 && written.compare(written.size() - 2, 2, "\r\n") == 0,
                "the written file does not end with a line end");

    ParameterSheet again = sheet;
    if (auto failure = readParameterFile(again, fs, "back.mbr"))
        fuzz::fail("a written file cannot be read back", failure->message);
    std::vector<std::string> expected = snapshot(sheet);
    std::vector<std::string> got = snapshot(again);
    // Texts only: a text that CP932 changes also changes the value parsed from it.
    const std::size_t texts = expected.size() - 5;
    for (std::size_t i = 0; i < texts; ++i)
        expected[i] = throughCp932(expected[i]);
    expected.resize(texts);
    got.resize(texts);
    fuzz::check(got == expected, "the written file reads back to other texts",
                firstDifference(expected, got));
    fuzz::check(again.option() == sheet.option(), "the option does not survive a round trip");
    fuzz::check(again.input().axes == sheet.input().axes,
                "the row count does not survive a round trip");
    return 0;
}
