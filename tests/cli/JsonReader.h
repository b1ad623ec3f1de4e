#pragma once
// A strict JSON reader for checking mt1d's output: parses the whole text into a tree and
// throws std::runtime_error at the first thing that is not JSON.

#include <cstddef>
#include <cstdlib>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace cli_testing {

struct Json {
    enum class Kind { kNull, kBool, kNumber, kString, kArray, kObject };
    Kind kind = Kind::kNull;
    bool boolean = false;
    double number = 0.0;
    std::string text;
    std::vector<Json> items;
    std::map<std::string, Json> members;

    bool Has(const std::string& key) const { return members.count(key) != 0; }
    const Json& operator[](const std::string& key) const
    {
        const auto it = members.find(key);
        if (it == members.end()) throw std::runtime_error("no member " + key);
        return it->second;
    }
    const Json& operator[](std::size_t i) const { return items.at(i); }
};

class JsonReader {
public:
    static Json Parse(const std::string& text)
    {
        JsonReader reader(text);
        reader.SkipBlanks();
        Json value = reader.Value();
        reader.SkipBlanks();
        if (reader.pos_ != text.size()) reader.Fail("text after the value");
        return value;
    }

private:
    explicit JsonReader(const std::string& text) : s_(text) {}

    [[noreturn]] void Fail(const std::string& what) const
    {
        throw std::runtime_error("JSON: " + what + " at offset " + std::to_string(pos_));
    }
    bool AtEnd() const { return pos_ >= s_.size(); }
    char Peek() const { return AtEnd() ? '\0' : s_[pos_]; }
    void SkipBlanks()
    {
        while (!AtEnd() && (Peek() == ' ' || Peek() == '\n' || Peek() == '\r' || Peek() == '\t')) ++pos_;
    }
    void Expect(char c)
    {
        if (Peek() != c) Fail(std::string("expected '") + c + "'");
        ++pos_;
    }
    void Literal(const std::string& word)
    {
        if (s_.compare(pos_, word.size(), word) != 0) Fail("bad literal");
        pos_ += word.size();
    }

    Json Value()
    {
        Json v;
        const char c = Peek();
        if (c == '{') {
            v.kind = Json::Kind::kObject;
            ++pos_;
            SkipBlanks();
            if (Peek() == '}') {
                ++pos_;
                return v;
            }
            while (true) {
                SkipBlanks();
                const std::string key = String();
                SkipBlanks();
                Expect(':');
                SkipBlanks();
                if (v.members.count(key) != 0) Fail("duplicate key " + key);
                v.members[key] = Value();
                SkipBlanks();
                if (Peek() == ',') {
                    ++pos_;
                    continue;
                }
                Expect('}');
                return v;
            }
        }
        if (c == '[') {
            v.kind = Json::Kind::kArray;
            ++pos_;
            SkipBlanks();
            if (Peek() == ']') {
                ++pos_;
                return v;
            }
            while (true) {
                SkipBlanks();
                v.items.push_back(Value());
                SkipBlanks();
                if (Peek() == ',') {
                    ++pos_;
                    continue;
                }
                Expect(']');
                return v;
            }
        }
        if (c == '"') {
            v.kind = Json::Kind::kString;
            v.text = String();
            return v;
        }
        if (c == 't' || c == 'f') {
            v.kind = Json::Kind::kBool;
            v.boolean = c == 't';
            Literal(v.boolean ? "true" : "false");
            return v;
        }
        if (c == 'n') {
            Literal("null");
            return v;
        }
        v.kind = Json::Kind::kNumber;
        v.number = Number();
        return v;
    }

    // -?(0|[1-9]\d*)(\.\d+)?([eE][+-]?\d+)?
    double Number()
    {
        const std::size_t start = pos_;
        const auto digits = [&] {
            const std::size_t from = pos_;
            while (Peek() >= '0' && Peek() <= '9') ++pos_;
            return pos_ - from;
        };
        if (Peek() == '-') ++pos_;
        if (Peek() == '0') {
            ++pos_;
        } else if (digits() == 0) {
            Fail("bad number");
        }
        if (Peek() == '.') {
            ++pos_;
            if (digits() == 0) Fail("bad fraction");
        }
        if (Peek() == 'e' || Peek() == 'E') {
            ++pos_;
            if (Peek() == '+' || Peek() == '-') ++pos_;
            if (digits() == 0) Fail("bad exponent");
        }
        return std::strtod(s_.substr(start, pos_ - start).c_str(), nullptr);
    }

    std::string String()
    {
        Expect('"');
        std::string out;
        while (true) {
            if (AtEnd()) Fail("unterminated string");
            const char c = s_[pos_++];
            if (c == '"') return out;
            if (static_cast<unsigned char>(c) < 0x20) Fail("control character in string");
            if (c != '\\') {
                out += c;
                continue;
            }
            const char e = AtEnd() ? '\0' : s_[pos_++];
            switch (e) {
            case '"': out += '"'; break;
            case '\\': out += '\\'; break;
            case '/': out += '/'; break;
            case 'b': out += '\b'; break;
            case 'f': out += '\f'; break;
            case 'n': out += '\n'; break;
            case 'r': out += '\r'; break;
            case 't': out += '\t'; break;
            case 'u': {
                if (pos_ + 4 > s_.size()) Fail("short \\u escape");
                const unsigned code = std::stoul(s_.substr(pos_, 4), nullptr, 16);
                pos_ += 4;
                if (code >= 0x80) Fail("only ASCII \\u escapes are expected");
                out += static_cast<char>(code);
                break;
            }
            default: Fail("bad escape");
            }
        }
    }

    const std::string& s_;
    std::size_t pos_ = 0;
};

}  // namespace cli_testing
