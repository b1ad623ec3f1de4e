#include "report/CurveWriters.h"

#include "sounding/Modes.h"

#include <array>

namespace mt1d::report {

namespace {

constexpr std::array<const char*, 7> kColumns = {"frequency_hz", "period_s",  "rho_ohmm", "rho_err_ohmm",
                                                 "phase_deg",    "phase_err_deg", "usable"};
constexpr int kTextDigits = 5;  // a table for the eye; the CSV and JSON keep every digit

// A quantity that must be positive to mean anything: absent in an unusable row that holds 0.
std::optional<double> Known(const sounding::CurveRow& row, double value)
{
    if (!row.usable && !(value > 0.0)) return std::nullopt;
    return value;
}

struct RowValues {
    std::optional<double> frequency, period, rho, rhoErr, phase, phaseErr;
};

// The phase may be 0 or negative: whether it is known, the row says.
std::optional<double> KnownPhase(const sounding::CurveRow& row)
{
    if (!row.usable && !row.phaseKnown) return std::nullopt;
    return row.phaseDeg;
}

RowValues ValuesOf(const sounding::CurveRow& row)
{
    return {Known(row, row.frequencyHz), Known(row, row.periodS), Known(row, row.rhoOhmM),
            Known(row, row.rhoErrOhmM), KnownPhase(row),        Known(row, row.phaseErrDeg)};
}

}  // namespace

std::vector<std::string> CurveNotes(const sounding::Curve& curve)
{
    std::vector<std::string> notes = curve.notes;
    for (std::size_t i = 0; i < curve.rows.size(); ++i) {
        const auto& row = curve.rows[i];
        if (row.usable) continue;
        const std::string frequency =
            row.frequencyHz > 0.0 ? " (" + Significant(row.frequencyHz, kTextDigits) + " Hz)" : "";
        notes.push_back("row " + std::to_string(i + 1) + frequency + ": " + row.reason);
    }
    return notes;
}

Json CurveJson(const jobs::SiteSummary& site, const sounding::Curve& curve)
{
    Json rows = Json::array();
    for (const auto& row : curve.rows) {
        const RowValues v = ValuesOf(row);
        rows.push_back({{kColumns[0], JsonNumber(v.frequency)},
                        {kColumns[1], JsonNumber(v.period)},
                        {kColumns[2], JsonNumber(v.rho)},
                        {kColumns[3], JsonNumber(v.rhoErr)},
                        {kColumns[4], JsonNumber(v.phase)},
                        {kColumns[5], JsonNumber(v.phaseErr)},
                        {kColumns[6], row.usable}});
    }
    return {{"site", SiteJson(site)},
            {"mode", std::string(sounding::ModeName(curve.mode))},
            {"floor_percent", JsonNumber(curve.floorPercent)},
            {"rows", std::move(rows)},
            {"notes", CurveNotes(curve)}};
}

std::string CurveCsv(const sounding::Curve& curve)
{
    std::string out;
    for (std::size_t c = 0; c < kColumns.size(); ++c) out += (c == 0 ? "" : ",") + std::string(kColumns[c]);
    out += "\n";
    for (const auto& row : curve.rows) {
        const RowValues v = ValuesOf(row);
        out += NumberText(v.frequency) + "," + NumberText(v.period) + "," + NumberText(v.rho) + "," +
               NumberText(v.rhoErr) + "," + NumberText(v.phase) + "," + NumberText(v.phaseErr) + "," +
               (row.usable ? "true" : "false") + "\n";
    }
    return out;
}

std::string CurveText(const jobs::SiteSummary& site, const sounding::Curve& curve)
{
    std::string out = SiteText(site);
    out += "mode " + std::string(sounding::ModeName(curve.mode)) + ", error floor " +
           Significant(curve.floorPercent, 6) +
           " % of |Z|; phase: impedance phase in degrees (45° over a half-space)\n\n";
    constexpr std::size_t kWidth = 14;
    for (std::size_t c = 0; c + 1 < kColumns.size(); ++c) out += AlignRight(kColumns[c], kWidth);
    out += "  usable\n";
    std::size_t usable = 0;
    for (const auto& row : curve.rows) {
        const RowValues v = ValuesOf(row);
        for (const auto& value : {v.frequency, v.period, v.rho, v.rhoErr, v.phase, v.phaseErr}) {
            out += AlignRight(Significant(value, kTextDigits), kWidth);
        }
        out += row.usable ? "  yes\n" : "  no: " + row.reason + "\n";
        usable += row.usable ? 1 : 0;
    }
    out += "\n" + std::to_string(usable) + " of " + std::to_string(curve.rows.size()) + " rows usable\n";
    if (!curve.notes.empty()) {
        out += "notes:\n";
        for (const auto& note : curve.notes) out += "  " + note + "\n";
    }
    return out;
}

}  // namespace mt1d::report
