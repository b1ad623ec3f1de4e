#include "profile/ProfileFiles.h"

#include "io/JsonReader.h"
#include "report/Formatting.h"

#include <algorithm>
#include <cstdio>
#include <numeric>

namespace mt1d::profile {

namespace {

using io::Json;
using io::JsonCursor;
using io::JsonNumber;

// A window of a thousand sites with its histories is a few megabytes.
constexpr std::uintmax_t kMaxWindowFileBytes = 256u * 1024u * 1024u;
constexpr std::size_t kMaxEntries = 10'000'000;

Json HistoryJson(const std::vector<fitting::HistoryEntry>& history)
{
    Json out = Json::array();
    for (const auto& h : history) {
        out.push_back({{"iteration", h.iteration},
                       {"rms", JsonNumber(h.rms)},
                       {"roughness", JsonNumber(h.roughness)},
                       {"multiplier", JsonNumber(h.multiplier)}});
    }
    return out;
}

Json NumbersJson(const std::vector<double>& values)
{
    Json out = Json::array();
    for (const double v : values) out.push_back(JsonNumber(v));
    return out;
}

fitting::FitStatus ReadStatus(const JsonCursor& c)
{
    return c.Choice(fitting::kAllFitStatuses, fitting::ToString);
}

}  // namespace

std::string WindowFileName(std::size_t window, std::size_t windows)
{
    char name[64];
    std::snprintf(name, sizeof name, "window-%03zu-of-%03zu.json", window, windows);
    return name;
}

std::string WindowFileText(const WindowFile& file)
{
    const auto& r = file.result;
    Json sites = Json::array();
    for (std::size_t k = 0; k < file.sites.size(); ++k) {
        const lci::SiteFit& fit = r.sites[k];
        sites.push_back({{"site", file.sites[k].site},
                         {"file", file.sites[k].file},
                         {"status", std::string(fitting::ToString(fit.report.status))},
                         {"iterations", fit.report.iterations},
                         {"message", fit.report.message},
                         {"rms", JsonNumber(fit.report.rms)},
                         {"resistivity_ohmm", NumbersJson(fit.model.resistivity)},
                         {"thickness_m", NumbersJson(fit.model.thickness)},
                         {"history", HistoryJson(fit.report.history)}});
    }
    const Json json = {{"format", kWindowFormat},
                       {"format_version", kProfileFormatVersion},
                       {"window", file.window},
                       {"windows", file.windows},
                       {"method", r.form == lci::LciForm::kSmooth ? "occam" : "layered"},
                       {"options", file.options},
                       {"status", std::string(fitting::ToString(r.status))},
                       {"message", r.message},
                       {"rms", JsonNumber(r.rms)},
                       {"iterations", r.iterations},
                       {"forward_runs", r.forwardRuns},
                       {"jacobian_runs", r.jacobianRuns},
                       {"sites", std::move(sites)}};
    return report::JsonLayout(json) + "\n";
}

std::string ProfileJsonText(const ProfileDocument& d)
{
    const lci::ProfileFitResult& r = *d.result;
    Json history = Json::array();
    for (const auto& h : r.history) {
        history.push_back({{"iteration", h.iteration},
                           {"rms", JsonNumber(h.rms)},
                           {"vertical_roughness", JsonNumber(h.verticalRoughness)},
                           {"lateral_roughness", JsonNumber(h.lateralRoughness)},
                           {"multiplier", JsonNumber(h.multiplier)}});
    }
    Json sites = Json::array();
    // In profile order: by distance, ties in the caller's order (lci::ProfileOrder).
    std::vector<std::size_t> order(r.sites.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return r.sites[a].distanceKm < r.sites[b].distanceKm; });
    for (const std::size_t i : order) {
        const lci::SiteFit& fit = r.sites[i];
        sites.push_back({{"site", d.sites[i].site},
                         {"file", d.sites[i].file},
                         {"distance_km", JsonNumber(fit.distanceKm)},
                         {"offset_km", JsonNumber(d.sites[i].offsetKm)},
                         {"far_off", d.sites[i].farOff},
                         {"rms", JsonNumber(fit.report.rms)},
                         {"target_reached", fit.report.targetReached},
                         {"lateral_weight", JsonNumber(fit.lateralWeight)},
                         {"depth_of_investigation_m", JsonNumber(fit.report.depthOfInvestigationM)},
                         {"values_fitted", fit.valuesFitted}});
    }
    Json leftOut = Json::array();
    for (const auto& l : d.leftOut) leftOut.push_back({{"site", l.site}, {"file", l.file}, {"reason", l.reason}});
    const auto point = [](const section::GeoPoint& p) {
        return Json{{"latitude_deg", JsonNumber(p.latitudeDeg)}, {"longitude_deg", JsonNumber(p.longitudeDeg)}};
    };
    Json line = nullptr;
    if (d.line) line = {{"start", point(d.line->start)}, {"end", point(d.line->end)}};
    Json windows = nullptr;
    if (d.windows) windows = {{"count", d.windows->count}, {"sites", d.windows->sites}, {"overlap", d.windows->overlap}};
    const Json json = {{"format", kProfileFormat},
                       {"format_version", kProfileFormatVersion},
                       {"method", r.form == lci::LciForm::kSmooth ? "occam" : "layered"},
                       {"status", std::string(fitting::ToString(r.status))},
                       {"message", r.message},
                       {"rms", JsonNumber(r.rms)},
                       {"target_rms", JsonNumber(d.targetRms)},
                       {"target_reached", r.targetReached},
                       {"iterations", r.iterations},
                       {"multiplier", JsonNumber(r.multiplier)},
                       {"roughness", {{"vertical", JsonNumber(r.verticalRoughness)}, {"lateral", JsonNumber(r.lateralRoughness)}}},
                       {"lateral_weight", JsonNumber(r.lateralWeight)},
                       {"reference_distance_km", JsonNumber(r.referenceDistanceKm)},
                       {"distance_power", JsonNumber(r.distancePower)},
                       {"values_fitted", r.valuesFitted},
                       {"layer_tops_m", r.form == lci::LciForm::kSmooth ? NumbersJson(r.layerTops) : Json(nullptr)},
                       {"profile", std::move(line)},
                       {"max_offset_km", JsonNumber(d.maxOffsetKm)},
                       {"windows", std::move(windows)},
                       {"options", d.options},
                       {"history", std::move(history)},
                       {"sites", std::move(sites)},
                       {"left_out", std::move(leftOut)}};
    return report::JsonLayout(json) + "\n";
}

