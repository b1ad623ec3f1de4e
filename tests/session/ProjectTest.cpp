// Projects: every value of every window comes back bit for bit, and files that are damaged,
// foreign or from a newer program are refused with a message that says where and what.

#include "io/AtomicFile.h"
#include "session/SessionCommands.h"
#include "session/Project.h"
#include "tests/session/SessionTestSupport.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <filesystem>
#include <fstream>
#include <limits>

namespace mt1d::session {
namespace {

namespace fs = std::filesystem;
using test::ExpectSameNumbers;
using test::ExpectSameOptional;
using test::SameBits;

// An impedance sounding with values that text easily rounds: thirds, tiny and huge numbers,
// the smallest subnormal, a missing element, and a last row whose frequency is unusable.
sounding::Sounding AwkwardSounding()
{
    sounding::Sounding s;
    s.sourceName = "site 7 – 测点.edi";
    s.format = sounding::SourceFormat::kEdiImpedance;
    s.kind = sounding::DataKind::kImpedance;
    s.site.name = "测点 7";
    s.site.location = {-23.0 / 3.0, 133.123456789012345, std::nullopt};
    s.site.header = {{"DATAID", "site7"}, {"ACQBY", "someone \"quoted\""}};
    s.site.info = {"line one", "第二行"};
    s.notes = {"a note"};
    s.conjugated = true;
    const double values[] = {1.0 / 3.0, 2e-300, 1.7976931348623157e308, 4.9e-324, 0.1, 1e22};
    for (int i = 0; i < 6; ++i) {
        sounding::TensorRow row;
        row.frequencyHz = 1000.0 / (i + 1) / 3.0;
        row.rotationDeg = i * 0.1;
        // A variance as large as a double holds (7 × the largest would overflow, which no reader gives).
        row[sounding::Component::kXy] = {std::complex<double>(values[i], -values[5 - i]),
                                         std::min(values[i] * 7.0, std::numeric_limits<double>::max())};
        row[sounding::Component::kYx] = {std::complex<double>(-values[5 - i], values[i]), std::nullopt};
        s.tensor.push_back(row);
    }
    sounding::TensorRow unusable;
    unusable.frequencyHz = std::numeric_limits<double>::quiet_NaN();
    // A reader keeps an element only when both its parts are finite (a project holding
    // another is refused).
    unusable[sounding::Component::kXy].value = std::complex<double>(1.0, -2.0);
    s.tensor.push_back(unusable);
    return s;
}

Project RichProject()
{
    Project project;
    // A fitted window: both fits, an edited model, rows excluded, settings of its own.
    Session fitted = test::SessionOfModel(test::ThreeLayers());
    fitted = WithRowExcluded(fitted, 3, true);
    fitted = WithRowExcluded(fitted, 9, true);
    jobs::FitOptions settings;
    settings.method = Method::kLayered;
    settings.layers = 3;
    settings.starts = 3;
    settings.seed = std::numeric_limits<std::uint64_t>::max();
    settings.targetRms = 1.0 / 3.0;
    settings.components = fitting::FitComponents::kPhase;
    fitted = WithFitSettings(fitted, settings);
    // The layered fit starts from a table with a locked thickness: its record keeps both.
    fitted = WithParameterLocked(WithEditedModel(fitted, test::ThreeLayers()), 3, true);
    fitted = WithFitOutcome(fitted, RunFit(fitted));
    settings.method = Method::kOccam;
    settings.targetRms = 1.25;
    settings.components = fitting::FitComponents::kBoth;
    fitted = WithFitOutcome(WithFitSettings(fitted, settings), RunFit(WithFitSettings(fitted, settings)));
    fitted = WithFitSettings(fitted, settings);
    fitted.edited = fitted.layered->model;
    fitted = WithLayerResistivity(fitted, 1, 1.0 / 7.0);
    fitted = WithParameterLocked(fitted, 4, true);
    project.windows.push_back({fitted, {10, -20, 900, 700, false}});

    Session awkward = NewSession(AwkwardSounding(), "/data/site 7.edi", {});
    awkward.read.columns = {sounding::Column::kPeriod, sounding::Column::kSkip};
    awkward.read.rotateToDeg = -12.5;
    awkward = WithMode(awkward, sounding::Mode::kBerd);
    awkward = WithFloor(awkward, 2.0 / 3.0);
    project.windows.push_back({awkward, {0, 0, 1280, 800, true}});
    return project;
}

void ExpectSameModel(const earth::LayeredModel& a, const earth::LayeredModel& b)
{
    ExpectSameNumbers(a.resistivity, b.resistivity, "resistivity");
    ExpectSameNumbers(a.thickness, b.thickness, "thickness");
}

// What a fit record adds to the report: how the curve was made and fitted, and the layers'
// products and correlations of a layered fit.
void ExpectSameContext(const FitContext& a, const FitContext& b)
{
    EXPECT_TRUE(a.curve == b.curve);
    EXPECT_TRUE(a.settings == b.settings);
    EXPECT_EQ(a.valuesFitted, b.valuesFitted);
    EXPECT_EQ(a.notes, b.notes);
    ASSERT_EQ(a.products.size(), b.products.size());
    for (std::size_t j = 0; j < a.products.size(); ++j) {
        EXPECT_TRUE(SameBits(a.products[j].conductanceS, b.products[j].conductanceS));
        EXPECT_TRUE(SameBits(a.products[j].log10ConductanceSd, b.products[j].log10ConductanceSd));
        EXPECT_TRUE(SameBits(a.products[j].transverseResistanceOhmM2, b.products[j].transverseResistanceOhmM2));
        EXPECT_TRUE(SameBits(a.products[j].log10TransverseResistanceSd, b.products[j].log10TransverseResistanceSd));
    }
    ExpectSameNumbers(a.correlation, b.correlation, "correlation");
}

void ExpectSameOutcome(const std::optional<FitOutcome>& a, const std::optional<FitOutcome>& b,
                       bool withContext = true)
{
    ASSERT_EQ(a.has_value(), b.has_value());
    if (!a) return;
    EXPECT_EQ(a->method, b->method);
    ExpectSameModel(a->model, b->model);
    ExpectSameNumbers(a->log10Sd, b->log10Sd, "log10Sd");
    EXPECT_TRUE(SameBits(a->elapsedMs, b->elapsedMs));
    if (withContext) ExpectSameContext(a->context, b->context);
    const auto &ra = a->report, &rb = b->report;
    EXPECT_EQ(ra.method, rb.method);
    EXPECT_EQ(ra.mode, rb.mode);
    EXPECT_EQ(ra.status, rb.status);
    EXPECT_TRUE(SameBits(ra.rms, rb.rms));
    ExpectSameOptional(ra.roughness, rb.roughness, "roughness");
    EXPECT_EQ(ra.iterations, rb.iterations);
    EXPECT_EQ(ra.targetReached, rb.targetReached);
    EXPECT_EQ(ra.message, rb.message);
    EXPECT_TRUE(SameBits(ra.depthOfInvestigationM, rb.depthOfInvestigationM));
    ASSERT_EQ(ra.history.size(), rb.history.size());
    for (std::size_t i = 0; i < ra.history.size(); ++i) {
        EXPECT_EQ(ra.history[i].iteration, rb.history[i].iteration);
        EXPECT_TRUE(SameBits(ra.history[i].rms, rb.history[i].rms));
        EXPECT_TRUE(SameBits(ra.history[i].multiplier, rb.history[i].multiplier));
        ExpectSameOptional(ra.history[i].roughness, rb.history[i].roughness, "history roughness");
    }
    ASSERT_EQ(ra.layers.size(), rb.layers.size());
    for (std::size_t j = 0; j < ra.layers.size(); ++j) {
        EXPECT_TRUE(SameBits(ra.layers[j].topM, rb.layers[j].topM));
        ExpectSameOptional(ra.layers[j].log10RhoSd, rb.layers[j].log10RhoSd, "layer sd");
        ExpectSameOptional(ra.layers[j].log10ThicknessSd, rb.layers[j].log10ThicknessSd, "thickness sd");
    }
    ASSERT_EQ(ra.response.size(), rb.response.size());
    for (std::size_t i = 0; i < ra.response.size(); ++i) {
        EXPECT_TRUE(SameBits(ra.response[i].rhoOhmM, rb.response[i].rhoOhmM));
        EXPECT_TRUE(SameBits(ra.response[i].phaseDeg, rb.response[i].phaseDeg));
    }
    ASSERT_EQ(ra.niblettBostick.size(), rb.niblettBostick.size());
    for (std::size_t i = 0; i < ra.niblettBostick.size(); ++i) {
        EXPECT_TRUE(SameBits(ra.niblettBostick[i].depthM, rb.niblettBostick[i].depthM));
    }
}

void ExpectSameSounding(const sounding::Sounding& a, const sounding::Sounding& b)
{
    EXPECT_EQ(a.sourceName, b.sourceName);
    EXPECT_EQ(a.format, b.format);
    EXPECT_EQ(a.kind, b.kind);
    EXPECT_EQ(a.site.name, b.site.name);
    ExpectSameOptional(a.site.location.latitudeDeg, b.site.location.latitudeDeg, "latitude");
    ExpectSameOptional(a.site.location.longitudeDeg, b.site.location.longitudeDeg, "longitude");
    ExpectSameOptional(a.site.location.elevationM, b.site.location.elevationM, "elevation");
    EXPECT_EQ(a.site.header, b.site.header);
    EXPECT_EQ(a.site.info, b.site.info);
    EXPECT_EQ(a.notes, b.notes);
    EXPECT_EQ(a.conjugated, b.conjugated);
    EXPECT_EQ(a.yxPhaseStoredFirstQuadrant, b.yxPhaseStoredFirstQuadrant);
    ASSERT_EQ(a.tensor.size(), b.tensor.size());
    for (std::size_t i = 0; i < a.tensor.size(); ++i) {
        EXPECT_TRUE(SameBits(a.tensor[i].frequencyHz, b.tensor[i].frequencyHz)) << "row " << i;
        EXPECT_TRUE(SameBits(a.tensor[i].rotationDeg, b.tensor[i].rotationDeg));
        for (std::size_t k = 0; k < 4; ++k) {
            const auto &ea = a.tensor[i].z[k], &eb = b.tensor[i].z[k];
            ASSERT_EQ(ea.value.has_value(), eb.value.has_value());
            if (ea.value) {
                EXPECT_TRUE(SameBits(ea.value->real(), eb.value->real())) << "row " << i << " element " << k;
                EXPECT_TRUE(SameBits(ea.value->imag(), eb.value->imag())) << "row " << i << " element " << k;
            }
            ExpectSameOptional(ea.variance, eb.variance, "variance");
        }
    }
    ASSERT_EQ(a.rhoPhase.size(), b.rhoPhase.size());
    for (std::size_t i = 0; i < a.rhoPhase.size(); ++i) {
        EXPECT_TRUE(SameBits(a.rhoPhase[i].frequencyHz, b.rhoPhase[i].frequencyHz));
        for (std::size_t k = 0; k < 4; ++k) {
            ExpectSameOptional(a.rhoPhase[i].byMode[k].rhoOhmM, b.rhoPhase[i].byMode[k].rhoOhmM, "rho");
            ExpectSameOptional(a.rhoPhase[i].byMode[k].rhoErrOhmM, b.rhoPhase[i].byMode[k].rhoErrOhmM, "rho err");
            ExpectSameOptional(a.rhoPhase[i].byMode[k].phaseDeg, b.rhoPhase[i].byMode[k].phaseDeg, "phase");
            ExpectSameOptional(a.rhoPhase[i].byMode[k].phaseErrDeg, b.rhoPhase[i].byMode[k].phaseErrDeg, "phase err");
        }
    }
}

void ExpectSameSession(const Session& a, const Session& b)
{
    ExpectSameSounding(a.sounding, b.sounding);
    EXPECT_EQ(a.originalPath, b.originalPath);
    EXPECT_EQ(a.read.columns, b.read.columns);
    ExpectSameOptional(a.read.rotateToDeg, b.read.rotateToDeg, "rotation");
    EXPECT_EQ(a.mode, b.mode);
    EXPECT_TRUE(SameBits(a.floorPercent, b.floorPercent));
    EXPECT_EQ(a.excludedRows, b.excludedRows);
    EXPECT_EQ(a.fit.method, b.fit.method);
    EXPECT_EQ(a.fit.layers, b.fit.layers);
    EXPECT_TRUE(SameBits(a.fit.targetRms, b.fit.targetRms));
    EXPECT_EQ(a.fit.components, b.fit.components);
    EXPECT_EQ(a.fit.starts, b.fit.starts);
    EXPECT_EQ(a.fit.seed, b.fit.seed);
    ExpectSameOutcome(a.layered, b.layered);
    ExpectSameOutcome(a.occam, b.occam);
    ASSERT_EQ(a.edited.has_value(), b.edited.has_value());
    if (a.edited) ExpectSameModel(*a.edited, *b.edited);
    EXPECT_EQ(a.locked, b.locked);
}

class ProjectFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder_ = fs::temp_directory_path() / ("mt1d-project-test-" + std::to_string(::getpid()));
        fs::create_directories(folder_);
    }
    void TearDown() override { fs::remove_all(folder_); }
    fs::path folder_;
};

