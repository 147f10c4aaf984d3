#pragma once
// What the page's bridges share: the parameter sheet the page edits, the last box a call
// showed, the returned texts, the page's clock, JSON text and the drawings as JSON.

#include "input/parameter_sheet.h"
#include "platform/clock.h"
#include "study/drawing.h"

#include <optional>
#include <string>

namespace zmbr::page {

ParameterSheet& sheet();

// A returned text stays valid until the next call that returns one.
const char* handOut(std::string text);

// The last box a command showed: the page shows it the same way.
struct PageBox {
    std::string title, text;
};
extern PageBox lastBox;

// The page's clock, or the fixed moment zmbr_fix_date set.
const Clock& pageClock();

void appendJson(std::string& out, const std::string& text);
void appendJson(std::string& out, double value);
void appendRgb(std::string& out, const Rgb& colour);
void appendBox(std::string& out, const Box& box);
// {width, height, items}: shapes {points, closed, stroke, width, dashes, fill, clip} and labels
// {text, x, y, face, size, colour, anchor, angle}, in painting order.
void appendDrawing(std::string& out, const Drawing& drawing);

// How wide a text is as the page's canvas sets it.
TextWidth pageTextWidth();

} // namespace zmbr::page
