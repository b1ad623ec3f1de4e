#include "report/FitJsonReader.h"

#include "report/FitJson.h"
#include "io/JsonReader.h"
#include "sounding/Limits.h"
#include "sounding/Modes.h"

#include <cmath>
#include <fstream>
#include <iterator>
#include <limits>
#include <optional>

namespace mt1d::report {

namespace {

using nlohmann::json;
using io::JsonCursor;

constexpr std::array kMethods = {fitting::Method::kLayered, fitting::Method::kOccam};
constexpr auto kStatuses = fitting::kAllFitStatuses;
constexpr std::array kComponents = {fitting::FitComponents::kRho, fitting::FitComponents::kPhase,
                                    fitting::FitComponents::kBoth};

std::string_view MethodName(fitting::Method m) { return fitting::ToString(m); }
std::string_view StatusName(fitting::FitStatus s) { return fitting::ToString(s); }
std::string_view ComponentsName(fitting::FitComponents c) { return fitting::ToString(c); }
constexpr std::array kShiftModes = {fitting::ShiftMode::kNone, fitting::ShiftMode::kFree, fitting::ShiftMode::kFixed};
constexpr std::array kShiftReferences = {fitting::ShiftReference::kMean, fitting::ShiftReference::kXy,
                                         fitting::ShiftReference::kYx, fitting::ShiftReference::kSurface};
std::string_view ShiftModeName(fitting::ShiftMode m) { return fitting::ToString(m); }
std::string_view ShiftReferenceName(fitting::ShiftReference r) { return fitting::ToString(r); }

sounding::Mode ReadMode(const JsonCursor& c) { return c.Choice(sounding::kAllModes, sounding::ModeName); }

jobs::SiteSummary ReadSite(const JsonCursor& c)
{
    jobs::SiteSummary site;
    site.name = c.Member("name").String();
    site.sourceFile = c.Member("file").String();
    site.latitudeDeg = c.Member("latitude_deg").NumberOrNull();
    site.longitudeDeg = c.Member("longitude_deg").NumberOrNull();
    site.elevationM = c.Member("elevation_m").NumberOrNull();
    return site;
}

void ReadOptions(const JsonCursor& c, jobs::DataOptions& curve, jobs::FitOptions& s)
{
    if (const JsonCursor v = c.Member("mode"); !v.IsNull()) {
        if (v.Value().is_string() && v.Value().get<std::string>() == jobs::kBothOffDiagonalName) {
            curve.mode = sounding::Mode::kXy;
            curve.bothOffDiagonal = true;
        } else {
            curve.mode = ReadMode(v);
        }
    }
    curve.floorPercent = c.Member("floor_percent").NotNegative();
    if (const JsonCursor columns = c.Member("columns"); !columns.IsNull()) {
        for (std::size_t i = 0; i < columns.Size(); ++i) {
            const JsonCursor item = columns.Element(i);
            const auto column = sounding::ParseColumnName(item.String());
            if (!column) item.Refuse("expected a column name (" + sounding::ColumnVocabulary() + ")");
            curve.columns.push_back(*column);
        }
    }
    curve.rotateDeg = c.Member("rotate_deg").NumberOrNull();
    if (const auto v = c.Optional("var_convention")) {
        const auto convention = sounding::ParseVarianceConvention(v->String());
        if (!convention) v->Refuse("expected one of " + std::string(sounding::VarianceConventionNameList()));
        curve.varianceConvention = convention;
    }
    if (const auto v = c.Optional("rho_err")) {
        const auto unit = sounding::ParseRhoErrorUnit(v->String());
        if (!unit) v->Refuse("expected one of " + std::string(sounding::RhoErrorUnitNameList()));
        curve.rhoErrorUnit = unit;
    }
    if (const auto v = c.Optional("exclude_hz")) curve.excludeFrequencies = v->Numbers(sounding::kMaxFrequencies);
    if (const auto v = c.Optional("keep_any_phase")) curve.keepAnyPhase = v->Bool();
    if (const auto v = c.Optional("only_1d")) {
        dims::DimsOptions o;
        o.maxSkewDeg = v->Member("max_skew_deg").NotNegative();
        o.maxEllipticity = v->Member("max_ellipticity").NotNegative();
        o.withinErrors = v->Member("within_errors").Bool();
        o.errorMultiple = v->Member("error_multiple").NotNegative();
        curve.only1d = o;
    }
    s.method = c.Member("method").Choice(kMethods, MethodName);
    s.components = c.Member("fit").Choice(kComponents, ComponentsName);
    s.targetRms = c.Member("target_rms").Positive();
    if (const JsonCursor v = c.Member("max_iterations"); !v.IsNull()) s.maxIterations = v.Count();
    if (const JsonCursor v = c.Member("layers"); !v.IsNull()) s.layers = v.Count();
    if (const JsonCursor tops = c.Member("layer_tops"); !tops.IsNull()) {
        for (std::size_t i = 0; i < tops.Size(); ++i) s.layerTops.push_back(tops.Element(i).NotNegative());
    }
    s.topDepthM = c.Member("top_depth_m").PositiveOrNull();
    s.bottomDepthM = c.Member("bottom_depth_m").PositiveOrNull();
    if (const JsonCursor starts = c.Member("starts"); !starts.IsNull()) s.starts = starts.Count();
    if (const JsonCursor seed = c.Member("seed"); !seed.IsNull()) s.seed = seed.Unsigned();
    // Stop criteria: results written before they were options lack them.
    const auto number = [&](const char* key, std::optional<double>& value) {
        if (const auto v = c.Optional(key)) value = v->NotNegative();
    };
    const auto count = [&](const char* key, std::optional<std::size_t>& value) {
        if (const auto v = c.Optional(key)) value = v->Count();
    };
    number("relative_tolerance", s.relativeTolerance);
    count("settled_steps", s.settledSteps);
    number("exact_chi2", s.exactChi2PerValue);
    number("initial_damping", s.initialDamping);
    number("max_damping", s.maxDamping);
    number("rms_tolerance", s.rmsTolerance);
    number("roughness_tolerance", s.roughnessTolerance);
    count("step_cuts", s.stepCuts);
    number("multiplier_tolerance", s.multiplierTolerance);
    number("level_tolerance", s.levelTolerance);
    // The user's model as first start, and its fixed parameters: written only for such fits.
    if (const auto v = c.Optional("start_model")) {
        s.startResistivity = v->Member("resistivity_ohm_m").Numbers(fitting::kMaxLayers);
        s.startThickness = v->Member("thickness_m").Numbers(fitting::kMaxLayers);
        for (const double x : s.startResistivity) {
            if (!(x > 0.0)) v->Member("resistivity_ohm_m").Refuse("expected positive resistivities");
        }
        for (const double x : s.startThickness) {
            if (!(x > 0.0)) v->Member("thickness_m").Refuse("expected positive thicknesses");
        }
    }
    if (const auto v = c.Optional("fixed")) {
        for (const auto& f : v->Elements(2 * fitting::kMaxLayers)) s.fixed.push_back(f.Bool());
    }
    // Static shifts: written only when the fit had them.
    if (const auto v = c.Optional("shift")) {
        s.shift = v->Choice(kShiftModes, ShiftModeName);
        if (const auto r = c.Optional("shift_reference")) s.shiftReference = r->Choice(kShiftReferences, ShiftReferenceName);
        if (const auto r = c.Optional("surface_rho_ohmm")) s.surfaceRhoOhmM = r->Positive();
        if (const auto r = c.Optional("surface_depth_m")) s.surfaceDepthM = r->NotNegative();
        if (const auto r = c.Optional("shift_prior_sd")) s.shiftPriorSd = r->Positive();
    }
}

fitting::StaticShiftReport ReadStaticShift(const JsonCursor& c)
{
    fitting::StaticShiftReport shift;
    shift.reference = c.Member("reference").String();
    for (const sounding::Mode mode : sounding::kAllModes) {
        const auto e = c.Optional(std::string(sounding::ModeName(mode)).c_str());
        if (!e) continue;
        fitting::CurveShift curve{mode, e->Member("factor").Positive(), e->Member("log10_sd").NotNegativeOrNull()};
        // Written since factors were bounded; older files have none.
        if (const auto b = e->Optional("at_bound")) curve.atBound = b->Bool();
        shift.curves.push_back(curve);
    }
    if (const auto e = c.Optional("half_space")) {
        fitting::HalfSpaceEstimate h;
        h.rows = e->Member("rows").Count();
        h.highHz = e->Member("high_hz").Positive();
        h.lowHz = e->Member("low_hz").Positive();
        h.log10Ratio = e->Member("log10_ratio").Number();
        h.log10Sd = e->Member("log10_sd").NotNegative();
        const JsonCursor levels = e->Member("log10_levels");
        for (std::size_t i = 0; i < levels.Size(); ++i) h.curveLevels.push_back(levels.Element(i).Number());
        shift.halfSpace = h;
    }
    shift.note = c.Member("note").String();
    return shift;
}

std::vector<fitting::HistoryEntry> ReadHistory(const JsonCursor& c)
{
    std::vector<fitting::HistoryEntry> history;
    for (std::size_t i = 0; i < c.Size(); ++i) {
        const JsonCursor e = c.Element(i);
        history.push_back({e.Member("iteration").Count(), e.Member("rms").NotNegative(),
                           e.Member("roughness").NotNegativeOrNull(), e.Member("multiplier").NotNegative()});
    }
    return history;
}

void ReadLayers(const JsonCursor& c, jobs::FitRecord& record)
{
    const std::size_t n = c.Size();
    bool withProducts = false;
    for (std::size_t j = 0; j < n; ++j) {
        const JsonCursor e = c.Element(j);
        const bool last = j + 1 == n;
        fitting::ReportLayer layer;
        layer.topM = e.Member("top_m").NotNegative();
        const JsonCursor thickness = e.Member("thickness_m");
        if (last && !thickness.IsNull()) thickness.Refuse("expected null: the last layer is the half-space");
        if (!last) layer.thicknessM = thickness.Positive();
        layer.resistivityOhmM = e.Member("resistivity_ohmm").Positive();
        layer.log10RhoSd = e.Member("log10_rho_sd").NotNegativeOrNull();
        const JsonCursor thicknessSd = e.Member("log10_thickness_sd");
        if (last && !thicknessSd.IsNull()) thicknessSd.Refuse("expected null: the half-space has no thickness");
        layer.log10ThicknessSd = thicknessSd.NotNegativeOrNull();
        record.report.layers.push_back(layer);

        // Conductance figures: in every layer or in none, null in the half-space.
        const bool has = e.Has("conductance_s");
        if (j == 0) withProducts = has;
        if (has != withProducts) {
            if (has) e.Member("conductance_s").Refuse("unexpected: the first layer has no conductance figures");
            e.Member("conductance_s");  // throws "missing"
        }
        if (!has) continue;
        const char* keys[] = {"conductance_s", "log10_conductance_sd", "transverse_resistance_ohmm2",
                              "log10_transverse_resistance_sd"};
        if (last) {
            for (const char* key : keys) {
                if (const JsonCursor v = e.Member(key); !v.IsNull()) v.Refuse("expected null for the half-space");
            }
            continue;
        }
        record.products.push_back({e.Member(keys[0]).Positive(), e.Member(keys[2]).Positive(),
                                   e.Member(keys[1]).NotNegative(), e.Member(keys[3]).NotNegative()});
    }
}

void ReadCorrelation(const JsonCursor& c, jobs::FitRecord& record)
{
    if (c.IsNull()) return;
    const std::size_t layers = record.report.layers.size();
    const std::size_t p = layers > 0 ? 2 * layers - 1 : 0;
    const JsonCursor names = c.Member("parameters");
    const std::vector<std::string> expected = jobs::CorrelationParameterNames(layers);
    if (names.Size() != p) {
        names.Refuse("expected " + std::to_string(p) + " names for " + std::to_string(layers) + " layers, found " +
                     std::to_string(names.Size()));
    }
    for (std::size_t i = 0; i < p; ++i) {
        const JsonCursor name = names.Element(i);
        if (name.String() != expected[i]) name.Refuse("expected \"" + expected[i] + "\"");
    }
    const JsonCursor matrix = c.Member("matrix");
    if (matrix.Size() != p) matrix.Refuse("expected " + std::to_string(p) + " rows, found " + std::to_string(matrix.Size()));
    for (std::size_t i = 0; i < p; ++i) {
        const JsonCursor row = matrix.Element(i);
        if (row.Size() != p) row.Refuse("expected " + std::to_string(p) + " values, found " + std::to_string(row.Size()));
        for (std::size_t k = 0; k < p; ++k) {
            const JsonCursor v = row.Element(k);
            const double r = v.Number();
            // Rounding may carry a correlation a few ulp past ±1; more than that is no correlation.
            if (std::abs(r) > 1.0 + 1e-9) v.Refuse("expected a correlation between -1 and 1, found " + std::to_string(r));
            record.correlation.push_back(r);
        }
    }
}

}  // namespace

jobs::FitRecord ParseFitJson(std::string_view text, const std::string& file)
{
    const json document = io::ParseJson(text, file);
    return ReadFitJson(JsonCursor(document, file));
}

jobs::FitRecord ReadFitJson(const JsonCursor& root)
{
    if (!root.Value().is_object() || !root.Has("format") || root.Value()["format"] != kFitFormatName) {
        root.Refuse(std::string("not a fit result of mt1d (no \"format\": \"") + kFitFormatName + "\")");
    }
    const JsonCursor version = root.Member("format_version");
    if (const std::uint64_t v = version.Unsigned(); v != static_cast<std::uint64_t>(kFitFormatVersion)) {
        version.Refuse("this program reads version " + std::to_string(kFitFormatVersion) + ", the file is version " +
                       std::to_string(v));
    }

    jobs::FitRecord record;
    record.site = ReadSite(root.Member("site"));
    ReadOptions(root.Member("options"), record.curve, record.settings);
    fitting::FitReport& r = record.report;
    r.method = root.Member("method").Choice(kMethods, MethodName);
    r.mode = ReadMode(root.Member("mode"));
    r.status = root.Member("status").Choice(kStatuses, StatusName);
    r.rms = root.Member("rms").NotNegative();
    r.roughness = root.Member("roughness").NotNegativeOrNull();
    r.iterations = root.Member("iterations").Count();
    r.targetReached = root.Member("target_reached").Bool();
    r.message = root.Member("message").String();
    record.valuesFitted = root.Member("values_fitted").Count();
    const JsonCursor notes = root.Member("notes");
    for (std::size_t i = 0; i < notes.Size(); ++i) record.notes.push_back(notes.Element(i).String());
    r.history = ReadHistory(root.Member("history"));
    ReadLayers(root.Member("layers"), record);
    ReadCorrelation(root.Member("correlation"), record);
    const JsonCursor response = root.Member("response");
    for (std::size_t i = 0; i < response.Size(); ++i) {
        const JsonCursor e = response.Element(i);
        r.response.push_back({e.Member("frequency_hz").Positive(), e.Member("rho_ohmm").Positive(),
                              e.Member("phase_deg").Number()});
    }
    const JsonCursor bostick = root.Member("niblett_bostick");
    for (std::size_t i = 0; i < bostick.Size(); ++i) {
        const JsonCursor e = bostick.Element(i);
        r.niblettBostick.push_back({e.Member("frequency_hz").Positive(), e.Member("depth_m").Positive(),
                                    e.Member("resistivity_ohmm").Positive()});
    }
    r.depthOfInvestigationM = root.Member("depth_of_investigation_m").NotNegative();
    if (const auto s = root.Optional("static_shift")) r.staticShift = ReadStaticShift(*s);
    // Files written before the dimensionality was recorded have no such key.
    if (const auto d = root.Optional("dimensionality")) {
        jobs::DimsSummary dims;
        dims.limits.maxSkewDeg = d->Member("max_skew_deg").NotNegative();
        dims.limits.maxEllipticity = d->Member("max_ellipticity").NotNegative();
        dims.limits.withinErrors = d->Member("within_errors").Bool();
        dims.computedRows = d->Member("computed_rows").Count(sounding::kMaxFrequencies);
        dims.oneDRows = d->Member("one_d_rows").Count(dims.computedRows);
        dims.oneDFraction = d->Member("one_d_fraction").NotNegativeOrNull();
        dims.strikeDeg = d->Member("strike_deg").NumberOrNull();
        dims.strikeSdDeg = d->Member("strike_sd_deg").NotNegativeOrNull();
        record.dims = dims;
    }
    return record;
}

jobs::FitRecord ReadFitJsonFile(const std::filesystem::path& path)
{
    const std::string file = path.string();
    const json document = io::ReadJsonFile(path, kMaxFitFileBytes);
    return ReadFitJson(JsonCursor(document, file));
}

}  // namespace mt1d::report
