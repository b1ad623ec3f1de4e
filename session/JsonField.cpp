#include "session/JsonField.h"

#include <cmath>
#include <limits>

namespace mt1d::session {

nlohmann::json NumberJson(double value)
{
    if (std::isnan(value)) return "nan";
    if (std::isinf(value)) return value > 0 ? "inf" : "-inf";
    // nlohmann writes the shortest text that reads back as the same double.
    return value;
}

void JsonField::Refuse(const std::string& what) const
{
    throw JsonRefusal((path_.empty() ? std::string("the document") : path_) + ": " + what);
}

JsonField JsonField::operator[](const char* key) const
{
    if (!value_->is_object()) Refuse("expected an object");
    const auto at = value_->find(key);
    if (at == value_->end()) Refuse(std::string("the value \"") + key + "\" is missing");
    return JsonField(*at, path_.empty() ? std::string(key) : path_ + "." + key);
}

std::optional<JsonField> JsonField::Optional(const char* key) const
{
    if (!Has(key)) return std::nullopt;
    return (*this)[key];
}

bool JsonField::Has(const char* key) const
{
    if (!value_->is_object()) Refuse("expected an object");
    const auto at = value_->find(key);
    return at != value_->end() && !at->is_null();
}

double JsonField::Number() const
{
    if (value_->is_number()) return value_->get<double>();
    if (value_->is_string()) {
        const auto& text = value_->get_ref<const std::string&>();
        if (text == "nan") return std::numeric_limits<double>::quiet_NaN();
        if (text == "inf") return std::numeric_limits<double>::infinity();
        if (text == "-inf") return -std::numeric_limits<double>::infinity();
    }
    Refuse("expected a number");
}

double JsonField::FiniteNumber() const
{
    if (!value_->is_number()) Refuse("expected a number");
    const double x = value_->get<double>();
    if (!std::isfinite(x)) Refuse("expected a finite number");
    return x;
}

std::optional<double> JsonField::OptionalNumber(const char* key) const
{
    if (const auto field = Optional(key)) return field->Number();
    return std::nullopt;
}

std::uint64_t JsonField::Unsigned() const
{
    if (!value_->is_number_unsigned()) {
        if (value_->is_number_integer() && value_->get<std::int64_t>() >= 0) return value_->get<std::uint64_t>();
        Refuse("expected a whole number of zero or more");
    }
    return value_->get<std::uint64_t>();
}

std::size_t JsonField::Size(std::size_t max) const
{
    const std::uint64_t n = Unsigned();
    if (n > max) Refuse("expected at most " + std::to_string(max));
    return static_cast<std::size_t>(n);
}

int JsonField::Int() const
{
    if (!value_->is_number_integer()) Refuse("expected a whole number");
    const std::int64_t n = value_->get<std::int64_t>();
    if (n < std::numeric_limits<int>::min() || n > std::numeric_limits<int>::max()) Refuse("the number is too large");
    return static_cast<int>(n);
}

bool JsonField::Bool() const
{
    if (!value_->is_boolean()) Refuse("expected true or false");
    return value_->get<bool>();
}

std::string JsonField::String() const
{
    if (!value_->is_string()) Refuse("expected a string");
    return value_->get<std::string>();
}

std::vector<JsonField> JsonField::Array(std::size_t maxSize) const
{
    if (!value_->is_array()) Refuse("expected a list");
    if (value_->size() > maxSize) Refuse("the list holds more than " + std::to_string(maxSize) + " entries");
    std::vector<JsonField> items;
    items.reserve(value_->size());
    for (std::size_t i = 0; i < value_->size(); ++i) {
        items.emplace_back((*value_)[i], path_ + "[" + std::to_string(i) + "]");
    }
    return items;
}

std::vector<double> JsonField::Numbers(std::size_t maxSize) const
{
    std::vector<double> numbers;
    for (const JsonField& item : Array(maxSize)) numbers.push_back(item.Number());
    return numbers;
}

std::size_t JsonField::OneOf(const std::vector<std::string>& names) const
{
    const std::string text = String();
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (names[i] == text) return i;
    }
    std::string list;
    for (const auto& name : names) list += (list.empty() ? "" : ", ") + name;
    Refuse("\"" + text + "\" is not one of " + list);
}

}  // namespace mt1d::session
