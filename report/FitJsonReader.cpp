#include "report/FitJsonReader.h"

#include "report/FitJson.h"
#include "sounding/Modes.h"

#include <cmath>
#include <fstream>
#include <iterator>
#include <limits>
#include <optional>

namespace mt1d::report {

namespace {

using nlohmann::json;

std::string TypeName(const json& value)
{
    if (value.is_number_integer() || value.is_number_unsigned()) return "an integer";
    if (value.is_number()) return "a number";
    if (value.is_string()) return "a string";
    if (value.is_boolean()) return "true or false";
    if (value.is_null()) return "null";
    if (value.is_array()) return "an array";
    return "an object";
}

// A value of the document with its path, and the checked conversions of it.
class Cursor {
public:
    Cursor(const json& value, std::string path, const std::string& file) : value_(value), path_(std::move(path)), file_(file) {}

    [[noreturn]] void Refuse(const std::string& problem) const { throw FitFileError(file_, path_, problem); }

    Cursor Member(const char* key) const
    {
        if (!value_.is_object()) Refuse("expected an object, found " + TypeName(value_));
        const auto it = value_.find(key);
        const std::string path = path_.empty() ? key : path_ + "." + key;
        if (it == value_.end()) throw FitFileError(file_, path, "missing");
        return Cursor(*it, path, file_);
    }

    bool Has(const char* key) const { return value_.is_object() && value_.contains(key); }
    bool IsNull() const { return value_.is_null(); }

    std::size_t Size() const
    {
        if (!value_.is_array()) Refuse("expected an array, found " + TypeName(value_));
        return value_.size();
    }

    Cursor Element(std::size_t i) const { return Cursor(value_[i], path_ + "[" + std::to_string(i) + "]", file_); }

    double Number() const
    {
        if (!value_.is_number()) Refuse("expected a number, found " + TypeName(value_));
        const double v = value_.get<double>();
        if (!std::isfinite(v)) Refuse("the number is out of range");
        return v;
    }

    double Positive() const
    {
        const double v = Number();
        if (!(v > 0.0)) Refuse("expected a positive number, found " + Text());
        return v;
    }

    double NotNegative() const
    {
        const double v = Number();
        if (v < 0.0) Refuse("expected a number of at least 0, found " + Text());
        return v;
    }

    std::optional<double> NumberOrNull() const { return IsNull() ? std::nullopt : std::optional<double>(Number()); }
    std::optional<double> NotNegativeOrNull() const
    {
        return IsNull() ? std::nullopt : std::optional<double>(NotNegative());
    }
    std::optional<double> PositiveOrNull() const { return IsNull() ? std::nullopt : std::optional<double>(Positive()); }

    std::uint64_t Unsigned() const
    {
        if (value_.is_number_unsigned()) return value_.get<std::uint64_t>();
        if (value_.is_number_integer() && value_.get<std::int64_t>() >= 0) return value_.get<std::uint64_t>();
        Refuse("expected a whole number of at least 0, found " + (value_.is_number() ? Text() : TypeName(value_)));
    }

    std::size_t Count() const
    {
        const std::uint64_t v = Unsigned();
        if (v > std::numeric_limits<std::size_t>::max()) Refuse("the number is out of range");
        return static_cast<std::size_t>(v);
    }

    bool Bool() const
    {
        if (!value_.is_boolean()) Refuse("expected true or false, found " + TypeName(value_));
        return value_.get<bool>();
    }

    std::string String() const
    {
        if (!value_.is_string()) Refuse("expected a string, found " + TypeName(value_));
        return value_.get<std::string>();
    }

    // The index of the string among `names`; refused with the list otherwise.
    template <typename Enum, std::size_t N>
    Enum Choice(const std::array<Enum, N>& values, std::string_view (*name)(Enum)) const
    {
        const std::string text = String();
        std::string list;
        for (const Enum v : values) {
            if (name(v) == text) return v;
            list += (list.empty() ? "" : ", ") + std::string(name(v));
        }
        Refuse("expected one of " + list + ", found \"" + text + "\"");
    }

    const std::string& Path() const { return path_; }

private:
    std::string Text() const { return value_.dump(); }

