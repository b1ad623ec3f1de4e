#include "sounding/Modes.h"

#include "sounding/Sounding.h"
#include "sounding/TextScan.h"

#include <algorithm>

namespace mt1d::sounding {

std::string_view ModeName(Mode mode)
{
    switch (mode) {
    case Mode::kXy: return "xy";
    case Mode::kYx: return "yx";
    case Mode::kDet: return "det";
    case Mode::kBerd: return "berd";
    }
    return "det";
}

std::optional<Mode> ParseMode(std::string_view name)
{
    for (const Mode m : kAllModes)
        if (EqualsIgnoreCase(Trim(name), ModeName(m))) return m;
    return std::nullopt;
}

std::string_view ModeNameList()
{
    return "xy|yx|det|berd";
}

namespace {

bool Has(const TensorRow& row, Component c)
{
    return row[c].value.has_value();
}

bool RowSupports(const TensorRow& row, Mode mode)
{
    switch (mode) {
    case Mode::kXy: return Has(row, Component::kXy);
    case Mode::kYx: return Has(row, Component::kYx);
    case Mode::kBerd: return Has(row, Component::kXy) && Has(row, Component::kYx);
    case Mode::kDet:
        return Has(row, Component::kXx) && Has(row, Component::kXy) && Has(row, Component::kYx) &&
               Has(row, Component::kYy);
    }
    return false;
}

}  // namespace

std::vector<Mode> SupportedModes(const Sounding& sounding)
{
    std::vector<Mode> modes;
    for (const Mode m : kAllModes) {
        bool any = false;
        if (sounding.kind == DataKind::kImpedance) {
            any = std::any_of(sounding.tensor.begin(), sounding.tensor.end(),
                              [m](const TensorRow& r) { return RowSupports(r, m); });
        } else {
            any = std::any_of(sounding.rhoPhase.begin(), sounding.rhoPhase.end(),
                              [m](const RhoPhaseRow& r) { return !r[m].Empty(); });
        }
        if (any) modes.push_back(m);
    }
    return modes;
}

Mode DefaultMode(const Sounding& sounding)
{
    const auto modes = SupportedModes(sounding);
    const auto supports = [&](Mode m) { return std::find(modes.begin(), modes.end(), m) != modes.end(); };
    const bool impedance = sounding.kind == DataKind::kImpedance;
    const auto order = impedance ? std::array{Mode::kDet, Mode::kBerd, Mode::kXy, Mode::kYx}
                                 : std::array{Mode::kXy, Mode::kDet, Mode::kBerd, Mode::kYx};
    for (const Mode m : order)
        if (supports(m)) return m;
    return order[0];
}

}  // namespace mt1d::sounding
