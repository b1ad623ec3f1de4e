#include "sounding/EdiData.h"

#include "sounding/EdiHeader.h"
#include "sounding/Limits.h"
#include "sounding/ReadError.h"
#include "sounding/TextScan.h"

#include <limits>

namespace mt1d::sounding {

BlockValues ReadBlockValues(const EdiBlock& block, double emptyValue, std::size_t limit, const std::string& file)
{
    BlockValues out;
    LineCursor lines(block.body, block.bodyLine);
    std::string_view line;
    while (lines.Next(line)) {
        TokenCursor tokens(line);
        std::string_view token;
        while (tokens.Next(token)) {
            double value = 0.0;
            switch (ClassifyToken(token, value)) {
            case TokenKind::kWord:
                throw ReadError(file, lines.LineNumber(), ReadProblem::kNotANumber,
                                "expected numbers in block >" + block.name + " (line " + std::to_string(block.line) +
                                    "), found '" + ToUtf8(token) + "'");
            case TokenKind::kMalformedNumber:
                ++out.malformed;
                value = std::numeric_limits<double>::quiet_NaN();
                break;
            case TokenKind::kNumber:
                if (IsEdiMissing(value, emptyValue)) {
                    ++out.missing;
                    value = std::numeric_limits<double>::quiet_NaN();
                }
                break;
            }
            if (out.values.size() >= limit)
                throw ReadError(file, lines.LineNumber(), ReadProblem::kTooLarge,
                                "block >" + block.name + " holds more than " + std::to_string(limit) +
                                    " values; mt1d reads up to " + std::to_string(kMaxFrequencies) +
                                    " frequencies and " + std::to_string(kMaxSpectraChannels) + " spectra channels");
            out.values.push_back(value);
        }
    }
    return out;
}

void CheckBlockCount(const EdiBlock& block, std::size_t held, std::size_t expected, const std::string& expectedWhat,
                     const std::string& file, std::vector<std::string>& notes)
{
    const auto hint = EdiMarkerCount(block.marker);
    if (hint && static_cast<std::size_t>(*hint) > held)
        throw ReadError(file, block.line, ReadProblem::kWrongCount,
                        "block >" + block.name + " announces " + std::to_string(*hint) + " values but holds " +
                            std::to_string(held) + "; the file looks cut short");
    if (held != expected)
        throw ReadError(file, block.line, ReadProblem::kWrongCount,
                        "block >" + block.name + " holds " + std::to_string(held) + " values; expected " +
                            std::to_string(expected) + " (" + expectedWhat + ")");
    if (hint && static_cast<std::size_t>(*hint) < held)
        notes.push_back("block >" + block.name + " (line " + std::to_string(block.line) + ") announces " +
                        std::to_string(*hint) + " values but holds " + std::to_string(held) + "; all were read");
}

}  // namespace mt1d::sounding
