#include "section/Export.h"

#include "io/AtomicFile.h"
#include "io/Csv.h"
#include "io/JsonReader.h"
#include "io/TextEncoding.h"
#include "report/Formatting.h"
#include "section/Section.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <map>
#include <set>
#include <sstream>

namespace mt1d::section {

namespace {

namespace fs = std::filesystem;
using io::Json;

// The summary's columns that hold numbers and the one that holds true/false.
const std::set<std::string, std::less<>> kNumberColumns = {"latitude",  "longitude",  "elevation",
                                                           "rms",       "iterations", "depth_of_investigation_m",
                                                           "one_d_fraction", "strike_deg"};
constexpr const char* kBooleanColumn = "target_reached";

// The half-space of a site without a depth of investigation below its top reaches this far.
constexpr double kHalfSpaceDepthM = 1000.0;

std::optional<double> NumberOf(const std::string& text)
{
    double v = 0.0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size() || !std::isfinite(v)) return std::nullopt;
    return v;
}

Json FieldJson(const std::string& column, const std::string& text)
{
    if (text.empty()) return nullptr;
    if (kNumberColumns.contains(column)) {
        if (const auto v = NumberOf(text)) return io::JsonNumber(*v);
    }
    if (column == kBooleanColumn && (text == "true" || text == "false")) return text == "true";
    return text;
}

// The field of `column` in `row`, empty when the summary has no such column.
std::string FieldOf(const SummaryTable& table, const std::vector<std::string>& row, std::string_view column)
{
    for (std::size_t k = 0; k < table.columns.size() && k < row.size(); ++k) {
        if (table.columns[k] == column) return row[k];
    }
    return {};
}

// Text as XML character data (also fit for an attribute in double quotes): the five markup
// characters as entities, and control characters XML 1.0 does not allow replaced by a blank.
std::string XmlText(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&apos;"; break;
        default:
            if (static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n' && c != '\r') {
                out += ' ';
            } else {
                out += c;
            }
        }
    }
    return out;
}

struct Located {
    double latitude = 0.0;
    double longitude = 0.0;
    std::optional<double> elevation;
};

std::optional<Located> LocationOf(const SummaryTable& table, const std::vector<std::string>& row)
{
    const auto lat = NumberOf(FieldOf(table, row, "latitude"));
    const auto lon = NumberOf(FieldOf(table, row, "longitude"));
    if (!lat || !lon) return std::nullopt;
    return Located{*lat, *lon, NumberOf(FieldOf(table, row, "elevation"))};
}

// The section's sites in profile order with their models.
struct OrderedSite {
    const SectionSite* place;
    const SiteModel* model;
};

std::vector<OrderedSite> OrderedSites(const Survey& survey, const Section& section)
{
    std::map<std::string, const SiteModel*, std::less<>> byName;
    for (const auto& s : survey.sites) byName.emplace(s.site.name, &s);
    std::vector<OrderedSite> out;
    for (const auto& s : section.sites) {
        const auto it = byName.find(s.name);
        if (it != byName.end()) out.push_back({&s, it->second});
    }
    return out;
}

// The folder's name, for titles: "line1" of "surveys/line1/".
std::string FolderTitleOf(const fs::path& folder)
{
    fs::path p = folder.lexically_normal();
    if (p.filename().empty()) p = p.parent_path();
    const std::string name = p.filename().string();
    return name.empty() || name == "." ? fs::absolute(folder).lexically_normal().filename().string() : name;
}

double HalfSpaceBottomM(double topM, double doiM)
{
    const double bottom = std::max(std::isfinite(doiM) ? doiM : 0.0, 2.0 * topM);
    return bottom > topM ? bottom : topM + kHalfSpaceDepthM;
}

}  // namespace

