#pragma once
// The text of a settings (INI) file: finding a value in it and making the new
// text for a change. Works on the file's bytes only; profile.cpp does the files.
//
// A section starts at a line whose first non-blank character is '['; its name
// runs to the first ']'. Its keys are its lines "name=value". Names match
// without regard to ASCII case, blanks around names and values don't count,
// and where a section or key appears twice the first one counts.

#include <optional>
#include <string>
#include <string_view>

namespace profile_text {

// The value of `key` in `section`, without blanks around it or the double
// quotes around it; nothing when the section or the key is not there.
std::optional<std::string_view> FindValue(std::string_view text, std::string_view section,
                                          std::string_view key);

// Whether a section, key and value can be written and read back: not so with
// a line break, a ']' in a section name, a '=' in a key name, or a key name
// that would make its line a comment (';') or a section line ('[').
bool CanStore(std::string_view section, std::string_view key, std::string_view value);

// `text` with `key` in `section` set to `value`. An existing key keeps its
// line and everything before its '='; a new key goes after the last non-blank
// line of its section; a new section goes at the end. Every other byte stays.
std::string SetValue(std::string_view text, std::string_view section, std::string_view key,
                     std::string_view value);

} // namespace profile_text
