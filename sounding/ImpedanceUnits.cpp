#include "sounding/ImpedanceUnits.h"

#include "sounding/ImpedanceMath.h"

#include <string>

namespace mt1d::sounding {

std::optional<double> FieldUnitsPer(std::string_view units)
{
    std::string key;
    for (const char c : units) {
        if (c == ' ' || c == '\t' || c == '[' || c == ']' || c == '(' || c == ')' || c == '_') continue;
        key.push_back((c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c);
    }
    if (key == "mv/km/nt" || key == "millivoltsperkilometerpernanotesla" || key == "millivoltperkilometerpernanotesla")
        return 1.0;
    if (key == "ohm" || key == "ohms" || key == "\xCE\xA9" || key == "v/m/a/m" || key == "v/a") return kFieldUnitsPerOhm;
    if (key == "v/m/t" || key == "m/s") return 1.0e-3;
    return std::nullopt;
}

}  // namespace mt1d::sounding
