#include "report/FitJson.h"

#include "report/OptionsJson.h"
#include "report/SiteJson.h"
#include "sounding/Modes.h"

#include <cmath>

namespace mt1d::report {

namespace {

Json OptionsJson(const jobs::FitRecord& record) { return FitOptionsJson(record.curve, record.settings); }

Json LayersJson(const jobs::FitRecord& record)
{
    const auto& layers = record.report.layers;
    Json out = Json::array();
    for (std::size_t j = 0; j < layers.size(); ++j) {
        const auto& l = layers[j];
        Json layer = {{"top_m", JsonNumber(l.topM)},
                      {"thickness_m", JsonNumber(l.thicknessM)},
                      {"resistivity_ohmm", JsonNumber(l.resistivityOhmM)},
                      {"log10_rho_sd", JsonNumber(l.log10RhoSd)},
                      {"log10_thickness_sd", JsonNumber(l.log10ThicknessSd)}};
        if (!record.products.empty()) {
            const bool has = j < record.products.size();
            const fitting::LayerProducts p = has ? record.products[j] : fitting::LayerProducts{};
            const auto value = [has](double v) { return has ? JsonNumber(v) : Json(nullptr); };
            layer["conductance_s"] = value(p.conductanceS);
            layer["log10_conductance_sd"] = value(p.log10ConductanceSd);
            layer["transverse_resistance_ohmm2"] = value(p.transverseResistanceOhmM2);
            layer["log10_transverse_resistance_sd"] = value(p.log10TransverseResistanceSd);
        }
        out.push_back(std::move(layer));
    }
    return out;
}

Json CorrelationJson(const jobs::FitRecord& record)
{
    const std::size_t layers = record.report.layers.size();
    const std::size_t p = layers > 0 ? 2 * layers - 1 : 0;
    if (p == 0 || record.correlation.size() != p * p) return nullptr;
    Json matrix = Json::array();
    for (std::size_t i = 0; i < p; ++i) {
        Json row = Json::array();
        for (std::size_t k = 0; k < p; ++k) row.push_back(JsonNumber(record.correlation[i * p + k]));
        matrix.push_back(std::move(row));
    }
    return {{"parameters", jobs::CorrelationParameterNames(record.report.layers.size())}, {"matrix", std::move(matrix)}};
}

// The factors of the curves' static shifts: {"reference": …, "xy": {"factor", "log10_sd",
// "at_bound": the factor ended on its bound of a decade}, …,
// "half_space": the high-frequency estimate (its rows, band, log10 of the xy/yx ratio with its
// standard error, and each curve's log10 ρa level there) or null, "note"}.
Json StaticShiftJson(const fitting::StaticShiftReport& shift)
{
    Json out = {{"reference", shift.reference}};
    for (const fitting::CurveShift& c : shift.curves) {
        out[std::string(sounding::ModeName(c.mode))] = {{"factor", JsonNumber(c.factor)},
                                                        {"log10_sd", JsonNumber(c.log10Sd)},
                                                        {"at_bound", c.atBound}};
    }
    Json estimate = nullptr;
    if (shift.halfSpace) {
        const auto& e = *shift.halfSpace;
        estimate = {{"rows", e.rows},
                    {"high_hz", JsonNumber(e.highHz)},
                    {"low_hz", JsonNumber(e.lowHz)},
                    {"log10_ratio", JsonNumber(e.log10Ratio)},
                    {"log10_sd", JsonNumber(e.log10Sd)},
                    {"log10_levels", Json::array()}};
        for (const double level : e.curveLevels) estimate["log10_levels"].push_back(JsonNumber(level));
    }
    out["half_space"] = std::move(estimate);
    out["note"] = shift.note;
    return out;
}

}  // namespace

Json FitJson(const jobs::FitRecord& record)
{
    const fitting::FitReport& r = record.report;
    Json history = Json::array();
    for (const auto& h : r.history) {
        history.push_back({{"iteration", h.iteration},
                           {"rms", JsonNumber(h.rms)},
                           {"roughness", JsonNumber(h.roughness)},
                           {"multiplier", JsonNumber(h.multiplier)}});
    }
    Json response = Json::array();
    for (const auto& p : r.response) {
        response.push_back({{"frequency_hz", JsonNumber(p.frequencyHz)},
                            {"rho_ohmm", JsonNumber(p.rhoOhmM)},
                            {"phase_deg", JsonNumber(p.phaseDeg)}});
    }
    Json bostick = Json::array();
    for (const auto& p : r.niblettBostick) {
        bostick.push_back({{"frequency_hz", JsonNumber(p.frequencyHz)},
                           {"depth_m", JsonNumber(p.depthM)},
                           {"resistivity_ohmm", JsonNumber(p.resistivityOhmM)}});
    }
    Json out = {{"format", kFitFormatName},
            {"format_version", kFitFormatVersion},
            {"site", SiteJson(record.site)},
            {"options", OptionsJson(record)},
            {"method", std::string(fitting::ToString(r.method))},
            {"mode", std::string(sounding::ModeName(r.mode))},
            {"status", std::string(fitting::ToString(r.status))},
            {"rms", JsonNumber(r.rms)},
            {"roughness", JsonNumber(r.roughness)},
            {"iterations", r.iterations},
            {"target_reached", r.targetReached},
            {"message", r.message},
            {"values_fitted", record.valuesFitted},
            {"notes", record.notes},
            {"history", std::move(history)},
            {"layers", LayersJson(record)},
            {"correlation", CorrelationJson(record)},
            {"response", std::move(response)},
            {"niblett_bostick", std::move(bostick)},
            {"depth_of_investigation_m", JsonNumber(r.depthOfInvestigationM)},
            {"dimensionality", DimsSummaryJson(record.dims)}};
    if (r.staticShift) out["static_shift"] = StaticShiftJson(*r.staticShift);
    return out;
}

Json DimsSummaryJson(const std::optional<jobs::DimsSummary>& dims)
{
    if (!dims) return nullptr;
    return {{"max_skew_deg", JsonNumber(dims->limits.maxSkewDeg)},
            {"max_ellipticity", JsonNumber(dims->limits.maxEllipticity)},
            {"within_errors", dims->limits.withinErrors},
            {"computed_rows", dims->computedRows},
            {"one_d_rows", dims->oneDRows},
            {"one_d_fraction", JsonNumber(dims->oneDFraction)},
            {"strike_deg", JsonNumber(dims->strikeDeg)},
            {"strike_sd_deg", JsonNumber(dims->strikeSdDeg)}};
}

std::string FitJsonText(const jobs::FitRecord& record) { return JsonLayout(FitJson(record)) + "\n"; }

}  // namespace mt1d::report
