#include "report/DimsWriters.h"

#include <array>
#include <charconv>
#include <cmath>

namespace mt1d::report {

namespace {

constexpr std::array<const char*, 16> kColumns = {
    "frequency_hz", "period_s",    "phi_max_deg", "phi_min_deg",    "alpha_deg",  "beta_deg",
    "beta_sd_deg",  "strike_deg",  "strike_sd_deg", "ellipticity", "ellipticity_sd", "swift_skew",
    "bahr_skew",    "one_d",       "two_d",       "reason"};
constexpr std::size_t kNumbers = 13;  // the columns before one_d
constexpr int kTextDigits = 4;  // a table for the eye; the CSV and JSON keep every digit

std::array<std::optional<double>, kNumbers> NumbersOf(const dims::DimsRow& r)
{
    return {r.frequencyHz, r.periodS,     r.phiMaxDeg,   r.phiMinDeg,   r.alphaDeg,      r.betaDeg,    r.betaSdDeg,
            r.strikeDeg,   r.strikeSdDeg, r.ellipticity, r.ellipticitySd, r.swiftSkew, r.bahrSkew};
}

Json JsonFlag(const std::optional<bool>& flag)
{
    return flag ? Json(*flag) : Json(nullptr);
}

std::optional<bool> TwoD(const dims::DimsRow& r)
{
    return r.oneD ? std::optional<bool>(r.twoD) : std::nullopt;
}

std::string CsvFlag(const std::optional<bool>& flag)
{
    return flag ? (*flag ? "true" : "false") : "";
}

std::string Percent(double fraction)
{
    return Significant(100.0 * fraction, 3) + " %";
}

// `decimals` digits after the point; "-" for an absent value.
std::string Fixed(const std::optional<double>& value, int decimals)
{
    if (!value || !std::isfinite(*value)) return "-";
    std::array<char, 64> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), *value, std::chars_format::fixed,
                                      decimals);
    return std::string(buffer.data(), result.ptr);
}

// "12.3 ± 0.4", or "12.3" without an error, for the text table.
std::string WithError(const std::optional<double>& value, const std::optional<double>& sd, int decimals)
{
    if (!value) return "-";
    return Fixed(value, decimals) + (sd ? " ± " + Fixed(sd, decimals) : "");
}

}  // namespace

std::string DimsReason(const dims::DimsRow& row)
{
    if (row.note.empty()) return row.notOneD;
    if (row.notOneD.empty()) return row.note;
    return row.note + "; " + row.notOneD;
}

Json DimsJson(const jobs::SiteSummary& site, const dims::DimsResult& result)
{
    Json rows = Json::array();
    for (const auto& row : result.rows) {
        Json r = Json::object();
        const auto numbers = NumbersOf(row);
        for (std::size_t c = 0; c < kNumbers; ++c) r[kColumns[c]] = JsonNumber(numbers[c]);
        r[kColumns[13]] = JsonFlag(row.oneD);
        r[kColumns[14]] = JsonFlag(TwoD(row));
        r[kColumns[15]] = DimsReason(row);
        rows.push_back(std::move(r));
    }
    const auto& o = result.options;
    return {{"site", SiteJson(site)},
            {"limits",
             {{"max_skew_deg", JsonNumber(o.maxSkewDeg)},
              {"max_ellipticity", JsonNumber(o.maxEllipticity)},
              {"within_errors", o.withinErrors},
              {"error_multiple", JsonNumber(o.errorMultiple)}}},
            {"rows", std::move(rows)},
            {"computed_rows", result.computedRows},
            {"one_d_rows", result.oneDRows},
            {"two_d_rows", result.twoDRows},
            {"one_d_fraction", JsonNumber(result.oneDFraction)},
            {"strike_deg", JsonNumber(result.strikeDeg)},
            {"strike_sd_deg", JsonNumber(result.strikeSdDeg)},
            {"strike_weighted", result.strikeWeighted},
            {"notes", result.notes}};
}

std::string DimsCsv(const dims::DimsResult& result)
{
    std::string out;
    for (std::size_t c = 0; c < kColumns.size(); ++c) out += (c == 0 ? "" : ",") + std::string(kColumns[c]);
    out += "\n";
    for (const auto& row : result.rows) {
        for (const auto& v : NumbersOf(row)) out += NumberText(v) + ",";
        out += CsvFlag(row.oneD) + "," + CsvFlag(TwoD(row)) + "," + CsvField(DimsReason(row)) + "\n";
    }
    return out;
}

std::string DimsText(const jobs::SiteSummary& site, const dims::DimsResult& result)
{
    const auto& o = result.options;
    std::string out = SiteText(site);
    out += "1-D where |β| ≤ " + Significant(o.maxSkewDeg, 6) + "° and ellipticity ≤ " +
           Significant(o.maxEllipticity, 6) +
           (o.withinErrors ? ", each within " + Significant(o.errorMultiple, 6) + " standard errors" : std::string()) +
           "; angles clockwise from north, the strike modulo 90°\n\n";
    // Angles to 0.1° (0.01° for β, whose limit is a few degrees), ratios to 0.001.
    constexpr std::size_t kFrequency = 13, kAngle = 7, kPair = 16;
    out += AlignRight("frequency_hz", kFrequency) + AlignRight("φmax", kAngle) + AlignRight("φmin", kAngle) +
           AlignRight("α", kAngle) + AlignRight("β", kPair) + AlignRight("strike", kPair) +
           AlignRight("ellipticity", kPair) + AlignRight("swift", kAngle) + AlignRight("bahr", kAngle) + "  verdict\n";
    for (const auto& row : result.rows) {
        out += AlignRight(Significant(row.frequencyHz, kTextDigits + 1), kFrequency);
        for (const auto& v : {row.phiMaxDeg, row.phiMinDeg, row.alphaDeg}) out += AlignRight(Fixed(v, 1), kAngle);
        out += AlignRight(WithError(row.betaDeg, row.betaSdDeg, 2), kPair);
        out += AlignRight(WithError(row.strikeDeg, row.strikeSdDeg, 1), kPair);
        out += AlignRight(WithError(row.ellipticity, row.ellipticitySd, 3), kPair);
        out += AlignRight(Fixed(row.swiftSkew, 3), kAngle) + AlignRight(Fixed(row.bahrSkew, 3), kAngle);
        const std::string verdict = !row.oneD ? "-" : *row.oneD ? "1-D" : row.twoD ? "2-D" : "3-D";
        const std::string reason = DimsReason(row);
        out += "  " + verdict + (reason.empty() ? "" : ": " + reason) + "\n";
    }
    out += "\n";
    if (result.oneDFraction) {
        out += std::to_string(result.oneDRows) + " of " + std::to_string(result.computedRows) + " rows 1-D (" +
               Percent(*result.oneDFraction) + "), " + std::to_string(result.twoDRows) + " 2-D\n";
    } else {
        out += "no row has a phase tensor\n";
    }
    out += result.strikeDeg ? "site strike " + Fixed(result.strikeDeg, 1) + "° ± " + Fixed(result.strikeSdDeg, 1) +
                                  "° from north (or " + Fixed(*result.strikeDeg + 90.0, 1) + "°)\n"
                            : std::string("site strike: none (no 2-D row)\n");
    if (!result.notes.empty()) {
        out += "notes:\n";
        for (const auto& note : result.notes) out += "  " + note + "\n";
    }
    return out;
}

}  // namespace mt1d::report
