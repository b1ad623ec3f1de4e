#include "sounding/EdiBlocks.h"

#include "sounding/Limits.h"
#include "sounding/ReadError.h"
#include "sounding/TextScan.h"

namespace mt1d::sounding {
namespace {

std::string_view TrimLeft(std::string_view s)
{
    std::size_t i = 0;
    while (i < s.size() && IsBlank(s[i])) ++i;
    return s.substr(i);
}

// Position of the first "//" outside double quotes, or npos.
std::size_t FindCountMark(std::string_view text)
{
    bool quoted = false;
    for (std::size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] == '"') quoted = !quoted;
        if (!quoted && text[i] == '/' && text[i + 1] == '/') return i;
    }
    return std::string_view::npos;
}

std::string Unquote(std::string_view v)
{
    v = Trim(v);
    if (v.size() >= 2 && ((v.front() == '"' && v.back() == '"') || (v.front() == '\'' && v.back() == '\'')))
        v = v.substr(1, v.size() - 2);
    return ToUtf8(v);
}

}  // namespace

EdiLexed LexEdi(std::string_view text, const std::string& file)
{
    EdiLexed out;
    LineCursor lines(text);
    std::string_view line;
    constexpr std::size_t kNone = static_cast<std::size_t>(-1);
    std::size_t open = kNone;  // index of the block whose body is being read
    std::size_t bodyStart = 0;
    const auto close = [&](std::size_t end) {
        if (open != kNone) out.blocks[open].body = text.substr(bodyStart, end - bodyStart);
        open = kNone;
    };
    while (true) {
        const std::size_t lineStart = lines.Offset();
        if (!lines.Next(line)) break;
        const std::string_view t = TrimLeft(line);
        if (t.empty() || t.front() != '>') continue;
        close(lineStart);
        if (out.blocks.size() >= kMaxEdiBlocks)
            throw ReadError(file, lines.LineNumber(), ReadProblem::kTooLarge,
                            "more than " + std::to_string(kMaxEdiBlocks) +
                                " blocks; mt1d reads up to " + std::to_string(kMaxFrequencies) + " frequencies");
        EdiBlock block;
        block.line = lines.LineNumber();
        block.bodyLine = block.line + 1;
        std::string_view rest = t.substr(1);
        if (!rest.empty() && rest.front() == '!') {
            block.name = "!";
            block.marker = rest;
        } else {
            rest = TrimLeft(rest);
            while (!rest.empty() && rest.front() == '=') rest = TrimLeft(rest.substr(1));
            std::size_t n = 0;
            while (n < rest.size() && !IsBlank(rest[n]) && rest.substr(n, 2) != "//") ++n;
            block.name = ToUpper(rest.substr(0, n));
            block.marker = rest.substr(n);
        }
        const bool end = block.name == "END";
        out.blocks.push_back(block);
        if (end) {
            out.sawEnd = true;
            break;
        }
        open = out.blocks.size() - 1;
        bodyStart = lines.Offset();
    }
    close(text.size());
    return out;
}

std::vector<std::pair<std::string, std::string>> ParseEdiOptions(std::string_view text)
{
    std::vector<std::pair<std::string, std::string>> options;
    if (const auto mark = FindCountMark(text); mark != std::string_view::npos) text = text.substr(0, mark);
    std::size_t i = 0;
    const std::size_t n = text.size();
    const auto skipBlanks = [&] {
        while (i < n && IsBlank(text[i])) ++i;
    };
    while (true) {
        skipBlanks();
        if (i >= n) break;
        const std::size_t keyStart = i;
        while (i < n && !IsBlank(text[i]) && text[i] != '=') ++i;
        const std::string_view key = text.substr(keyStart, i - keyStart);
        skipBlanks();
        if (i >= n || text[i] != '=') continue;  // a word without '='
        ++i;
        skipBlanks();
        std::string value;
        if (i < n && text[i] == '"') {
            const std::size_t close = text.find('"', i + 1);
            const std::size_t stop = close == std::string_view::npos ? n : close;
            value = ToUtf8(text.substr(i + 1, stop - i - 1));
            i = close == std::string_view::npos ? n : close + 1;
        } else {
            const std::size_t valueStart = i;
            while (i < n && !IsBlank(text[i])) ++i;
            const std::string_view v = text.substr(valueStart, i - valueStart);
            if (v.find('=') != std::string_view::npos) {
                i = valueStart;  // "X= Y=0": X has no value; Y=0 is the next pair
            } else {
                value = ToUtf8(v);
            }
        }
        if (!key.empty()) options.emplace_back(ToUpper(key), std::move(value));
    }
    return options;
}

std::vector<std::pair<std::string, std::string>> ParseEdiKeyLine(std::string_view line)
{
    line = Trim(line);
    std::size_t equals = 0;
    std::size_t first = std::string_view::npos;
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '"') quoted = !quoted;
        if (!quoted && line[i] == '=') {
            if (equals++ == 0) first = i;
        }
    }
    if (equals == 0) return {};
    if (equals > 1) return ParseEdiOptions(line);
    const std::string_view key = Trim(line.substr(0, first));
    if (key.empty()) return {};
    return {{ToUpper(key), Unquote(line.substr(first + 1))}};
}

std::optional<int> EdiMarkerCount(std::string_view marker)
{
    const auto mark = FindCountMark(marker);
    if (mark == std::string_view::npos) return std::nullopt;
    TokenCursor tokens(marker.substr(mark + 2));
    std::string_view token;
    if (!tokens.Next(token)) return std::nullopt;
    return ParseCount(token);
}

const std::string* FindOption(const std::vector<std::pair<std::string, std::string>>& options,
                              std::string_view key)
{
    for (const auto& [k, v] : options)
        if (k == key) return &v;
    return nullptr;
}

}  // namespace mt1d::sounding
