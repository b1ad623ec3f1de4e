#pragma once
// The block layer of an EDI file: marker lines and the text between them.
//
// A marker is a line whose first non-blank character is '>' (indented markers are common).
// The name follows, upper-cased and without a leading '=' (">=DEFINEMEAS" → "DEFINEMEAS",
// ">=INFO" → "INFO"); then options (KEY=VALUE) and an optional "// n" count, which is a hint
// only. A ">!…!" line is a comment: it ends the block before it, and its block holds the
// lines after it. ">END" ends the file; nothing after it is read.

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace mt1d::sounding {

struct EdiBlock {
    std::string name;         // upper case; "!" for a comment line
    std::string_view marker;  // the marker line after the name: options and count
    std::string_view body;    // the lines up to the next marker, line ends included
    int line = 0;             // number of the marker line
    int bodyLine = 0;         // number of the first body line
};

struct EdiLexed {
    std::vector<EdiBlock> blocks;
    bool sawEnd = false;  // a >END line was found
};

// Throws ReadError when the file holds more than kMaxEdiBlocks blocks.
EdiLexed LexEdi(std::string_view text, const std::string& file);

// KEY=VALUE pairs of a marker or section line: keys upper-cased, values unquoted. Blanks
// around '=' are allowed ("X = 0."); a quoted value may hold blanks and '='. Words without
// '=' are skipped. Stops at a "//" outside quotes.
std::vector<std::pair<std::string, std::string>> ParseEdiOptions(std::string_view text);

// A line of a section body ("DATAID = "x y"", "ACQDATE = 1 / 1 / 4"): with one '=' outside
// quotes, everything after it is the value; with several, as ParseEdiOptions.
std::vector<std::pair<std::string, std::string>> ParseEdiKeyLine(std::string_view line);

// The n of a "// n" in a marker line; empty when there is none or it is not a count.
std::optional<int> EdiMarkerCount(std::string_view marker);

// The value of an option, by upper-case key.
const std::string* FindOption(const std::vector<std::pair<std::string, std::string>>& options,
                              std::string_view key);

}  // namespace mt1d::sounding