ExportFormat ExportFormatOf(const fs::path& file)
{
    std::string suffix = file.extension().string();
    std::transform(suffix.begin(), suffix.end(), suffix.begin(), [](unsigned char c) { return std::tolower(c); });
    if (suffix == ".geojson") return ExportFormat::kGeoJson;
    if (suffix == ".kml") return ExportFormat::kKml;
    if (suffix == ".csv") return ExportFormat::kModelsCsv;
    if (suffix == ".vtk") return ExportFormat::kVtk;
    throw SurveyError(file.string() + ": the suffix says which format to write; known are .geojson, .kml, .csv and .vtk");
}

SummaryTable ReadSummaryTable(const fs::path& folder)
{
    const fs::path file = folder / kSummaryFileName;
    std::string text;
    try {
        text = io::ReadRegularFile(file, kMaxSummaryBytes);
    } catch (const io::FileError& e) {
        throw SurveyError(e.what());
    }
    std::vector<io::CsvRecord> records;
    try {
        records = io::ParseCsv(text, file.string());
    } catch (const std::exception& e) {
        throw SurveyError(e.what());
    }
    // The section's reader checks the columns and the field counts.
    ParseSummary(text, file.string());
    SummaryTable table;
    if (records.empty()) throw SurveyError(file.string() + ": no header");
    table.columns = records.front().fields;
    for (std::size_t r = 1; r < records.size(); ++r) {
        table.rows.push_back(records[r].fields);
    }
    return table;
}

std::string SitesGeoJson(const SummaryTable& summary)
{
    Json features = Json::array();
    for (const auto& row : summary.rows) {
        Json properties = Json::object();
        for (std::size_t k = 0; k < summary.columns.size() && k < row.size(); ++k) {
            properties[summary.columns[k]] = FieldJson(summary.columns[k], row[k]);
        }
        Json geometry = nullptr;
        if (const auto at = LocationOf(summary, row)) {
            Json coordinates = {io::JsonNumber(at->longitude), io::JsonNumber(at->latitude)};
            if (at->elevation) coordinates.push_back(io::JsonNumber(*at->elevation));
            geometry = {{"type", "Point"}, {"coordinates", std::move(coordinates)}};
        }
        features.push_back({{"type", "Feature"}, {"geometry", std::move(geometry)}, {"properties", std::move(properties)}});
    }
    const Json collection = {{"type", "FeatureCollection"}, {"features", std::move(features)}};
    return report::JsonLayout(collection) + "\n";
}

std::string SitesKml(const SummaryTable& summary, const std::string& title)
{
    std::ostringstream k;
    k << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      << "<kml xmlns=\"http://www.opengis.net/kml/2.2\">\n<Document>\n<name>" << XmlText(title) << "</name>\n";
    for (const auto& row : summary.rows) {
        k << "<Placemark>\n<name>" << XmlText(FieldOf(summary, row, "site")) << "</name>\n<ExtendedData>\n";
        for (std::size_t c = 0; c < summary.columns.size() && c < row.size(); ++c) {
            k << "<Data name=\"" << XmlText(summary.columns[c]) << "\"><value>" << XmlText(row[c]) << "</value></Data>\n";
        }
        k << "</ExtendedData>\n";
        if (const auto at = LocationOf(summary, row)) {
            k << "<Point><coordinates>" << io::NumberText(at->longitude) << "," << io::NumberText(at->latitude);
            if (at->elevation) k << "," << io::NumberText(*at->elevation);
            k << "</coordinates></Point>\n";
        }
        k << "</Placemark>\n";
    }
    k << "</Document>\n</kml>\n";
    return k.str();
}

std::string ModelsCsv(const Survey& survey)
{
    const Section section = MakeSection(survey, {});
    std::string out = "site,distance_km,latitude,longitude,top_m,bottom_m,resistivity_ohmm\n";
    for (const auto& [place, model] : OrderedSites(survey, section)) {
        for (std::size_t j = 0; j < model->layers.size(); ++j) {
            const fitting::ReportLayer& layer = model->layers[j];
            std::optional<double> bottom;
            if (layer.thicknessM) bottom = layer.topM + *layer.thicknessM;
            out += io::CsvLine({place->name, io::NumberText(place->distanceKm), io::NumberText(model->site.latitudeDeg),
                                io::NumberText(model->site.longitudeDeg), io::NumberText(layer.topM),
                                io::NumberText(bottom), io::NumberText(layer.resistivityOhmM)}) +
                   "\n";
        }
    }
    return out;
}

