#include "run/result_file.h"

#include "numeric/model_constants.h"
#include "numeric/number_text.h"
#include "platform/text_encoding.h"

#include <cerrno>

namespace zmbr {

namespace {

constexpr const char* kLineEnd = "\r\n";

const NumberPattern kTau("    0.000");
const NumberPattern kStrainAfterSpace(" 0.000000");
const NumberPattern kStrain("0.000000");
const NumberPattern kSignedStrain("#0.000000");
const NumberPattern kAngle(" ##0.00");

// A row strain keeps its 10-character width: a negative value's minus takes the place of
// the second leading space.
void appendStrain(std::string& out, double v) {
    if (v >= -5e-7) {
        out += "  ";
        appendNumber(out, v, kStrain);
    } else {
        out += " ";
        appendNumber(out, v, kSignedStrain);
    }
}

// A plain number in the file: a leading space (or the minus sign) and a trailing space.
std::string plainNumberItem(int n) {
    std::string text = plainNumberText(static_cast<float>(n));
    if (text[0] == '-')
        return text + " ";
    return " " + text + " ";
}

} // namespace

std::string resultFileName(std::string_view name) {
    if (name.empty())
        return "default.TGC";
    if (utf8Length(name) < 3)
        return std::string(name) + ".TGC";
    return std::string(dropLastUtf8Chars(name, 3)) + "TGC";
}

std::string testOutputMessage(int code) {
    return "This output data file has been opened by another application. (" +
           std::to_string(code) + ")";
}

std::string resultHeaderLine1(const std::string& paramFileName, const LocalDateTime& when) {
    return std::string(kResultTitle) + ", MBR file = " + paramFileName + ", at " + dateText(when) +
           ", " + timeText(when);
}

std::string resultColumnTitles(int rows) {
    std::string line = "τxy(MPa)      γxy       ε1       ε2     θ ";
    for (int i = 1; i <= rows; ++i)
        line += (i == 10 ? "   εr" : "    εr") + plainNumberItem(i);
    for (int i = 1; i <= rows; ++i)
        line += (i == 10 ? " εrcr" : "  εrcr") + plainNumberItem(i);
    return line;
}

std::string resultZeroLine(int rows) {
    std::string line(kResultZeroLine);
    for (int i = 0; i < 2 * rows; ++i)
        line += "  0.000000";
    return line;
}

void appendStepLine(std::string& out, const RunState& rs) {
    const StepState& st = rs.stepState;
    appendNumber(out, st.tauXY, kTau);
    out += " ";
    appendNumber(out, st.gammaXY, kStrainAfterSpace);
    out += " ";
    appendNumber(out, rs.eps1, kStrainAfterSpace);
    out += " ";
    appendNumber(out, st.eps2, kStrain);
    out += " ";
    appendNumber(out, st.theta * 180 / kModelPi, kAngle);
    for (int i = 0; i < rs.rows; ++i)
        appendStrain(out, st.epsR[i]);
    for (int i = 0; i < rs.rows; ++i)
        appendStrain(out, rs.bond[i].epsRcr);
}

void appendStepValues(std::vector<double>& out, const RunState& rs) {
    const StepState& st = rs.stepState;
    out.insert(out.end(), {st.tauXY, st.gammaXY, rs.eps1, st.eps2, st.theta * 180 / kModelPi});
    for (int i = 0; i < rs.rows; ++i)
        out.push_back(st.epsR[i]);
    for (int i = 0; i < rs.rows; ++i)
        out.push_back(rs.bond[i].epsRcr);
}

void appendClosingLines(std::string& out, const RunState& rs) {
    out += kClosingConcrete;
    out += statusText(rs.concreteStatus);
    out += kLineEnd;
    out += kClosingRows;
    out += kLineEnd;
    for (int i = 0; i < rs.rows; ++i) {
        out += formatNumber(static_cast<double>(i + 1), " #0");
        out += " ";
        out += statusText(rs.rowStatus[i]);
        out += " ";
    }
    out += kLineEnd;
}

int ResultFile::open(FileSystem& fs, const std::string& path, const PanelInput& in, int rows,
                     const LocalDateTime& when) {
    close();
    int error = 0;
    file_ = fs.create(path, error);
    if (!file_)
        return error;
    std::string header;
    for (const std::string& line : {resultHeaderLine1(in.paramFileName, when), in.comment,
                                    resultColumnTitles(rows), resultZeroLine(rows)}) {
        header += utf8ToCp932(line);
        header += kLineEnd;
    }
    // The header goes to the file at once, so a file that cannot take it fails the open.
    if (int error = writeBytes(header))
        return error;
    return drain();
}

int ResultFile::drain() {
    if (!file_)
        return EBADF;
    int error = file_->drain();
    if (error != 0)
        close();
    return error;
}

int ResultFile::writeStep(const RunState& rs) {
    line_.clear();
    appendStepLine(line_, rs);
    line_ += kLineEnd;
    return writeBytes(line_);
}

int ResultFile::writeClosing(const RunState& rs) {
    line_.clear();
    appendClosingLines(line_, rs);
    return writeBytes(line_);
}

int ResultFile::writeBytes(const std::string& bytes) {
    if (!file_)
        return EBADF;
    int error = file_->write(bytes);
    if (error != 0)
        close();
    return error;
}

int ResultFile::close() {
    const int error = file_ ? file_->close() : 0;
    file_.reset();
    return error;
}

} // namespace zmbr
