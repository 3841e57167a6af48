#include "Quaylight/shell/TableCell.h"

#include <utf8.h>

#include <algorithm>
#include <iterator>
#include <utility>

#include "ProcessCoreKit/support/Text.h"

namespace quaylight {
namespace {

// Whether a code point attaches to the character before it rather than starting one.
bool extendsCluster(char32_t c) {
    return (c >= 0x0300 && c <= 0x036f) || (c >= 0x1ab0 && c <= 0x1aff) || (c >= 0x1dc0 && c <= 0x1dff) ||
           (c >= 0x20d0 && c <= 0x20ff) || (c >= 0xfe20 && c <= 0xfe2f) || (c >= 0xfe00 && c <= 0xfe0f) ||
           (c >= 0xe0100 && c <= 0xe01ef) || (c >= 0x1f3fb && c <= 0x1f3ff) || (c >= 0xe0020 && c <= 0xe007f) ||
           c == 0x200d;
}

// Printable ASCII: one byte, one character, nothing to replace. Nearly every cell is.
bool isPlainASCII(std::string_view text) {
    for (unsigned char c : text)
        if (c < 0x20 || c >= 0x7f) return false;
    return true;
}

bool isRegionalIndicator(char32_t c) { return c >= 0x1f1e6 && c <= 0x1f1ff; }

// Code points a terminal draws two columns wide: East Asian wide and fullwidth characters
// and emoji shown as emoji by default (Unicode's East_Asian_Width W and F).
constexpr std::pair<char32_t, char32_t> kWideRanges[] = {
    {0x1100, 0x115f},   {0x231a, 0x231b},   {0x2329, 0x232a},   {0x23e9, 0x23ec},   {0x23f0, 0x23f0},
    {0x23f3, 0x23f3},   {0x25fd, 0x25fe},   {0x2614, 0x2615},   {0x2648, 0x2653},   {0x267f, 0x267f},
    {0x2693, 0x2693},   {0x26a1, 0x26a1},   {0x26aa, 0x26ab},   {0x26bd, 0x26be},   {0x26c4, 0x26c5},
    {0x26ce, 0x26ce},   {0x26d4, 0x26d4},   {0x26ea, 0x26ea},   {0x26f2, 0x26f3},   {0x26f5, 0x26f5},
    {0x26fa, 0x26fa},   {0x26fd, 0x26fd},   {0x2705, 0x2705},   {0x270a, 0x270b},   {0x2728, 0x2728},
    {0x274c, 0x274c},   {0x274e, 0x274e},   {0x2753, 0x2755},   {0x2757, 0x2757},   {0x2795, 0x2797},
    {0x27b0, 0x27b0},   {0x27bf, 0x27bf},   {0x2b1b, 0x2b1c},   {0x2b50, 0x2b50},   {0x2b55, 0x2b55},
    {0x2e80, 0x303e},   {0x3041, 0x33ff},   {0x3400, 0x4dbf},   {0x4e00, 0x9fff},   {0xa000, 0xa4cf},
    {0xa960, 0xa97f},   {0xac00, 0xd7a3},   {0xf900, 0xfaff},   {0xfe10, 0xfe19},   {0xfe30, 0xfe6f},
    {0xff00, 0xff60},   {0xffe0, 0xffe6},   {0x16fe0, 0x16fe4}, {0x17000, 0x18cff}, {0x1aff0, 0x1b2ff},
    {0x1f004, 0x1f004}, {0x1f0cf, 0x1f0cf}, {0x1f18e, 0x1f18e}, {0x1f191, 0x1f19a}, {0x1f200, 0x1f265},
    {0x1f300, 0x1f320}, {0x1f32d, 0x1f335}, {0x1f337, 0x1f37c}, {0x1f37e, 0x1f393}, {0x1f3a0, 0x1f3ca},
    {0x1f3cf, 0x1f3d3}, {0x1f3e0, 0x1f3f0}, {0x1f3f4, 0x1f3f4}, {0x1f3f8, 0x1f43e}, {0x1f440, 0x1f440},
    {0x1f442, 0x1f4fc}, {0x1f4ff, 0x1f53d}, {0x1f54b, 0x1f54e}, {0x1f550, 0x1f567}, {0x1f57a, 0x1f57a},
    {0x1f595, 0x1f596}, {0x1f5a4, 0x1f5a4}, {0x1f5fb, 0x1f64f}, {0x1f680, 0x1f6c5}, {0x1f6cc, 0x1f6cc},
    {0x1f6d0, 0x1f6d2}, {0x1f6d5, 0x1f6d7}, {0x1f6dc, 0x1f6df}, {0x1f6eb, 0x1f6ec}, {0x1f6f4, 0x1f6fc},
    {0x1f7e0, 0x1f7eb}, {0x1f7f0, 0x1f7f0}, {0x1f90c, 0x1f93a}, {0x1f93c, 0x1f945}, {0x1f947, 0x1f9ff},
    {0x1fa70, 0x1faff}, {0x20000, 0x2fffd}, {0x30000, 0x3fffd},
};

bool isWide(char32_t c) {
    if (c < kWideRanges[0].first) return false;
    auto it = std::upper_bound(std::begin(kWideRanges), std::end(kWideRanges), c,
                               [](char32_t value, const auto& range) { return value < range.first; });
    return it != std::begin(kWideRanges) && c <= std::prev(it)->second;
}

// The columns one user-perceived character takes: two for a wide character, a flag, or a
// character asked to be shown as emoji (U+FE0F); one otherwise.
template <class It>
std::size_t clusterWidth(It begin, It end) {
    char32_t first = utf8::next(begin, end);
    if (isWide(first) || isRegionalIndicator(first)) {
        if (!isRegionalIndicator(first) || begin != end) return 2;
        return 1;  // a lone regional indicator is a letter, not a flag
    }
    while (begin != end)
        if (utf8::next(begin, end) == 0xfe0f) return 2;
    return 1;
}

// Calls `visit(begin, end)` for each user-perceived character of valid UTF-8.
template <class Visit>
void forEachCluster(std::string_view text, Visit&& visit) {
    auto it = text.begin();
    const auto end = text.end();
    while (it != end) {
        auto begin = it;
        char32_t first = utf8::next(it, end);
        char32_t previous = first;
        bool pairedFlag = false;
        while (it != end) {
            auto peek = it;
            char32_t next = utf8::next(peek, end);
            bool joins = extendsCluster(next) || previous == 0x200d ||
                         (!pairedFlag && isRegionalIndicator(first) && isRegionalIndicator(next) && previous == first);
            if (!joins) break;
            if (isRegionalIndicator(next)) pairedFlag = true;
            previous = next;
            it = peek;
        }
        if (!visit(begin, it)) return;
    }
}

}  // namespace

std::string sanitizedCell(std::string_view text) {
    if (isPlainASCII(text)) return std::string(text);
    return neutralisedDisplayText(text);
}

std::size_t perceivedLength(std::string_view utf8) {
    if (isPlainASCII(utf8)) return utf8.size();
    const std::string valid = decodeUtf8Lossy(utf8);
    std::size_t count = 0;
    forEachCluster(valid, [&](auto, auto) {
        ++count;
        return true;
    });
    return count;
}

std::size_t displayWidth(std::string_view utf8) {
    if (isPlainASCII(utf8)) return utf8.size();
    const std::string valid = decodeUtf8Lossy(utf8);
    std::size_t columns = 0;
    forEachCluster(valid, [&](auto begin, auto end) {
        columns += clusterWidth(begin, end);
        return true;
    });
    return columns;
}

std::string fittedCell(std::string_view text, std::size_t width) {
    if (isPlainASCII(text)) {
        std::string cell(text.substr(0, text.size() < width ? text.size() : (width > 0 ? width - 1 : 0)));
        cell.resize(width, ' ');
        return cell;
    }
    const std::string valid = sanitizedCell(text);
    std::size_t columns = displayWidth(valid);
    if (columns < width) return valid + std::string(width - columns, ' ');
    // Whole characters while they leave at least one column for the closing space; a wide
    // one that would not fit leaves its columns to spaces.
    std::string cut;
    std::size_t taken = 0;
    forEachCluster(valid, [&](auto begin, auto end) {
        std::size_t next = clusterWidth(begin, end);
        if (taken + next >= width) return false;
        cut.append(begin, end);
        taken += next;
        return true;
    });
    // width 0 has no room even for the space; everything else ends in at least one.
    if (width > taken) cut.append(width - taken, ' ');
    return cut;
}

}  // namespace quaylight
