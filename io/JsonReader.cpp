#include "io/JsonReader.h"

#include "io/Excerpt.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <limits>

namespace mt1d::io {

namespace {

using nlohmann::json;

// Characters of a string or number a message quotes at most.
constexpr std::size_t kQuotedLength = 40;

std::string WhereText(const std::string& where) { return where.empty() ? "" : ", " + where; }

// "[json.exception.parse_error.101] parse error at line 3, column 5: …": the part after the tag.
std::string WithoutTag(const std::string& what)
{
    const std::size_t tag = what.find("] ");
    return Excerpt(tag == std::string::npos ? what : what.substr(tag + 2), 200);
}

// Thrown from the parser's callback to stop at the first level too deep.
struct TooDeep {};

// Closes a descriptor on every way out.
class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor()
    {
        if (fd_ >= 0) ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int Get() const { return fd_; }

private:
    int fd_;
};

}  // namespace

FileError::FileError(std::string file, std::string where, std::string problem)
    : std::runtime_error(file + WhereText(where) + ": " + problem),
      file_(std::move(file)),
      where_(std::move(where)),
      problem_(std::move(problem))
{
}

json ParseJson(std::string_view text, const std::string& file)
{
    const json::parser_callback_t depthLimit = [](int depth, json::parse_event_t event, json&) {
        if ((event == json::parse_event_t::object_start || event == json::parse_event_t::array_start) &&
            depth >= static_cast<int>(kMaxJsonDepth)) {
            throw TooDeep{};
        }
        return true;
    };
    try {
        return json::parse(text.begin(), text.end(), depthLimit);
    } catch (const TooDeep&) {
        throw FileError(file, "", "nested more than " + std::to_string(kMaxJsonDepth) +
                                      " levels deep; no file of this program is");
    } catch (const json::parse_error& e) {
        throw FileError(file, "", "not a JSON document: " + WithoutTag(e.what()));
    } catch (const json::out_of_range& e) {  // a number beyond the range of a double
        throw FileError(file, "", "not a JSON document this program can read: " + WithoutTag(e.what()));
    }
}

std::string ReadRegularFile(const std::filesystem::path& path, std::uintmax_t maxBytes)
{
    const std::string file = path.string();
    // O_NONBLOCK: opening a FIFO must not wait for a writer; it is refused below.
    Descriptor fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (fd.Get() < 0) throw FileError(file, "", std::string("cannot be opened: ") + std::strerror(errno));
    struct stat info {};
    if (::fstat(fd.Get(), &info) != 0) throw FileError(file, "", std::string("cannot be read: ") + std::strerror(errno));
    if (!S_ISREG(info.st_mode)) throw FileError(file, "", "not a regular file");
    if (static_cast<std::uintmax_t>(info.st_size) > maxBytes) {
        throw FileError(file, "", "larger than " + std::to_string(maxBytes) + " bytes; no such file of this program is");
    }
    std::string bytes(static_cast<std::size_t>(info.st_size), '\0');
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::read(fd.Get(), bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) throw FileError(file, "", std::string("cannot be read: ") + std::strerror(errno));
        if (n == 0) break;  // shorter than it was a moment ago
        done += static_cast<std::size_t>(n);
    }
    bytes.resize(done);
    return bytes;
}

json ReadJsonFile(const std::filesystem::path& path, std::uintmax_t maxBytes)
{
    return ParseJson(ReadRegularFile(path, maxBytes), path.string());
}

std::string DescribeValue(const json& value)
{
    if (value.is_string()) return "\"" + Excerpt(value.get_ref<const std::string&>(), kQuotedLength) + "\"";
    if (value.is_number()) return Excerpt(value.dump(), kQuotedLength);
    if (value.is_boolean()) return value.get<bool>() ? "true" : "false";
    if (value.is_null()) return "null";
    if (value.is_array()) return "an array of " + std::to_string(value.size());
    return "an object";
}

void JsonCursor::Refuse(const std::string& problem) const { throw FileError(*file_, path_, problem); }

JsonCursor JsonCursor::Member(const char* key) const
{
    if (!value_->is_object()) Refuse("expected an object, found " + DescribeValue(*value_));
    const auto it = value_->find(key);
    const std::string path = path_.empty() ? std::string(key) : path_ + "." + key;
    if (it == value_->end()) throw FileError(*file_, path, "missing");
    return JsonCursor(*it, *file_, path);
}

std::optional<JsonCursor> JsonCursor::Optional(const char* key) const
{
    if (!Has(key)) return std::nullopt;
    return Member(key);
}

bool JsonCursor::Has(const char* key) const
{
    if (!value_->is_object()) Refuse("expected an object, found " + DescribeValue(*value_));
    const auto it = value_->find(key);
    return it != value_->end() && !it->is_null();
}