TEST_F(ProjectFiles, SaveAndLoadGiveEveryNumberBack)
{
    const Project project = RichProject();
    // The locks and the record of a fit from a locked table are among what must come back.
    ASSERT_FALSE(project.windows[0].session.locked.empty());
    ASSERT_FALSE(project.windows[0].session.layered->context.settings.fixed.empty());
    const fs::path file = folder_ / "two windows.mt1d.json";
    SaveProject(project, file);
    const Project back = LoadProject(file);
    ASSERT_EQ(back.windows.size(), 2u);
    for (std::size_t w = 0; w < 2; ++w) {
        SCOPED_TRACE("window " + std::to_string(w));
        ExpectSameSession(project.windows[w].session, back.windows[w].session);
        EXPECT_EQ(project.windows[w].geometry.x, back.windows[w].geometry.x);
        EXPECT_EQ(project.windows[w].geometry.y, back.windows[w].geometry.y);
        EXPECT_EQ(project.windows[w].geometry.width, back.windows[w].geometry.width);
        EXPECT_EQ(project.windows[w].geometry.height, back.windows[w].geometry.height);
        EXPECT_EQ(project.windows[w].geometry.maximized, back.windows[w].geometry.maximized);
    }
    // Saved again, the text is the same: nothing drifts from one save to the next.
    EXPECT_EQ(ProjectToJson(back), ProjectToJson(project));
}

