#include "report/OptionsJson.h"

#include "sounding/Modes.h"

namespace mt1d::report {

namespace {

template <typename T>
Json OrNull(const std::optional<T>& value)
{
    return value ? Json(*value) : Json(nullptr);
}

}  // namespace

void PutDataOptions(Json& object, const jobs::DataOptions& options)
{
    Json columns = nullptr;
    if (!options.columns.empty()) {
        columns = Json::array();
        for (const auto column : options.columns) columns.push_back(std::string(sounding::ColumnName(column)));
    }
    object["mode"] = options.bothOffDiagonal ? Json(std::string(jobs::kBothOffDiagonalName))
                     : options.mode         ? Json(std::string(sounding::ModeName(*options.mode)))
                                            : Json(nullptr);
    object["floor_percent"] = JsonNumber(options.floorPercent);
    object["columns"] = std::move(columns);
    object["rotate_deg"] = JsonNumber(options.rotateDeg);
    object["var_convention"] = options.varianceConvention
                                   ? Json(std::string(sounding::VarianceConventionName(*options.varianceConvention)))
                                   : Json(nullptr);
    object["rho_err"] = options.rhoErrorUnit ? Json(std::string(sounding::RhoErrorUnitName(*options.rhoErrorUnit)))
                                             : Json(nullptr);
    Json excluded = nullptr;
    if (!options.excludeFrequencies.empty()) {
        excluded = Json::array();
        for (const double f : options.excludeFrequencies) excluded.push_back(JsonNumber(f));
    }
    object["exclude_hz"] = std::move(excluded);
    object["keep_any_phase"] = options.keepAnyPhase;
    Json only1d = nullptr;
    if (options.only1d) {
        only1d = {{"max_skew_deg", JsonNumber(options.only1d->maxSkewDeg)},
                  {"max_ellipticity", JsonNumber(options.only1d->maxEllipticity)},
                  {"within_errors", options.only1d->withinErrors},
                  {"error_multiple", JsonNumber(options.only1d->errorMultiple)}};
    }
    object["only_1d"] = std::move(only1d);
}

void PutFitOptions(Json& object, const jobs::FitOptions& options)
{
    Json tops = nullptr;
    if (!options.layerTops.empty()) {
        tops = Json::array();
        for (const double t : options.layerTops) tops.push_back(JsonNumber(t));
    }
    object["method"] = std::string(fitting::ToString(options.method));
    object["fit"] = std::string(fitting::ToString(options.components));
    object["target_rms"] = JsonNumber(options.targetRms);
    object["max_iterations"] = OrNull(options.maxIterations);
    object["layers"] = OrNull(options.layers);
    object["layer_tops"] = std::move(tops);
    object["top_depth_m"] = JsonNumber(options.topDepthM);
    object["bottom_depth_m"] = JsonNumber(options.bottomDepthM);
    object["starts"] = OrNull(options.starts);
    object["seed"] = OrNull(options.seed);
    object["relative_tolerance"] = JsonNumber(options.relativeTolerance);
    object["settled_steps"] = OrNull(options.settledSteps);
    object["exact_chi2"] = JsonNumber(options.exactChi2PerValue);
    object["initial_damping"] = JsonNumber(options.initialDamping);
    object["max_damping"] = JsonNumber(options.maxDamping);
    object["rms_tolerance"] = JsonNumber(options.rmsTolerance);
    object["roughness_tolerance"] = JsonNumber(options.roughnessTolerance);
    object["step_cuts"] = OrNull(options.stepCuts);
    object["multiplier_tolerance"] = JsonNumber(options.multiplierTolerance);
    object["level_tolerance"] = JsonNumber(options.levelTolerance);
    // A fit from the user's model: written only then, so that other results read as before.
    if (!options.startResistivity.empty() || !options.fixed.empty()) {
        Json rho = Json::array(), h = Json::array(), fixed = Json::array();
        for (const double v : options.startResistivity) rho.push_back(JsonNumber(v));
        for (const double v : options.startThickness) h.push_back(JsonNumber(v));
        for (const bool f : options.fixed) fixed.push_back(f);
        object["start_model"] = {{"resistivity_ohm_m", std::move(rho)}, {"thickness_m", std::move(h)}};
        object["fixed"] = std::move(fixed);
    }
    // Without shifts nothing is written, so that such results read as before.
    if (options.shift != fitting::ShiftMode::kNone) {
        object["shift"] = std::string(fitting::ToString(options.shift));
        object["shift_reference"] =
            options.shiftReference ? Json(std::string(fitting::ToString(*options.shiftReference))) : Json(nullptr);
        object["surface_rho_ohmm"] = JsonNumber(options.surfaceRhoOhmM);
        object["surface_depth_m"] = JsonNumber(options.surfaceDepthM);
        object["shift_prior_sd"] = JsonNumber(options.shiftPriorSd);
    }
}

Json FitOptionsJson(const jobs::DataOptions& data, const jobs::FitOptions& fit)
{
    Json options = Json::object();
    PutDataOptions(options, data);
    PutFitOptions(options, fit);
    return options;
}

std::vector<std::string> OptionDifferences(const Json& earlier, const Json& now)
{
    const auto text = [](const Json& value) {
        return value.is_null() ? std::string("none") : value.dump(-1, ' ', false, Json::error_handler_t::replace);
    };
    std::vector<std::string> differences;
    for (const auto& [key, value] : now.items()) {
        const auto it = earlier.find(key);
        const Json before = it == earlier.end() ? Json(nullptr) : *it;
        if (before != value) differences.push_back(key + " " + text(before) + ", now " + text(value));
    }
    for (const auto& [key, value] : earlier.items()) {
        if (!now.contains(key)) differences.push_back(key + " " + text(value) + ", now none");
    }
    return differences;
}

}  // namespace mt1d::report
