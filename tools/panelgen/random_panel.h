#pragma once
// Random panels as an engineer would make them: values typed into the parameter window's
// fields and left (so each passed the field's own rules), saved in one of the three file
// layouts the program reads, and now and then edited afterwards in a text editor with texts
// the window would have corrected.

#include <cstdint>
#include <random>
#include <string>

namespace zmbr::panelgen {

// Where the generator's choices come from: a seeded generator for the differential check, a
// fuzzer's bytes for the fuzz target.
class Choices {
  public:
    virtual ~Choices() = default;
    virtual std::uint64_t operator()() = 0; // 64 bits
};

class SeededChoices final : public Choices {
  public:
    explicit SeededChoices(std::uint64_t seed) : rng_(seed) {}
    std::uint64_t operator()() override { return rng_(); }

  private:
    std::mt19937_64 rng_;
};

struct RandomPanel {
    std::string bytes;   // the parameter file
    std::string layout;  // "version 3", "version 2" or "headerless"
    bool edited = false; // texts were put into the file past the window
};

RandomPanel randomPanel(Choices& choices);

} // namespace zmbr::panelgen
