#pragma once
// Modes by name, and which modes a sounding can give a curve for. What the command line and
// the window offer the user.

#include "sounding/Curve.h"

#include <array>
#include <optional>
#include <string_view>
#include <vector>

namespace mt1d::sounding {

struct Sounding;

inline constexpr std::array<Mode, 4> kAllModes = {Mode::kXy, Mode::kYx, Mode::kDet, Mode::kBerd};

// "xy", "yx", "det", "berd".
std::string_view ModeName(Mode mode);
// The mode of one of those names, in any case; nothing for any other text.
std::optional<Mode> ParseMode(std::string_view name);
// "xy|yx|det|berd", for help texts and messages.
std::string_view ModeNameList();

// The modes that at least one row of the sounding has data for, in the order of kAllModes.
// Impedance soundings: xy needs Zxy, yx needs Zyx, berd both, det all four elements.
// ρa/φ soundings: the modes the file holds values for.
std::vector<Mode> SupportedModes(const Sounding& sounding);

// The mode to show when the user names none: the first mode the sounding supports of
// det, berd, xy, yx for impedance soundings and of xy, det, berd, yx for ρa/φ soundings (so
// det and xy whenever possible); the first of the list when it supports none.
Mode DefaultMode(const Sounding& sounding);

}  // namespace mt1d::sounding