WindowFile ReadWindowFile(const std::filesystem::path& path)
{
    const std::string name = path.string();
    const nlohmann::json document = io::ReadJsonFile(path, kMaxWindowFileBytes);
    const JsonCursor root(document, name);
    if (root.Member("format").String() != kWindowFormat) {
        root.Member("format").Refuse(std::string("expected \"") + kWindowFormat + "\"");
    }
    if (root.Member("format_version").Int() != kProfileFormatVersion) {
        root.Member("format_version").Refuse("expected " + std::to_string(kProfileFormatVersion));
    }
    WindowFile file;
    file.window = root.Member("window").Count();
    file.windows = root.Member("windows").Count();
    if (file.window < 1 || file.window > file.windows) root.Member("window").Refuse("not a window of the profile");
    auto& r = file.result;
    r.form = root.Member("method").OneOf({"occam", "layered"}) == 0 ? lci::LciForm::kSmooth : lci::LciForm::kLayered;
    file.options = root.Member("options").Value();
    if (!file.options.is_object()) root.Member("options").Refuse("expected an object");
    r.status = ReadStatus(root.Member("status"));
    r.message = root.Member("message").String();
    r.rms = root.Member("rms").NumberOrNonFinite();
    r.iterations = root.Member("iterations").Count();
    r.forwardRuns = root.Member("forward_runs").Count();
    r.jacobianRuns = root.Member("jacobian_runs").Count();
    const JsonCursor sites = root.Member("sites");
    for (const JsonCursor& s : sites.Elements(kMaxEntries)) {
        file.sites.push_back({s.Member("site").String(), s.Member("file").String()});
        lci::SiteFit fit;
        fit.report.status = ReadStatus(s.Member("status"));
        fit.report.iterations = s.Member("iterations").Count();
        fit.report.message = s.Member("message").String();
        fit.report.rms = s.Member("rms").NumberOrNonFinite();
        const JsonCursor rho = s.Member("resistivity_ohmm");
        const JsonCursor thickness = s.Member("thickness_m");
        for (const JsonCursor& v : rho.Elements(kMaxEntries)) fit.model.resistivity.push_back(v.Positive());
        for (const JsonCursor& v : thickness.Elements(kMaxEntries)) fit.model.thickness.push_back(v.Positive());
        if (fit.model.resistivity.empty()) rho.Refuse("expected at least one layer");
        if (fit.model.thickness.size() + 1 != fit.model.resistivity.size()) {
            thickness.Refuse("expected one thickness fewer than resistivities");
        }
        for (const JsonCursor& h : s.Member("history").Elements(kMaxEntries)) {
            fitting::HistoryEntry entry;
            entry.iteration = h.Member("iteration").Count();
            entry.rms = h.Member("rms").NumberOrNonFinite();
            entry.roughness = h.Member("roughness").NumberOrNull();
            entry.multiplier = h.Member("multiplier").NumberOrNonFinite();
            fit.report.history.push_back(entry);
        }
        r.sites.push_back(std::move(fit));
    }
    return file;
}

}  // namespace mt1d::profile
