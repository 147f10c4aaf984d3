#include "command_line.h"

#include "input/field_registry.h"

#include <cctype>
#include <charconv>

namespace zmbr {

namespace {

// The report header's field an option sets, or null.
std::string* signOffField(SignOff& s, const std::string& option) {
    if (option == "--project")
        return &s.project;
    if (option == "--job")
        return &s.job;
    if (option == "--element")
        return &s.element;
    if (option == "--by")
        return &s.preparedBy;
    if (option == "--checked")
        return &s.checkedBy;
    if (option == "--revision")
        return &s.revision;
    return nullptr;
}

} // namespace

namespace {

bool endsWithNoCase(const std::string& s, const std::string& tail) {
    if (s.size() < tail.size())
        return false;
    for (std::size_t i = 0; i < tail.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(s[s.size() - tail.size() + i])) != tail[i])
            return false;
    return true;
}

// What the options ask for fits together; else the usage error.
std::string conflict(const CommandLine& cl) {
    if (cl.convert && (cl.batch || !cl.files.empty()))
        return "--convert takes its two files and nothing else";
    if (cl.batch + cl.convert + !cl.study.empty() + cl.plot > 1)
        return "--batch, --convert, --study and --plot are used one at a time";
    if (!cl.summary.empty() && (!cl.batch || cl.files.empty()))
        return "--summary goes with --batch and the parameter files to run";
    if (cl.study.empty() && (!cl.vary.empty() || !cl.out.empty() || cl.summaryOnly))
        return "--vary, --out and --summary-only go with --study";
    if (!cl.study.empty()) {
        if (cl.vary.empty())
            return "--study needs at least one --vary NAME=FROM:TO:STEP";
        if (cl.out.empty())
            return "--study needs --out DIR, the folder for the variants and the summary";
        if (!cl.files.empty())
            return "--study takes one parameter file, not \"" + cl.files.front() + "\"";
    }
    if (cl.report && (cl.plot || cl.convert))
        return "--report goes with parameter files, --batch or --study";
    if (cl.report && !cl.summary.empty())
        return "--report and --summary are used one at a time";
    if (cl.report && cl.study.empty() && cl.files.empty())
        return "--report needs the parameter files to run";
    if (cl.report && !cl.plotOut.empty()) {
        if (cl.files.size() > 1)
            return "-o names the report of one parameter file; without it each report goes "
                   "beside its file";
        if (!endsWithNoCase(cl.plotOut, ".pdf"))
            return "-o needs a file ending in .pdf, not \"" + cl.plotOut + "\"";
    }
    if (!cl.plot && !cl.report && (!cl.plotOut.empty() || cl.curve != "tau-gamma"))
        return "-o and --curve go with --plot";
    if (cl.report && cl.curve != "tau-gamma")
        return "--curve goes with --plot";
    if (cl.plot) {
        if (cl.files.empty())
            return "--plot needs at least one result file";
        if (cl.plotOut.empty())
            return "--plot needs -o OUT.svg or -o OUT.png";
        if (!endsWithNoCase(cl.plotOut, ".svg") && !endsWithNoCase(cl.plotOut, ".png"))
            return "-o needs a file ending in .svg or .png, not \"" + cl.plotOut + "\"";
        if (cl.curve != "tau-gamma" && cl.curve != "eps1-eps2")
            return "--curve is tau-gamma or eps1-eps2, not \"" + cl.curve + "\"";
    }
    if (cl.jobs > 0 && !cl.batch && !cl.report && cl.study.empty())
        return "-j goes with --batch, --report or --study";
    if (cl.windows() && cl.files.size() > 1)
        return "the parameter window opens one parameter file; run several with --batch";
    return "";
}

} // namespace

Expected<CommandLine> parseCommandLine(const std::vector<std::string>& args) {
    CommandLine cl;
    // The value after an option, or the usage error.
    auto value = [&](std::size_t& i, const char* what) -> Expected<std::string> {
        if (i + 1 >= args.size())
            return Failure{"option " + args[i] + " needs " + what};
        return args[++i];
    };
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--help" || a == "-h") {
            cl.help = true;
        } else if (a == "--batch") {
            cl.batch = true;
        } else if (a == "--screenshot") {
            auto v = value(i, "a file to write");
            if (!v)
                return v.failure();
            cl.screenshot = *v;
        } else if (a == "--convert") {
            if (i + 2 >= args.size())
                return Failure{"option --convert needs a file to read and a file to write"};
            cl.convert = true;
            cl.convertFrom = args[++i];
            cl.convertTo = args[++i];
        } else if (a == "--summary") {
            auto v = value(i, "a CSV file to write");
            if (!v)
                return v.failure();
            cl.summary = *v;
        } else if (a == "--study") {
            auto v = value(i, "a parameter file");
            if (!v)
                return v.failure();
            cl.study = *v;
        } else if (a == "--vary") {
            auto v = value(i, "NAME=FROM:TO:STEP");
            if (!v)
                return v.failure();
            cl.vary.push_back(*v);
        } else if (a == "--out") {
            auto v = value(i, "a folder");
            if (!v)
                return v.failure();
            cl.out = *v;
        } else if (a == "--summary-only") {
            cl.summaryOnly = true;
        } else if (a == "--timing") {
            cl.timing = true;
        } else if (std::string* field = signOffField(cl.signOff, a)) {
            auto v = value(i, "a text for the report's header");
            if (!v)
                return v.failure();
            *field = *v;
        } else if (a == "--plot") {
            cl.plot = true;
        } else if (a == "--report") {
            cl.report = true;
        } else if (a == "-o") {
            auto v = value(i, "a file to write");
            if (!v)
                return v.failure();
            cl.plotOut = *v;
        } else if (a == "--curve") {
            auto v = value(i, "tau-gamma or eps1-eps2");
            if (!v)
                return v.failure();
            cl.curve = *v;
        } else if (a == "-j" || a.rfind("--jobs", 0) == 0) {
            std::string text;
            if (a.rfind("--jobs=", 0) == 0) {
                text = a.substr(7);
            } else if (auto v = value(i, "a number")) {
                text = *v;
            } else {
                return v.failure();
            }
            int n = 0;
            auto res = std::from_chars(text.data(), text.data() + text.size(), n);
            if (res.ec != std::errc{} || res.ptr != text.data() + text.size() || n < 1)
                return Failure{"option -j needs a whole number of at least 1, not \"" + text +
                               "\""};
            cl.jobs = n;
        } else if (!a.empty() && a[0] == '-' && a != "-") {
            return Failure{"unknown option " + a};
        } else {
            cl.files.push_back(a);
        }
    }
    if (std::string problem = conflict(cl); !problem.empty())
        return Failure{problem};
    if (cl.windows() && !cl.files.empty()) {
        cl.open = cl.files.front();
        cl.files.clear();
    }
    return cl;
}

