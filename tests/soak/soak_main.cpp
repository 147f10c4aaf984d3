// Random panels, typed into the parameter sheet as a user would, run headless as the batch
// runs them; every result file is checked line by line.
// Usage: zmbr_soak --seed S --count N [-j J] --base FILE.mbr

#include "batch_run.h"
#include "input/parameter_sheet.h"
#include "paramfile/parameter_file.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <mutex>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

std::vector<std::string> crlfLines(const std::string& bytes, bool& bad) {
    std::vector<std::string> lines;
    std::size_t at = 0;
    while (at < bytes.size()) {
        const std::size_t end = bytes.find("\r\n", at);
        if (end == std::string::npos) {
            bad = true; // an incomplete last line
            lines.push_back(bytes.substr(at));
            break;
        }
        lines.push_back(bytes.substr(at, end - at));
        at = end + 2;
    }
    return lines;
}

constexpr zmbr::Control kPanelFields[] = {
    zmbr::Control::Text4,  zmbr::Control::Text5,  zmbr::Control::Text8,  zmbr::Control::Text9,
    zmbr::Control::Text10, zmbr::Control::Text11, zmbr::Control::Text12, zmbr::Control::Text13,
    zmbr::Control::Text14, zmbr::Control::Text16};
constexpr zmbr::Control kRowFields[] = {zmbr::Control::Text15, zmbr::Control::Text2,
                                        zmbr::Control::Text3,  zmbr::Control::Text6,
                                        zmbr::Control::Text7,  zmbr::Control::Combo1};

// What a user might type over a field that shows `shown`: a nearby value, or an odd one.
std::string typedText(zmbr::FieldRef f, const std::string& shown, std::mt19937_64& rng) {
    std::uniform_real_distribution<double> u(0, 1);
    if (f.control == zmbr::Control::Combo1) {
        const char* modes[] = {"yield", "rupture", "Yield", ""};
        return modes[rng() % 4];
    }
    if (f.control == zmbr::Control::Text4)
        return std::to_string(static_cast<int>(rng() % 12)); // 0 and 11 are outside 1 to 10
    const double v = std::strtod(shown.c_str(), nullptr);
    const double r = u(rng);
    double w = v * (0.5 + 1.5 * u(rng));
    if (r < 0.02)
        return ""; // an emptied field
    if (r < 0.03)
        return "abc";
    if (r < 0.04)
        return "1e39"; // beyond a float
    if (r < 0.07)
        w = 0;
    else if (r < 0.10)
        w = -v;
    else if (r < 0.12)
        w = v * 1e6;
    else if (r < 0.14)
        w = v * 1e-6;
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*g", 2 + static_cast<int>(rng() % 6), w);
    return buf;
}

// A panel as a user could make it from the base panel: some fields typed over and left, so
// every value has passed the fields' own rules, then saved as the program saves.
bool writeTypedPanel(const zmbr::ParameterSheet& base, const std::string& path,
                     std::mt19937_64& rng) {
    zmbr::ParameterSheet sheet = base;
    std::vector<zmbr::FieldRef> fields;
    for (zmbr::Control c : kPanelFields)
        fields.push_back({c, 0});
    for (zmbr::Control c : kRowFields)
        for (int e = 0; e < zmbr::kMaxRows; ++e)
            fields.push_back({c, e});
    std::shuffle(fields.begin(), fields.end(), rng);
    for (const zmbr::FieldRef f : fields) {
        if (rng() % 6 != 0)
            continue;
        sheet.setText(f, typedText(f, sheet.text(f), rng));
        sheet.leaveField(f);
    }
    if (rng() % 8 == 0)
        sheet.setOption(!sheet.option());
    return zmbr::writeParameterFile(sheet, zmbr::realFileSystem(), path) == 0;
}

struct Check {
    int exitCode = 0;
    int steps = 0;
    std::string end; // failure, step-limit/stop, file-error, not-run
    std::string fault;
};

