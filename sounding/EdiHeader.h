#pragma once
// The descriptive part of an EDI file: HEAD (site name, location, the missing-value mark),
// INFO (free text), DEFINEMEAS (reference location) and the HMEAS/EMEAS channel lines.
//
// Location: LAT and LONG (or LON) in HEAD, else REFLAT and REFLONG in DEFINEMEAS; either
// D:M:S ("-19:25:58.74", seconds may read 60.00), decimal degrees, or either with a
// hemisphere letter. 0, 0 means the writer did not know. Elevation: ELEV, else REFELEV.

#include "sounding/EdiBlocks.h"
#include "sounding/Sounding.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mt1d::sounding {

struct EdiChannel {
    std::string id;    // as written ("251.025")
    std::string type;  // CHTYPE upper-cased: HX, HY, HZ, EX, EY, RX, RY, RRHX, …
    int line = 0;
};

struct EdiHeader {
    Site site;
    double emptyValue = 1.0e32;  // the missing-value mark (HEAD EMPTY=)
    std::vector<EdiChannel> channels;
    std::vector<std::string> notes;
};

// Reads what is there and notes what is odd; refuses nothing. defaultName is the site name
// when HEAD has no DATAID.
EdiHeader ReadEdiHeader(const EdiLexed& lexed, const std::string& defaultName);

// A latitude or longitude in degrees, or nothing when the text is not one.
std::optional<double> ParseEdiAngle(std::string_view text);

// Whether a value read from a data block stands for "no value": not finite, the standard's
// mark 1.0E32 (whatever EMPTY says), or the file's EMPTY mark. Large marks match when
// |v| ≥ 0.99·|mark|, as writers spell them 1.0E32, 1E+32, 1.000000e+032 or 0.1000000E+33;
// small ones (−999) within a relative 1e-6.
bool IsEdiMissing(double value, double emptyValue);

}  // namespace mt1d::sounding
