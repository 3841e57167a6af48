#include "Quaylight/agent-hooks/config/ExactSettingsJson.h"

#include <algorithm>
#include <cstdint>
#include <set>
#include <vector>

#include <fmt/format.h>

namespace quaylight {
namespace {

using Json = nlohmann::ordered_json;
using DomParser = nlohmann::detail::json_sax_dom_parser<Json>;

// A number as sign, significant digits and the power of ten of the last digit: equal
// values have equal forms. No value for what is not a JSON number (such as "null").
struct DecimalValue {
    bool negative = false;
    std::string digits;  // no leading or trailing zeros; empty for zero
    std::int64_t exponent = 0;
    friend bool operator==(const DecimalValue&, const DecimalValue&) = default;
};

std::optional<DecimalValue> decimalValue(std::string_view text) {
    DecimalValue value;
    std::size_t i = 0;
    if (i < text.size() && text[i] == '-') {
        value.negative = true;
        ++i;
    }
    std::int64_t fractionDigits = 0;
    bool anyDigit = false;
    bool inFraction = false;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '.' && !inFraction) {
            inFraction = true;
        } else if (c >= '0' && c <= '9') {
            anyDigit = true;
            if (!value.digits.empty() || c != '0') value.digits += c;
            if (inFraction) ++fractionDigits;
        } else {
            break;
        }
    }
    if (!anyDigit) return std::nullopt;
    std::int64_t exponent = 0;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        bool negativeExponent = false;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) negativeExponent = text[i++] == '-';
        if (i == text.size()) return std::nullopt;
        // Far beyond any double: a larger exponent only needs to stay far beyond.
        constexpr std::int64_t saturated = 1'000'000'000'000;
        for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
            exponent = std::min(saturated, exponent * 10 + (text[i] - '0'));
        if (negativeExponent) exponent = -exponent;
    }
    if (i != text.size()) return std::nullopt;
    // Only the significant digits count; the leading zeros are gone already.
    value.exponent = exponent - fractionDigits;
    while (!value.digits.empty() && value.digits.back() == '0') {
        value.digits.pop_back();
        ++value.exponent;
    }
    if (value.digits.empty()) return DecimalValue{};  // zero, whatever its sign
    return value;
}

// At most `limit` bytes of `text`, cut before a whole UTF-8 character, with "…" when cut.
std::string clipped(std::string_view text, std::size_t limit) {
    if (text.size() <= limit) return std::string(text);
    std::size_t end = limit;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xc0) == 0x80) --end;
    return std::string(text.substr(0, end)) + "\u2026";
}

// Builds the document like the library's own parser, watching for what a rewrite would
// change and where it stands.
class ExactnessWatchingParser {
public:
    using number_integer_t = Json::number_integer_t;
    using number_unsigned_t = Json::number_unsigned_t;
    using number_float_t = Json::number_float_t;
    using string_t = Json::string_t;
    using binary_t = Json::binary_t;

    explicit ExactnessWatchingParser(Json& root) : dom_(root, /*allow_exceptions=*/false) {}
    std::optional<std::string> unkept;

    bool null() { return value() && dom_.null(); }
    bool boolean(bool v) { return value() && dom_.boolean(v); }
    bool number_integer(number_integer_t v) { return value() && dom_.number_integer(v); }
    bool number_unsigned(number_unsigned_t v) { return value() && dom_.number_unsigned(v); }
    bool number_float(number_float_t v, const string_t& lexeme) {
        if (!value()) return false;
        const std::string written = Json(v).dump();
        if (!unkept && !ExactSettingsJson::sameNumber(lexeme, written))
            unkept = fmt::format(
                "the number {} at \"{}\" cannot be written back with the same value, so the file was left as it is "
                "\u2014 change that number, then retry.",
                clipped(lexeme, 40), place());
        return dom_.number_float(v, lexeme);
    }
    bool string(string_t& v) { return value() && dom_.string(v); }
    bool binary(binary_t& v) { return value() && dom_.binary(v); }
    bool start_object(std::size_t size) {
        if (!value() || frames_.size() >= ExactSettingsJson::maxNestingDepth) return false;
        frames_.push_back(Frame{true, {}, {}, 0});
        return dom_.start_object(size);
    }
    bool key(string_t& name) {
        auto& frame = frames_.back();
        frame.key = name;
        if (!frame.keys.insert(name).second && !unkept)
            unkept = fmt::format(
                "the key \"{}\" appears twice in one object and only one could be kept, so the file was left as it "
                "is \u2014 remove one of them, then retry.",
                place());
        return dom_.key(name);
    }
    bool end_object() {
        frames_.pop_back();
        return dom_.end_object();
    }
    bool start_array(std::size_t size) {
        if (!value() || frames_.size() >= ExactSettingsJson::maxNestingDepth) return false;
        frames_.push_back(Frame{false, {}, {}, 0});
        return dom_.start_array(size);
    }
    bool end_array() {
        frames_.pop_back();
        return dom_.end_array();
    }
    bool parse_error(std::size_t position, const std::string& token, const nlohmann::detail::exception& error) {
        return dom_.parse_error(position, token, error);
    }
    bool is_errored() const { return dom_.is_errored(); }

private:
    struct Frame {
        bool isObject = true;
        std::set<std::string> keys;
        std::string key;          // of an object: the member being read
        std::size_t elements = 0;  // of an array: the elements begun so far
    };

    // Every value begins here: an array counts its elements.
    bool value() {
        if (!frames_.empty() && !frames_.back().isObject) ++frames_.back().elements;
        return true;
    }
    // Where the value being read stands, as the user would look for it: hooks.Stop[0].
    std::string place() const {
        std::string path;
        for (const auto& frame : frames_) {
            if (frame.isObject)
                path += (path.empty() ? "" : ".") + clipped(frame.key, 60);
            else
                path += fmt::format("[{}]", frame.elements - 1);
        }
        return path;
    }

    DomParser dom_;
    std::vector<Frame> frames_;
};

}  // namespace

std::optional<ExactSettingsJson> ExactSettingsJson::parse(std::string_view bytes) {
    ExactSettingsJson parsed;
    ExactnessWatchingParser parser(parsed.root);
    if (!Json::sax_parse(bytes.begin(), bytes.end(), &parser) || parser.is_errored()) return std::nullopt;
    parsed.unkeptValue = std::move(parser.unkept);
    return parsed;
}

bool ExactSettingsJson::nestsTooDeeply(std::string_view bytes) {
    std::size_t depth = 0;
    bool inString = false;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        char c = bytes[i];
        if (inString) {
            if (c == '\\')
                ++i;
            else if (c == '"')
                inString = false;
        } else if (c == '"') {
            inString = true;
        } else if (c == '{' || c == '[') {
            if (++depth > maxNestingDepth) return true;
        } else if ((c == '}' || c == ']') && depth > 0) {
            --depth;
        }
    }
    return false;
}

std::string ExactSettingsJson::serialize(const Json& root) { return root.dump(2) + "\n"; }

bool ExactSettingsJson::sameNumber(std::string_view lexeme, std::string_view written) {
    auto original = decimalValue(lexeme);
    return original && original == decimalValue(written);
}

}  // namespace quaylight
