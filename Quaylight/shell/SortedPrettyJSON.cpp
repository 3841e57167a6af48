#include "Quaylight/shell/SortedPrettyJSON.h"

#include <algorithm>
#include <vector>

#include <fmt/format.h>
#include <utf8.h>

#include "ProcessCoreKit/support/Text.h"
#include "QuaylightKit/list/TextOrdering.h"

namespace quaylight {
namespace {

// Every value stays exact. Control characters are escaped, and so are the bidi controls
// (as the table shows them as "?"), so that the report printed to a terminal cannot be
// reordered by a process name.
void writeString(std::string& out, std::string_view raw) {
    const std::string text = decodeUtf8Lossy(raw);
    out += '"';
    for (auto it = text.begin(); it != text.end();) {
        const auto c = static_cast<unsigned char>(*it);
        if (c >= 0x80) {
            auto start = it;
            const char32_t code = utf8::next(it, text.end());
            if (isNeutralisedForDisplay(code))
                out += fmt::format("\\u{:04x}", static_cast<std::uint32_t>(code));
            else
                out.append(start, it);
            continue;
        }
        ++it;
        switch (c) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '/': out += "\\/"; break;
            case '\b': out += "\\b"; break;
            case '\f': out += "\\f"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            default:
                if (c < 0x20)
                    out += fmt::format("\\u{:04x}", c);
                else
                    out += static_cast<char>(c);
        }
    }
    out += '"';
}

void indent(std::string& out, int depth) { out.append(static_cast<std::size_t>(depth) * 2, ' '); }

void write(std::string& out, const nlohmann::ordered_json& value, int depth) {
    using Type = nlohmann::ordered_json::value_t;
    switch (value.type()) {
        case Type::object: {
            std::vector<const std::string*> keys;
            keys.reserve(value.size());
            for (const auto& [key, member] : value.items()) keys.push_back(&key);
            std::sort(keys.begin(), keys.end(), [](const auto* a, const auto* b) { return sortedKeyLess(*a, *b); });
            out += "{\n";
            for (std::size_t i = 0; i < keys.size(); ++i) {
                if (i > 0) out += ",\n";
                indent(out, depth + 1);
                writeString(out, *keys[i]);
                out += " : ";
                write(out, value.at(*keys[i]), depth + 1);
            }
            out += "\n";
            indent(out, depth);
            out += '}';
            break;
        }
        case Type::array: {
            out += "[\n";
            for (std::size_t i = 0; i < value.size(); ++i) {
                if (i > 0) out += ",\n";
                indent(out, depth + 1);
                write(out, value[i], depth + 1);
            }
            out += "\n";
            indent(out, depth);
            out += ']';
            break;
        }
        case Type::string: writeString(out, value.get_ref<const std::string&>()); break;
        case Type::boolean: out += value.get<bool>() ? "true" : "false"; break;
        case Type::number_unsigned: out += fmt::format("{}", value.get<std::uint64_t>()); break;
        case Type::number_integer: out += fmt::format("{}", value.get<std::int64_t>()); break;
        case Type::number_float: out += value.dump(); break;
        case Type::null:
        case Type::binary:
        case Type::discarded: out += "null"; break;
    }
}

}  // namespace

bool sortedKeyLess(std::string_view a, std::string_view b) {
    if (int c = compareCaseInsensitive(a, b)) return c < 0;
    return a < b;
}

void appendSortedPrettyJSON(std::string& out, const nlohmann::ordered_json& value, int depth) {
    write(out, value, depth);
}

std::string sortedPrettyJSON(const nlohmann::ordered_json& value) {
    std::string out;
    write(out, value, 0);
    return out;
}

}  // namespace quaylight