TEST_F(ProjectFiles, EmptyProjectRoundTrips)
{
    const fs::path file = folder_ / "empty.json";
    SaveProject({}, file);
    EXPECT_TRUE(LoadProject(file).windows.empty());
}

// A fit as format version 1 wrote it: a report of the project's own, made here from the
// record that version 2 writes in its place.
nlohmann::json VersionOneFit(const nlohmann::json& fit)
{
    const nlohmann::json& r = fit["record"];
    nlohmann::json report = {{"method", r["method"]},       {"mode", r["mode"]},
                             {"status", r["status"]},       {"rms", r["rms"]},
                             {"iterations", r["iterations"]}, {"target_reached", r["target_reached"]},
                             {"message", r["message"]},     {"depth_of_investigation_m", r["depth_of_investigation_m"]},
                             {"history", nlohmann::json::array()}, {"niblett_bostick", nlohmann::json::array()},
                             {"response", nlohmann::json::array()}};
    if (!r["roughness"].is_null()) report["roughness"] = r["roughness"];
    for (const auto& h : r["history"]) {
        nlohmann::json entry = {{"iteration", h["iteration"]}, {"rms", h["rms"]}, {"multiplier", h["multiplier"]}};
        if (!h["roughness"].is_null()) entry["roughness"] = h["roughness"];
        report["history"].push_back(entry);
    }
    for (const auto& p : r["niblett_bostick"]) {
        report["niblett_bostick"].push_back(
            {{"frequency_hz", p["frequency_hz"]}, {"depth_m", p["depth_m"]}, {"resistivity_ohm_m", p["resistivity_ohmm"]}});
    }
    for (const auto& p : r["response"]) {
        report["response"].push_back(
            {{"frequency_hz", p["frequency_hz"]}, {"rho_ohm_m", p["rho_ohmm"]}, {"phase_deg", p["phase_deg"]}});
    }
    nlohmann::json old = fit;
    old.erase("record");
    old["report"] = report;
    return old;
}

