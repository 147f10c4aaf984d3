#include "random_panel.h"

#include "input/parameter_sheet.h"
#include "paramfile/parameter_file.h"
#include "platform/text_encoding.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

namespace zmbr::panelgen {

namespace {

using Rng = Choices;

double uniform(Rng& rng, double low, double high) {
    return low + (high - low) * (static_cast<double>(rng() >> 11) * 0x1p-53);
}

double logUniform(Rng& rng, double low, double high) {
    return std::exp(uniform(rng, std::log(low), std::log(high)));
}

bool chance(Rng& rng, double p) {
    return uniform(rng, 0, 1) < p;
}

template <typename T, std::size_t N> const T& pick(Rng& rng, const std::array<T, N>& items) {
    return items[rng() % N];
}

// A value as someone might type it: some digits, now and then in an unusual but legal form.
std::string typed(Rng& rng, double value) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*g", 2 + static_cast<int>(rng() % 6), value);
    std::string text = buf;
    switch (rng() % 24) {
    case 0:
        return " " + text + " ";
    case 1:
        return text + "mm"; // a unit typed after the number is ignored
    case 2:
        return value >= 0 ? "+" + text : text;
    case 3: {
        std::snprintf(buf, sizeof buf, "%.3E", value);
        std::string e = buf;
        if (chance(rng, 0.5))
            e[e.find('E')] = 'D'; // an exponent written with D
        return e;
    }
    default:
        return text;
    }
}

void type(ParameterSheet& sheet, FieldRef f, const std::string& text) {
    sheet.setText(f, text);
    sheet.leaveField(f);
}

void type(ParameterSheet& sheet, PanelField c, int element, Rng& rng, double value) {
    type(sheet, {c, element}, typed(rng, value));
}

const std::array<const char*, 10> kComments{
    "Please input the comment",    "Shear wall W1, level 3",  "せん断パネル 試験体 No.5",
    "τ-γ test, ε1 up to 2 %",      "ＧＦＲＰ格子筋 (θ=30°)",  "",
    "  blanks before and after  ", "ｶﾀｶﾅ half-width comment", "Mix of 鉄筋 and CFRP",
    "panel \"B-2\"; fc' = 35 MPa",
};

enum class Bars { Steel, Glass, Carbon, Aramid, Basalt };

struct BarKind {
    double erLow, erHigh, fruLow, fruHigh, rhoLow, rhoHigh;
    bool yields;
};

BarKind barKind(Bars b) {
    switch (b) {
    case Bars::Steel:
        return {190000, 210000, 235, 600, 0.002, 0.03, true};
    case Bars::Glass:
        return {40000, 60000, 600, 1300, 0.0008, 0.02, false};
    case Bars::Carbon:
        return {140000, 250000, 1500, 3500, 0.0005, 0.012, false};
    case Bars::Aramid:
        return {60000, 80000, 1200, 2000, 0.0005, 0.015, false};
    case Bars::Basalt:
        return {50000, 90000, 900, 1600, 0.0008, 0.02, false};
    }
    return {};
}

// Types a whole panel into a loaded sheet, field by field in the window's order.
void typePanel(ParameterSheet& sheet, Rng& rng) {
    const PanelInput& in = sheet.input();
    const int rows = 1 + static_cast<int>(rng() % 10);
    const bool fractional = rows < 10 && chance(rng, 0.1);
    type(sheet, {PanelField::Axes},
         fractional ? std::to_string(rows) + ".5" : std::to_string(rows));

    const int archetype = static_cast<int>(rng() % 4); // 0 steel, 1 fibre, 2-3 mixed
    const bool steelPanel = archetype == 0 || (archetype >= 2 && chance(rng, 0.5));
    const double layers = chance(rng, 0.6) ? 1 : chance(rng, 0.75) ? 2 : chance(rng, 0.5) ? 3 : 1.5;
    type(sheet, {PanelField::Layer},
         layers == 1.5 ? "1.5" : std::to_string(static_cast<int>(layers)));
    type(sheet, PanelField::T, 0, rng, steelPanel ? uniform(rng, 100, 400) : uniform(rng, 20, 200));
    type(sheet, PanelField::Sm, 0, rng, steelPanel ? uniform(rng, 50, 300) : uniform(rng, 10, 150));
    const double fc = uniform(rng, 20, 80);
    type(sheet, PanelField::Fc, 0, rng, -fc);
    type(sheet, PanelField::EpsC, 0, rng, -uniform(rng, 0.0015, 0.0035));
    type(sheet, PanelField::Ec, 0, rng, 4700 * std::sqrt(fc) * uniform(rng, 0.8, 1.2));
    type(sheet, PanelField::TauBy, 0, rng, uniform(rng, 2, 20));
    type(sheet, PanelField::SBy, 0, rng, logUniform(rng, 0.0008, 0.06));
    if (chance(rng, 0.2))
        sheet.setOption(true);

    // The table row by row; a column left alone keeps what the row above filled down.
    const std::array<double, 9> niceAngles{0, 30, 45, 60, 90, 120, 135, 150, 180};
    const bool fillDownOnly = chance(rng, 0.25);
    for (int e = 0; e < in.usedRows(); ++e) {
        const double angle = chance(rng, 0.4) ? pick(rng, niceAngles) : uniform(rng, 0, 180);
        type(sheet, PanelField::ThetaR, e, rng, angle);
        if (fillDownOnly && e > 0)
            continue;
        Bars bars = Bars::Steel;
        if (archetype == 1 || (archetype >= 2 && chance(rng, 0.5)))
            bars = static_cast<Bars>(1 + rng() % 4);
        const BarKind kind = barKind(bars);
        const double ar =
            bars == Bars::Steel
                ? pick(rng, std::array<double, 8>{28.3, 50.3, 78.5, 113, 154, 201, 314, 491})
                : logUniform(rng, 1, 80);
        const double rho = logUniform(rng, kind.rhoLow, kind.rhoHigh);
        type(sheet, PanelField::Ar, e, rng, ar);
        type(sheet, PanelField::S, e, rng, in.rows[e].Ar * in.layer / (in.t * rho));
        type(sheet, PanelField::Fru, e, rng, uniform(rng, kind.fruLow, kind.fruHigh));
        type(sheet, PanelField::Er, e, rng, uniform(rng, kind.erLow, kind.erHigh));
        const bool yields = chance(rng, 0.85) ? kind.yields : !kind.yields;
        std::string mode = yields ? "yield" : "rupture";
        if (chance(rng, 0.03))
            mode = chance(rng, 0.5) ? "Rupture" : ""; // anything but "rupture" yields
        type(sheet, {PanelField::FailureMode, e}, mode);
    }
    const double theta = chance(rng, 0.8)    ? uniform(rng, 30, 60)
                         : chance(rng, 0.75) ? uniform(rng, 5, 85)
                                             : uniform(rng, 0, 180);
    type(sheet, PanelField::InitialTheta, 0, rng, theta);
    type(sheet, {PanelField::Comment}, pick(rng, kComments));
}

// The version-3 lines in the older layouts.
std::vector<std::string> asVersion2(const std::vector<std::string>& v3, int rows) {
    std::vector<std::string> out(v3.begin(), v3.begin() + 11);
    out[0] = "Created by ZMBR2";
    for (int r = 0; r < rows; ++r)
        for (int k = 0; k < 5; ++k)
            out.push_back(v3[static_cast<std::size_t>(11 + 6 * r + k)]);
    out.insert(out.end(), v3.end() - 2, v3.end());
    return out;
}

std::vector<std::string> asHeaderless(const ParameterSheet& sheet, Rng& rng) {
    auto text = [&sheet](PanelField c, int e = 0) { return sheet.text({c, e}); };
    const PanelInput& in = sheet.input();
    char spacing[32], ratio[32];
    std::snprintf(spacing, sizeof spacing, "%.*g", 3 + static_cast<int>(rng() % 5),
                  in.sm / 1.4142135623730951);
    const double r = in.Ec != 0 ? in.rows[0].Er / in.Ec : 1;
    std::snprintf(ratio, sizeof ratio, "%.*g", 3 + static_cast<int>(rng() % 5), r);
    return {text(PanelField::Comment),
            text(PanelField::Ar),
            text(PanelField::S),
            text(PanelField::Axes),
            text(PanelField::Layer),
            text(PanelField::Fru),
            text(PanelField::Er),
            text(PanelField::Fc),
            text(PanelField::EpsC),
            text(PanelField::T),
            spacing,
            ratio,
            text(PanelField::TauBy),
            text(PanelField::SBy),
            in.optionOn ? "Y" : "n"};
}

// What someone editing the file by hand might leave in a value line.
std::string oddText(Rng& rng, const std::string& line) {
    const std::array<const char*, 9> odd{"",     "abc", "-0.0",    "1D2", " 12 ",
                                         "1e39", "0",   "7.5e-3x", "200"};
    if (chance(rng, 0.5))
        return pick(rng, odd);
    if (chance(rng, 0.1)) { // any number a double can hold
        const std::uint64_t bits = rng();
        double any;
        std::memcpy(&any, &bits, sizeof any);
        char text[40];
        std::snprintf(text, sizeof text, "%.17g", std::isfinite(any) ? any : 0.0);
        return text;
    }
    const double v = std::strtod(line.c_str(), nullptr);
    char buf[64];
    std::snprintf(buf, sizeof buf, "%g", chance(rng, 0.5) ? -v : v * 1e3);
    return buf; // a sign or size the window would have corrected
}

std::string joined(const std::vector<std::string>& lines, Rng& rng, bool utf8) {
    const char* end = "\r\n";
    const int form = static_cast<int>(rng() % 40);
    if (form == 0)
        end = "\n";
    else if (form == 1)
        end = "\r";
    std::string out;
    for (const std::string& line : lines)
        out += (utf8 ? line : utf8ToCp932(line)) + end;
    if (form == 2)
        out.resize(out.size() - 2); // no end after the last line
    return out;
}

} // namespace

