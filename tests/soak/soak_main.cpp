// Random panels, typed into the parameter sheet as a user would, run headless as the batch
// runs them; every result file is checked line by line.
// Usage: zmbr_soak --seed S --count N [-j J]

#include "batch_run.h"
#include "random_panel.h"

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

// A random panel saved where the run will look for it.
bool writeRandomPanel(const std::string& path, std::mt19937_64& rng) {
    std::ofstream file(path, std::ios::binary);
    return static_cast<bool>((file << zmbr::panelgen::randomPanel(rng).bytes).flush());
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
    for (int a = 1; a + 1 < argc; a += 2) {
        const std::string k = argv[a];
        if (k == "--seed")
            seed = std::strtoull(argv[a + 1], nullptr, 10);
        else if (k == "--count")
            count = std::atoi(argv[a + 1]);
        else if (k == "-j")
            jobs = std::max(1, std::atoi(argv[a + 1]));
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
            if (!writeRandomPanel(name + ".mbr", rng)) {
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