std::string ModelsVtk(const Survey& survey, const std::string& title)
{
    const Section section = MakeSection(survey, {});
    struct Cell {
        double left, right, top, bottom, rho;
    };
    std::vector<Cell> cells;
    for (const auto& [place, model] : OrderedSites(survey, section)) {
        for (const fitting::ReportLayer& layer : model->layers) {
            const double bottom = layer.thicknessM ? layer.topM + *layer.thicknessM
                                                   : HalfSpaceBottomM(layer.topM, model->depthOfInvestigationM);
            cells.push_back({place->leftKm * 1000.0, place->rightKm * 1000.0, layer.topM, bottom, layer.resistivityOhmM});
        }
    }
    // The title line holds at most 256 characters and no line break.
    std::string header = "mt1d models of " + title;
    std::replace_if(header.begin(), header.end(), [](char c) { return c == '\n' || c == '\r'; }, ' ');
    if (header.size() > 255) header.resize(255);
    std::ostringstream v;
    v << "# vtk DataFile Version 3.0\n" << header << "\nASCII\nDATASET UNSTRUCTURED_GRID\n";
    v << "POINTS " << 4 * cells.size() << " double\n";
    for (const Cell& c : cells) {
        // Counter-clockwise seen from −y: top left, bottom left, bottom right, top right.
        v << io::NumberText(c.left) << " 0 " << io::NumberText(0.0 - c.top) << "\n"
          << io::NumberText(c.left) << " 0 " << io::NumberText(0.0 - c.bottom) << "\n"
          << io::NumberText(c.right) << " 0 " << io::NumberText(0.0 - c.bottom) << "\n"
          << io::NumberText(c.right) << " 0 " << io::NumberText(0.0 - c.top) << "\n";
    }
    v << "CELLS " << cells.size() << " " << 5 * cells.size() << "\n";
    for (std::size_t i = 0; i < cells.size(); ++i) {
        v << "4 " << 4 * i << " " << 4 * i + 1 << " " << 4 * i + 2 << " " << 4 * i + 3 << "\n";
    }
    v << "CELL_TYPES " << cells.size() << "\n";
    for (std::size_t i = 0; i < cells.size(); ++i) v << "9\n";  // VTK_QUAD
    v << "CELL_DATA " << cells.size() << "\nSCALARS resistivity_ohmm double 1\nLOOKUP_TABLE default\n";
    for (const Cell& c : cells) v << io::NumberText(c.rho) << "\n";
    v << "SCALARS log10_resistivity double 1\nLOOKUP_TABLE default\n";
    for (const Cell& c : cells) v << io::NumberText(std::log10(c.rho)) << "\n";
    return v.str();
}

std::size_t ExportFolder(const fs::path& folder, const fs::path& file)
{
    const ExportFormat format = ExportFormatOf(file);
    const std::string title = FolderTitleOf(folder);
    std::string text;
    std::size_t sites = 0;
    if (format == ExportFormat::kGeoJson || format == ExportFormat::kKml) {
        const SummaryTable summary = ReadSummaryTable(folder);
        text = format == ExportFormat::kGeoJson ? SitesGeoJson(summary) : SitesKml(summary, title);
        sites = summary.rows.size();
    } else {
        const Survey survey = ReadSurvey(folder);
        text = format == ExportFormat::kModelsCsv ? ModelsCsv(survey) : ModelsVtk(survey, title);
        sites = MakeSection(survey, {}).sites.size();
    }
    io::WriteFileAtomically(file, text);
    return sites;
}

}  // namespace mt1d::section