TEST_F(ProjectFiles, VersionOneProjectsAreReadWithTheirFits)
{
    const Project project = RichProject();
    nlohmann::json document = nlohmann::json::parse(ProjectToJson(project));
    document["version"] = 1;
    for (auto& window : document["windows"]) {
        // Version 1 called the Occam fit's result "smooth_result".
        auto& session = window["session"];
        if (session.contains("layered_result")) session["layered_result"] = VersionOneFit(session["layered_result"]);
        if (session.contains("occam_result")) {
            session["smooth_result"] = VersionOneFit(session["occam_result"]);
            session.erase("occam_result");
        }
    }
    const Project back = ProjectFromJson(document.dump(), "old.mt1dproj");
    ASSERT_EQ(back.windows.size(), 2u);
    const Session& a = project.windows[0].session;
    const Session& b = back.windows[0].session;
    // Every number of the fits comes back; of the record's context only the method and mode,
    // which version 1 kept in its report.
    ExpectSameOutcome(a.layered, b.layered, false);
    ExpectSameOutcome(a.occam, b.occam, false);
    EXPECT_EQ(b.layered->context.settings.method, fitting::Method::kLayered);
    EXPECT_EQ(b.occam->context.settings.method, fitting::Method::kOccam);
    EXPECT_EQ(b.layered->context.curve.mode, a.mode);
    // Saved again, it is a project of today's version.
    EXPECT_EQ(nlohmann::json::parse(ProjectToJson(back))["version"], kProjectVersion);
}

