#pragma once
// The numbers of one EDI data block, shared by the impedance and the spectra sections.
//
// Tokens are separated by blanks or commas, any number per line. A token that came out
// wrong as a number ("******", "1.#QNAN") is a missing value, as is any value IsEdiMissing
// calls missing; missing values are NaN here and never 0. A word (a token starting with a
// letter, other than nan/inf) means the file's structure is broken there, for instance a
// marker that lost its '>', and is refused.

#include "sounding/EdiBlocks.h"

#include <cstddef>
#include <string>
#include <vector>

namespace mt1d::sounding {

struct BlockValues {
    std::vector<double> values;  // NaN where missing
    std::size_t missing = 0;     // values that were the missing-value mark or not finite
    std::size_t malformed = 0;   // tokens that came out wrong as numbers
};

// Throws ReadError for a word, or when the block holds more than `limit` values.
BlockValues ReadBlockValues(const EdiBlock& block, double emptyValue, std::size_t limit, const std::string& file);

// Checks the count of a block against its "// n" hint and the number it must hold:
// refuses a hint larger than what the block holds (the file looks cut short) and a block
// holding another number than `expected`; notes a hint smaller than the block.
// `expectedWhat` says where `expected` comes from ("the >FREQ block has 60").
void CheckBlockCount(const EdiBlock& block, std::size_t held, std::size_t expected, const std::string& expectedWhat,
                     const std::string& file, std::vector<std::string>& notes);

}  // namespace mt1d::sounding
