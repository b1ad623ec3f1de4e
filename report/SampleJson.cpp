#include "report/SampleJson.h"

#include "report/OptionsJson.h"
#include "report/SiteJson.h"
#include "io/TextEncoding.h"
#include "sounding/Modes.h"

#include <cmath>
#include <span>

namespace mt1d::report {

namespace {

Json Numbers(std::span<const double> values)
{
    Json out = Json::array();
    for (const double v : values) out.push_back(JsonNumber(v));
    return out;
}

}  // namespace

Json SampleOptionsJson(const jobs::DataOptions& curve, const jobs::SampleSettings& s)
{
    Json options = Json::object();
    PutDataOptions(options, curve);
    options["samples"] = s.samples;
    options["burn_in"] = s.burnIn;
    options["chains"] = s.chains;
    options["temperatures"] = s.temperatures;
    options["max_layers"] = s.maxLayers;
    options["min_depth_m"] = JsonNumber(s.minDepthM);
    options["max_depth_m"] = JsonNumber(s.maxDepthM);
    options["min_rho_ohmm"] = JsonNumber(s.minRhoOhmM);
    options["max_rho_ohmm"] = JsonNumber(s.maxRhoOhmM);
    options["seed"] = s.seed;
    return options;
}

namespace {

Json OptionsJson(const jobs::SampleRecord& record) { return SampleOptionsJson(record.curve, record.settings); }

Json DensityJson(const sampling::SamplingResult& r)
{
    Json rows = Json::array();
    if (r.density.empty() || r.log10RhoGrid.empty()) return rows;
    for (std::size_t cell = 0; cell < r.depthM.size(); ++cell) rows.push_back(Numbers(r.DensityRow(cell)));
    return rows;
}

Json BestModelJson(const earth::LayeredModel& model)
{
    Json layers = Json::array();
    double top = 0.0;
    for (std::size_t j = 0; j < model.resistivity.size(); ++j) {
        const bool halfSpace = j >= model.thickness.size();
        layers.push_back({{"top_m", JsonNumber(top)},
                          {"thickness_m", halfSpace ? Json(nullptr) : JsonNumber(model.thickness[j])},
                          {"resistivity_ohmm", JsonNumber(model.resistivity[j])}});
        if (!halfSpace) top += model.thickness[j];
    }
    return layers;
}

Json EssFigureJson(const sampling::EssFigure& figure, double seconds)
{
    return {{"combined", JsonNumber(figure.combined)},
            {"per_second", seconds > 0.0 ? JsonNumber(figure.combined / seconds) : Json(nullptr)},
            {"chains", Numbers(figure.chains)}};
}

Json EssJson(const sampling::Ess& ess)
{
    Json depths = Json::array();
    for (std::size_t d = 0; d < ess.log10Rho.size() && d < ess.depthM.size(); ++d) {
        Json figure = {{"depth_m", JsonNumber(ess.depthM[d])}};
        const Json values = EssFigureJson(ess.log10Rho[d], ess.seconds);
        for (const auto& [key, value] : values.items()) figure[key] = value;
        depths.push_back(std::move(figure));
    }
    return {{"seconds", JsonNumber(ess.seconds)},
            {"stride", ess.stride},
            {"misfit", EssFigureJson(ess.misfit, ess.seconds)},
            {"layer_count", EssFigureJson(ess.layerCount, ess.seconds)},
            {"log10_rho", std::move(depths)}};
}

// The posterior of the static-shift factors: {"reference", "xy": {"factor": 10^mean,
// "log10_mean", "log10_sd" (null for a held factor), "log10_quantiles": {"0.025": …, …}}, …}.
Json ShiftPosteriorJson(const sampling::ShiftPosterior& shift)
{
    Json out = {{"reference", shift.reference}};
    for (const sampling::CurveShiftPosterior& c : shift.curves) {
        Json quantiles = Json::object();
        for (std::size_t q = 0; q < sampling::kShiftQuantiles.size(); ++q) {
            quantiles[io::NumberText(sampling::kShiftQuantiles[q])] = JsonNumber(c.quantileLog10[q]);
        }
        out[std::string(sounding::ModeName(c.mode))] = {
            {"factor", JsonNumber(std::pow(10.0, c.meanLog10))},
            {"log10_mean", JsonNumber(c.meanLog10)},
            {"log10_sd", c.fitted ? JsonNumber(c.sdLog10) : Json(nullptr)},
            {"log10_quantiles", std::move(quantiles)}};
    }
    return out;
}

}  // namespace

Json SampleJson(const jobs::SampleRecord& record)
{
    const sampling::SamplingResult& r = record.result;
    Json layerCount = Json::array();
    for (const auto& c : r.layerCount) layerCount.push_back({{"layers", c.layers}, {"probability", JsonNumber(c.probability)}});
    Json acceptance = Json::object();
    for (const auto& a : r.acceptance) acceptance[std::string(sampling::ToString(a.move))] = JsonNumber(a.rate);
    Json out = {{"format", kSampleFormatName},
            {"format_version", kSampleFormatVersion},
            {"site", SiteJson(record.site)},
            {"options", OptionsJson(record)},
            {"status", std::string(sampling::ToString(r.status))},
            {"message", r.message},
            {"values_fitted", record.valuesFitted},
            {"notes", record.notes},
            {"warnings", SampleWarnings(r)},
            {"depth_m", Numbers(r.depthM)},
            {"log10_rho_grid", Numbers(r.log10RhoGrid)},
            {"density", DensityJson(r)},
            {"p10", Numbers(r.p10)},
            {"p50", Numbers(r.p50)},
            {"p90", Numbers(r.p90)},
            {"mean", Numbers(r.mean)},
            {"interface_probability", Numbers(r.interfaceProbability)},
            {"layer_count", std::move(layerCount)},
            {"acceptance", std::move(acceptance)},
            {"rhat", {{"misfit", JsonNumber(r.rhat.misfit)}, {"layer_count", JsonNumber(r.rhat.layerCount)}}},
            {"ess", EssJson(r.ess)},
            {"samples", r.samples},
            {"seed", r.seed},
            {"depth_of_investigation_m", JsonNumber(r.depthOfInvestigationM)},
            {"best_rms", r.bestModel.resistivity.empty() ? Json(nullptr) : JsonNumber(r.bestRms)},
            {"best_model", BestModelJson(r.bestModel)}};
    if (r.staticShift) out["static_shift"] = ShiftPosteriorJson(*r.staticShift);
    return out;
}

std::string SampleJsonText(const jobs::SampleRecord& record) { return JsonLayout(SampleJson(record)) + "\n"; }

}  // namespace mt1d::report
