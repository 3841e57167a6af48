#pragma once
// Cells of the scan table. Process names and paths come from other processes: a control
// character in them could move the cursor, clear the screen or forge a row, and a bidi
// control could reorder the line, so every cell shows each of them as "?" (the panel's
// rule, neutralisedDisplayText) and bad UTF-8 as U+FFFD.

#include <cstddef>
#include <string>
#include <string_view>

namespace quaylight {

std::string sanitizedCell(std::string_view text);

// The number of user-perceived characters: combining marks, variation selectors, emoji
// modifiers, joined emoji sequences and flag pairs count with the character they attach to.
std::size_t perceivedLength(std::string_view utf8);

// The columns a terminal draws the text in: each user-perceived character takes one, or
// two when it is East Asian wide or fullwidth, an emoji, or a flag.
std::size_t displayWidth(std::string_view utf8);

// Exactly `width` columns: shorter text padded with spaces; longer text cut, never inside
// a character, to at most width - 1 columns and padded with spaces. A cell always ends in
// at least one space.
std::string fittedCell(std::string_view text, std::size_t width);

}  // namespace quaylight
