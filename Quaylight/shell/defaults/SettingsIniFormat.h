#pragma once
// The settings file's text: the INI format QSettings reads and writes, parsed and written
// here so the store does its own file work (no lock file, no blocking open). The document
// stays close to the bytes it was read from: a value nobody changes, a line that is not a
// setting, a section header, all are written back as they were; only a changed key gets
// new text. Comments (lines starting with ';') are dropped, as QSettings drops them.
//
// A value's text follows QSettings' escapes and quoting, so a file this writes reads the
// same through QSettings and the other way round.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <optional>
#include <vector>

namespace quaylight {

struct SettingsIniDocument {
    struct Line {
        // The key as QSettings reads it; none for a line that is not a setting.
        std::optional<QString> key;
        QByteArray rawKey;   // as in the file
        QByteArray raw;      // the value's text after '=', or the whole line
    };
    struct Section {
        QString name;        // "" for [General] and for the lines before the first header
        QByteArray header;   // as in the file; empty for the lines before the first header
        std::vector<Line> lines;
    };
    std::vector<Section> sections;

    // The value's text of `key` in `section`: the last one where the file has it twice.
    const QByteArray* rawValue(const QString& section, const QString& key) const;
    // Replaces the value in place (dropping other copies of the key) or adds it at the end
    // of its section, a new section where there is none.
    void setRawValue(const QString& section, const QString& key, QByteArray raw);
    // True when the key was there.
    bool remove(const QString& section, const QString& key);
};

namespace SettingsIniFormat {

SettingsIniDocument parse(QByteArrayView bytes);
QByteArray serialize(const SettingsIniDocument& document);

// The text a value holds, when QSettings reads it as a single text; none for a list
// (an unquoted comma) and for typed values ("@ByteArray(…)", "@Variant(…)", …).
std::optional<QString> text(QByteArrayView raw);
// The value's text QSettings writes for `text`.
QByteArray encodedText(const QString& text);
QByteArray encodedKey(const QString& key);

}  // namespace SettingsIniFormat

}  // namespace quaylight
