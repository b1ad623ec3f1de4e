#include "sounding/JFormatReader.h"

#include "sounding/EdiHeader.h"
#include "sounding/ImpedanceMath.h"
#include "sounding/Limits.h"
#include "sounding/Normalize.h"
#include "sounding/ReadError.h"
#include "sounding/TextScan.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <set>

namespace mt1d::sounding {
namespace {

constexpr double kMissing = -999.0;
// Lines looked at to recognise the format.
constexpr int kSniffLines = 60;
// A ratio of the file's ρa to the one its impedances give within this factor of a unit's
// expectation identifies that unit (the two units lie a factor 6.3·10⁵ apart).
constexpr double kUnitTolerance = 3.0;

bool IsMissing(double v)
{
    return !std::isfinite(v) || std::abs(v - kMissing) <= 1e-6 * std::abs(kMissing);
}

enum class BlockKind { kImpedance, kRhoPhase, kTipper, kOther };

struct BlockType {
    std::string_view name;
    BlockKind kind;
    int slot;  // Component, Mode or TipperComponent index; -1 for blocks mt1d does not use
};

constexpr std::array<BlockType, 21> kBlockTypes = {{
    {"ZXX", BlockKind::kImpedance, 0}, {"ZXY", BlockKind::kImpedance, 1}, {"ZYX", BlockKind::kImpedance, 2},
    {"ZYY", BlockKind::kImpedance, 3}, {"ZTE", BlockKind::kOther, -1},    {"ZTM", BlockKind::kOther, -1},
    {"ZAV", BlockKind::kOther, -1},    {"ZDE", BlockKind::kOther, -1},    {"RXX", BlockKind::kOther, -1},
    {"RXY", BlockKind::kRhoPhase, static_cast<int>(Mode::kXy)},
    {"RYX", BlockKind::kRhoPhase, static_cast<int>(Mode::kYx)},
    {"RDE", BlockKind::kRhoPhase, static_cast<int>(Mode::kDet)},
    {"RYY", BlockKind::kOther, -1},    {"RTE", BlockKind::kOther, -1},    {"RTM", BlockKind::kOther, -1},
    {"RAV", BlockKind::kOther, -1},    {"RZX", BlockKind::kOther, -1},    {"RZY", BlockKind::kOther, -1},
    {"TZX", BlockKind::kTipper, 0},    {"TZY", BlockKind::kTipper, 1},    {"CXY", BlockKind::kOther, -1},
}};

const BlockType* FindType(std::string_view word)
{
    for (const auto& t : kBlockTypes)
        if (EqualsIgnoreCase(word, t.name)) return &t;
    return nullptr;
}

std::string_view FirstToken(std::string_view line)
{
    TokenCursor tokens(line);
    std::string_view token;
    return tokens.Next(token) ? token : std::string_view();
}

bool IsSingleCount(std::string_view line)
{
    TokenCursor tokens(line);
    std::string_view token;
    if (!tokens.Next(token)) return false;
    std::string_view extra;
    return ParseCount(token).has_value() && !tokens.Next(extra);
}

// ">KEY = value": the key upper-cased, or nothing when the line has no '='.
std::optional<std::pair<std::string, std::string>> InfoLine(std::string_view t)
{
    if (t.empty() || t.front() != '>') return std::nullopt;
    t.remove_prefix(1);
    const auto eq = t.find('=');
    if (eq == std::string_view::npos) return std::nullopt;
    const std::string_view key = Trim(t.substr(0, eq));
    if (key.empty() || key.find_first_of(" \t") != std::string_view::npos) return std::nullopt;
    return std::pair{ToUpper(key), ToUtf8(Trim(t.substr(eq + 1)))};
}

bool IsJInfoKey(const std::string& key)
{
    return key == "LATITUDE" || key == "LONGITUDE" || key == "ELEVATION" || key == "AZIMUTH" || key == "STATION";
}

struct Block {
    const BlockType* type = nullptr;
    std::string name;   // as written, upper-cased
    std::string units;  // the rest of the name line
    int line = 0;
    struct Row {
        std::vector<double> v;
        int line = 0;
    };
    std::vector<Row> rows;
};

struct Lexed {
    std::vector<std::string> comments;
    std::vector<std::pair<std::string, std::string>> info;
    std::string station;
    std::vector<Block> blocks;
};

// The line layer: comments, information lines, the station line and blocks of counted rows.
Lexed Lex(std::string_view bytes, const std::string& file)
{
    enum class State { kPreamble, kName, kCount, kRows };
    Lexed out;
    State state = State::kPreamble;
    std::size_t remaining = 0;
    LineCursor lines(bytes);
    std::string_view line;
    while (lines.Next(line)) {
        const std::string_view t = Trim(line);
        if (t.empty()) continue;
        if (t.front() == '#') {
            if (out.comments.size() < kMaxTextLines) {
                std::string_view c = t.substr(1);
                while (!c.empty() && IsBlank(c.back())) c.remove_suffix(1);
                if (!Trim(c).empty()) out.comments.push_back(ToUtf8(c));
            }
            continue;
        }
        switch (state) {
        case State::kPreamble:
            if (t.front() == '>') {
                if (auto kv = InfoLine(t); kv && out.info.size() < kMaxTextLines) out.info.push_back(std::move(*kv));
                continue;
            }
            if (out.station.empty() && !FindType(FirstToken(t))) {
                out.station = ToUtf8(t);
                continue;
            }
            [[fallthrough]];
        case State::kName: {
            if (t.front() == '>') throw ReadError(file, lines.LineNumber(), ReadProblem::kNotSounding, "information line after the data blocks; expected a block type such as ZXY or RXY");
            if (out.blocks.size() >= kMaxFrequencies)
                throw ReadError(file, lines.LineNumber(), ReadProblem::kTooLarge, "more than " + std::to_string(kMaxFrequencies) + " blocks");
            Block b;
            TokenCursor tokens(t);
            std::string_view word;
            tokens.Next(word);
            b.name = ToUpper(word);
            b.type = FindType(word);
            b.units = std::string(Trim(tokens.Rest()));
            b.line = lines.LineNumber();
            out.blocks.push_back(std::move(b));
            state = State::kCount;
            break;
        }
        case State::kCount: {
            const Block& b = out.blocks.back();
            if (!IsSingleCount(t))
                throw ReadError(file, lines.LineNumber(), ReadProblem::kNotANumber,
                                "expected the number of rows of block " + b.name + " (line " + std::to_string(b.line) +
                                    "), a single whole number");
            remaining = static_cast<std::size_t>(*ParseCount(FirstToken(t)));
            if (remaining > kMaxFrequencies)
                throw ReadError(file, lines.LineNumber(), ReadProblem::kTooLarge,
                                "block " + b.name + " announces " + std::to_string(remaining) + " rows; mt1d reads up to " +
                                    std::to_string(kMaxFrequencies));
            state = remaining == 0 ? State::kName : State::kRows;
            break;
        }
        case State::kRows: {
            Block& b = out.blocks.back();
            Block::Row row;
            row.line = lines.LineNumber();
            TokenCursor tokens(t);
            std::string_view token;
            while (tokens.Next(token)) {
                double v = 0.0;
                if (ClassifyToken(token, v) == TokenKind::kWord)
                    throw ReadError(file, lines.LineNumber(), ReadProblem::kWrongCount,
                                    "expected row " + std::to_string(b.rows.size() + 1) + " of the " +
                                        std::to_string(b.rows.size() + remaining) + " rows of block " + b.name +
                                        " (line " + std::to_string(b.line) + "), found '" + ToUtf8(token) +
                                        "': the block holds fewer rows than its count says");
                if (row.v.size() < 32) row.v.push_back(v);
            }
            b.rows.push_back(std::move(row));
            if (--remaining == 0) state = State::kName;
            break;
        }
        }
    }
    if (state == State::kCount || state == State::kRows) {
        const Block& b = out.blocks.back();
        throw ReadError(file, lines.LineNumber(), ReadProblem::kWrongCount,
                        "block " + b.name + " (line " + std::to_string(b.line) + ") ends after " +
                            std::to_string(b.rows.size()) + " of its rows: the file looks cut short");
    }
    return out;
}

// The frequency of a row's first value (a period, or a frequency when negative); nothing for
// a missing row.
std::optional<double> RowFrequency(double first, int line, const std::string& file)
{
    if (IsMissing(first)) return std::nullopt;
    if (first > 0.0) return 1.0 / first;
    if (first < 0.0) return -first;
    throw ReadError(file, line, ReadProblem::kBadValue, "a period of 0; expected a period in s (or a negative frequency in Hz)");
}

template <typename Row>
Row& RowAt(std::vector<Row>& rows, std::map<double, std::size_t>& index, double f)
{
    const auto [it, fresh] = index.emplace(f, rows.size());
    if (fresh) {
        rows.emplace_back();
        rows.back().frequencyHz = f;
    }
    return rows[it->second];
}

void CheckRowLength(const Block& b, const Block::Row& r, std::size_t need, const char* what, const std::string& file)
{
    if (r.v.size() < need)
        throw ReadError(file, r.line, ReadProblem::kWrongCount,
                        "block " + b.name + " needs " + std::to_string(need) + " numbers per row (" + what + "); this row has " +
                            std::to_string(r.v.size()));
}

struct UnitCheck {
    std::vector<double> ratios;  // file ρa over the ρa of the raw impedance read as field units
};

bool IsSiUnits(const std::string& units)
{
    std::string u;
    for (const char c : units)
        if (c != '.' && c != ' ') u.push_back(c);
    return EqualsIgnoreCase(u, "SI");
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

bool LooksLikeJFormat(std::string_view bytes)
{
    LineCursor lines(bytes);
    std::string_view line;
    std::vector<std::string_view> significant;
    for (int n = 0; n < kSniffLines && lines.Next(line); ++n) {
        const std::string_view t = Trim(line);
        if (t.empty() || t.front() == '#') continue;
        if (significant.empty() && t.front() == '>') {
            const auto kv = InfoLine(t);
            return kv && IsJInfoKey(kv->first);
        }
        significant.push_back(t);
        if (significant.size() == 3) break;
    }
    // A block type and its count, after a station line or without one.
    for (std::size_t i = 0; i + 1 < significant.size() && i < 2; ++i)
        if (FindType(FirstToken(significant[i])) && IsSingleCount(significant[i + 1])) return true;
    return false;
}

Sounding ParseJFormat(std::string_view bytes, const std::string& file, const std::string& defaultName)
{
    const Lexed lexed = Lex(bytes, file);
    Sounding s;
    s.sourceName = file;
    s.format = SourceFormat::kJFormat;
    s.site.name = lexed.station.empty() ? defaultName : lexed.station;
    s.site.info = lexed.comments;
    std::vector<std::string>& notes = s.notes;

    double azimuth = 0.0;
    for (const auto& [key, value] : lexed.info) {
        const bool unknown = value.empty() || (ParseNumber(value) && IsMissing(*ParseNumber(value)));
        if (key == "LATITUDE") {
            if (!unknown) s.site.location.latitudeDeg = ParseEdiAngle(value);
        } else if (key == "LONGITUDE") {
            if (!unknown) s.site.location.longitudeDeg = ParseEdiAngle(value);
        } else if (key == "ELEVATION") {
            const auto v = ParseNumber(value);
            if (!unknown && v && std::isfinite(*v)) s.site.location.elevationM = v;
        } else if (key == "AZIMUTH") {
            const auto v = ParseNumber(value);
            if (!unknown && v && std::isfinite(*v)) azimuth = *v;
        } else if (!value.empty()) {
            s.site.header.emplace_back(key, value);
        }
    }
    auto& loc = s.site.location;
    if (loc.latitudeDeg && std::abs(*loc.latitudeDeg) > 90.0) {
        notes.push_back("latitude " + FormatNumber(*loc.latitudeDeg) + "° is out of range: ignored");
        loc.latitudeDeg.reset();
    }
    if (loc.longitudeDeg) {
        double lon = *loc.longitudeDeg;
        if (lon > 180.0 && lon <= 360.0) lon -= 360.0;
        if (std::abs(lon) > 180.0) {
            notes.push_back("longitude " + FormatNumber(lon) + "° is out of range: ignored");
            loc.longitudeDeg.reset();
        } else {
            loc.longitudeDeg = lon;
        }
    }
    s.site.header.insert(s.site.header.begin(), {"DATAID", s.site.name});

    bool anyZ = false;
    bool anyR = false;
    std::vector<std::string> skipped;
    for (const Block& b : lexed.blocks) {
        if (!b.type || b.type->slot < 0) {
            if (std::find(skipped.begin(), skipped.end(), b.name) == skipped.end()) skipped.push_back(b.name);
            continue;
        }
        if (b.rows.empty()) continue;
        anyZ = anyZ || b.type->kind == BlockKind::kImpedance;
        anyR = anyR || b.type->kind == BlockKind::kRhoPhase;
    }
    if (!anyZ && !anyR)
        throw ReadError(file, 0, ReadProblem::kMissingPart,
                        "expected impedance blocks (ZXY …) or apparent resistivity and phase blocks (RXY …) with rows");

    // The units of the impedance blocks, and the check against the ρa blocks.
    std::optional<bool> declaredSi;
    std::map<int, std::map<double, double>> rhoOf;  // mode slot → frequency → file ρa
    for (const Block& b : lexed.blocks) {
        if (!b.type || b.type->kind != BlockKind::kRhoPhase) continue;
        for (const auto& r : b.rows) {
            if (r.v.size() < 2) continue;
            const auto f = IsMissing(r.v[0]) || r.v[0] == 0.0 ? std::nullopt : RowFrequency(r.v[0], r.line, file);
            if (f && !IsMissing(r.v[1]) && r.v[1] > 0.0) rhoOf[b.type->slot][*f] = r.v[1];
        }
    }
    std::vector<double> ratios;
    for (const Block& b : lexed.blocks) {
        if (!b.type || b.type->kind != BlockKind::kImpedance) continue;
        const bool si = IsSiUnits(b.units);
        if (declaredSi && *declaredSi != si)
            throw ReadError(file, b.line, ReadProblem::kBadValue, "block " + b.name + " gives its impedances in other units than the blocks before it");
        declaredSi = si;
        const int mode = b.type->slot == 1 ? static_cast<int>(Mode::kXy) : b.type->slot == 2 ? static_cast<int>(Mode::kYx) : -1;
        if (mode < 0 || !rhoOf.count(mode)) continue;
        for (const auto& r : b.rows) {
            if (r.v.size() < 3 || IsMissing(r.v[0]) || r.v[0] == 0.0 || IsMissing(r.v[1]) || IsMissing(r.v[2])) continue;
            const double f = *RowFrequency(r.v[0], r.line, file);
            const auto it = rhoOf[mode].find(f);
            const double fromZ = ApparentResistivity({r.v[1], r.v[2]}, f);
            if (it != rhoOf[mode].end() && fromZ > 0.0 && std::isfinite(fromZ)) ratios.push_back(it->second / fromZ);
        }
    }
    double factor = declaredSi.value_or(false) ? kFieldUnitsPerOhm : 1.0;
    if (anyZ && !ratios.empty()) {
        const double ratio = Median(ratios);
        const double ohmRatio = kFieldUnitsPerOhm * kFieldUnitsPerOhm;
        const bool looksField = ratio > 1.0 / kUnitTolerance && ratio < kUnitTolerance;
        const bool looksOhm = ratio > ohmRatio / kUnitTolerance && ratio < ohmRatio * kUnitTolerance;
        if (declaredSi.value_or(false) && looksField) {
            factor = 1.0;
            notes.push_back("the impedance blocks say S.I. (ohm), but the file's own ρa blocks agree with them read as "
                            "(mV/km)/nT; read as (mV/km)/nT");
        } else if (!declaredSi.value_or(false) && looksOhm) {
            factor = kFieldUnitsPerOhm;
            notes.push_back("the impedance blocks name no units, but the file's own ρa blocks agree with them read as "
                            "ohms; converted from ohms to (mV/km)/nT");
        } else if (!looksField && !looksOhm) {
            notes.push_back("the file's ρa blocks differ from the ρa of its impedances by a factor " +
                            FormatNumber(ratio, 3) + "; the impedances are read as the blocks say");
        }
    } else if (declaredSi.value_or(false)) {
        notes.push_back("impedances given in S.I. units (ohm); converted to (mV/km)/nT");
    }

    std::size_t missingRows = 0;
    if (anyZ) {
        s.kind = DataKind::kImpedance;
        std::map<double, std::size_t> index;
        // Impedances first, so that a tipper finds the rows whatever the order of the blocks.
        for (const BlockKind kind : {BlockKind::kImpedance, BlockKind::kTipper})
        for (const Block& b : lexed.blocks) {
            if (!b.type || b.type->kind != kind) continue;
            const bool tipper = kind == BlockKind::kTipper;
            std::set<double> seen;
            for (const auto& r : b.rows) {
                CheckRowLength(b, r, 4, tipper ? "period, Re T, Im T, error" : "period, Re Z, Im Z, error", file);
                const auto f = RowFrequency(r.v[0], r.line, file);
                if (!f) {
                    ++missingRows;
                    continue;
                }
                if (!seen.insert(*f).second) throw ReadError(file, r.line, ReadProblem::kDuplicate, "block " + b.name + " gives this period twice");
                if (tipper && !index.count(*f)) continue;  // a tipper without an impedance row
                TensorRow& row = RowAt(s.tensor, index, *f);
                row.rotationDeg = azimuth;
                if (IsMissing(r.v[1]) || IsMissing(r.v[2])) continue;
                const double scale = tipper ? 1.0 : factor;
                const std::complex<double> value(scale * r.v[1], scale * r.v[2]);
                std::optional<double> variance;
                if (!IsMissing(r.v[3]) && r.v[3] > 0.0) variance = (scale * r.v[3]) * (scale * r.v[3]);
                if (tipper) {
                    row.tipper[static_cast<std::size_t>(b.type->slot)] = {value, variance};
                } else {
                    row.z[static_cast<std::size_t>(b.type->slot)] = {value, variance};
                }
            }
        }
        if (anyR) notes.push_back("apparent resistivity and phase blocks ignored; the curves come from the impedances");
    } else {
        s.kind = DataKind::kRhoPhase;
        std::map<double, std::size_t> index;
        for (const Block& b : lexed.blocks) {
            if (!b.type || b.type->kind != BlockKind::kRhoPhase) continue;
            std::set<double> seen;
            for (const auto& r : b.rows) {
                CheckRowLength(b, r, 7, "period, ρa, φ, ρa max, ρa min, φ max, φ min", file);
                const auto f = RowFrequency(r.v[0], r.line, file);
                if (!f) {
                    ++missingRows;
                    continue;
                }
                if (!seen.insert(*f).second) throw ReadError(file, r.line, ReadProblem::kDuplicate, "block " + b.name + " gives this period twice");
                RhoPhaseRow& row = RowAt(s.rhoPhase, index, *f);
                row.rotationDeg = azimuth;
                RhoPhaseValue& v = row.byMode[static_cast<std::size_t>(b.type->slot)];
                if (!IsMissing(r.v[1]) && r.v[1] > 0.0) {
                    v.rhoOhmM = r.v[1];
                    if (!IsMissing(r.v[3]) && !IsMissing(r.v[4]) && r.v[3] > r.v[4]) v.rhoErrOhmM = (r.v[3] - r.v[4]) / 2.0;
                }
                if (!IsMissing(r.v[2])) {
                    v.phaseDeg = r.v[2];
                    if (!IsMissing(r.v[5]) && !IsMissing(r.v[6]) && r.v[5] != r.v[6])
                        v.phaseErrDeg = std::abs(r.v[5] - r.v[6]) / 2.0;
                }
            }
        }
    }
    if (azimuth != 0.0) notes.push_back("the data are given in the frame " + FormatNumber(azimuth) + "° from north (AZIMUTH)");
    if (missingRows > 0) notes.push_back(std::to_string(missingRows) + " rows marked missing (-999) skipped");
    if (!skipped.empty()) {
        std::string list;
        for (const auto& n : skipped) list += (list.empty() ? "" : ", ") + n;
        notes.push_back("blocks not used by mt1d skipped: " + list);
    }
    if (s.RowCount() == 0) throw ReadError(file, 0, ReadProblem::kMissingPart, "every row of the data blocks is marked missing");
    NormalizeSounding(s);
    return s;
}

}  // namespace mt1d::sounding