    const json& value_;
    std::string path_;
    const std::string& file_;
};

constexpr std::array kMethods = {fitting::Method::kLayered, fitting::Method::kOccam};
constexpr auto kStatuses = fitting::kAllFitStatuses;
constexpr std::array kComponents = {fitting::FitComponents::kRho, fitting::FitComponents::kPhase,
                                    fitting::FitComponents::kBoth};

std::string_view MethodName(fitting::Method m) { return fitting::ToString(m); }
std::string_view StatusName(fitting::FitStatus s) { return fitting::ToString(s); }
std::string_view ComponentsName(fitting::FitComponents c) { return fitting::ToString(c); }

sounding::Mode ReadMode(const Cursor& c) { return c.Choice(sounding::kAllModes, sounding::ModeName); }

SiteSummary ReadSite(const Cursor& c)
{
    SiteSummary site;
    site.name = c.Member("name").String();
    site.sourceFile = c.Member("file").String();
    site.latitudeDeg = c.Member("latitude_deg").NumberOrNull();
    site.longitudeDeg = c.Member("longitude_deg").NumberOrNull();
    site.elevationM = c.Member("elevation_m").NumberOrNull();
    return site;
}

void ReadOptions(const Cursor& c, CurveSettings& curve, FitSettings& s)
{
    curve.mode = ReadMode(c.Member("mode"));
    curve.floorPercent = c.Member("floor_percent").NotNegative();
    if (const Cursor columns = c.Member("columns"); !columns.IsNull()) {
        for (std::size_t i = 0; i < columns.Size(); ++i) {
            const Cursor item = columns.Element(i);
            const auto column = sounding::ParseColumnName(item.String());
            if (!column) item.Refuse("expected a column name (" + sounding::ColumnVocabulary() + ")");
            curve.columns.push_back(*column);
        }
    }
    curve.rotateDeg = c.Member("rotate_deg").NumberOrNull();
    s.method = c.Member("method").Choice(kMethods, MethodName);
    s.components = c.Member("fit").Choice(kComponents, ComponentsName);
    s.targetRms = c.Member("target_rms").Positive();
    s.maxIterations = c.Member("max_iterations").Count();
    s.layers = c.Member("layers").Count();
    if (const Cursor tops = c.Member("layer_tops"); !tops.IsNull()) {
        for (std::size_t i = 0; i < tops.Size(); ++i) s.layerTops.push_back(tops.Element(i).NotNegative());
    }
    s.topDepthM = c.Member("top_depth_m").PositiveOrNull();
    s.bottomDepthM = c.Member("bottom_depth_m").PositiveOrNull();
    if (const Cursor starts = c.Member("starts"); !starts.IsNull()) s.starts = starts.Count();
    if (const Cursor seed = c.Member("seed"); !seed.IsNull()) s.seed = seed.Unsigned();
}

std::vector<fitting::HistoryEntry> ReadHistory(const Cursor& c)
{
    std::vector<fitting::HistoryEntry> history;
    for (std::size_t i = 0; i < c.Size(); ++i) {
        const Cursor e = c.Element(i);
        history.push_back({e.Member("iteration").Count(), e.Member("rms").NotNegative(),
                           e.Member("roughness").NotNegativeOrNull(), e.Member("multiplier").NotNegative()});
    }
    return history;
}

void ReadLayers(const Cursor& c, FitRecord& record)
{
    const std::size_t n = c.Size();
    bool withProducts = false;
    for (std::size_t j = 0; j < n; ++j) {
        const Cursor e = c.Element(j);
        const bool last = j + 1 == n;
        fitting::ReportLayer layer;
        layer.topM = e.Member("top_m").NotNegative();
        const Cursor thickness = e.Member("thickness_m");
        if (last && !thickness.IsNull()) thickness.Refuse("expected null: the last layer is the half-space");
        if (!last) layer.thicknessM = thickness.Positive();
        layer.resistivityOhmM = e.Member("resistivity_ohmm").Positive();
        layer.log10RhoSd = e.Member("log10_rho_sd").NotNegativeOrNull();
        const Cursor thicknessSd = e.Member("log10_thickness_sd");
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
                if (const Cursor v = e.Member(key); !v.IsNull()) v.Refuse("expected null for the half-space");
            }
            continue;
        }
        record.products.push_back({e.Member(keys[0]).Positive(), e.Member(keys[2]).Positive(),
                                   e.Member(keys[1]).NotNegative(), e.Member(keys[3]).NotNegative()});
    }
}

