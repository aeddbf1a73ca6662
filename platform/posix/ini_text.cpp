// ini_text.cpp: a line-by-line INI reader and editor.
//
// Every operation is one pass over the text with no per-line storage, so a
// huge file costs time in proportion to its size and no more memory than
// the text itself.
#include "platform/posix/ini_text.h"

namespace platform::ini {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// A stray carriage return counts as a blank: it must not become part of a name.
bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (Lower(a[i]) != Lower(b[i])) return false;
    return true;
}

enum class Kind { Other, Section, Entry };

struct Line {
    std::size_t begin = 0;       // offset of the line in the text (after a byte-order mark)
    std::size_t breakBegin = 0;  // offset of its line break
    std::size_t end = 0;         // offset after its line break
    Kind kind = Kind::Other;
    std::string_view name;   // section or key name, trimmed
    std::string_view value;  // entry value, trimmed, without enclosing quotes
};

// Reads the text line by line and classifies each line. Lines are offsets
// into the text, so that edits copy everything else verbatim.
class LineReader {
public:
    explicit LineReader(std::string_view text)
        : text_(text), at_(text.starts_with(kByteOrderMark) ? kByteOrderMark.size() : 0) {}

    bool Next(Line& line) {
        if (at_ >= text_.size()) return false;
        line = Line{};
        line.begin = at_;
        // CRLF, LF, or a CR alone, as Windows reads them.
        const std::size_t lineBreak = text_.find_first_of("\r\n", at_);
        line.breakBegin = lineBreak == std::string_view::npos ? text_.size() : lineBreak;
        line.end = lineBreak == std::string_view::npos ? text_.size()
                   : text_.substr(lineBreak).starts_with("\r\n") ? lineBreak + 2
                                                                : lineBreak + 1;
        std::string_view content = Trim(text_.substr(at_, line.breakBegin - at_));
        at_ = line.end;
        if (content.starts_with('[')) {
            const std::size_t close = content.find(']');
            line.kind = Kind::Section;
            line.name = Trim(content.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1));
        } else if (const std::size_t equals = content.find('='); equals != std::string_view::npos) {
            line.kind = Kind::Entry;
            line.name = Trim(content.substr(0, equals));
            line.value = Trim(content.substr(equals + 1));
            if (line.value.size() >= 2 && (line.value.front() == '"' || line.value.front() == '\'') &&
                line.value.back() == line.value.front())
                line.value = line.value.substr(1, line.value.size() - 2);
        }
        return true;
    }

private:
    std::string_view text_;
    std::size_t at_;
};

// The line break the text already uses: that of its first line.
std::string_view LineBreakOf(std::string_view text, std::string_view fallback) {
    LineReader reader(text);
    Line line;
    if (reader.Next(line) && line.breakBegin < line.end) return text.substr(line.breakBegin, line.end - line.breakBegin);
    return fallback;
}

std::string Replace(std::string_view text, std::size_t begin, std::size_t end, std::string_view with) {
    std::string out;
    out.reserve(text.size() - (end - begin) + with.size());
    out.append(text.substr(0, begin)).append(with).append(text.substr(end));
    return out;
}

bool EndsWithLineBreak(std::string_view text) { return text.empty() || text.back() == '\n' || text.back() == '\r'; }

// The first entry line of `key` in any section named `section`.
std::optional<Line> FindEntry(std::string_view text, std::string_view section, std::string_view key) {
    section = Trim(section);
    key = Trim(key);
    LineReader reader(text);
    Line line;
    bool inSection = false;
    while (reader.Next(line)) {
        if (line.kind == Kind::Section) inSection = SameName(line.name, section);
        else if (inSection && line.kind == Kind::Entry && SameName(line.name, key)) return line;
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::string> Lookup(std::string_view text, std::string_view section, std::string_view key) {
    if (const std::optional<Line> entry = FindEntry(text, section, key)) return std::string(entry->value);
    return std::nullopt;
}

bool CanStore(std::string_view section, std::string_view key, std::string_view value) {
    const auto clean = [](std::string_view s) { return s.find_first_of(std::string_view("\r\n\0", 3)) == s.npos; };
    const std::string_view trimmedKey = Trim(key);
    return clean(section) && clean(key) && clean(value) && section.find(']') == section.npos &&
           key.find('=') == key.npos && !trimmedKey.empty() && !trimmedKey.starts_with('[') &&
           !trimmedKey.starts_with(';');
}

std::string Store(std::string_view text, std::string_view section, std::string_view key, std::string_view value,
                  std::string_view firstLineBreak) {
    const std::string_view lineBreak = LineBreakOf(text, firstLineBreak);
    const std::string entry = std::string(key) + "=" + std::string(value);

    if (const std::optional<Line> existing = FindEntry(text, section, key))
        return Replace(text, existing->begin, existing->breakBegin, entry);  // the line keeps its own break

    // A new key goes after the last entry of the first section of that name:
    // blank lines and comments that lead to the next section stay put.
    std::optional<std::size_t> insertAt;
    bool inFirstSection = false;
    LineReader reader(text);
    Line line;
    while (reader.Next(line)) {
        if (line.kind == Kind::Section) {
            if (inFirstSection) break;
            if (SameName(line.name, Trim(section))) {
                inFirstSection = true;
                insertAt = line.end;
            }
        } else if (inFirstSection && line.kind == Kind::Entry) {
            insertAt = line.end;
        }
    }
    if (insertAt) {
        std::string insert = entry + std::string(lineBreak);
        if (!EndsWithLineBreak(text.substr(0, *insertAt))) insert.insert(0, lineBreak);
        return Replace(text, *insertAt, *insertAt, insert);
    }

    std::string out(text);
    if (!EndsWithLineBreak(out)) out.append(lineBreak);
    out.append("[").append(section).append("]").append(lineBreak).append(entry).append(lineBreak);
    return out;
}

std::string RemoveKey(std::string_view text, std::string_view section, std::string_view key) {
    if (const std::optional<Line> entry = FindEntry(text, section, key))
        return Replace(text, entry->begin, entry->end, "");
    return std::string(text);
}

std::string RemoveSection(std::string_view text, std::string_view section) {
    LineReader reader(text);
    Line line;
    std::optional<std::size_t> begin;
    while (reader.Next(line)) {
        if (line.kind != Kind::Section) continue;
        if (begin) return Replace(text, *begin, line.begin, "");
        if (SameName(line.name, Trim(section))) begin = line.begin;
    }
    return begin ? Replace(text, *begin, text.size(), "") : std::string(text);
}

}  // namespace platform::ini
