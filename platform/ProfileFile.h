#pragma once
// Private profile files (INI) in place of the Windows profile API: values by
// section and key in a text file, read the way GetPrivateProfileString and
// GetPrivateProfileInt read them, written the way WritePrivateProfileString
// writes them, but always by an atomic replacement of the whole file.
//
// Reading: section and key names match without regard to ASCII case; blanks
// around names and values are ignored; one pair of double quotes around a
// value is removed. Lines whose first non-blank character is ';' or '#' are
// comments. A missing file, section or key gives the default. Where a name
// occurs more than once, the first occurrence wins.
//
// Writing: every other line of the file stays byte for byte as it was
// (comments, foreign sections, line endings, a UTF-8 byte order mark). A key
// that exists gets its value replaced in place; a missing key is added after
// the last non-blank line of its section; a missing section is added at the
// end of the file. New lines take the file's line ending (CRLF if its first
// line ends so, else LF). The new text goes to a temporary file in the same
// folder, is flushed to disk and then renamed over the old file, with the
// old file's permissions; a failure at any step leaves the old file as it
// was and returns false. An unchanged text is not rewritten.
//
// Values are written so that they read back exactly: line breaks and NUL
// characters cannot live in a one-line value and are removed; a value with
// blanks at either end, or one enclosed in double quotes, is written inside
// an extra pair of double quotes. Names that cannot be written as they are
// (empty, containing a line break or NUL, a key containing '=' or starting
// with ';', '#' or '[', a section containing ']') make a write return false
// and a read return the default.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace quelvo {

std::string readProfileString(const std::string& file, std::string_view section,
                              std::string_view key, std::string_view defaultValue);

// The value's leading integer by leadingInteger(); the default when the key
// is missing or its value is empty (as GetPrivateProfileInt does).
int32_t readProfileInt(const std::string& file, std::string_view section, std::string_view key,
                       int32_t defaultValue);

bool writeProfileString(const std::string& file, std::string_view section, std::string_view key,
                        std::string_view value);

struct ProfileEntry {
    std::string key;
    std::string value;
};
// Writes all entries of one section with a single rewrite of the file, in
// the given order for keys that are added. All or nothing.
bool writeProfileStrings(const std::string& file, std::string_view section,
                         std::span<const ProfileEntry> entries);

// C atoi rules: leading white space, an optional sign, decimal digits;
// anything else ends the number, no digits give 0. Values beyond the 32-bit
// range are clamped to INT32_MIN or INT32_MAX (atoi's overflow is undefined).
int32_t leadingInteger(std::string_view text);

// Pure halves of the functions above, on the file's text.
std::optional<std::string> profileValue(std::string_view text, std::string_view section,
                                        std::string_view key);
// nullopt when a name cannot be written (see above).
std::optional<std::string> withProfileValues(std::string_view text, std::string_view section,
                                             std::span<const ProfileEntry> entries);

}  // namespace quelvo