namespace {

// The fields a study varies, each with its unit and what it is, from the field registry.
std::string fieldsText() {
    constexpr std::size_t kWidth = 80, kIndent = 24;
    std::string text = "\nFields a study may vary (--vary NAME):\n";
    for (bool rowFields : {false, true}) {
        text += rowFields ? "of each row:\n" : "of the panel:\n";
        for (const FieldDeclaration& entry : fieldRegistry()) {
            if (!entry.varies || entry.perRow() != rowFields)
                continue;
            std::string line = "  " + std::string(entry.name);
            line.resize(16, ' ');
            line += entry.unit;
            // A unit takes one column on the screen however many bytes it has.
            std::size_t shown = 16;
            for (unsigned char c : std::string(entry.unit))
                shown += (c & 0xC0) != 0x80 ? 1 : 0;
            line += std::string(kIndent - shown, ' ');
            std::string word;
            std::size_t column = kIndent;
            for (const char* p = entry.meaning;; ++p) {
                if (*p != ' ' && *p != '\0') {
                    word += *p;
                    continue;
                }
                if (column + 1 + word.size() > kWidth && column > kIndent) {
                    line += "\n" + std::string(kIndent, ' ');
                    column = kIndent;
                }
                line += (column > kIndent ? " " : "") + word;
                column += (column > kIndent ? 1 : 0) + word.size();
                word.clear();
                if (*p == '\0')
                    break;
            }
            text += line + "\n";
        }
    }
    return text;
}

} // namespace

std::string usageText() {
    return std::string(
               "Usage: zmbr [FILE.mbr]             open the parameter window (with FILE opened)\n"
               "       zmbr --batch [-j N] [--summary OUT.csv] [FILE.mbr ...]\n"
               "       zmbr --study FILE.mbr --vary NAME=FROM:TO:STEP [--vary ...] --out DIR\n"
               "            [-j N] [--summary-only]\n"
               "       zmbr --plot A.TGC [B.TGC ...] -o OUT.svg|OUT.png [--curve "
               "tau-gamma|eps1-eps2]\n"
               "       zmbr --report [-j N] FILE.mbr [...] [-o OUT.pdf]\n"
               "       zmbr --convert IN.mbr OUT.mbr\n"
               "\n"
               "  --batch          run without windows: the default panel, or each parameter\n"
               "                   file given; a file's result goes beside it as .TGC\n"
               "  -j N, --jobs=N   run up to N files at once (default: the number of cores)\n"
               "  --summary CSV    also write a table of the runs, one row per file\n"
               "  --study FILE     run FILE once for every combination of the varied values;\n"
               "                   DIR gets STEM-k.mbr and STEM-k.TGC for each, summary.csv,\n"
               "                   chart.svg and chart.png (τxy max against the first name;\n"
               "                   a map over the first two for many values or names);\n"
               "                   chart.png needs the windows, which some builds lack\n"
               "  --vary NAME=FROM:TO:STEP\n"
               "                   NAME: a panel's field below, or a row's field below for\n"
               "                   every used row, or with .N for row N (Ar.2)\n"
               "  --summary-only   keep only summary.csv and the chart, not the variants' files\n"
               "  --timing         add each run's seconds to summary.csv (without it the table\n"
               "                   is the same bytes on every run)\n"
               "  --report         run each file as --batch does and write its calculation\n"
               "                   report beside it as .pdf (or -o OUT.pdf for one file); with\n"
               "                   --batch the same, with --study one report DIR/report.pdf\n"
               "  --project TEXT, --job TEXT, --element TEXT, --by TEXT, --checked TEXT,\n"
               "  --revision TEXT  the report's header on every sheet (empty: a line to sign on)\n"
               "  --plot FILES     draw the curves of result files in one figure\n"
               "  -o OUT           the figure's file: SVG or PNG by its ending\n"
               "  --curve KIND     tau-gamma (τxy against γxy, the default) or eps1-eps2\n"
               "  --convert IN OUT read a parameter file of any layout, write it as version 3\n"
               "  --screenshot PNG save a picture of the parameter window and end\n"
               "  -h, --help       show this text\n"
               "\n"
               "Exit status: 0 every run ended by failure (concrete NG or rupture),\n"
               "1 a run reached the step limit or was stopped, 2 usage or file errors;\n"
               "with several files, the worst of them.\n"
               "SOURCE_DATE_EPOCH, when set, dates the result files and reports of --batch,\n"
               "--report and --study.\n") +
           fieldsText();
}

} // namespace zmbr
