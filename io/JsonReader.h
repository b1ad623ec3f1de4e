#pragma once
// Reading the JSON files of this program (results, projects) as trees of values that know
// where they sit, so that every refusal names the file and the place:
//     site7.json, layers[2].resistivity_ohmm: expected a positive number, found -3
// Hostile files are refused whole before anything recurses over them: nesting deeper than
// kMaxJsonDepth, numbers beyond the range of a double, files that are not regular files or are
// larger than the caller's limit. A message quotes at most a short excerpt of a value.
//
// Numbers that are not finite are written as null everywhere (io/TextEncoding.h JsonNumber);
// NumberOrNonFinite() also reads the "nan", "inf" and "-inf" strings of older projects.
//
//     const nlohmann::json document = io::ReadJsonFile(path, kMaxBytes);
//     const io::JsonCursor root(document, path.string());
//     const double rms = root.Member("rms").NotNegative();

#include <nlohmann/json.hpp>

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace mt1d::io {

// Deeper than any file of this program nests (a project: 8 levels).
inline constexpr std::size_t kMaxJsonDepth = 64;

// A file refused, whole (where empty) or at a place of its JSON; what() is "file, where:
// problem" (or "file: problem").
class FileError : public std::runtime_error {
public:
    FileError(std::string file, std::string where, std::string problem);

    const std::string& File() const { return file_; }
    const std::string& Where() const { return where_; }      // "layers[2].top_m"; empty: the whole
    const std::string& Problem() const { return problem_; }

private:
    std::string file_;
    std::string where_;
    std::string problem_;
};

// Parses `text`; throws FileError naming `file` for text that is not JSON, nests deeper than
// kMaxJsonDepth, or holds a number beyond the range of a double.
nlohmann::json ParseJson(std::string_view text, const std::string& file);

// The bytes of a regular file of at most `maxBytes`. Throws FileError for anything else (a
// folder, a FIFO or device, which it never blocks on, a larger file, a read error).
std::string ReadRegularFile(const std::filesystem::path& path, std::uintmax_t maxBytes);

// ReadRegularFile, then ParseJson.
nlohmann::json ReadJsonFile(const std::filesystem::path& path, std::uintmax_t maxBytes);

// A value as a message quotes it: a string or number as a short excerpt, anything else by its
// kind ("an object", "an array of 3"). Never the whole of a large value.
std::string DescribeValue(const nlohmann::json& value);

class JsonCursor {
public:
    // `file` must outlive the cursor and those made from it.
    JsonCursor(const nlohmann::json& value, const std::string& file, std::string path = {})
        : value_(&value), file_(&file), path_(std::move(path))
    {
    }

    const std::string& Path() const { return path_; }
    const nlohmann::json& Value() const { return *value_; }
    [[noreturn]] void Refuse(const std::string& problem) const;

    // Objects.
    JsonCursor Member(const char* key) const;                 // must be there (null allowed)
    std::optional<JsonCursor> Optional(const char* key) const; // missing or null: empty
    bool Has(const char* key) const;                           // there and not null
    bool IsNull() const { return value_->is_null(); }

    // Arrays.
    std::size_t Size() const;                   // an array
    std::size_t Size(std::size_t maxSize) const; // an array of at most maxSize
    JsonCursor Element(std::size_t i) const;
    std::vector<JsonCursor> Elements(std::size_t maxSize) const;
    std::vector<double> Numbers(std::size_t maxSize) const;         // finite numbers
    std::vector<double> NumbersOrNonFinite(std::size_t maxSize) const;

    // Numbers.
    double Number() const;       // finite
    double Positive() const;
    double NotNegative() const;
    double NumberOrNonFinite() const;  // null (or "nan"/"inf"/"-inf"): not finite
    std::optional<double> NumberOrNull() const;
    std::optional<double> PositiveOrNull() const;
    std::optional<double> NotNegativeOrNull() const;
    std::uint64_t Unsigned() const;
    std::size_t Count(std::size_t max = static_cast<std::size_t>(-1)) const;  // 0..max
    int Int() const;

    bool Bool() const;
    std::string String() const;

    // The index of the string among `names`; refused with the list otherwise.
    std::size_t OneOf(const std::vector<std::string>& names) const;
    template <typename Enum, std::size_t N>
    Enum Choice(const std::array<Enum, N>& values, std::string_view (*name)(Enum)) const
    {
        std::vector<std::string> names;
        for (const Enum v : values) names.emplace_back(name(v));
        return values[OneOf(names)];
    }

private:
    const nlohmann::json* value_;
    const std::string* file_;
    std::string path_;
};

}  // namespace mt1d::io
