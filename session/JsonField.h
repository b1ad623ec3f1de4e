#pragma once
// Reading a JSON document as a tree of fields that know where they sit, so that every
// refusal names the place: "soundings.json: windows[1].session.mode: expected one of xy, yx,
// det, berd". Writing: numbers that round-trip exactly and a spelling for non-finite ones.

#include <nlohmann/json.hpp>

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace mt1d::session {

// A refused document; what() is the whole message.
class JsonRefusal : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A finite number as a JSON number, anything else as "nan", "inf" or "-inf".
nlohmann::json NumberJson(double value);

class JsonField {
public:
    JsonField(const nlohmann::json& value, std::string path) : value_(&value), path_(std::move(path)) {}

    const std::string& Path() const { return path_; }
    // The value itself, for a reader of its own (a fit record inside a project).
    const nlohmann::json& Value() const { return *value_; }

    // A member that must be there.
    JsonField operator[](const char* key) const;
    // A member that may be missing (or null).
    std::optional<JsonField> Optional(const char* key) const;
    bool Has(const char* key) const;

    double Number() const;        // a number, or "nan"/"inf"/"-inf"
    double FiniteNumber() const;  // a number
    std::optional<double> OptionalNumber(const char* key) const;
    std::uint64_t Unsigned() const;
    std::size_t Size(std::size_t max) const;  // an unsigned integer at most max
    int Int() const;
    bool Bool() const;
    std::string String() const;
    std::vector<JsonField> Array(std::size_t maxSize) const;
    std::vector<double> Numbers(std::size_t maxSize) const;

    // A string among the given names; returns its index.
    std::size_t OneOf(const std::vector<std::string>& names) const;

    [[noreturn]] void Refuse(const std::string& what) const;

private:
    const nlohmann::json* value_;
    std::string path_;
};

}  // namespace mt1d::session
