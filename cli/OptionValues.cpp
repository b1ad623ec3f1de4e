#include "cli/OptionValues.h"

#include "cli/Cli.h"

#include <charconv>
#include <cmath>
#include <optional>
#include <string_view>
#include <system_error>

namespace mt1d::cli {

namespace {

std::string_view Trim(std::string_view text)
{
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    return text;
}

// Optional sign, digits with at most one point, then an optional exponent. "inf", "nan" and
// hexadecimal, which from_chars would take, are not numbers a user types for an option.
bool IsDecimal(std::string_view s)
{
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    std::size_t digits = 0;
    bool point = false;
    for (; i < s.size(); ++i) {
        if (s[i] >= '0' && s[i] <= '9') {
            ++digits;
        } else if (s[i] == '.' && !point) {
            point = true;
        } else {
            break;
        }
    }
    if (digits == 0) return false;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
        const std::size_t start = i;
        while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i;
        if (i == start) return false;
    }
    return i == s.size();
}

// The double of a decimal text, or nothing when the text is not one or its value is not finite.
std::optional<double> Decimal(std::string_view text)
{
    std::string_view s = Trim(text);
    if (!IsDecimal(s)) return std::nullopt;
    if (s.front() == '+') s.remove_prefix(1);
    double value = 0.0;
    const auto result = std::from_chars(s.data(), s.data() + s.size(), value);
    // Out of the range of a double (1e400, 1e-400): no option takes such a value.
    if (result.ec != std::errc() || !std::isfinite(value)) return std::nullopt;
    return value;
}

std::optional<std::uint64_t> Whole(std::string_view text)
{
    std::string_view s = Trim(text);
    if (!s.empty() && s.front() == '+') s.remove_prefix(1);
    if (s.empty() || s.front() < '0' || s.front() > '9') return std::nullopt;
    std::uint64_t value = 0;
    const auto result = std::from_chars(s.data(), s.data() + s.size(), value);
    if (result.ec != std::errc() || result.ptr != s.data() + s.size()) return std::nullopt;
    return value;
}

// The Chinese words for a range written "A to B", "A to below B" or "A or more", so that a
// message is not half in one language and half in the other.
std::string ChineseRange(const std::string& range)
{
    const auto split = [&](std::string_view word, std::string& a, std::string& b) {
        const std::size_t at = range.find(word);
        if (at == std::string::npos) return false;
        a = range.substr(0, at);
        b = range.substr(at + word.size());
        return true;
    };
    std::string a, b;
    if (split(" or more", a, b) && b.empty()) return "不小于 " + a + " 的数";
    if (split(" to below ", a, b)) return "不小于 " + a + " 且小于 " + b + " 的数";
    if (split(" to ", a, b)) return " " + a + " 到 " + b + " 之间的数";
    return " " + range + " 的数";
}

}  // namespace

double ParseNumberOption(const std::string& option, const std::string& text, double lowest, double highest,
                         const std::string& range)
{
    const auto value = Decimal(text);
    if (!value || *value < lowest || *value > highest) {
        const std::string v = Excerpt(text);
        RefuseUsage(option + " 取" + ChineseRange(range) + "：“" + v + "”",
                    option + " takes a number from " + range + ", not '" + v + "'");
    }
    return *value;
}

double ParsePositiveOption(const std::string& option, const std::string& text)
{
    const auto value = Decimal(text);
    if (!value || !(*value > 0.0)) {
        const std::string v = Excerpt(text);
        RefuseUsage(option + " 取正数：“" + v + "”", option + " takes a positive number, not '" + v + "'");
    }
    return *value;
}

std::size_t ParseCountOption(const std::string& option, const std::string& text, std::size_t lowest,
                             std::size_t highest)
{
    const auto value = Whole(text);
    if (!value || *value < lowest || *value > highest) {
        const std::string range = std::to_string(lowest) + " 到 " + std::to_string(highest);
        const std::string v = Excerpt(text);
        RefuseUsage(option + " 取 " + range + " 之间的整数：“" + v + "”",
                    option + " takes a whole number from " + std::to_string(lowest) + " to " +
                        std::to_string(highest) + ", not '" + v + "'");
    }
    return static_cast<std::size_t>(*value);
}

std::uint64_t ParseSeedOption(const std::string& option, const std::string& text)
{
    const auto value = Whole(text);
    if (!value) {
        const std::string v = Excerpt(text);
        RefuseUsage(option + " 取 0 到 18446744073709551615 之间的整数：“" + v + "”",
                    option + " takes a whole number from 0 to 18446744073709551615, not '" + v + "'");
    }
    return *value;
}

std::vector<double> ParseNumberListOption(const std::string& option, const std::string& text)
{
    std::vector<double> values;
    std::size_t start = 0;
    std::size_t item = 1;
    while (true) {
        const std::size_t end = text.find(',', start);
        const std::string part = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
        const auto value = Decimal(part);
        if (!value) {
            const std::string v = Excerpt(part);
            const std::string n = std::to_string(item);
            RefuseUsage(option + " 的第 " + n + " 项不是有效的数：“" + v + "”",
                        "item " + n + " of " + option + " is not a number: '" + v + "'");
        }
        values.push_back(*value);
        if (end == std::string::npos) break;
        start = end + 1;
        ++item;
    }
    return values;
}

}  // namespace mt1d::cli
