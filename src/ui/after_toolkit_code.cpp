#include "ui/after_toolkit_code.h"

namespace zmbr::ui {

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
namespace {
__attribute__((target("avx"))) void clearUpperVectorHalves() {
    __builtin_ia32_vzeroupper();
}
} // namespace

void afterToolkitCode() {
    static const bool hasAvx = __builtin_cpu_supports("avx");
    if (hasAvx)
        clearUpperVectorHalves();
}
#else
void afterToolkitCode() {}
#endif

} // namespace zmbr::ui
