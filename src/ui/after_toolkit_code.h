#pragma once
// Some of the toolkit's drawing and event code leaves the upper halves of the AVX registers
// in use. Until they are cleared, every SSE instruction of the solver waits on them, which
// makes a run after a repaint up to twice as slow on AVX-512 machines. Call this between
// the toolkit's code and the solver's.

namespace zmbr::ui {

void afterToolkitCode();

} // namespace zmbr::ui
