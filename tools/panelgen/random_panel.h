#pragma once
// Random panels as an engineer would make them: values typed into the parameter window's
// fields and left (so each passed the field's own rules), saved in one of the three file
// layouts the program reads, and now and then edited afterwards in a text editor with texts
// the window would have corrected.

#include <random>
#include <string>

namespace zmbr::panelgen {

struct RandomPanel {
    std::string bytes;   // the parameter file
    std::string layout;  // "version 3", "version 2" or "headerless"
    bool edited = false; // texts were put into the file past the window
};

RandomPanel randomPanel(std::mt19937_64& rng);

} // namespace zmbr::panelgen
