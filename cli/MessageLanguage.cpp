#include "cli/MessageLanguage.h"

#include "cli/Cli.h"

#include <algorithm>

namespace mt1d::cli {

namespace {

MessageLanguage current = MessageLanguage::kChineseAndEnglish;

// The code point of the UTF-8 sequence starting at `i` (0 for a continuation byte) and its length.
char32_t CodePointAt(const std::string& s, std::size_t i, std::size_t& length)
{
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char b = byte(i);
    length = 1;
    if (b < 0x80) return b;
    if ((b & 0xE0) == 0xC0 && i + 1 < s.size()) {
        length = 2;
        return ((b & 0x1Fu) << 6) | (byte(i + 1) & 0x3Fu);
    }
    if ((b & 0xF0) == 0xE0 && i + 2 < s.size()) {
        length = 3;
        return ((b & 0x0Fu) << 12) | ((byte(i + 1) & 0x3Fu) << 6) | (byte(i + 2) & 0x3Fu);
    }
    if ((b & 0xF8) == 0xF0 && i + 3 < s.size()) {
        length = 4;
        return ((b & 0x07u) << 18) | ((byte(i + 1) & 0x3Fu) << 12) | ((byte(i + 2) & 0x3Fu) << 6) | (byte(i + 3) & 0x3Fu);
    }
    return 0;
}

bool IsHan(char32_t c)
{
    return (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0x3400 && c <= 0x4DBF);
}

// Where the last Han character ends; npos when there is none.
std::size_t EndOfLastHan(const std::string& s)
{
    std::size_t end = std::string::npos;
    for (std::size_t i = 0; i < s.size();) {
        std::size_t length = 1;
        if (IsHan(CodePointAt(s, i, length))) end = i + length;
        i += length;
    }
    return end;
}

}  // namespace

MessageLanguage CurrentMessageLanguage()
{
    return current;
}

void SetMessageLanguage(MessageLanguage language)
{
    current = language;
}

std::string Bilingual(const std::string& zh, const std::string& en)
{
    return current == MessageLanguage::kEnglish ? en : zh + " (" + en + ")";
}

MessageLanguage TakeLanguageOption(std::vector<std::string>& args, const char* environment)
{
    const auto parse = [](const std::string& value, const std::string& where) {
        if (value == "en") return MessageLanguage::kEnglish;
        if (value == "zh") return MessageLanguage::kChineseAndEnglish;
        // The refusal itself in both languages: which one was asked for is what is unclear.
        throw UsageError(where + " 应为 zh 或 en，而不是 “" + value + "” (" + where + " takes zh or en, not '" + value + "')");
    };
    MessageLanguage language = MessageLanguage::kChineseAndEnglish;
    if (environment != nullptr && *environment != '\0') language = parse(environment, "MT1D_LANG");
    for (std::size_t i = 0; i < args.size();) {
        if (args[i] == "--") break;
        if (args[i] == "--lang") {
            if (i + 1 >= args.size() || args[i + 1] == "--") {
                throw UsageError("--lang 缺少取值 (--lang needs a value: zh or en)");
            }
            language = parse(args[i + 1], "--lang");
            args.erase(args.begin() + static_cast<std::ptrdiff_t>(i), args.begin() + static_cast<std::ptrdiff_t>(i) + 2);
        } else if (args[i].rfind("--lang=", 0) == 0) {
            language = parse(args[i].substr(7), "--lang");
            args.erase(args.begin() + static_cast<std::ptrdiff_t>(i));
        } else {
            ++i;
        }
    }
    return language;
}

bool HasHan(const std::string& text)
{
    return EndOfLastHan(text) != std::string::npos;
}

std::string EnglishPart(const std::string& line)
{
    const std::size_t hanEnd = EndOfLastHan(line);
    if (hanEnd == std::string::npos) return line;
    const std::size_t open = line.find('(', hanEnd);
    if (open == std::string::npos) return line;
    int depth = 0;
    std::size_t close = std::string::npos;
    for (std::size_t i = open; i < line.size(); ++i) {
        if (line[i] == '(') ++depth;
        if (line[i] == ')' && --depth == 0) {
            close = i;
            break;
        }
    }
    if (close == std::string::npos) return line;
    const std::string prefix = line.rfind("mt1d: ", 0) == 0 ? "mt1d: " : "";
    return prefix + line.substr(open + 1, close - open - 1) + line.substr(close + 1);
}

EnglishOnlyBuffer::int_type EnglishOnlyBuffer::overflow(int_type c)
{
    if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
    line_.push_back(traits_type::to_char_type(c));
    if (line_.back() == '\n') FlushLine();
    return c;
}

int EnglishOnlyBuffer::sync()
{
    // A partial line waits for its end (a progress line is written whole); the target is flushed.
    target_.flush();
    return target_ ? 0 : -1;
}

void EnglishOnlyBuffer::FlushLine()
{
    if (line_.empty()) return;
    target_ << EnglishPart(line_);
    line_.clear();
}

}  // namespace mt1d::cli
