// Loads the windows module from beside the program, or from the private library folder it
// is installed in, the first time a command needs it.

#include "ui/windows_module.h"

#include <dlfcn.h>
#include <filesystem>
#include <iostream>
#include <system_error>

namespace zmbr::windows {

namespace {

constexpr const char* kModuleName = "libzmbr-windows.so";

// Where the module may be: beside the program (a build), or where the package puts it.
std::vector<std::filesystem::path> modulePlaces() {
    std::error_code error;
    const auto program = std::filesystem::read_symlink("/proc/self/exe", error);
    const auto folder = error ? std::filesystem::path(".") : program.parent_path();
    return {folder / kModuleName, folder / ZMBR_MODULE_FROM_PROGRAM / kModuleName};
}

void* module() {
    static void* handle = [] {
        std::string why;
        for (const auto& place : modulePlaces()) {
            if (void* h = dlopen(place.c_str(), RTLD_NOW | RTLD_LOCAL))
                return h;
            if (const char* e = dlerror(); e && why.empty())
                why = e;
        }
        std::cerr << "zmbr: the windows cannot be loaded: " << why << "\n";
        return static_cast<void*>(nullptr);
    }();
    return handle;
}

template <typename F> F* entry(const char* name) {
    void* h = module();
    return h ? reinterpret_cast<F*>(dlsym(h, name)) : nullptr;
}

} // namespace

int run(int& argc, char** argv, const std::string& screenshotPath, const std::string& openPath) {
    auto* f = entry<decltype(zmbr_windows_run)>("zmbr_windows_run");
    return f ? f(&argc, argv, &screenshotPath, &openPath) : 2;
}

// Across the module's C entry points a failure travels as its text, empty for none.
std::optional<Failure> failureOf(std::string text) {
    return text.empty() ? std::nullopt : std::optional<Failure>{{std::move(text)}};
}

std::optional<Failure> writeStudyChart(const StudyResults& results, const std::string& svgPath,
                                       const std::string& pngPath) {
    auto* f = entry<decltype(zmbr_windows_study_chart)>("zmbr_windows_study_chart");
    if (!f)
        return Failure{"the chart cannot be drawn without the windows module"};
    std::string error;
    f(&results, &svgPath, &pngPath, &error);
    return failureOf(error);
}

int plot(const PlotCurves& curves, bool strainCurve, const std::string& outPath,
         std::ostream& err) {
    auto* f = entry<decltype(zmbr_windows_plot)>("zmbr_windows_plot");
    return f ? f(&curves, strainCurve, &outPath, &err) : 2;
}

} // namespace zmbr::windows
