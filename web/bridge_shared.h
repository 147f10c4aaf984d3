#pragma once
// What the page's two bridges share: the parameter sheet the page edits, the last box a call
// showed, the returned texts, the page's clock and JSON text.

#include "input/parameter_sheet.h"
#include "platform/clock.h"

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

} // namespace zmbr::page