std::size_t JsonCursor::Size() const
{
    if (!value_->is_array()) Refuse("expected an array, found " + DescribeValue(*value_));
    return value_->size();
}

std::size_t JsonCursor::Size(std::size_t maxSize) const
{
    const std::size_t n = Size();
    if (n > maxSize) Refuse("expected at most " + std::to_string(maxSize) + " entries, found " + std::to_string(n));
    return n;
}

JsonCursor JsonCursor::Element(std::size_t i) const
{
    return JsonCursor((*value_)[i], *file_, path_ + "[" + std::to_string(i) + "]");
}

std::vector<JsonCursor> JsonCursor::Elements(std::size_t maxSize) const
{
    const std::size_t n = Size(maxSize);
    std::vector<JsonCursor> items;
    items.reserve(n);
    for (std::size_t i = 0; i < n; ++i) items.push_back(Element(i));
    return items;
}

std::vector<double> JsonCursor::Numbers(std::size_t maxSize) const
{
    std::vector<double> numbers;
    for (const JsonCursor& item : Elements(maxSize)) numbers.push_back(item.Number());
    return numbers;
}

std::vector<double> JsonCursor::NumbersOrNonFinite(std::size_t maxSize) const
{
    std::vector<double> numbers;
    for (const JsonCursor& item : Elements(maxSize)) numbers.push_back(item.NumberOrNonFinite());
    return numbers;
}

double JsonCursor::Number() const
{
    if (!value_->is_number()) Refuse("expected a number, found " + DescribeValue(*value_));
    const double v = value_->get<double>();
    if (!std::isfinite(v)) Refuse("the number is out of range");
    return v;
}

double JsonCursor::Positive() const
{
    const double v = Number();
    if (!(v > 0.0)) Refuse("expected a positive number, found " + DescribeValue(*value_));
    return v;
}

double JsonCursor::NotNegative() const
{
    const double v = Number();
    if (v < 0.0) Refuse("expected a number of at least 0, found " + DescribeValue(*value_));
    return v;
}

double JsonCursor::NumberOrNonFinite() const
{
    if (value_->is_null()) return std::numeric_limits<double>::quiet_NaN();
    if (value_->is_string()) {
        const auto& text = value_->get_ref<const std::string&>();
        if (text == "nan") return std::numeric_limits<double>::quiet_NaN();
        if (text == "inf") return std::numeric_limits<double>::infinity();
        if (text == "-inf") return -std::numeric_limits<double>::infinity();
    }
    return Number();
}

std::optional<double> JsonCursor::NumberOrNull() const
{
    return IsNull() ? std::nullopt : std::optional<double>(Number());
}

std::optional<double> JsonCursor::PositiveOrNull() const
{
    return IsNull() ? std::nullopt : std::optional<double>(Positive());
}

std::optional<double> JsonCursor::NotNegativeOrNull() const
{
    return IsNull() ? std::nullopt : std::optional<double>(NotNegative());
}

std::uint64_t JsonCursor::Unsigned() const
{
    if (value_->is_number_unsigned()) return value_->get<std::uint64_t>();
    if (value_->is_number_integer() && value_->get<std::int64_t>() >= 0) return value_->get<std::uint64_t>();
    Refuse("expected a whole number of at least 0, found " + DescribeValue(*value_));
}

std::size_t JsonCursor::Count(std::size_t max) const
{
    const std::uint64_t v = Unsigned();
    if (v > max) Refuse("expected at most " + std::to_string(max) + ", found " + DescribeValue(*value_));
    return static_cast<std::size_t>(v);
}

int JsonCursor::Int() const
{
    if (!value_->is_number_integer() && !value_->is_number_unsigned()) {
        Refuse("expected a whole number, found " + DescribeValue(*value_));
    }
    if (value_->is_number_unsigned() && value_->get<std::uint64_t>() > static_cast<std::uint64_t>(std::numeric_limits<int>::max())) {
        Refuse("the number is too large");
    }
    const std::int64_t n = value_->get<std::int64_t>();
    if (n < std::numeric_limits<int>::min() || n > std::numeric_limits<int>::max()) Refuse("the number is too large");
    return static_cast<int>(n);
}

bool JsonCursor::Bool() const
{
    if (!value_->is_boolean()) Refuse("expected true or false, found " + DescribeValue(*value_));
    return value_->get<bool>();
}

std::string JsonCursor::String() const
{
    if (!value_->is_string()) Refuse("expected a string, found " + DescribeValue(*value_));
    return value_->get<std::string>();
}

std::size_t JsonCursor::OneOf(const std::vector<std::string>& names) const
{
    const std::string text = String();
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (names[i] == text) return i;
    }
    std::string list;
    for (const auto& name : names) list += (list.empty() ? "" : ", ") + name;
    Refuse("expected one of " + list + ", found " + DescribeValue(*value_));
}

}  // namespace mt1d::io