TEST_F(ProjectFiles, MissingFileIsRefusedByName)
{
    try {
        LoadProject(folder_ / "absent.json");
        FAIL();
    } catch (const ProjectError& e) {
        EXPECT_NE(std::string(e.what()).find("absent.json"), std::string::npos);
    }
}

// Each case changes a saved project of the rich kind; the message must name the place.
struct DamageCase {
    const char* name;
    std::function<std::string(const std::string& good)> damage;
    const char* expected;  // a piece of the message
};

std::string Edit(const std::string& good, const std::function<void(nlohmann::json&)>& edit)
{
    nlohmann::json document = nlohmann::json::parse(good);
    edit(document);
    return document.dump();
}

class DamagedProjects : public ::testing::TestWithParam<DamageCase> {};

TEST_P(DamagedProjects, AreRefusedWithWhatIsWrong)
{
    static const std::string good = ProjectToJson(RichProject());
    const std::string bad = GetParam().damage(good);
    try {
        ProjectFromJson(bad, "p.json");
        FAIL() << "accepted";
    } catch (const ProjectError& e) {
        const std::string message = e.what();
        EXPECT_EQ(message.rfind("p.json", 0), 0u) << message;
        EXPECT_NE(message.find(GetParam().expected), std::string::npos) << message;
    }
}

using nlohmann::json;

