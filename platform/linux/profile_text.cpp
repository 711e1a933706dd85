#include "profile_text.h"

#include <algorithm>
#include <cstddef>

#include "ascii_case.h"

namespace profile_text {
namespace {

struct Line {
    std::size_t begin; // its first byte
    std::size_t end;   // the end of its text, before the line break
    std::size_t next;  // the first byte of the following line
};

struct Section {
    Line header;
    std::size_t end; // where the next section line starts, or the end of the text
};

struct Key {
    Line line;
    std::size_t equals; // where its '=' is
};

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

std::string_view TrimStart(std::string_view s)
{
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    return s;
}

std::string_view Trim(std::string_view s)
{
    s = TrimStart(s);
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

bool SameName(std::string_view a, std::string_view b)
{
    return std::ranges::equal(Trim(a), Trim(b), [](char x, char y) { return LowerAscii(x) == LowerAscii(y); });
}

Line LineAt(std::string_view text, std::size_t begin)
{
    std::size_t lineFeed = text.find('\n', begin);
    std::size_t end = lineFeed == std::string_view::npos ? text.size() : lineFeed;
    std::size_t next = lineFeed == std::string_view::npos ? text.size() : lineFeed + 1;
    if (end > begin && text[end - 1] == '\r')
        --end;
    return {begin, end, next};
}

std::string_view Content(std::string_view text, const Line& line)
{
    return text.substr(line.begin, line.end - line.begin);
}

bool EndsWithLineBreak(std::string_view text, const Line& line)
{
    return line.next > line.begin && text[line.next - 1] == '\n';
}

// A byte-order mark that an editor put at the start is not part of the first line.
std::size_t FirstLine(std::string_view text)
{
    return text.starts_with("\xEF\xBB\xBF") ? 3 : 0;
}

// The file keeps the line breaks it has: CRLF when its first line ends so.
std::string_view LineBreakOf(std::string_view text)
{
    std::size_t lineFeed = text.find('\n');
    return lineFeed != std::string_view::npos && lineFeed > 0 && text[lineFeed - 1] == '\r' ? "\r\n"
                                                                                            : "\n";
}

// What a last line without a line feed needs before anything goes after it.
// A carriage return it ends with already counts as its line end (LineAt drops
// it), so then only the line feed is missing; a whole line break would make
// that carriage return part of the line's text.
std::string_view MissingLineEnd(std::string_view text, std::string_view lineBreak)
{
    return text.ends_with('\r') ? "\n" : lineBreak;
}

std::optional<std::string_view> SectionName(std::string_view content)
{
    content = TrimStart(content);
    if (!content.starts_with('['))
        return std::nullopt;
    content.remove_prefix(1);
    return content.substr(0, content.find(']'));
}

std::optional<Section> FindSection(std::string_view text, std::string_view name)
{
    std::optional<Section> found;
    for (std::size_t at = FirstLine(text); at < text.size();) {
        Line line = LineAt(text, at);
        if (std::optional<std::string_view> header = SectionName(Content(text, line))) {
            if (found) {
                found->end = line.begin;
                return found;
            }
            if (SameName(*header, name))
                found = Section{line, text.size()};
        }
        at = line.next;
    }
    return found;
}

// A comment line (';') never matches. Neither does a line without '=': Windows
// would read it as a key with no value, but the caller's default serves as well.
std::optional<Key> FindKey(std::string_view text, const Section& section, std::string_view name)
{
    for (std::size_t at = section.header.next; at < section.end;) {
        Line line = LineAt(text, at);
        std::string_view content = Content(text, line);
        std::size_t equals = content.find('=');
        if (!TrimStart(content).starts_with(';') && equals != std::string_view::npos &&
            SameName(content.substr(0, equals), name))
            return Key{line, line.begin + equals};
        at = line.next;
    }
    return std::nullopt;
}

// The last line of the section that is not blank (its header if none is), so a
// new key goes before the blank lines that set the next section apart.
Line LastFilledLine(std::string_view text, const Section& section)
{
    Line last = section.header;
    for (std::size_t at = section.header.next; at < section.end;) {
        Line line = LineAt(text, at);
        if (!Trim(Content(text, line)).empty())
            last = line;
        at = line.next;
    }
    return last;
}

std::string Entry(std::string_view key, std::string_view value, std::string_view lineBreak)
{
    std::string entry(key);
    entry += '=';
    entry += value;
    entry += lineBreak;
    return entry;
}

} // namespace

std::optional<std::string_view> FindValue(std::string_view text, std::string_view section,
                                          std::string_view key)
{
    std::optional<Section> found = FindSection(text, section);
    std::optional<Key> entry = found ? FindKey(text, *found, key) : std::nullopt;
    if (!entry)
        return std::nullopt;
    std::string_view value = text.substr(entry->equals + 1, entry->line.end - entry->equals - 1);
    // A carriage return breaks lines here as it does for CanStore, so a lone one
    // that an editor left inside a line ends the value.
    value = Trim(value.substr(0, value.find('\r')));
    // Windows drops quotation marks, single or double, around a whole value.
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    return value;
}

bool CanStore(std::string_view section, std::string_view key, std::string_view value)
{
    auto breaksLine = [](std::string_view s) { return s.find_first_of("\r\n") != std::string_view::npos; };
    std::string_view keyStart = TrimStart(key);
    return !breaksLine(section) && !breaksLine(key) && !breaksLine(value) &&
           section.find(']') == std::string_view::npos && key.find('=') == std::string_view::npos &&
           !keyStart.starts_with(';') && !keyStart.starts_with('[');
}

std::string SetValue(std::string_view text, std::string_view section, std::string_view key,
                     std::string_view value)
{
    std::string result(text);
    std::string_view lineBreak = LineBreakOf(text);
    std::optional<Section> found = FindSection(text, section);
    if (!found) {
        if (!result.empty() && result.back() != '\n')
            result += MissingLineEnd(text, lineBreak);
        result += '[';
        result += section;
        result += ']';
        result += lineBreak;
        result += Entry(key, value, lineBreak);
        return result;
    }
    if (std::optional<Key> entry = FindKey(text, *found, key)) {
        result.replace(entry->equals + 1, entry->line.end - entry->equals - 1, value);
        return result;
    }
    Line last = LastFilledLine(text, *found);
    std::string insert = EndsWithLineBreak(text, last) ? "" : std::string(MissingLineEnd(text, lineBreak));
    insert += Entry(key, value, lineBreak);
    result.insert(last.next, insert);
    return result;
}

} // namespace profile_text
