#pragma once
// How much one sounding file may hold, and which values a row may hold and still be used: the
// one place these numbers live, so that messages and the help can quote them.
//
// Size. The readers refuse anything larger, with these numbers in the message, so that a
// stray file in a folder fed to the batch can neither exhaust memory nor keep a reader busy.
//
// Values. A row whose values lie outside these ranges stays in the sounding but is not usable
// (CurveDerivation.h marks it and says why): no fit, plot or export treats it as data. The
// ranges are wide enough for any sounding taken on the earth (periods from a microsecond to
// eleven days, resistivities far beyond rocks and sea water) and narrow enough that nothing
// derived from a usable row (a period, log10 ρa, an error weight) can overflow or lose all
// its digits.

#include <cstddef>
#include <string_view>

namespace mt1d::sounding {

inline constexpr std::size_t kMaxFileBytes = 64u * 1024u * 1024u;  // 64 MB
inline constexpr std::size_t kMaxFrequencies = 10'000;

// Structural bounds that follow from the two above: an EDI file holds a few dozen blocks
// besides one spectra block per frequency, a spectra matrix is NCHAN × NCHAN, and the free
// text kept from a header is for the user's eyes only.
inline constexpr std::size_t kMaxEdiBlocks = kMaxFrequencies + 1'000;
inline constexpr std::size_t kMaxSpectraChannels = 32;
inline constexpr std::size_t kMaxTextLines = 1'000;

// A usable row: frequency, apparent resistivity and phase within these bounds (inclusive),
// and errors no larger than these: δρa/ρa at most kMaxRelativeError (for an impedance,
// δρa/ρa = 2·δ|Z|/|Z|), the phase error at most kMaxPhaseErrorDeg.
inline constexpr double kMinFrequencyHz = 1e-6;
inline constexpr double kMaxFrequencyHz = 1e6;
inline constexpr double kMinApparentResistivityOhmM = 1e-9;
inline constexpr double kMaxApparentResistivityOhmM = 1e9;
inline constexpr double kMaxPhaseMagnitudeDeg = 180.0;  // phases from −180° to 180°
inline constexpr double kMaxRelativeError = 1e3;
inline constexpr double kMaxPhaseErrorDeg = 180.0;

// The ranges above as one sentence for the help and for messages.
inline constexpr std::string_view kUsableRangesText =
    "frequencies from 1e-6 to 1e6 Hz, apparent resistivities from 1e-9 to 1e9 ohm-m, phases from -180 to 180 "
    "degrees, apparent resistivity errors at most 1000 times the value and phase errors at most 180 degrees";

}  // namespace mt1d::sounding
