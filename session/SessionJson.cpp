#include "session/SessionJson.h"

#include "report/FitJson.h"
#include "report/FitJsonReader.h"
#include "session/FitRecords.h"
#include "io/JsonReader.h"
#include "sounding/Limits.h"
#include "sounding/Modes.h"
#include "fitting/OccamMesh.h"

#include <array>
#include <cmath>
#include <limits>
#include <optional>
#include <string>
#include <vector>

namespace mt1d::session {

namespace {

using nlohmann::json;

// Lists kept in a sounding's header or notes; far more than any file gives.
constexpr std::size_t kMaxListEntries = sounding::kMaxTextLines * 10;
constexpr std::size_t kMaxHistory = 100000;
// The readers take any finite elevation.
constexpr double kMaxElevation = std::numeric_limits<double>::max();

template <typename Enum, std::size_t N>
std::vector<std::string> Names(const std::array<Enum, N>& values, std::string_view (*name)(Enum))
{
    std::vector<std::string> names;
    for (Enum v : values) names.emplace_back(name(v));
    return names;
}

template <typename Enum, std::size_t N>
Enum ReadEnum(const io::JsonCursor& field, const std::array<Enum, N>& values, std::string_view (*name)(Enum))
{
    return values[field.OneOf(Names(values, name))];
}

// --- names of the enumerations, as the file spells them ---------------------------------------

constexpr std::array kFormats = {sounding::SourceFormat::kEdiImpedance, sounding::SourceFormat::kEdiSpectra,
                                 sounding::SourceFormat::kEdiRhoPhase, sounding::SourceFormat::kOccamData,
                                 sounding::SourceFormat::kColumns,      sounding::SourceFormat::kEmtfXml,
                                 sounding::SourceFormat::kJFormat,      sounding::SourceFormat::kZongeAvg};
std::string_view FormatName(sounding::SourceFormat f)
{
    switch (f) {
    case sounding::SourceFormat::kEdiImpedance: return "edi-impedance";
    case sounding::SourceFormat::kEdiSpectra: return "edi-spectra";
    case sounding::SourceFormat::kEdiRhoPhase: return "edi-rho-phase";
    case sounding::SourceFormat::kOccamData: return "occam-data";
    case sounding::SourceFormat::kColumns: return "columns";
    case sounding::SourceFormat::kEmtfXml: return "emtf-xml";
    case sounding::SourceFormat::kJFormat: return "j-format";
    case sounding::SourceFormat::kZongeAvg: return "zonge-avg";
    }
    return "unknown";
}

constexpr std::array kKinds = {sounding::DataKind::kImpedance, sounding::DataKind::kRhoPhase};
std::string_view KindName(sounding::DataKind k)
{
    return k == sounding::DataKind::kImpedance ? "impedance" : "rho-phase";
}

constexpr std::array kColumns = {sounding::Column::kFrequency, sounding::Column::kPeriod,
                                 sounding::Column::kRho,       sounding::Column::kLog10Rho,
                                 sounding::Column::kRhoErr,    sounding::Column::kLog10RhoErr,
                                 sounding::Column::kPhase,     sounding::Column::kPhaseErr,
                                 sounding::Column::kSkip};

// Projects written before the methods had one name each spell the Occam fit "smooth".
constexpr std::array kMethods = {Method::kOccam, Method::kLayered, Method::kOccam};
std::string_view MethodName(Method m) { return fitting::ToString(m); }
Method ReadMethod(const io::JsonCursor& field)
{
    const std::vector<std::string> names = {"occam", "layered", "smooth"};
    return kMethods[field.OneOf(names)];
}

constexpr std::array kComponents = {fitting::FitComponents::kRho, fitting::FitComponents::kPhase,
                                    fitting::FitComponents::kBoth};
constexpr std::array kFitMethods = {fitting::Method::kLayered, fitting::Method::kOccam};
constexpr auto kStatuses = fitting::kAllFitStatuses;

std::string_view ComponentsName(fitting::FitComponents c) { return fitting::ToString(c); }
std::string_view FitMethodName(fitting::Method m) { return fitting::ToString(m); }
std::string_view StatusName(fitting::FitStatus s) { return fitting::ToString(s); }

// Every number that is not finite is null, as in every file of this program.
json NumberJson(double value) { return std::isfinite(value) ? json(value) : json(nullptr); }

// A member that may be missing or null (then empty); a number otherwise, not finite when the
// file says so (null, or the "nan"/"inf" of older projects).
std::optional<double> OptionalNumberOf(const io::JsonCursor& f, const char* key)
{
    if (const auto field = f.Optional(key)) return field->NumberOrNonFinite();
    return std::nullopt;
}

void PutOptional(json& object, const char* key, const std::optional<double>& value)
{
    if (value) object[key] = NumberJson(*value);
}

json NumbersJson(const std::vector<double>& values)
{
    json list = json::array();
    for (double v : values) list.push_back(NumberJson(v));
    return list;
}

// --- the sounding ----------------------------------------------------------------------------

json SoundingToJson(const sounding::Sounding& s)
{
    json site = {{"name", s.site.name}};
    PutOptional(site, "latitude_deg", s.site.location.latitudeDeg);
    PutOptional(site, "longitude_deg", s.site.location.longitudeDeg);
    PutOptional(site, "elevation_m", s.site.location.elevationM);
    json header = json::array();
    for (const auto& [key, value] : s.site.header) header.push_back(json::array({key, value}));
    site["header"] = header;
    site["info"] = s.site.info;

    json tensor = json::array();
    for (const auto& row : s.tensor) {
        json elements = json::array();
        for (const auto& e : row.z) {
            json element = json::object();
            if (e.value) {
                element["re"] = NumberJson(e.value->real());
                element["im"] = NumberJson(e.value->imag());
            }
            PutOptional(element, "variance", e.variance);
            elements.push_back(element);
        }
        tensor.push_back({{"frequency_hz", NumberJson(row.frequencyHz)},
                          {"rotation_deg", NumberJson(row.rotationDeg)},
                          {"z", elements}});
    }
    json rhoPhase = json::array();
    for (const auto& row : s.rhoPhase) {
        json modes = json::array();
        for (const auto& v : row.byMode) {
            json value = json::object();
            PutOptional(value, "rho_ohm_m", v.rhoOhmM);
            PutOptional(value, "rho_err_ohm_m", v.rhoErrOhmM);
            PutOptional(value, "phase_deg", v.phaseDeg);
            PutOptional(value, "phase_err_deg", v.phaseErrDeg);
            modes.push_back(value);
        }
        rhoPhase.push_back({{"frequency_hz", NumberJson(row.frequencyHz)},
                            {"rotation_deg", NumberJson(row.rotationDeg)},
                            {"modes", modes}});
    }
    return {{"source_name", s.sourceName},
            {"format", FormatName(s.format)},
            {"kind", KindName(s.kind)},
            {"site", site},
            {"tensor", tensor},
            {"rho_phase", rhoPhase},
            {"conjugated", s.conjugated},
            {"yx_phase_stored_first_quadrant", s.yxPhaseStoredFirstQuadrant},
            {"notes", s.notes}};
}

std::vector<std::string> Strings(const io::JsonCursor& field)
{
    std::vector<std::string> strings;
    for (const auto& item : field.Elements(kMaxListEntries)) strings.push_back(item.String());
    return strings;
}

// A project holds what a reader produced (sounding/Normalize.h and the readers' checks); a
// value no reader gives is refused at its place, so that a damaged or forged project cannot
// reach the fits and plots with it.
std::optional<double> CheckedOptional(const io::JsonCursor& f, const char* key, double lowest, double highest,
                                      const std::string& range)
{
    const auto field = f.Optional(key);
    if (!field) return std::nullopt;
    const double value = field->NumberOrNonFinite();
    if (!std::isfinite(value) || value < lowest || value > highest) {
        field->Refuse("expected a number " + range + ", not " + io::DescribeValue(field->Value()));
    }
    return value;
}

// Rows from the highest frequency to the lowest, each frequency once; rows without a positive
// finite frequency only after all the others.
class FrequencyOrder {
public:
    void Check(const io::JsonCursor& field, double frequencyHz)
    {
        const bool positive = std::isfinite(frequencyHz) && frequencyHz > 0.0;
        if (positive && unusableSeen_) field.Refuse("a frequency after rows without one (the rows are out of order)");
        if (positive && previous_ && !(frequencyHz < *previous_)) {
            field.Refuse(frequencyHz == *previous_ ? "the frequency " + io::DescribeValue(field.Value()) + " is given twice"
                                                   : "the frequencies are not in order from the highest to the lowest");
        }
        if (positive) previous_ = frequencyHz;
        if (!positive) unusableSeen_ = true;
    }

private:
    std::optional<double> previous_;
    bool unusableSeen_ = false;
};

sounding::Sounding SoundingFromJson(const io::JsonCursor& f)
{
    sounding::Sounding s;
    s.sourceName = f.Member("source_name").String();
    s.format = ReadEnum(f.Member("format"), kFormats, FormatName);
    s.kind = ReadEnum(f.Member("kind"), kKinds, KindName);
    const io::JsonCursor site = f.Member("site");
    s.site.name = site.Member("name").String();
    s.site.location.latitudeDeg = CheckedOptional(site, "latitude_deg", -90.0, 90.0, "from -90 to 90 (degrees)");
    s.site.location.longitudeDeg =
        CheckedOptional(site, "longitude_deg", -180.0, 180.0, "from -180 to 180 (degrees)");
    s.site.location.elevationM =
        CheckedOptional(site, "elevation_m", -kMaxElevation, kMaxElevation, "(metres)");
    for (const auto& pair : site.Member("header").Elements(kMaxListEntries)) {
        const auto items = pair.Elements(2);
        if (items.size() != 2) pair.Refuse("expected a name and a value");
        s.site.header.emplace_back(items[0].String(), items[1].String());
    }
    s.site.info = Strings(site.Member("info"));

    FrequencyOrder order;
    for (const auto& row : f.Member("tensor").Elements(sounding::kMaxFrequencies)) {
        sounding::TensorRow r;
        r.frequencyHz = row.Member("frequency_hz").NumberOrNonFinite();
        order.Check(row.Member("frequency_hz"), r.frequencyHz);
        r.rotationDeg = row.Member("rotation_deg").NumberOrNonFinite();
        const auto elements = row.Member("z").Elements(4);
        if (elements.size() != 4) row.Member("z").Refuse("expected the four elements xx, xy, yx, yy");
        for (std::size_t k = 0; k < 4; ++k) {
            const io::JsonCursor& e = elements[k];
            if (e.Has("re") || e.Has("im")) {
                // A reader keeps an element only when both parts are numbers.
                r.z[k].value = std::complex<double>(e.Member("re").Number(), e.Member("im").Number());
            }
            r.z[k].variance = OptionalNumberOf(e, "variance");
            if (r.z[k].variance && !(*r.z[k].variance >= 0.0)) {
                e.Member("variance").Refuse("expected a variance of 0 or more, not " +
                                            io::DescribeValue(e.Member("variance").Value()));
            }
        }
        s.tensor.push_back(r);
    }
    for (const auto& row : f.Member("rho_phase").Elements(sounding::kMaxFrequencies)) {
        sounding::RhoPhaseRow r;
        r.frequencyHz = row.Member("frequency_hz").NumberOrNonFinite();
        order.Check(row.Member("frequency_hz"), r.frequencyHz);
        r.rotationDeg = row.Member("rotation_deg").NumberOrNonFinite();
        const auto modes = row.Member("modes").Elements(4);
        if (modes.size() != 4) row.Member("modes").Refuse("expected the four modes xy, yx, det, berd");
        for (std::size_t k = 0; k < 4; ++k) {
            r.byMode[k].rhoOhmM = OptionalNumberOf(modes[k], "rho_ohm_m");
            r.byMode[k].rhoErrOhmM = OptionalNumberOf(modes[k], "rho_err_ohm_m");
            r.byMode[k].phaseDeg = OptionalNumberOf(modes[k], "phase_deg");
            r.byMode[k].phaseErrDeg = OptionalNumberOf(modes[k], "phase_err_deg");
        }
        s.rhoPhase.push_back(r);
    }
    s.conjugated = f.Member("conjugated").Bool();
    s.yxPhaseStoredFirstQuadrant = f.Member("yx_phase_stored_first_quadrant").Bool();
    s.notes = Strings(f.Member("notes"));
    return s;
}

// --- fits ------------------------------------------------------------------------------------

json ModelToJson(const earth::LayeredModel& m)
{
    return {{"resistivity_ohm_m", NumbersJson(m.resistivity)}, {"thickness_m", NumbersJson(m.thickness)}};
}

earth::LayeredModel ModelFromJson(const io::JsonCursor& f)
{
    earth::LayeredModel m;
    m.resistivity = f.Member("resistivity_ohm_m").Numbers(fitting::kMaxOccamLayers);
    m.thickness = f.Member("thickness_m").Numbers(fitting::kMaxOccamLayers);
    return m;
}

json OutcomeToJson(const Session& s, const FitOutcome& o)
{
    return {{"method", MethodName(o.method)},
            {"record", json::parse(report::FitJson(RecordOf(s, o)).dump())},
            {"model", ModelToJson(o.model)},
            {"log10_sd", NumbersJson(o.log10Sd)},
            {"elapsed_ms", NumberJson(o.elapsedMs)}};
}

// A fit as format version 2 keeps it: the record of `mt1d fit`, the model and its errors.
FitOutcome OutcomeFromJson(const io::JsonCursor& f)
{
    FitOutcome o = OutcomeOfRecord(report::ReadFitJson(f.Member("record")));
    o.method = ReadMethod(f.Member("method"));
    o.model = ModelFromJson(f.Member("model"));
    o.log10Sd = f.Member("log10_sd").NumbersOrNonFinite(2 * fitting::kMaxOccamLayers);
    o.elapsedMs = f.Member("elapsed_ms").Number();
    return o;
}

// A fit as format version 1 kept it: a report of its own, no record.
FitOutcome OutcomeFromJsonV1(const io::JsonCursor& f)
{
    FitOutcome o;
    o.method = ReadMethod(f.Member("method"));
    o.model = ModelFromJson(f.Member("model"));
    o.log10Sd = f.Member("log10_sd").NumbersOrNonFinite(2 * fitting::kMaxOccamLayers);
    o.elapsedMs = f.Member("elapsed_ms").Number();
    const io::JsonCursor r = f.Member("report");
    auto& report = o.report;
    report.method = ReadEnum(r.Member("method"), kFitMethods, FitMethodName);
    report.mode = ReadEnum(r.Member("mode"), sounding::kAllModes, sounding::ModeName);
    report.status = ReadEnum(r.Member("status"), kStatuses, StatusName);
    report.rms = r.Member("rms").Number();
    report.roughness = OptionalNumberOf(r, "roughness");
    report.iterations = r.Member("iterations").Count(kMaxHistory);
    report.targetReached = r.Member("target_reached").Bool();
    report.message = r.Member("message").String();
    report.depthOfInvestigationM = r.Member("depth_of_investigation_m").Number();
    for (const auto& h : r.Member("history").Elements(kMaxHistory)) {
        report.history.push_back({h.Member("iteration").Count(kMaxHistory), h.Member("rms").Number(), OptionalNumberOf(h, "roughness"),
                                  h.Member("multiplier").Number()});
    }
    for (const auto& p : r.Member("niblett_bostick").Elements(sounding::kMaxFrequencies)) {
        report.niblettBostick.push_back(
            {p.Member("frequency_hz").Number(), p.Member("depth_m").Number(), p.Member("resistivity_ohm_m").Number()});
    }
    for (const auto& p : r.Member("response").Elements(sounding::kMaxFrequencies)) {
        report.response.push_back({p.Member("frequency_hz").Number(), p.Member("rho_ohm_m").Number(), p.Member("phase_deg").Number()});
    }
    // The layers follow from the model and its errors; they are not written twice.
    report.layers = fitting::ReportLayers(o.model);
    if (o.log10Sd.size() == o.model.ParameterCount()) {
        const std::size_t layers = o.model.LayerCount();
        for (std::size_t j = 0; j < layers; ++j) {
            report.layers[j].log10RhoSd = o.log10Sd[j];
            if (j + 1 < layers) report.layers[j].log10ThicknessSd = o.log10Sd[layers + j];
        }
    }
    // What version 1 did not keep: the method and mode are the report's, the rest stays unknown.
    o.context.settings.method = report.method;
    o.context.curve.mode = report.mode;
    return o;
}

}  // namespace

json SessionToJson(const Session& s)
{
    json columns = json::array();
    for (auto c : s.read.columns) columns.push_back(sounding::ColumnName(c));
    json read = {{"columns", columns}};
    PutOptional(read, "rotate_to_deg", s.read.rotateToDeg);
    json fit = {{"method", MethodName(s.fit.method)},
                {"layers", s.fit.layers.value_or(0)},
                {"target_rms", NumberJson(s.fit.targetRms)},
                {"components", fitting::ToString(s.fit.components)},
                {"starts", s.fit.starts.value_or(0)},
                {"seed", s.fit.seed.value_or(jobs::kDefaultSeed)}};
    json out = {{"sounding", SoundingToJson(s.sounding)},
                {"original_path", s.originalPath},
                {"read", read},
                {"mode", sounding::ModeName(s.mode)},
                {"floor_percent", NumberJson(s.floorPercent)},
                {"excluded_rows", s.excludedRows},
                {"fit", fit}};
    if (s.layered) out["layered_result"] = OutcomeToJson(s, *s.layered);
    if (s.occam) out["occam_result"] = OutcomeToJson(s, *s.occam);
    if (s.edited) out["edited_model"] = ModelToJson(*s.edited);
    // Older projects have no locks; nothing is written when none is set.
    if (!s.locked.empty()) {
        json locked = json::array();
        for (const bool l : s.locked) locked.push_back(l);
        out["locked_parameters"] = std::move(locked);
    }
    return out;
}

Session SessionFromJson(const io::JsonCursor& f, int projectVersion)
{
    const auto outcome = projectVersion >= 2 ? OutcomeFromJson : OutcomeFromJsonV1;
    Session s;
    s.sounding = SoundingFromJson(f.Member("sounding"));
    s.originalPath = f.Member("original_path").String();
    const io::JsonCursor read = f.Member("read");
    for (const auto& c : read.Member("columns").Elements(64)) {
        s.read.columns.push_back(ReadEnum(c, kColumns, sounding::ColumnName));
    }
    s.read.rotateToDeg = OptionalNumberOf(read, "rotate_to_deg");
    s.mode = ReadEnum(f.Member("mode"), sounding::kAllModes, sounding::ModeName);
    s.floorPercent = f.Member("floor_percent").Number();
    for (const auto& row : f.Member("excluded_rows").Elements(sounding::kMaxFrequencies)) {
        s.excludedRows.push_back(row.Count(sounding::kMaxFrequencies));
    }
    const io::JsonCursor fit = f.Member("fit");
    s.fit.method = ReadMethod(fit.Member("method"));
    s.fit.layers = fit.Member("layers").Count(kMaxLayers);
    s.fit.targetRms = fit.Member("target_rms").Number();
    s.fit.components = ReadEnum(fit.Member("components"), kComponents, ComponentsName);
    s.fit.starts = fit.Member("starts").Count(kMaxStarts);
    s.fit.seed = fit.Member("seed").Unsigned();
    if (const auto r = f.Optional("layered_result")) s.layered = outcome(*r);
    // Older projects call the Occam fit's result "smooth_result".
    if (const auto r = f.Optional("occam_result")) {
        s.occam = outcome(*r);
    } else if (const auto old = f.Optional("smooth_result")) {
        s.occam = outcome(*old);
    }
    if (const auto m = f.Optional("edited_model")) s.edited = ModelFromJson(*m);
    if (const auto l = f.Optional("locked_parameters")) {
        for (const auto& flag : l->Elements(2 * fitting::kMaxOccamLayers)) s.locked.push_back(flag.Bool());
    }
    return s;
}

}  // namespace mt1d::session
