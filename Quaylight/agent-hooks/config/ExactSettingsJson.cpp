#include "Quaylight/agent-hooks/config/ExactSettingsJson.h"

#include <set>
#include <vector>

namespace quaylight {
namespace {

using Json = nlohmann::ordered_json;
using DomParser = nlohmann::detail::json_sax_dom_parser<Json>;

// Builds the document like the library's own parser, watching for what a rewrite would
// change.
class ExactnessWatchingParser {
public:
    using number_integer_t = Json::number_integer_t;
    using number_unsigned_t = Json::number_unsigned_t;
    using number_float_t = Json::number_float_t;
    using string_t = Json::string_t;
    using binary_t = Json::binary_t;

    explicit ExactnessWatchingParser(Json& root) : dom_(root, /*allow_exceptions=*/false) {}
    bool exact = true;

    bool null() { return dom_.null(); }
    bool boolean(bool value) { return dom_.boolean(value); }
    bool number_integer(number_integer_t value) { return dom_.number_integer(value); }
    bool number_unsigned(number_unsigned_t value) { return dom_.number_unsigned(value); }
    bool number_float(number_float_t value, const string_t& lexeme) {
        if (Json(value).dump() != lexeme) exact = false;
        return dom_.number_float(value, lexeme);
    }
    bool string(string_t& value) { return dom_.string(value); }
    bool binary(binary_t& value) { return dom_.binary(value); }
    bool start_object(std::size_t size) {
        if (keys_.size() >= ExactSettingsJson::maxNestingDepth) return false;
        keys_.emplace_back(std::set<std::string>{});
        return dom_.start_object(size);
    }
    bool key(string_t& name) {
        if (!keys_.empty() && !keys_.back().insert(name).second) exact = false;
        return dom_.key(name);
    }
    bool end_object() {
        keys_.pop_back();
        return dom_.end_object();
    }
    bool start_array(std::size_t size) {
        if (keys_.size() >= ExactSettingsJson::maxNestingDepth) return false;
        keys_.emplace_back();
        return dom_.start_array(size);
    }
    bool end_array() {
        keys_.pop_back();
        return dom_.end_array();
    }
    bool parse_error(std::size_t position, const std::string& token, const nlohmann::detail::exception& error) {
        return dom_.parse_error(position, token, error);
    }
    bool is_errored() const { return dom_.is_errored(); }

private:
    DomParser dom_;
    std::vector<std::set<std::string>> keys_;  // an array's entry stays empty
};

}  // namespace

std::optional<ExactSettingsJson> ExactSettingsJson::parse(std::string_view bytes) {
    ExactSettingsJson parsed;
    ExactnessWatchingParser parser(parsed.root);
    if (!Json::sax_parse(bytes.begin(), bytes.end(), &parser) || parser.is_errored()) return std::nullopt;
    parsed.writesBackExactly = parser.exact;
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

}  // namespace quaylight
