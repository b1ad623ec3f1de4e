#include "sounding/ReadOptions.h"

#include "sounding/TextScan.h"

namespace mt1d::sounding {

std::string_view RhoErrorUnitName(RhoErrorUnit unit)
{
    return unit == RhoErrorUnit::kOhmM ? "ohmm" : "log10";
}

std::optional<RhoErrorUnit> ParseRhoErrorUnit(std::string_view name)
{
    for (const auto u : {RhoErrorUnit::kLog10, RhoErrorUnit::kOhmM})
        if (EqualsIgnoreCase(Trim(name), RhoErrorUnitName(u))) return u;
    return std::nullopt;
}

std::string_view RhoErrorUnitNameList()
{
    return "log10|ohmm";
}

}  // namespace mt1d::sounding
