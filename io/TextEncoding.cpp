#include "io/TextEncoding.h"

#include <array>
#include <charconv>
#include <cmath>

namespace mt1d::io {

namespace {

template <typename T>
std::string Shortest(T value)
{
    if (!std::isfinite(value)) return "";
    std::array<char, 64> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    return std::string(buffer.data(), result.ptr);
}

std::string Dump(const Json& value)
{
    // Texts are UTF-8 already; a stray byte is replaced rather than thrown about.
    return value.dump(-1, ' ', false, Json::error_handler_t::replace);
}

bool IsFlat(const Json& value)
{
    if (!value.is_object()) return false;
    for (const auto& member : value) {
        if (member.is_structured()) return false;
    }
    return true;
}

void Write(std::string& out, const Json& value, int indent)
{
    const std::string inner(indent + 2, ' ');
    if (value.is_object() && !IsFlat(value) && !value.empty()) {
        out += "{";
        bool first = true;
        for (const auto& [key, member] : value.items()) {
            out += (first ? "\n" : ",\n") + inner + Dump(key) + ": ";
            Write(out, member, indent + 2);
            first = false;
        }
        out += "\n" + std::string(indent, ' ') + "}";
    } else if (value.is_array() && !value.empty()) {
        out += "[";
        bool first = true;
        for (const Json& element : value) {
            out += (first ? "\n" : ",\n") + inner;
            Write(out, element, indent + 2);
            first = false;
        }
        out += "\n" + std::string(indent, ' ') + "]";
    } else if (IsFlat(value)) {
        out += "{";
        bool first = true;
        for (const auto& [key, member] : value.items()) {
            out += (first ? "" : ", ") + Dump(key) + ": " + Dump(member);
            first = false;
        }
        out += "}";
    } else {
        out += Dump(value);
    }
}

}  // namespace

std::string NumberText(double value) { return Shortest(value); }
std::string NumberText(float value) { return Shortest(value); }
std::string NumberText(const std::optional<double>& value) { return value ? Shortest(*value) : std::string(); }

Json JsonNumber(double value)
{
    if (!std::isfinite(value)) return nullptr;
    return value;
}

Json JsonNumber(const std::optional<double>& value) { return value ? JsonNumber(*value) : Json(nullptr); }

Json JsonNumber(float value)
{
    if (!std::isfinite(value)) return nullptr;
    const std::string text = Shortest(value);
    double nearest = 0.0;
    std::from_chars(text.data(), text.data() + text.size(), nearest);
    return nearest;
}

std::string JsonText(const Json& value, int indent)
{
    std::string out;
    Write(out, value, indent);
    return out;
}

}  // namespace mt1d::io
