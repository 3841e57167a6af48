#include "Quaylight/shell/defaults/SettingsIniFormat.h"

#include <array>

namespace quaylight {

namespace {

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

int octalValue(char c) { return c >= '0' && c <= '7' ? c - '0' : -1; }

// One logical line: a line ends at an unquoted line break or an unquoted ';' (the rest is a
// comment); a backslash keeps the next character (a line break too) inside the line.
struct LogicalLine {
    qsizetype start = 0;
    qsizetype length = 0;
    qsizetype equals = -1;      // the first unquoted '=', from the start of the data
    bool openQuote = false;     // the data ended inside quotes
};

bool nextLine(QByteArrayView data, qsizetype& pos, LogicalLine& line) {
    const qsizetype size = data.size();
    line = {};
    qsizetype start = pos;
    while (start < size && isSpace(data[start])) ++start;
    bool inQuotes = false;
    qsizetype i = start;
    while (i < size) {
        const char c = data[i++];
        if (c == '=') {
            if (!inQuotes && line.equals < 0) line.equals = i - 1;
        } else if (c == '\n' || c == '\r') {
            if (!inQuotes) {
                --i;
                break;
            }
        } else if (c == '\\') {
            if (i < size) {
                const char escaped = data[i++];
                if (i < size) {
                    const char next = data[i];
                    if ((escaped == '\n' && next == '\r') || (escaped == '\r' && next == '\n')) ++i;
                }
            }
        } else if (c == '"') {
            inQuotes = !inQuotes;
        } else if (c == ';') {
            if (i == start + 1) {
                while (i < size && data[i] != '\n' && data[i] != '\r') ++i;
                while (i < size && isSpace(data[i])) ++i;
                start = i;
            } else if (!inQuotes) {
                --i;
                break;
            }
        }
    }
    pos = i;
    line.start = start;
    line.length = i - start;
    line.openQuote = inQuotes;
    return line.length > 0;
}

QString unescapedKey(QByteArrayView key) {
    QString result;
    qsizetype i = 0;
    while (i < key.size()) {
        const char c = key[i];
        if (c == '\\') {
            result += QLatin1Char('/');
            ++i;
            continue;
        }
        if (c == '%' && i + 1 < key.size()) {
            const bool wide = key[i + 1] == 'U';
            const qsizetype first = i + (wide ? 2 : 1);
            const qsizetype digits = wide ? 4 : 2;
            if (first + digits <= key.size()) {
                int value = 0;
                bool ok = true;
                for (qsizetype d = 0; d < digits && ok; ++d) {
                    const int h = hexValue(key[first + d]);
                    ok = h >= 0;
                    value = value * 16 + h;
                }
                if (ok) {
                    result += QChar(char16_t(value));
                    i = first + digits;
                    continue;
                }
            }
        }
        result += QLatin1Char(c);
        ++i;
    }
    return result;
}

QString sectionName(QByteArrayView header) {
    qsizetype close = header.indexOf(']');
    if (close < 0) close = header.size();
    const QByteArrayView name = header.first(close).sliced(1).trimmed();
    if (name.compare("general", Qt::CaseInsensitive) == 0) return {};
    if (name.compare("%general", Qt::CaseInsensitive) == 0) return QString::fromLatin1(name.sliced(1));
    return unescapedKey(name);
}

// A lone backslash at the very end of the data escapes nothing; written back with a line
// break after it, it would join the next line.
QByteArray withoutDanglingBackslash(QByteArrayView text) {
    qsizetype backslashes = 0;
    while (backslashes < text.size() && text[text.size() - 1 - backslashes] == '\\') ++backslashes;
    return (backslashes % 2 == 1 ? text.chopped(1) : text).toByteArray();
}

bool startsTyped(const QString& text) {
    static constexpr std::array<const char*, 6> prefixes{"@ByteArray(", "@Variant(", "@DateTime(",
                                                         "@Rect(",      "@Size(",    "@Point("};
    if (!text.endsWith(QLatin1Char(')'))) return false;
    if (text == QLatin1String("@Invalid()")) return true;
    for (const char* prefix : prefixes)
        if (text.startsWith(QLatin1String(prefix))) return true;
    return false;
}

}  // namespace

const QByteArray* SettingsIniDocument::rawValue(const QString& section, const QString& key) const {
    const QByteArray* found = nullptr;
    for (const auto& s : sections) {
        if (s.name != section) continue;
        for (const auto& line : s.lines)
            if (line.key == key) found = &line.raw;
    }
    return found;
}

void SettingsIniDocument::setRawValue(const QString& section, const QString& key, QByteArray raw) {
    Line* last = nullptr;
    for (auto& s : sections) {
        if (s.name != section) continue;
        for (auto& line : s.lines)
            if (line.key == key) last = &line;
    }
    if (last) {
        last->raw = std::move(raw);
        // The copies before it were never in effect.
        for (auto& s : sections) {
            if (s.name != section) continue;
            std::erase_if(s.lines, [&](const Line& line) { return line.key == key && &line != last; });
        }
        return;
    }
    Section* target = nullptr;
    for (auto& s : sections)
        if (s.name == section && (!s.header.isEmpty() || section.isEmpty())) target = &s;
    if (!target) {
        QByteArray header = section.isEmpty() ? QByteArray("General") : SettingsIniFormat::encodedKey(section);
        if (header.compare("general", Qt::CaseInsensitive) == 0) header.prepend('%');
        sections.push_back({section, '[' + header + ']', {}});
        target = &sections.back();
    }
    target->lines.push_back({key, SettingsIniFormat::encodedKey(key), std::move(raw)});
}

bool SettingsIniDocument::remove(const QString& section, const QString& key) {
    bool removed = false;
    for (auto& s : sections) {
        if (s.name != section) continue;
        removed |= std::erase_if(s.lines, [&](const Line& line) { return line.key == key; }) > 0;
    }
    return removed;
}

namespace SettingsIniFormat {

SettingsIniDocument parse(QByteArrayView bytes) {
    if (bytes.startsWith("\xef\xbb\xbf")) bytes = bytes.sliced(3);
    SettingsIniDocument document;
    document.sections.push_back({});
    qsizetype pos = 0;
    LogicalLine logical;
    while (nextLine(bytes, pos, logical)) {
        QByteArray text = withoutDanglingBackslash(bytes.sliced(logical.start, logical.length));
        // Closed, the quote keeps meaning the same and leaves what follows it alone.
        if (logical.openQuote) text += '"';
        if (text.startsWith('[')) {
            document.sections.push_back({sectionName(text), text, {}});
            continue;
        }
        auto& lines = document.sections.back().lines;
        if (logical.equals < 0) {
            lines.push_back({std::nullopt, {}, std::move(text)});
            continue;
        }
        const qsizetype equals = logical.equals - logical.start;
        const QByteArray rawKey = text.first(equals).trimmed();
        lines.push_back({unescapedKey(rawKey), rawKey, text.sliced(equals + 1)});
    }
    return document;
}

QByteArray serialize(const SettingsIniDocument& document) {
    QByteArray out;
    for (const auto& section : document.sections) {
        if (section.header.isEmpty() && section.lines.empty()) continue;
        // A blank line between sections, as QSettings writes them.
        if (!out.isEmpty()) out += '\n';
        if (!section.header.isEmpty()) out += section.header + '\n';
        for (const auto& line : section.lines) {
            if (line.key) out += line.rawKey + '=';
            out += line.raw + '\n';
        }
    }
    return out;
}

std::optional<QString> text(QByteArrayView raw) {
    QString result;
    bool inQuotes = false;
    bool quoted = false;
    qsizetype keep = 0;  // trailing blanks before here are part of the text
    qsizetype i = 0;
    const qsizetype size = raw.size();
    const auto skipBlanks = [&] {
        while (i < size && (raw[i] == ' ' || raw[i] == '\t')) ++i;
    };
    skipBlanks();
    while (i < size) {
        const char c = raw[i];
        if (c == '\\') {
            ++i;
            if (i >= size) break;
            const char e = raw[i++];
            switch (e) {
                case 'a': result += QLatin1Char('\a'); break;
                case 'b': result += QLatin1Char('\b'); break;
                case 'f': result += QLatin1Char('\f'); break;
                case 'n': result += QLatin1Char('\n'); break;
                case 'r': result += QLatin1Char('\r'); break;
                case 't': result += QLatin1Char('\t'); break;
                case 'v': result += QLatin1Char('\v'); break;
                case '"': case '?': case '\'': case '\\': result += QLatin1Char(e); break;
                case 'x': {
                    if (i >= size || hexValue(raw[i]) < 0) break;
                    char16_t value = 0;
                    while (i < size && hexValue(raw[i]) >= 0) value = char16_t(value * 16 + hexValue(raw[i++]));
                    result += QChar(value);
                    break;
                }
                case '\n': case '\r':
                    // A line continued on the next one.
                    if (i < size && (raw[i] == '\n' || raw[i] == '\r') && raw[i] != e) ++i;
                    break;
                default:
                    if (octalValue(e) >= 0) {
                        char16_t value = char16_t(octalValue(e));
                        while (i < size && octalValue(raw[i]) >= 0) value = char16_t(value * 8 + octalValue(raw[i++]));
                        result += QChar(value);
                    }
                    // Any other escaped character is dropped.
                    break;
            }
            keep = result.size();
        } else if (c == '"') {
            ++i;
            quoted = true;
            inQuotes = !inQuotes;
            if (!inQuotes) {
                skipBlanks();
                keep = result.size();
            }
        } else if (c == ',' && !inQuotes) {
            return std::nullopt;  // a list
        } else {
            qsizetype j = i + 1;
            while (j < size && raw[j] != '\\' && raw[j] != '"' && raw[j] != ',') ++j;
            result += QString::fromUtf8(raw.sliced(i, j - i));
            i = j;
        }
    }
    if (!quoted) {
        qsizetype end = result.size();
        while (end > keep && (result[end - 1] == QLatin1Char(' ') || result[end - 1] == QLatin1Char('\t'))) --end;
        result.truncate(end);
    }
    if (result.startsWith(QLatin1Char('@'))) {
        if (result.startsWith(QLatin1String("@String(")) && result.endsWith(QLatin1Char(')')))
            return result.sliced(8).chopped(1);
        if (startsTyped(result)) return std::nullopt;
        if (result.startsWith(QLatin1String("@@"))) result.remove(0, 1);
    }
    return result;
}

QByteArray encodedText(const QString& text) {
    // A text with a NUL in it is marked as a text, as is one starting with '@' (which would
    // read as a typed value).
    const QString value = text.contains(QChar(u'\0'))          ? QLatin1String("@String(") + text + QLatin1Char(')')
                          : text.startsWith(QLatin1Char('@')) ? QLatin1Char('@') + text
                                                              : text;
    QByteArray out;
    bool needsQuotes = false;
    bool escapeHexDigit = false;  // after a numeric escape, which a hex digit would extend
    QString wide;
    const auto flushWide = [&] {
        out += wide.toUtf8();
        wide.clear();
    };
    for (const QChar qc : value) {
        const char16_t c = qc.unicode();
        if (c >= 0x7F) {
            wide += qc;
            escapeHexDigit = false;
            continue;
        }
        flushWide();
        if (c == ';' || c == ',' || c == '=') needsQuotes = true;
        if (escapeHexDigit && hexValue(char(c)) >= 0) {
            out += "\\x" + QByteArray::number(c, 16);
            continue;
        }
        escapeHexDigit = false;
        switch (c) {
            case '\0': out += "\\0"; escapeHexDigit = true; break;
            case '\a': out += "\\a"; break;
            case '\b': out += "\\b"; break;
            case '\f': out += "\\f"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            case '\v': out += "\\v"; break;
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            default:
                if (c <= 0x1F) {
                    out += "\\x" + QByteArray::number(c, 16);
                    escapeHexDigit = true;
                } else {
                    out += char(c);
                }
        }
    }
    flushWide();
    if (needsQuotes || out.startsWith(' ') || out.endsWith(' ')) out = '"' + out + '"';
    return out;
}

QByteArray encodedKey(const QString& key) {
    static constexpr char digits[] = "0123456789ABCDEF";
    QByteArray out;
    for (const QChar qc : key) {
        const char16_t c = qc.unicode();
        if (c == '/') {
            out += '\\';
        } else if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '-' ||
                   c == '.') {
            out += char(c);
        } else if (c <= 0xFF) {
            out += '%';
            out += digits[c / 16];
            out += digits[c % 16];
        } else {
            out += "%U";
            for (int shift = 12; shift >= 0; shift -= 4) out += digits[(c >> shift) & 0xF];
        }
    }
    return out;
}

}  // namespace SettingsIniFormat

}  // namespace quaylight
