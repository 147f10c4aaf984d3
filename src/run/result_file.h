#pragma once
// The τ-γ result file: a header, one line per load step, and the closing status lines of a
// run that ended by failure. Bytes are CP932, lines end with CR LF.

#include "input/panel_input.h"
#include "paramfile/file_kind.h"
#include "platform/clock.h"
#include "platform/file_system.h"
#include "solver/run_state.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace zmbr {

// The most lines the layout holds: the header, a line per step up to the step limit, and the
// closing lines.
inline constexpr std::size_t kResultHeaderLines = 4;
inline constexpr std::size_t kResultClosingLines = 3;
inline constexpr std::size_t kResultMaxLines =
    kResultHeaderLines + kStepLimit + kResultClosingLines;

// The layout's fixed texts, which the writer writes and the reader looks for (the title,
// kResultTitle, is in paramfile/file_kind.h, where a result file is told from a panel).
inline constexpr std::string_view kResultZeroLine =
    "    0.000  0.000000  0.000000  0.000000  45.00";
inline constexpr std::string_view kClosingConcrete = "Concrete : ";
inline constexpr std::string_view kClosingRows = "Reinforcements : ";

// The widest step line a run can write, without its line end: ten rows, every value the
// largest finite double, negative (309 digits before the point). A file's lines after its
// header are at most this long.
inline constexpr std::size_t kMaxResultStepLineBytes = 7636;

// The items of a step line and of the zero line: τxy, γxy, ε1, ε2 and θ, then εr and εrcr of
// each row.
inline constexpr std::size_t resultLineItems(int rows) {
    return 5 + 2 * static_cast<std::size_t>(rows);
}

// "default.TGC" for an empty name, else the name with its last three characters replaced
// by "TGC" (a name of one or two characters gets ".TGC" appended).
std::string resultFileName(std::string_view outputFileName);

// What the user reads when the result file cannot be written:
// "This output data file has been opened by another application. (code)"
std::string testOutputMessage(int code);

// The header's four lines (title, comment, column titles, zero line), as UTF-8 text.
std::string resultHeaderLine1(const std::string& paramFileName, const LocalDateTime& when);
std::string resultColumnTitles(int rows);
std::string resultZeroLine(int rows);

// One step line, without its line end.
void appendStepLine(std::string& out, const RunState& rs);
// The numbers one step line prints, as the doubles whose text it holds, appended in its order:
// τxy, γxy, ε1, ε2 and θ in degrees, then εr and εrcr of each row.
void appendStepValues(std::vector<double>& out, const RunState& rs);
// The three closing lines, each with its CR LF.
void appendClosingLines(std::string& out, const RunState& rs);

class ResultFile {
  public:
    // Creates the file and writes the header; returns 0 or the errno of the failure.
    int open(FileSystem& fs, const std::string& path, const PanelInput& in, int rows,
             const LocalDateTime& when);
    int writeStep(const RunState& rs);
    int writeClosing(const RunState& rs);
    // Hands the lines written so far to the file, for someone watching it grow.
    int drain();
    // Hands over what is left and closes; 0 or the errno of the failure.
    int close();

  private:
    int writeBytes(const std::string& bytes);

    std::unique_ptr<OutputFile> file_;
    std::string line_; // reused for every line
};

} // namespace zmbr
