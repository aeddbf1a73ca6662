// ini_text.cpp: a line-by-line INI reader and editor.
#include "platform/posix/ini_text.h"

#include <vector>

namespace platform::ini {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

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
    std::size_t begin = 0;  // offset of the line in the text
    std::size_t end = 0;    // offset after its line break
    Kind kind = Kind::Other;
    std::string_view name;   // section or key name, trimmed
    std::string_view value;  // entry value, trimmed
};

// Splits the text into lines and classifies each. Lines keep offsets into
// the original text so that edits can copy everything else verbatim.
std::vector<Line> Parse(std::string_view text) {
    std::vector<Line> lines;
    std::size_t at = text.starts_with(kByteOrderMark) ? kByteOrderMark.size() : 0;
    bool first = true;
    while (at < text.size()) {
        Line line;
        line.begin = first ? 0 : at;
        first = false;
        const std::size_t newline = text.find('\n', at);
        line.end = newline == std::string_view::npos ? text.size() : newline + 1;
        std::string_view content = text.substr(at, (newline == std::string_view::npos ? text.size() : newline) - at);
        if (!content.empty() && content.back() == '\r') content.remove_suffix(1);
        content = Trim(content);
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
        lines.push_back(line);
        at = line.end;
    }
    return lines;
}

// The line break the text already uses; LF for a text without any.
std::string_view LineBreakOf(std::string_view text) {
    const std::size_t newline = text.find('\n');
    return (newline != std::string_view::npos && newline > 0 && text[newline - 1] == '\r') ? "\r\n" : "\n";
}

std::string Replace(std::string_view text, std::size_t begin, std::size_t end, std::string_view with) {
    std::string out;
    out.reserve(text.size() - (end - begin) + with.size());
    out.append(text.substr(0, begin)).append(with).append(text.substr(end));
    return out;
}

// Where a section's lines end: the next section header, or the end of text.
std::size_t SectionEnd(const std::vector<Line>& lines, std::size_t header) {
    std::size_t i = header + 1;
    while (i < lines.size() && lines[i].kind != Kind::Section) ++i;
    return i;
}

bool EndsWithLineBreak(std::string_view text) { return text.empty() || text.back() == '\n'; }

}  // namespace

std::optional<std::string> Lookup(std::string_view text, std::string_view section, std::string_view key) {
    section = Trim(section);
    key = Trim(key);
    bool inSection = false;
    for (const Line& line : Parse(text)) {
        if (line.kind == Kind::Section) inSection = SameName(line.name, section);
        else if (inSection && line.kind == Kind::Entry && SameName(line.name, key)) return std::string(line.value);
    }
    return std::nullopt;
}

bool CanStore(std::string_view section, std::string_view key, std::string_view value) {
    const auto clean = [](std::string_view s) { return s.find_first_of(std::string_view("\r\n\0", 3)) == s.npos; };
    const std::string_view trimmedKey = Trim(key);
    return clean(section) && clean(key) && clean(value) && section.find(']') == section.npos &&
           key.find('=') == key.npos && !trimmedKey.empty() && !trimmedKey.starts_with('[') &&
           !trimmedKey.starts_with(';');
}

std::string Store(std::string_view text, std::string_view section, std::string_view key, std::string_view value) {
    const std::string_view lineBreak = LineBreakOf(text);
    const std::string entry = std::string(key) + "=" + std::string(value);
    const std::vector<Line> lines = Parse(text);
    const std::string_view wantedSection = Trim(section);
    const std::string_view wantedKey = Trim(key);

    std::optional<std::size_t> firstSection;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].kind != Kind::Section || !SameName(lines[i].name, wantedSection)) continue;
        if (!firstSection) firstSection = i;
        const std::size_t end = SectionEnd(lines, i);
        for (std::size_t k = i + 1; k < end; ++k) {
            if (lines[k].kind == Kind::Entry && SameName(lines[k].name, wantedKey)) {
                // Replace the content, keep the line's own break.
                const std::string_view old = text.substr(lines[k].begin, lines[k].end - lines[k].begin);
                const std::string_view ownBreak = old.ends_with("\r\n") ? "\r\n" : old.ends_with('\n') ? "\n" : "";
                std::size_t begin = lines[k].begin;
                if (k == 0 && text.starts_with(kByteOrderMark)) begin += kByteOrderMark.size();
                return Replace(text, begin, lines[k].end, entry + std::string(ownBreak));
            }
        }
    }

    if (firstSection) {
        // After the section's last entry: blank lines and comments that lead
        // to the next section stay where they are.
        std::size_t last = *firstSection;
        for (std::size_t k = *firstSection + 1; k < SectionEnd(lines, *firstSection); ++k)
            if (lines[k].kind == Kind::Entry) last = k;
        const std::size_t at = lines[last].end;
        std::string insert = entry + std::string(lineBreak);
        if (!EndsWithLineBreak(text.substr(0, at))) insert.insert(0, lineBreak);
        return Replace(text, at, at, insert);
    }

    std::string out(text);
    if (!EndsWithLineBreak(out)) out.append(lineBreak);
    out.append("[").append(section).append("]").append(lineBreak).append(entry).append(lineBreak);
    return out;
}

std::string RemoveKey(std::string_view text, std::string_view section, std::string_view key) {
    const std::vector<Line> lines = Parse(text);
    bool inSection = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const Line& line = lines[i];
        if (line.kind == Kind::Section) inSection = SameName(line.name, Trim(section));
        else if (inSection && line.kind == Kind::Entry && SameName(line.name, Trim(key))) {
            std::size_t begin = line.begin;
            if (i == 0 && text.starts_with(kByteOrderMark)) begin += kByteOrderMark.size();
            return Replace(text, begin, line.end, "");
        }
    }
    return std::string(text);
}

std::string RemoveSection(std::string_view text, std::string_view section) {
    const std::vector<Line> lines = Parse(text);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].kind != Kind::Section || !SameName(lines[i].name, Trim(section))) continue;
        const std::size_t end = SectionEnd(lines, i);
        std::size_t begin = lines[i].begin;
        if (i == 0 && text.starts_with(kByteOrderMark)) begin += kByteOrderMark.size();
        return Replace(text, begin, end < lines.size() ? lines[end].begin : text.size(), "");
    }
    return std::string(text);
}

}  // namespace platform::ini
