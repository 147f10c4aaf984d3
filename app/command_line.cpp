#include "command_line.h"

#include <charconv>

namespace zmbr {

std::optional<CommandLine> parseCommandLine(const std::vector<std::string>& args,
                                            std::string& error) {
    CommandLine cl;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--help" || a == "-h") {
            cl.help = true;
        } else if (a == "--batch") {
            cl.batch = true;
        } else if (a == "--screenshot") {
            if (i + 1 >= args.size()) {
                error = "option --screenshot needs a file to write";
                return std::nullopt;
            }
            cl.screenshot = args[++i];
        } else if (a == "--summary") {
            if (i + 1 >= args.size()) {
                error = "option --summary needs a CSV file to write";
                return std::nullopt;
            }
            cl.summary = args[++i];
        } else if (a == "--convert") {
            if (i + 2 >= args.size()) {
                error = "option --convert needs a file to read and a file to write";
                return std::nullopt;
            }
            cl.convert = true;
            cl.convertFrom = args[++i];
            cl.convertTo = args[++i];
        } else if (a == "-j" || a.rfind("--jobs", 0) == 0) {
            std::string value;
            if (a.rfind("--jobs=", 0) == 0) {
                value = a.substr(7);
            } else if (i + 1 < args.size()) {
                value = args[++i];
            } else {
                error = "option " + a + " needs a number";
                return std::nullopt;
            }
            int n = 0;
            auto res = std::from_chars(value.data(), value.data() + value.size(), n);
            if (res.ec != std::errc{} || res.ptr != value.data() + value.size() || n < 1) {
                error = "option -j needs a whole number of at least 1, not \"" + value + "\"";
                return std::nullopt;
            }
            cl.jobs = n;
        } else if (!a.empty() && a[0] == '-' && a != "-") {
            error = "unknown option " + a;
            return std::nullopt;
        } else {
            cl.files.push_back(a);
        }
    }
    if (cl.convert && (cl.batch || !cl.files.empty())) {
        error = "--convert takes its two files and nothing else";
        return std::nullopt;
    }
    if (!cl.summary.empty() && (!cl.batch || cl.files.empty())) {
        error = "--summary goes with --batch and the parameter files to run";
        return std::nullopt;
    }
    if (cl.windows() && cl.files.size() > 1) {
        error = "the parameter window opens one parameter file; run several with --batch";
        return std::nullopt;
    }
    if (cl.windows() && !cl.files.empty()) {
        cl.open = cl.files.front();
        cl.files.clear();
    }
    return cl;
}

std::string usageText() {
    return "Usage: zmbr [FILE.mbr]          open the parameter window, with FILE opened\n"
           "       zmbr --batch [-j N] [--summary OUT.csv] [FILE.mbr ...]\n"
           "       zmbr --convert IN.mbr OUT.mbr\n"
           "\n"
           "  --batch          run without windows: the default panel, or each parameter\n"
           "                   file given; a file's result goes beside it as .TGC\n"
           "  -j N, --jobs=N   run up to N files at once (default: the number of cores)\n"
           "  --summary CSV    also write a table of the runs, one row per file\n"
           "  --convert IN OUT read a parameter file of any layout, write it as version 3\n"
           "  --screenshot PNG save a picture of the parameter window and end\n"
           "  -h, --help       show this text\n"
           "\n"
           "Exit status: 0 every run ended by failure (concrete NG or rupture),\n"
           "1 a run reached the step limit or was stopped, 2 usage or file errors;\n"
           "with several files, the worst of them.\n";
}

} // namespace zmbr
