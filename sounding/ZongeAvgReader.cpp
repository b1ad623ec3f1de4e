#include "sounding/ZongeAvgReader.h"

#include "sounding/ImpedanceMath.h"
#include "sounding/Limits.h"
#include "sounding/Normalize.h"
#include "sounding/ReadError.h"
#include "sounding/TextScan.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <numbers>
#include <set>

namespace mt1d::sounding {
namespace {

// Z.mag and ARes.mag that disagree by more than this factor in ρa make the reader trust ARes.mag.
constexpr double kMagnitudeTolerance = 1.5;
constexpr std::size_t kMaxColumns = 64;

std::vector<std::string_view> SplitCommas(std::string_view line)
{
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    while (fields.size() <= kMaxColumns) {
        const auto comma = line.find(',', start);
        fields.push_back(Trim(line.substr(start, comma == std::string_view::npos ? comma : comma - start)));
        if (comma == std::string_view::npos) break;
        start = comma + 1;
    }
    return fields;
}

bool IsColumnHeader(std::string_view t)
{
    const auto fields = SplitCommas(t);
    return fields.size() > 1 && std::any_of(fields.begin(), fields.end(), [](std::string_view f) {
               return EqualsIgnoreCase(f, "Freq") || EqualsIgnoreCase(f, "Skp");
           });
}

// "Zxy", "Zxyr": the tensor element, or -1 for another kind of component.
int ImpedanceIndex(std::string_view name)
{
    if (name.size() < 3 || (name[0] != 'Z' && name[0] != 'z')) return -1;
    static constexpr std::array<std::string_view, 4> kElements = {"xx", "xy", "yx", "yy"};
    for (std::size_t k = 0; k < kElements.size(); ++k)
        if (EqualsIgnoreCase(name.substr(1, 2), kElements[k])) return static_cast<int>(k);
    return -1;
}

struct Columns {
    int line = 0;
    std::vector<std::string> names;
    int Find(std::string_view name) const
    {
        for (std::size_t i = 0; i < names.size(); ++i)
            if (EqualsIgnoreCase(names[i], name)) return static_cast<int>(i);
        return -1;
    }
};

struct Element {
    double frequencyHz = 0.0;
    std::optional<double> zMag;
    std::optional<double> phaseMrad;
    std::optional<double> rho;
    std::optional<double> rhoPercentErr;
    std::optional<double> phaseErrMrad;
    int line = 0;
};

std::optional<double> Field(const std::vector<double>& values, int column)
{
    if (column < 0) return std::nullopt;
    const double v = values[static_cast<std::size_t>(column)];
    if (!std::isfinite(v)) return std::nullopt;
    return v;
}

double PhaseDeg(const std::optional<std::complex<double>>& z)
{
    return z ? PhaseDegrees(*z) : 0.0;
}

}  // namespace

bool LooksLikeZongeAvg(std::string_view bytes)
{
    LineCursor lines(bytes);
    std::string_view line;
    while (lines.Next(line)) {
        const std::string_view t = Trim(line);
        if (t.empty()) continue;
        return t.front() == '$' || (StartsWithIgnoreCase(t, "Skp") && IsColumnHeader(t));
    }
    return false;
}

Sounding ParseZongeAvg(std::string_view bytes, const std::string& file, const std::string& defaultName)
{
    Sounding s;
    s.sourceName = file;
    s.format = SourceFormat::kZongeAvg;
    s.kind = DataKind::kImpedance;
    std::vector<std::string>& notes = s.notes;

    std::vector<std::pair<std::string, std::string>> header;
    std::optional<Columns> columns;
    bool headerBeforeComponents = false;
    bool headerInComponents = false;
    std::string component;      // as written
    int componentIndex = -1;    // tensor element of the current component, or -1
    bool componentUsed = false; // false: a repeated or a non-impedance component, skipped
    std::array<std::string, 4> componentName;
    std::array<std::vector<Element>, 4> elements;
    std::vector<std::string> skipped;
    std::map<double, std::size_t> skipFlags;  // finite values only

    LineCursor lines(bytes);
    std::string_view line;
    while (lines.Next(line)) {
        const std::string_view t = Trim(line);
        if (t.empty()) continue;
        if (t.front() == '$') {
            const auto eq = t.find('=');
            const std::string key(Trim(t.substr(1, eq == std::string_view::npos ? std::string_view::npos : eq - 1)));
            std::string_view raw = eq == std::string_view::npos ? std::string_view() : Trim(t.substr(eq + 1));
            if (raw.size() >= 2 && raw.front() == '"' && raw.back() == '"') raw = raw.substr(1, raw.size() - 2);
            const std::string value = ToUtf8(raw);
            if (EqualsIgnoreCase(key, "Rx.Cmp")) {
                component = value;
                componentIndex = ImpedanceIndex(value);
                componentUsed = componentIndex >= 0 && componentName[static_cast<std::size_t>(componentIndex)].empty();
                if (componentUsed) {
                    componentName[static_cast<std::size_t>(componentIndex)] = value;
                } else if (componentIndex >= 0) {
                    notes.push_back("component " + value + " at line " + std::to_string(lines.LineNumber()) +
                                    " repeats " + componentName[static_cast<std::size_t>(componentIndex)] + "; skipped");
                } else if (std::find(skipped.begin(), skipped.end(), value) == skipped.end()) {
                    skipped.push_back(value);
                }
            } else if (component.empty() && header.size() < kMaxTextLines) {
                header.emplace_back(ToUpper(key), value);
            }
            continue;
        }
        if (IsColumnHeader(t) && !ParseNumber(SplitCommas(t).front())) {
            Columns c;
            c.line = lines.LineNumber();
            for (const auto f : SplitCommas(t)) c.names.emplace_back(f);
            if (c.Find("Freq") < 0)
                throw ReadError(file, c.line, ReadProblem::kMissingPart, "the column header names no Freq column; expected Skp,Freq,…,Z.mag,Z.phz,…");
            (component.empty() ? headerBeforeComponents : headerInComponents) = true;
            columns = std::move(c);
            continue;
        }
        // A row of data.
        if (!columns) throw ReadError(file, lines.LineNumber(), ReadProblem::kMissingPart, "data before the column header (Skp,Freq,…)");
        if (component.empty()) throw ReadError(file, lines.LineNumber(), ReadProblem::kMissingPart, "data before the first component line ($Rx.Cmp = …)");
        const auto fields = SplitCommas(t);
        if (fields.size() != columns->names.size())
            throw ReadError(file, lines.LineNumber(), ReadProblem::kWrongCount,
                            "expected " + std::to_string(columns->names.size()) + " comma-separated values as the column header (line " +
                                std::to_string(columns->line) + ") names; found " + std::to_string(fields.size()));
        std::vector<double> values;
        for (const auto f : fields) {
            if (f.empty()) {
                values.push_back(std::numeric_limits<double>::quiet_NaN());
                continue;
            }
            double v = 0.0;
            if (ClassifyToken(f, v) == TokenKind::kWord)
                throw ReadError(file, lines.LineNumber(), ReadProblem::kNotANumber, "'" + ToUtf8(f) + "' where a number belongs");
            values.push_back(v);
        }
        if (!componentUsed) continue;
        Element e;
        e.line = lines.LineNumber();
        const auto freq = Field(values, columns->Find("Freq"));
        e.frequencyHz = freq.value_or(std::numeric_limits<double>::quiet_NaN());
        e.zMag = Field(values, columns->Find("Z.mag"));
        e.phaseMrad = Field(values, columns->Find("Z.phz"));
        e.rho = Field(values, columns->Find("ARes.mag"));
        e.rhoPercentErr = Field(values, columns->Find("ARes.%err"));
        e.phaseErrMrad = Field(values, columns->Find("Z.perr"));
        if (const auto skp = Field(values, columns->Find("Skp")); skp && *skp != 2.0) ++skipFlags[*skp];
        auto& list = elements[static_cast<std::size_t>(componentIndex)];
        if (list.size() >= kMaxFrequencies)
            throw ReadError(file, e.line, ReadProblem::kTooLarge, "component " + component + " holds more than " + std::to_string(kMaxFrequencies) +
                                              " frequencies; mt1d reads up to that many");
        list.push_back(e);
    }
    if (std::all_of(elements.begin(), elements.end(), [](const auto& l) { return l.empty(); }))
        throw ReadError(file, 0, ReadProblem::kMissingPart, "expected impedance components ($Rx.Cmp = Zxy …) with data; the file holds none");

    // The site.
    auto find = [&](std::string_view key) -> const std::string* {
        for (const auto& [k, v] : header)
            if (EqualsIgnoreCase(k, key) && !v.empty()) return &v;
        return nullptr;
    };
    const std::string* station = find("STN.NAME");
    if (!station) station = find("RX.GDPSTN");
    s.site.name = station ? *station : defaultName;
    if (const auto* lat = find("GPS.LAT")) {
        const auto v = ParseNumber(*lat);
        if (v && std::isfinite(*v) && std::abs(*v) <= 90.0) s.site.location.latitudeDeg = v;
    }
    if (const auto* lon = find("GPS.LON")) {
        const auto v = ParseNumber(*lon);
        if (v && std::isfinite(*v) && std::abs(*v) <= 180.0) s.site.location.longitudeDeg = v;
    }
    double heading = 0.0;
    if (const auto* hpr = find("RX.HPR")) {
        const auto v = ParseNumber(Trim(hpr->substr(0, hpr->find(','))));
        if (v && std::isfinite(*v)) heading = *v;
    }
    s.site.header.emplace_back("DATAID", s.site.name);
    for (const auto& kv : header)
        if (kv.first != "GPS.LAT" && kv.first != "GPS.LON") s.site.header.push_back(kv);

    // Rows by frequency; the elements of each row from their components.
    std::map<double, std::size_t> index;
    std::size_t mismatched = 0;
    std::size_t comparable = 0;
    std::size_t noFrequency = 0;
    for (std::size_t k = 0; k < 4; ++k) {
        std::set<double> seen;
        for (const Element& e : elements[k]) {
            if (std::isnan(e.frequencyHz)) {
                ++noFrequency;
                continue;
            }
            if (!seen.insert(e.frequencyHz).second)
                throw ReadError(file, e.line, ReadProblem::kDuplicate, "component " + componentName[k] + " gives frequency " +
                                                  FormatNumber(e.frequencyHz) + " Hz twice");
            const auto [it, fresh] = index.emplace(e.frequencyHz, s.tensor.size());
            if (fresh) {
                s.tensor.emplace_back();
                s.tensor.back().frequencyHz = e.frequencyHz;
                s.tensor.back().rotationDeg = heading;
            }
            TensorRow& row = s.tensor[it->second];
            const bool usableF = std::isfinite(e.frequencyHz) && e.frequencyHz > 0.0;
            std::optional<double> magnitude = e.zMag && *e.zMag > 0.0 ? e.zMag : std::nullopt;
            if (usableF && e.rho && *e.rho > 0.0) {
                const double fromRho = std::sqrt(5.0 * e.frequencyHz * *e.rho);
                if (magnitude) {
                    ++comparable;
                    const double ratio = (fromRho * fromRho) / (*magnitude * *magnitude);
                    if (ratio > kMagnitudeTolerance || ratio < 1.0 / kMagnitudeTolerance) {
                        ++mismatched;
                        magnitude = fromRho;
                    }
                } else {
                    magnitude = fromRho;
                }
            }
            if (!magnitude || !e.phaseMrad) continue;
            const double phase = *e.phaseMrad / 1000.0;
            ImpedanceElement& z = row.z[k];
            z.value = std::polar(*magnitude, phase);
            double relative = 0.0;
            if (e.rhoPercentErr && *e.rhoPercentErr > 0.0) relative = *e.rhoPercentErr / 200.0;
            else if (e.phaseErrMrad && *e.phaseErrMrad > 0.0) relative = *e.phaseErrMrad / 1000.0;
            if (relative > 0.0 && std::isfinite(relative)) z.variance = (*magnitude * relative) * (*magnitude * relative);
        }
    }
    if (s.tensor.empty()) throw ReadError(file, 0, ReadProblem::kMissingPart, "no impedance row gives a frequency");
    if (s.tensor.size() > kMaxFrequencies)
        throw ReadError(file, 0, ReadProblem::kTooLarge, "more than " + std::to_string(kMaxFrequencies) + " frequencies; mt1d reads up to that many");

    notes.push_back(headerInComponents
                        ? "Zonge AVG with channel metadata and a column header for each component"
                        : (headerBeforeComponents ? "Zonge AVG with one column header for all components"
                                                  : "Zonge AVG"));
    if (heading != 0.0) notes.push_back("the tensor is taken in the frame of the receiver's heading, " + FormatNumber(heading) + "°");
    if (noFrequency > 0) notes.push_back(std::to_string(noFrequency) + " rows without a frequency skipped");
    if (mismatched > 0)
        notes.push_back(std::to_string(mismatched) + " of " + std::to_string(comparable) +
                        " values of Z.mag disagree with ARes.mag; |Z| taken from ARes.mag there");
    if (!skipped.empty()) {
        std::string list;
        for (const auto& n : skipped) list += (list.empty() ? "" : ", ") + n;
        notes.push_back("components other than impedances skipped: " + list);
    }
    if (!skipFlags.empty()) {
        std::string list;
        for (const auto& [flag, count] : skipFlags)
            list += (list.empty() ? "" : ", ") + std::to_string(count) + " with Skp=" + FormatNumber(flag);
        notes.push_back("rows whose Skp flag is not 2 were read like the others (" + list + ")");
    }

    // Polarity: xy near −135° and yx near +45° is the usual tensor negated.
    std::size_t xy = 0, xyThird = 0, yx = 0, yxFirst = 0;
    for (const auto& row : s.tensor) {
        if (const auto& v = row.z[1].value) {
            ++xy;
            const double p = PhaseDeg(v);
            if (p < -90.0) ++xyThird;
        }
        if (const auto& v = row.z[2].value) {
            ++yx;
            const double p = PhaseDeg(v);
            if (p > 0.0 && p < 90.0) ++yxFirst;
        }
    }
    const bool xyFlipped = xy > 0 && 2 * xyThird > xy;
    const bool yxFlipped = yx > 0 && 2 * yxFirst > yx;
    if ((xyFlipped || xy == 0) && (yxFlipped || yx == 0) && (xy > 0 || yx > 0)) {
        for (auto& row : s.tensor)
            for (auto& e : row.z)
                if (e.value) e.value = -*e.value;
        const std::string* flip = find("MTEDIT:AUTO.PHASEFLIP");
        notes.push_back("xy phases lie near −135° and yx phases near +45°: the impedances are the negatives of the "
                        "usual ones" +
                        std::string(flip ? " (MTEdit Auto.PhaseFlip=" + *flip + ")" : "") + "; all four elements negated");
    }
    NormalizeSounding(s);
    return s;
}

}  // namespace mt1d::sounding