void ReadCorrelation(const Cursor& c, FitRecord& record)
{
    if (c.IsNull()) return;
    const std::size_t layers = record.report.layers.size();
    const std::size_t p = layers > 0 ? 2 * layers - 1 : 0;
    const Cursor names = c.Member("parameters");
    const std::vector<std::string> expected = CorrelationParameterNames(layers);
    if (names.Size() != p) {
        names.Refuse("expected " + std::to_string(p) + " names for " + std::to_string(layers) + " layers, found " +
                     std::to_string(names.Size()));
    }
    for (std::size_t i = 0; i < p; ++i) {
        const Cursor name = names.Element(i);
        if (name.String() != expected[i]) name.Refuse("expected \"" + expected[i] + "\"");
    }
    const Cursor matrix = c.Member("matrix");
    if (matrix.Size() != p) matrix.Refuse("expected " + std::to_string(p) + " rows, found " + std::to_string(matrix.Size()));
    for (std::size_t i = 0; i < p; ++i) {
        const Cursor row = matrix.Element(i);
        if (row.Size() != p) row.Refuse("expected " + std::to_string(p) + " values, found " + std::to_string(row.Size()));
        for (std::size_t k = 0; k < p; ++k) {
            const Cursor v = row.Element(k);
            const double r = v.Number();
            // Rounding may carry a correlation a few ulp past ±1; more than that is no correlation.
            if (std::abs(r) > 1.0 + 1e-9) v.Refuse("expected a correlation between -1 and 1, found " + std::to_string(r));
            record.correlation.push_back(r);
        }
    }
}

// "[json.exception.parse_error.101] parse error at line 3, column 5: …": the part after the tag.
std::string WithoutTag(const std::string& what)
{
    const std::size_t tag = what.find("] ");
    return tag == std::string::npos ? what : what.substr(tag + 2);
}

std::string WhereText(const std::string& where) { return where.empty() ? "" : ", " + where; }

}  // namespace

FitFileError::FitFileError(std::string file, std::string where, std::string problem)
    : std::runtime_error(file + WhereText(where) + ": " + problem),
      file_(std::move(file)),
      where_(std::move(where)),
      problem_(std::move(problem))
{
}

FitRecord ParseFitJson(std::string_view text, const std::string& file)
{
    json document;
    try {
        document = json::parse(text.begin(), text.end());
    } catch (const json::parse_error& e) {
        throw FitFileError(file, "", "not a JSON document: " + WithoutTag(e.what()));
    } catch (const json::out_of_range& e) {  // a number beyond the range of a double
        throw FitFileError(file, "", "not a JSON document this program can read: " + WithoutTag(e.what()));
    }
    const Cursor root(document, "", file);
    if (!document.is_object() || !document.contains("format") || document["format"] != kFitFormatName) {
        throw FitFileError(file, "", std::string("not a fit result of mt1d (no \"format\": \"") + kFitFormatName + "\")");
    }
    const Cursor version = root.Member("format_version");
    if (const std::uint64_t v = version.Unsigned(); v != static_cast<std::uint64_t>(kFitFormatVersion)) {
        version.Refuse("this program reads version " + std::to_string(kFitFormatVersion) + ", the file is version " +
                       std::to_string(v));
    }

    FitRecord record;
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
    const Cursor notes = root.Member("notes");
    for (std::size_t i = 0; i < notes.Size(); ++i) record.notes.push_back(notes.Element(i).String());
    r.history = ReadHistory(root.Member("history"));
    ReadLayers(root.Member("layers"), record);
    ReadCorrelation(root.Member("correlation"), record);
    const Cursor response = root.Member("response");
    for (std::size_t i = 0; i < response.Size(); ++i) {
        const Cursor e = response.Element(i);
        r.response.push_back({e.Member("frequency_hz").Positive(), e.Member("rho_ohmm").Positive(),
                              e.Member("phase_deg").Number()});
    }
    const Cursor bostick = root.Member("niblett_bostick");
    for (std::size_t i = 0; i < bostick.Size(); ++i) {
        const Cursor e = bostick.Element(i);
        r.niblettBostick.push_back({e.Member("frequency_hz").Positive(), e.Member("depth_m").Positive(),
                                    e.Member("resistivity_ohmm").Positive()});
    }
    r.depthOfInvestigationM = root.Member("depth_of_investigation_m").NotNegative();
    return record;
}

FitRecord ReadFitJsonFile(const std::filesystem::path& path)
{
    const std::string file = path.string();
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) throw FitFileError(file, "", "not a file that can be read");
    const auto size = std::filesystem::file_size(path, error);
    if (error) throw FitFileError(file, "", "cannot be read: " + error.message());
    if (size > kMaxFitFileBytes) {
        throw FitFileError(file, "", "larger than " + std::to_string(kMaxFitFileBytes / (1024 * 1024)) +
                                         " MB; a fit result is far smaller");
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) throw FitFileError(file, "", "cannot be opened");
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) throw FitFileError(file, "", "cannot be read");
    return ParseFitJson(text, file);
}

}  // namespace mt1d::report
