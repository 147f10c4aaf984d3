// Arbitrary bytes read as a τ-γ result file. A refused file says why in a short, printable
// message and leaves no curve behind; a read one holds what its lines hold, no more lines
// than the layout and finite numbers only.

#include "fuzz_check.h"
#include "memory_file_system.h"
#include "platform/text_encoding.h"
#include "run/result_file.h"
#include "run/result_reading.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>

using namespace zmbr;

namespace {

// The file's lines counted apart from the reader: a line ends at CR LF, CR or LF, and a last
// line without an end counts too.
std::size_t countLines(const std::string& bytes) {
    std::size_t lines = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i, ++lines) {
        while (i < bytes.size() && bytes[i] != '\r' && bytes[i] != '\n')
            ++i;
        if (i + 1 < bytes.size() && bytes[i] == '\r' && bytes[i + 1] == '\n')
            ++i;
    }
    return lines;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::MemoryFileSystem fs;
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    fs.files["in.TGC"] = bytes;

    ResultCurve curve;
    curve.rows = 3; // a refused file must not leave this behind
    if (auto failure = readResultFile(fs, "in.TGC", curve)) {
        const std::string& message = failure->message;
        fuzz::check(message.starts_with("Line ") || message.starts_with("The file "),
                    "a failure message that names neither a line nor the file", message);
        fuzz::check(message.size() < 300, "a long failure message", message);
        fuzz::check(isValidUtf8(message), "a failure message that is not UTF-8", message);
        fuzz::check(std::none_of(message.begin(), message.end(),
                                 [](char c) { return (c >= 0 && c < 0x20) || c == 0x7F; }),
                    "a control character in a failure message", message);
        fuzz::check(curve.rows == 0 && curve.steps.empty() && !curve.closed,
                    "a refused file left a curve behind");
        return 0;
    }
    fuzz::check(curve.rows >= 1 && curve.rows <= 10, "a curve with a row count outside 1 to 10");
    fuzz::check(curve.steps.size() <= static_cast<std::size_t>(kStepLimit),
                "a curve with more steps than a run writes");
    const std::size_t layout =
        kResultHeaderLines + curve.steps.size() + (curve.closed ? kResultClosingLines : 0);
    fuzz::check(countLines(bytes) == layout, "a file read with lines its layout does not have",
                std::to_string(countLines(bytes)) + " lines, " + std::to_string(layout) +
                    " in the layout");
    fuzz::check(!curve.closed || curve.rowStatuses.size() == static_cast<std::size_t>(curve.rows),
                "closing lines without a status for every row");
    for (const ResultStep& s : curve.steps)
        for (double v : {s.tauXY, s.gammaXY, s.eps1, s.eps2, s.thetaDegrees})
            fuzz::check(std::isfinite(v), "a step with a number that is not finite");
    return 0;
}
