// Writes random parameter files for the differential check and for a look by hand.
// Usage: zmbr_random_panels --seed S --count N --out FOLDER
// The files are FOLDER/p0000.mbr, p0001.mbr, ...; panel k depends only on S and k.

#include "random_panel.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

int main(int argc, char** argv) {
    unsigned long long seed = 1;
    int count = 100;
    std::string out;
    for (int a = 1; a + 1 < argc; a += 2) {
        const std::string k = argv[a];
        if (k == "--seed")
            seed = std::strtoull(argv[a + 1], nullptr, 10);
        else if (k == "--count")
            count = std::atoi(argv[a + 1]);
        else if (k == "--out")
            out = argv[a + 1];
    }
    if (out.empty()) {
        std::cerr << "usage: zmbr_random_panels --seed S --count N --out FOLDER\n";
        return 2;
    }
    std::filesystem::create_directories(out);
    for (int k = 0; k < count; ++k) {
        zmbr::panelgen::SeededChoices choices(seed * 1000003ULL +
                                              static_cast<unsigned long long>(k));
        const auto panel = zmbr::panelgen::randomPanel(choices);
        char name[32];
        std::snprintf(name, sizeof name, "/p%04d.mbr", k);
        std::ofstream file(out + name, std::ios::binary);
        if (!(file << panel.bytes).flush()) {
            std::cerr << "zmbr_random_panels: cannot write " << out << name << "\n";
            return 2;
        }
    }
    return 0;
}
