#pragma once
// Text helpers for data read from the kernel: bytes that may not be UTF-8, paths, and the
// ASCII-only case and blank rules that matching on names and arguments uses.

#include <optional>
#include <string>
#include <string_view>

namespace quaylight {

// Decodes bytes as UTF-8, replacing every invalid sequence with U+FFFD.
std::string decodeUtf8Lossy(std::string_view bytes);

// Whether a code point of text from another program is shown as "?": the controls (C0,
// DEL, C1), which could move the cursor or forge a line, and the bidirectional marks,
// embeddings, overrides and isolates, which could reorder what is shown around them.
bool isNeutralisedForDisplay(char32_t c);

// `bytes` decoded as UTF-8 (invalid sequences as U+FFFD) with every neutralised code
// point replaced by "?": the one rule for showing another program's text, in the panel
// and in the terminal.
std::string neutralisedDisplayText(std::string_view bytes);

// The last non-empty piece of a path split at "/", or no value (empty path, "/" alone).
std::optional<std::string> pathBasename(std::string_view path);

// The basename of `path` when it has one, else `name`.
std::optional<std::string> basenameOrName(const std::optional<std::string>& path,
                                          const std::optional<std::string>& name);

// ASCII letters lowered; every other byte, UTF-8 included, passes unchanged, whatever the
// process's locale.
std::string asciiLowercased(std::string_view text);

// `text` without the ASCII blanks and line breaks (space, \t, \n, \v, \f, \r) at either end.
std::string_view trimmedASCIIWhitespace(std::string_view text);

}  // namespace quaylight
