#include "ResultExport.h"

#include "SessionCommands.h"
#include "JsonField.h"
#include "Modes.h"

#include <nlohmann/json.hpp>

#include <charconv>
#include <cmath>

namespace mt1d::session {

namespace {

using nlohmann::json;

json Nullable(const std::optional<double>& value) { return value ? NumberJson(*value) : json(nullptr); }

json LayersJson(const std::vector<fitting::ReportLayer>& layers)
{
    json list = json::array();
    for (const auto& l : layers) {
        // The half-space has neither a conductance nor a transverse resistance.
        const json conductance = l.thicknessM ? NumberJson(*l.thicknessM / l.resistivityOhmM) : json(nullptr);
        const json transverse = l.thicknessM ? NumberJson(*l.thicknessM * l.resistivityOhmM) : json(nullptr);
        list.push_back({{"top_m", NumberJson(l.topM)},
                        {"thickness_m", Nullable(l.thicknessM)},
                        {"resistivity_ohmm", NumberJson(l.resistivityOhmM)},
                        {"log10_rho_sd", Nullable(l.log10RhoSd)},
                        {"log10_thickness_sd", Nullable(l.log10ThicknessSd)},
                        {"conductance_s", conductance},
                        {"transverse_resistance_ohmm2", transverse}});
    }
    return list;
}

json ResponseJson(const std::vector<fitting::ResponsePoint>& points)
{
    json list = json::array();
    for (const auto& p : points) {
        list.push_back({{"frequency_hz", NumberJson(p.frequencyHz)},
                        {"period_s", NumberJson(1.0 / p.frequencyHz)},
                        {"rho_ohmm", NumberJson(p.rhoOhmM)},
                        {"phase_deg", NumberJson(p.phaseDeg)}});
    }
    return list;
}

json ReportJson(const FitOutcome& o)
{
    const auto& r = o.report;
    json out = {{"method", fitting::ToString(r.method)},
                {"mode", sounding::ModeName(r.mode)},
                {"status", fitting::ToString(r.status)},
                {"rms", NumberJson(r.rms)},
                {"iterations", r.iterations},
                {"target_reached", r.targetReached},
                {"message", r.message},
                {"layers", LayersJson(r.layers)},
                {"response", ResponseJson(r.response)},
                {"depth_of_investigation_m", NumberJson(r.depthOfInvestigationM)}};
    out["roughness"] = Nullable(r.roughness);
    json nb = json::array();
    for (const auto& p : r.niblettBostick) {
        nb.push_back({{"frequency_hz", NumberJson(p.frequencyHz)},
                      {"depth_m", NumberJson(p.depthM)},
                      {"resistivity_ohmm", NumberJson(p.resistivityOhmM)}});
    }
    out["niblett_bostick"] = nb;
    return out;
}

std::string Number(double x)
{
    if (!std::isfinite(x)) return "";
    char buffer[32];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, x).ptr;
    return std::string(buffer, end);
}

void CsvRows(std::string& out, const char* name, const earth::LayeredModel& model, const std::vector<double>& log10Sd)
{
    const auto tops = LayerTops(model);
    const std::size_t layers = model.LayerCount();
    const bool errors = log10Sd.size() == model.ParameterCount();
    for (std::size_t j = 0; j < layers; ++j) {
        const bool halfSpace = j + 1 == layers;
        const double rho = model.resistivity[j];
        const double h = halfSpace ? 0.0 : model.thickness[j];
        out += std::string(name) + "," + std::to_string(j + 1) + "," + Number(tops[j]) + ",";
        out += (halfSpace ? "" : Number(h)) + "," + Number(rho) + ",";
        out += (errors ? Number(log10Sd[j]) : "") + ",";
        out += (errors && !halfSpace ? Number(log10Sd[layers + j]) : "") + ",";
        out += (halfSpace ? "" : Number(h / rho)) + "," + (halfSpace ? "" : Number(h * rho)) + "\n";
    }
}

}  // namespace

std::string ResultsJson(const Session& session)
{
    json site = {{"name", session.sounding.site.name}, {"file", session.originalPath}};
    const auto& location = session.sounding.site.location;
    if (location.latitudeDeg) site["latitude_deg"] = NumberJson(*location.latitudeDeg);
    if (location.longitudeDeg) site["longitude_deg"] = NumberJson(*location.longitudeDeg);
    if (location.elevationM) site["elevation_m"] = NumberJson(*location.elevationM);
    json out = {{"site", site},
                {"mode", sounding::ModeName(session.mode)},
                {"floor_percent", NumberJson(session.floorPercent)},
                {"excluded_rows", session.excludedRows}};
    if (session.layered) out["layered"] = ReportJson(*session.layered);
    if (session.smooth) out["smooth"] = ReportJson(*session.smooth);
    if (session.edited) {
        const ModelEvaluation e = Evaluate(session, *session.edited);
        json edited = {{"layers", LayersJson(fitting::ReportLayers(*session.edited))},
                       {"response", ResponseJson(e.response)}};
        if (e.rms) edited["rms"] = NumberJson(*e.rms);
        out["edited"] = edited;
    }
    return out.dump(2, ' ', false, json::error_handler_t::replace) + "\n";
}

std::string ResultsCsv(const Session& session)
{
    std::string out =
        "model,layer,top_m,thickness_m,resistivity_ohmm,log10_rho_sd,log10_thickness_sd,conductance_s,"
        "transverse_resistance_ohmm2\n";
    if (session.layered) CsvRows(out, "layered", session.layered->model, session.layered->log10Sd);
    if (session.smooth) CsvRows(out, "smooth", session.smooth->model, {});
    if (session.edited) CsvRows(out, "edited", *session.edited, {});
    return out;
}

}  // namespace mt1d::session
