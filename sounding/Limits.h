#pragma once
// How much one sounding file may hold. The readers refuse anything larger, with these
// numbers in the message, so that a stray file in a folder fed to the batch can neither
// exhaust memory nor keep a reader busy.

#include <cstddef>

namespace mt1d::sounding {

inline constexpr std::size_t kMaxFileBytes = 64u * 1024u * 1024u;  // 64 MB
inline constexpr std::size_t kMaxFrequencies = 10'000;

// Structural bounds that follow from the two above: an EDI file holds a few dozen blocks
// besides one spectra block per frequency, a spectra matrix is NCHAN × NCHAN, and the free
// text kept from a header is for the user's eyes only.
inline constexpr std::size_t kMaxEdiBlocks = kMaxFrequencies + 1'000;
inline constexpr std::size_t kMaxSpectraChannels = 32;
inline constexpr std::size_t kMaxTextLines = 1'000;

}  // namespace mt1d::sounding