Check checkResult(const std::string& tgc, const zmbr::BatchResult& r) {
    Check c;
    c.exitCode = r.exitCode;
    std::ifstream in(tgc, std::ios::binary);
    if (!in) {
        c.end = r.exitCode == 2 ? "not run / file error" : "missing result";
        if (r.exitCode != 2)
            c.fault = "no result file";
        return c;
    }
    std::string bytes((std::istreambuf_iterator<char>(in)), {});
    bool incomplete = false;
    const auto lines = crlfLines(bytes, incomplete);
    if (incomplete)
        c.fault = "incomplete last line";
    if (lines.size() == 1 && lines[0] == "Test output") {
        c.end = "refused before the run (exit " + std::to_string(r.exitCode) + ")";
        return c;
    }
    if (lines.size() < 3)
        c.fault = "short header";
    std::size_t i = 3, columns = 0;
    for (; i < lines.size(); ++i) {
        std::istringstream s(lines[i]);
        std::string tok;
        std::size_t n = 0;
        bool numbers = true;
        while (s >> tok) {
            ++n;
            char* end = nullptr;
            const double v = std::strtod(tok.c_str(), &end);
            if (*end != '\0' || !std::isfinite(v))
                numbers = false;
        }
        if (!numbers || n == 0)
            break;
        if (columns == 0)
            columns = n;
        else if (n != columns)
            c.fault = "step line " + std::to_string(i + 1) + " has " + std::to_string(n) +
                      " columns, not " + std::to_string(columns);
        ++c.steps;
    }
    const std::size_t rest = lines.size() - i;
    if (r.exitCode == 0) {
        c.end = "failure";
        if (rest != 3 || lines[i].rfind("Concrete : ", 0) != 0 ||
            lines[i + 1] != "Reinforcements : ")
            c.fault = "failure end without its closing lines";
    } else if (r.exitCode == 1) {
        c.end = "step limit or stop";
        if (rest != 0)
            c.fault = "text after the step lines";
    } else {
        c.end = "file error";
    }
    return c;
}

} // namespace

int main(int argc, char** argv) {
    unsigned long long seed = 1;
    int count = 1000, jobs = 2;
    std::string base;
    for (int a = 1; a + 1 < argc; a += 2) {
        const std::string k = argv[a];
        if (k == "--seed")
            seed = std::strtoull(argv[a + 1], nullptr, 10);
        else if (k == "--count")
            count = std::atoi(argv[a + 1]);
        else if (k == "-j")
            jobs = std::max(1, std::atoi(argv[a + 1]));
        else if (k == "--base")
            base = argv[a + 1];
    }
    zmbr::ParameterSheet baseSheet;
    baseSheet.load();
    if (auto failure = zmbr::readParameterFile(baseSheet, zmbr::realFileSystem(), base)) {
        std::cerr << "zmbr_soak: cannot read the base panel " << base << ": " << failure->text()
                  << "\n";
        return 2;
    }
    const auto folder = std::filesystem::temp_directory_path() /
                        ("zmbr_soak_" + std::to_string(seed) + "_" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);

    const auto start = std::chrono::steady_clock::now();
    std::vector<Check> checks(static_cast<std::size_t>(count));
    std::atomic<int> next{0};
    auto work = [&] {
        for (int k; (k = next++) < count;) {
            std::mt19937_64 rng(seed * 1000003ULL + static_cast<unsigned long long>(k));
            const std::string name = (folder / ("p" + std::to_string(k))).string();
            if (!writeTypedPanel(baseSheet, name + ".mbr", rng)) {
                checks[static_cast<std::size_t>(k)].fault = "the panel could not be saved";
                continue;
            }
            const zmbr::BatchResult r = zmbr::runParameterFile(name + ".mbr");
            checks[static_cast<std::size_t>(k)] = checkResult(name + ".TGC", r);
            if (!checks[static_cast<std::size_t>(k)].fault.empty())
                continue; // keep the panel for a look
            std::filesystem::remove(name + ".mbr");
            std::filesystem::remove(name + ".TGC");
        }
    };
    std::vector<std::thread> workers;
    for (int t = 0; t < jobs; ++t)
        workers.emplace_back(work);
    for (auto& w : workers)
        w.join();
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

    std::map<std::string, int> ends;
    long long totalSteps = 0;
    int maxSteps = 0, bad = 0;
    for (int k = 0; k < count; ++k) {
        const Check& c = checks[static_cast<std::size_t>(k)];
        ++ends[c.end];
        totalSteps += c.steps;
        maxSteps = std::max(maxSteps, c.steps);
        if (!c.fault.empty()) {
            ++bad;
            std::cerr << "panel " << k << " (" << folder.string() << "/p" << k
                      << ".mbr): " << c.fault << "\n";
        }
    }
    std::cout << count << " panels, seed " << seed << ", -j " << jobs << "\n";
    for (const auto& [end, n] : ends)
        std::cout << "  " << end << ": " << n << "\n";
    std::cout << "steps: total " << totalSteps << ", max " << maxSteps << "\n";
    std::cout << "seconds: " << seconds << "\n";
    std::cout << "bad result files: " << bad << "\n";
    if (bad == 0)
        std::filesystem::remove_all(folder);
    return bad == 0 ? 0 : 1;
}
