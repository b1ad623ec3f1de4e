// A folder exported as GeoJSON, KML, a CSV of models and a legacy VTK file, each parsed back:
// the GeoJSON with nlohmann-json, the KML by a small well-formedness check that also undoes the
// entities, the VTK by a reader of the legacy ASCII layout.

#include "section/Export.h"
#include "section/Profile.h"
#include "tests/section/SurveyFixture.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cmath>
#include <fstream>
#include <map>
#include <sstream>

namespace {

using namespace section_testing;
using section::ExportFormat;

std::string ReadText(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// Three sites on the parallel 30° S, 0.01° of longitude apart (0.963 km), the first with a
// name full of markup; a fourth that failed and has no result. Longitude and latitude differ
// in sign and size, so a swapped pair shows.
const std::vector<SiteSpec> kSites = {
    {"A&B<1>", -30.0, 135.00, {{100.0, 500.0}, {10.0, 2000.0}, {1000.0, std::nullopt}}, 4000.0},
    {"S2", -30.0, 135.01, {{50.0, 300.0}, {500.0, std::nullopt}}, 200.0},
    {"S3", -30.0, 135.02, {{20.0, std::nullopt}}, 0.0},
    {"F4", -30.0, 135.03, {}, 0.0, "cannot read: F4.edi line 3"},
};

class ExportTest : public ::testing::Test {
protected:
    void SetUp() override { WriteSurvey(folder_.Path(), kSites); }
    fs::path Export(const std::string& name)
    {
        const fs::path file = out_.Path() / name;
        section::ExportFolder(folder_.Path(), file);
        return file;
    }
    TempFolder folder_;
    TempFolder out_;
};

TEST(ExportFormatTest, SuffixChoosesTheFormatAndAnUnknownOneIsRefused)
{
    EXPECT_EQ(section::ExportFormatOf("a/sites.GeoJSON"), ExportFormat::kGeoJson);
    EXPECT_EQ(section::ExportFormatOf("sites.kml"), ExportFormat::kKml);
    EXPECT_EQ(section::ExportFormatOf("models.csv"), ExportFormat::kModelsCsv);
    EXPECT_EQ(section::ExportFormatOf("models.vtk"), ExportFormat::kVtk);
    for (const char* bad : {"sites.json", "sites", "sites.gpkg"}) {
        EXPECT_THROW(section::ExportFormatOf(bad), section::SurveyError) << bad;
    }
}

// One feature per summary row, coordinates longitude first, the columns as typed properties.
TEST_F(ExportTest, GeoJsonHasAPointPerSiteInLongitudeLatitudeOrderWithTypedProperties)
{
    const auto json = nlohmann::json::parse(ReadText(Export("sites.geojson")));
    EXPECT_EQ(json["type"], "FeatureCollection");
    ASSERT_EQ(json["features"].size(), kSites.size());
    for (std::size_t i = 0; i < kSites.size(); ++i) {
        const auto& f = json["features"][i];
        EXPECT_EQ(f["type"], "Feature");
        EXPECT_EQ(f["geometry"]["type"], "Point");
        ASSERT_EQ(f["geometry"]["coordinates"].size(), 2u) << "no elevation in the summary";
        EXPECT_DOUBLE_EQ(f["geometry"]["coordinates"][0].get<double>(), *kSites[i].longitudeDeg);
        EXPECT_DOUBLE_EQ(f["geometry"]["coordinates"][1].get<double>(), *kSites[i].latitudeDeg);
        const auto& p = f["properties"];
        EXPECT_EQ(p["site"], kSites[i].name);
        EXPECT_EQ(p["status"], kSites[i].status);
        EXPECT_TRUE(p["elevation"].is_null());
        EXPECT_TRUE(p["rms"].is_number());
        EXPECT_DOUBLE_EQ(p["rms"].get<double>(), 0.9);
        EXPECT_TRUE(p["iterations"].is_number());
        EXPECT_EQ(p["target_reached"], true);
        EXPECT_EQ(p["mode"], "det");
        EXPECT_EQ(p.size(), 12u) << "every column of the summary";
    }
}

// A tiny XML check: tags nest and close in order, attribute values are quoted, and text holds
// no raw '<' and no '&' that does not start one of the five entities. Returns the text of
// every element named `element`, entities undone.
std::vector<std::string> WellFormedTexts(const std::string& xml, const std::string& element)
{
    std::vector<std::string> open, texts;
    std::string text;
    const auto unescape = [](const std::string& s) {
        std::string out;
        for (std::size_t i = 0; i < s.size(); ++i) {
            if (s[i] != '&') {
                out += s[i];
                continue;
            }
            static const std::map<std::string, char> entities = {
                {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&apos;", '\''}};
            bool known = false;
            for (const auto& [name, c] : entities) {
                if (s.compare(i, name.size(), name) == 0) {
                    out += c;
                    i += name.size() - 1;
                    known = true;
                    break;
                }
            }
            if (!known) throw std::runtime_error("a bare & in " + s);
        }
        return out;
    };
    std::size_t i = 0;
    if (xml.rfind("<?xml", 0) == 0) i = xml.find("?>") + 2;
    while (i < xml.size()) {
        if (xml[i] != '<') {
            if (xml[i] == '>') throw std::runtime_error("a bare > outside a tag");
            text += xml[i++];
            continue;
        }
        const std::size_t end = xml.find('>', i);
        if (end == std::string::npos) throw std::runtime_error("a tag never closed");
        std::string tag = xml.substr(i + 1, end - i - 1);
        if (tag.find('<') != std::string::npos) throw std::runtime_error("< inside a tag: " + tag);
        if (std::count(tag.begin(), tag.end(), '"') % 2 != 0) throw std::runtime_error("a quote unclosed in " + tag);
        if (!tag.empty() && tag[0] == '/') {
            if (open.empty() || open.back() != tag.substr(1)) throw std::runtime_error("</" + tag + "> out of order");
            if (open.back() == element) texts.push_back(unescape(text));
            open.pop_back();
        } else if (!tag.empty() && tag.back() == '/') {
        } else {
            open.push_back(tag.substr(0, tag.find(' ')));
        }
        unescape(text);
        text.clear();
        i = end + 1;
    }
    if (!open.empty()) throw std::runtime_error("<" + open.back() + "> never closed");
    return texts;
}

TEST(KmlCheckTest, CatchesMarkupLeftUnescaped)
{
    EXPECT_NO_THROW(WellFormedTexts("<a><name>A&amp;B&lt;1&gt;</name></a>", "name"));
    EXPECT_ANY_THROW(WellFormedTexts("<a><name>A&B</name></a>", "name"));
    EXPECT_ANY_THROW(WellFormedTexts("<a><name>A<1></name></a>", "name"));
    EXPECT_ANY_THROW(WellFormedTexts("<a><b></a></b>", "b"));
}

TEST_F(ExportTest, KmlIsWellFormedWithEscapedNamesAndLongitudeFirst)
{
    const std::string kml = ReadText(Export("sites.kml"));
    std::vector<std::string> names;
    ASSERT_NO_THROW(names = WellFormedTexts(kml, "name")) << kml;
    // The document's name (the folder's), then one per placemark.
    ASSERT_EQ(names.size(), kSites.size() + 1);
    for (std::size_t i = 0; i < kSites.size(); ++i) EXPECT_EQ(names[i + 1], kSites[i].name);
    const auto coordinates = WellFormedTexts(kml, "coordinates");
    ASSERT_EQ(coordinates.size(), kSites.size());
    EXPECT_EQ(coordinates[1], "135.01,-30");
    const auto values = WellFormedTexts(kml, "value");
    EXPECT_EQ(values.size(), 12u * kSites.size());
    EXPECT_EQ(values[0], "A&B<1>");
}

// One row per layer in profile order; the half-space's bottom empty; each layer's bottom the
// next one's top.
TEST_F(ExportTest, ModelsCsvHasALayerPerRowAtTheSitesDistances)
{
    const std::string csv = ReadText(Export("models.csv"));
    std::istringstream in(csv);
    std::string line;
    std::getline(in, line);
    EXPECT_EQ(line, "site,distance_km,latitude,longitude,top_m,bottom_m,resistivity_ohmm");
    std::vector<std::vector<std::string>> rows;
    while (std::getline(in, line)) {
        std::vector<std::string> fields;
        std::string field;
        // Quoted fields only for the first site's name, which holds no comma.
        for (std::istringstream f(line); std::getline(f, field, ',');) fields.push_back(field);
        if (line.back() == ',') fields.push_back("");
        rows.push_back(fields);
    }
    ASSERT_EQ(rows.size(), 6u);  // 3 + 2 + 1 layers; the failed site has none
    EXPECT_EQ(rows[0][0], "A&B<1>");
    EXPECT_EQ(rows[0][4], "0");
    EXPECT_EQ(rows[0][5], "500");
    EXPECT_EQ(rows[1][4], "500");
    EXPECT_EQ(rows[1][5], "2500");
    EXPECT_EQ(rows[2][5], "");
    EXPECT_EQ(rows[3][0], "S2");
    // 0.01° of longitude at 30° S on the sphere: 6371.0088 km · cos 30° · 0.01 · π/180. The
    // line through three points on a parallel is not the parallel, but within 1e-4 km of it
    // over 2 km.
    const double spacing = section::kEarthRadiusKm * std::cos(30.0 * M_PI / 180.0) * 0.01 * M_PI / 180.0;
    EXPECT_NEAR(std::stod(rows[3][1]), spacing, 1e-4);
    EXPECT_NEAR(std::stod(rows[5][1]), 2.0 * spacing, 1e-4);
    EXPECT_EQ(rows[5][2], "-30");
    EXPECT_EQ(rows[5][3], "135.02");
    EXPECT_EQ(rows[5][6], "20");
}

// The legacy VTK file read back: the counts agree with one another and with the layers, every
// cell is a quad of four points of its own, and the cells span the layers' depths (the
// half-space down to max(depth of investigation, twice its top), or 1000 m below a top of 0).
TEST_F(ExportTest, VtkFileHasAQuadPerLayerWithConsistentCounts)
{
    std::istringstream v(ReadText(Export("models.vtk")));
    std::string line, word;
    std::getline(v, line);
    EXPECT_EQ(line, "# vtk DataFile Version 3.0");
    std::getline(v, line);
    std::getline(v, line);
    EXPECT_EQ(line, "ASCII");
    std::getline(v, line);
    EXPECT_EQ(line, "DATASET UNSTRUCTURED_GRID");
    std::size_t points = 0, cells = 0, size = 0;
    v >> word >> points >> line;
    ASSERT_EQ(word, "POINTS");
    std::vector<std::array<double, 3>> xyz(points);
    for (auto& p : xyz) v >> p[0] >> p[1] >> p[2];
    v >> word >> cells >> size;
    ASSERT_EQ(word, "CELLS");
    ASSERT_EQ(cells, 6u);
    ASSERT_EQ(points, 4 * cells);
    ASSERT_EQ(size, 5 * cells);
    std::vector<std::array<std::size_t, 4>> quads(cells);
    for (auto& q : quads) {
        std::size_t n = 0;
        v >> n >> q[0] >> q[1] >> q[2] >> q[3];
        ASSERT_EQ(n, 4u);
        for (const std::size_t k : q) ASSERT_LT(k, points);
    }
    std::size_t typeCount = 0;
    v >> word >> typeCount;
    ASSERT_EQ(word, "CELL_TYPES");
    ASSERT_EQ(typeCount, cells);
    for (std::size_t i = 0; i < cells; ++i) {
        int type = 0;
        v >> type;
        EXPECT_EQ(type, 9) << "VTK_QUAD";
    }
    std::size_t dataCount = 0;
    v >> word >> dataCount;
    ASSERT_EQ(word, "CELL_DATA");
    ASSERT_EQ(dataCount, cells);
    std::getline(v, line);
    std::getline(v, line);
    EXPECT_EQ(line, "SCALARS resistivity_ohmm double 1");
    std::getline(v, line);
    std::vector<double> rho(cells);
    for (double& r : rho) v >> r;
    EXPECT_EQ(rho, (std::vector<double>{100.0, 10.0, 1000.0, 50.0, 500.0, 20.0}));

    const auto depths = [&](std::size_t c) {
        double top = INFINITY, bottom = -INFINITY;
        for (const std::size_t k : quads[c]) {
            top = std::min(top, -xyz[k][2]);
            bottom = std::max(bottom, -xyz[k][2]);
        }
        return std::pair{top, bottom};
    };
    const std::pair<double, double> expected[] = {{0, 500}, {500, 2500}, {2500, 5000}, {0, 300}, {300, 600}, {0, 1000}};
    for (std::size_t c = 0; c < cells; ++c) {
        EXPECT_DOUBLE_EQ(depths(c).first, expected[c].first) << "cell " << c;
        EXPECT_DOUBLE_EQ(depths(c).second, expected[c].second) << "cell " << c;
        for (const std::size_t k : quads[c]) EXPECT_EQ(xyz[k][1], 0.0);
    }
    // Neighbouring columns meet halfway between their sites (x in m).
    double rightOfFirst = -INFINITY, leftOfSecond = INFINITY;
    for (const std::size_t k : quads[0]) rightOfFirst = std::max(rightOfFirst, xyz[k][0]);
    for (const std::size_t k : quads[3]) leftOfSecond = std::min(leftOfSecond, xyz[k][0]);
    EXPECT_NEAR(rightOfFirst, leftOfSecond, 1e-6);
    EXPECT_GT(rightOfFirst, 400.0);
}

}  // namespace