RandomPanel randomPanel(Choices& rng) {
    ParameterSheet sheet;
    sheet.load();
    typePanel(sheet, rng);
    const int rows = sheet.input().usedRows();
    std::vector<std::string> lines = parameterFileLines(sheet);
    RandomPanel panel;
    const int layout = static_cast<int>(rng() % 20);
    if (layout < 3) {
        panel.layout = "version 2";
        lines = asVersion2(lines, rows);
    } else if (layout < 6) {
        panel.layout = "headerless";
        lines = asHeaderless(sheet, rng);
    } else {
        panel.layout = "version 3";
    }
    if (chance(rng, 0.15)) {
        panel.edited = true;
        const bool headerless = panel.layout == "headerless";
        for (int n = 1 + static_cast<int>(rng() % 2); n > 0; --n) {
            // Not the header line, nor (mostly) the row count that sets the layout's length.
            std::size_t k = (headerless ? 1 : 2) + rng() % (lines.size() - (headerless ? 1 : 2));
            if ((k == (headerless ? 3u : 2u)) && !chance(rng, 0.1))
                continue;
            lines[k] = oddText(rng, lines[k]);
        }
        if (chance(rng, 0.2))
            lines.push_back("lines after the panel are not read");
    }
    panel.bytes = joined(lines, rng, chance(rng, 0.1));
    return panel;
}

} // namespace zmbr::panelgen