INSTANTIATE_TEST_SUITE_P(
    Cases, DamagedProjects,
    ::testing::Values(
        DamageCase{"Truncated", [](const std::string& g) { return g.substr(0, g.size() / 2); }, "not a JSON document"},
        DamageCase{"Empty", [](const std::string&) { return std::string(); }, "not a JSON document"},
        DamageCase{"Binary", [](const std::string&) { return std::string("\x89PNG\r\n\x1a\n", 8); }, "not a JSON document"},
        DamageCase{"JsonOfAnotherProgram", [](const std::string&) { return std::string(R"({"name": "x"})"); },
                   "no \"format\""},
        DamageCase{"AList", [](const std::string&) { return std::string("[1, 2]"); }, "no \"format\""},
        DamageCase{"OtherFormat",
                   [](const std::string& g) { return Edit(g, [](json& d) { d["format"] = "qgis-project"; }); },
                   "qgis-project"},
        DamageCase{"NewerVersion", [](const std::string& g) { return Edit(g, [](json& d) { d["version"] = 4; }); },
                   "version 4"},
        DamageCase{"VersionAsText",
                   [](const std::string& g) { return Edit(g, [](json& d) { d["version"] = "1"; }); },
                   "version: expected a whole number"},
        DamageCase{"NoWindows", [](const std::string& g) { return Edit(g, [](json& d) { d.erase("windows"); }); },
                   "windows: missing"},
        DamageCase{"UnknownMode",
                   [](const std::string& g) {
                       return Edit(g, [](json& d) { d["windows"][1]["session"]["mode"] = "zz"; });
                   },
                   "windows[1].session.mode: expected one of xy, yx, det, berd, found \"zz\""},
        DamageCase{"ModeWithoutData",
                   [](const std::string& g) {
                       return Edit(g, [](json& d) { d["windows"][1]["session"]["mode"] = "det"; });
                   },
                   "windows[1].session: the sounding has no data for mode det"},
        DamageCase{"FrequencyAsText",
                   [](const std::string& g) {
                       return Edit(g, [](json& d) {
                           d["windows"][1]["session"]["sounding"]["tensor"][2]["frequency_hz"] = "ten";
                       });
                   },
                   "windows[1].session.sounding.tensor[2].frequency_hz: expected a number"},
        DamageCase{"ThreeTensorElements",
                   [](const std::string& g) {
                       return Edit(g, [](json& d) { d["windows"][1]["session"]["sounding"]["tensor"][0]["z"].erase(3); });
                   },
                   "tensor[0].z: expected the four elements"},
        DamageCase{"ExcludedRowPastTheEnd",
                   [](const std::string& g) {
                       return Edit(g, [](json& d) { d["windows"][0]["session"]["excluded_rows"].push_back(21); });
                   },
                   "excluded row 22 does not exist"},
        DamageCase{"NegativeExcludedRow",
                   [](const std::string& g) {
                       return Edit(g, [](json& d) { d["windows"][0]["session"]["excluded_rows"][0] = -1; });
                   },
                   "excluded_rows[0]: expected a whole number"},
        DamageCase{"LocksOfAnotherModel",
                   [](const std::string& g) {
                       return Edit(g, [](json& d) { d["windows"][0]["session"]["locked_parameters"].push_back(true); });
                   },
                   "the locks do not match the parameters of the edited model"},
        DamageCase{"TooManyLayers",
                   [](const std::string& g) {
                       return Edit(g, [](json& d) { d["windows"][0]["session"]["fit"]["layers"] = 31; });
                   },
                   "fit.layers: expected at most 30"},
        DamageCase{"NegativeResistivity",
                   [](const std::string& g) {
                       return Edit(g, [](json& d) {
                           d["windows"][0]["session"]["edited_model"]["resistivity_ohm_m"][1] = -3.0;
                       });
                   },
                   "the edited model: layer 2: the resistivity is not a positive number"},
        DamageCase{"ModelMissingAThickness",
                   [](const std::string& g) {
                       return Edit(g, [](json& d) {
                           d["windows"][0]["session"]["layered_result"]["model"]["thickness_m"].erase(0);
                       });
                   },
                   "a fit result: the model has 3 resistivities but 1 thicknesses"},
        DamageCase{"FitRecordWithANegativeResistivity",
                   [](const std::string& g) {
                       return Edit(g, [](json& d) {
                           d["windows"][0]["session"]["layered_result"]["record"]["layers"][0]["resistivity_ohmm"] = -1.0;
                       });
                   },
                   "windows[0].session.layered_result.record.layers[0].resistivity_ohmm: expected a positive number"},
        DamageCase{"FitRecordOfAnotherFormat",
                   [](const std::string& g) {
                       return Edit(g, [](json& d) { d["windows"][0]["session"]["occam_result"]["record"]["format"] = "x"; });
                   },
                   "windows[0].session.occam_result.record: not a fit result of mt1d"},
        DamageCase{"FitWithoutItsRecord",
                   [](const std::string& g) {
                       return Edit(g, [](json& d) { d["windows"][0]["session"]["layered_result"].erase("record"); });
                   },
                   "layered_result.record: missing"},
        DamageCase{"FloorAbove100",
                   [](const std::string& g) {
                       return Edit(g, [](json& d) { d["windows"][0]["session"]["floor_percent"] = 250; });
                   },
                   "error floor"},
        DamageCase{"FrequenciesOutOfOrder",
                   [](const std::string& g) {
                       return Edit(g, [](json& d) { d["windows"][1]["session"]["sounding"]["tensor"][2]["frequency_hz"] = 1e3; });
                   },
                   "windows[1].session.sounding.tensor[2].frequency_hz: the frequencies are not in order"},
        DamageCase{"FrequencyTwice",
                   [](const std::string& g) {
                       return Edit(g, [](json& d) {
                           auto& rows = d["windows"][1]["session"]["sounding"]["tensor"];
                           rows[2]["frequency_hz"] = rows[1]["frequency_hz"];
                       });
                   },
                   "windows[1].session.sounding.tensor[2].frequency_hz: the frequency 166.6"},
        DamageCase{"FrequencyAfterAnUnusableOne",
                   [](const std::string& g) {
                       return Edit(g, [](json& d) { d["windows"][1]["session"]["sounding"]["tensor"][0]["frequency_hz"] = nullptr; });
                   },
                   "windows[1].session.sounding.tensor[1].frequency_hz: a frequency after rows without one"},
        DamageCase{"ImpedanceNotANumber",
                   [](const std::string& g) {
                       return Edit(g, [](json& d) { d["windows"][1]["session"]["sounding"]["tensor"][0]["z"][1]["im"] = nullptr; });
                   },
                   "windows[1].session.sounding.tensor[0].z[1].im: expected a number"},
        DamageCase{"NegativeVariance",
                   [](const std::string& g) {
                       return Edit(g, [](json& d) { d["windows"][1]["session"]["sounding"]["tensor"][0]["z"][1]["variance"] = -1.0; });
                   },
                   "windows[1].session.sounding.tensor[0].z[1].variance: expected a variance of 0 or more, not -1"},
        DamageCase{"LatitudeBeyondThePole",
                   [](const std::string& g) {
                       return Edit(g, [](json& d) { d["windows"][1]["session"]["sounding"]["site"]["latitude_deg"] = 1e308; });
                   },
                   "windows[1].session.sounding.site.latitude_deg: expected a number from -90 to 90 (degrees), not 1e+308"},
        DamageCase{"LongitudeBeyondTheDateLine",
                   [](const std::string& g) {
                       return Edit(g, [](json& d) { d["windows"][1]["session"]["sounding"]["site"]["longitude_deg"] = 400; });
                   },
                   "windows[1].session.sounding.site.longitude_deg: expected a number from -180 to 180"},
        DamageCase{"NegativeWidth",
                   [](const std::string& g) {
                       return Edit(g, [](json& d) { d["windows"][0]["geometry"]["width"] = -5; });
                   },
                   "windows[0].geometry: the size is negative"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace mt1d::session
