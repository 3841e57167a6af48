#include "Quaylight/shell/TableCell.h"

#include <utf8.h>

#include "ProcessCoreKit/support/Text.h"

namespace quaylight {
namespace {

bool isControl(char32_t c) { return c < 0x20 || (c >= 0x7f && c <= 0x9f); }

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
    const std::string valid = decodeUtf8Lossy(text);
    std::string out;
    out.reserve(valid.size());
    for (auto it = valid.begin(); it != valid.end();) {
        auto start = it;
        char32_t c = utf8::next(it, valid.end());
        if (isControl(c))
            out += '?';
        else
            out.append(start, it);
    }
    return out;
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

std::string fittedCell(std::string_view text, std::size_t width) {
    if (isPlainASCII(text)) {
        std::string cell(text.substr(0, text.size() < width ? text.size() : (width > 0 ? width - 1 : 0)));
        cell.resize(width, ' ');
        return cell;
    }
    const std::string valid = sanitizedCell(text);
    std::size_t length = perceivedLength(valid);
    if (length < width) return valid + std::string(width - length, ' ');
    std::string cut;
    std::size_t taken = 0;
    forEachCluster(valid, [&](auto begin, auto end) {
        if (taken + 1 >= width) return false;
        cut.append(begin, end);
        ++taken;
        return true;
    });
    // width 0 has no room even for the space; everything else ends in exactly one.
    if (width > 0) cut += ' ';
    return cut;
}

}  // namespace quaylight
