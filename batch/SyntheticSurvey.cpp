#include "batch/SyntheticSurvey.h"

#include "io/AtomicFile.h"
#include "fitting/SeededRandom.h"
#include "sounding/ImpedanceErrors.h"

#include <nlohmann/json.hpp>

#include <array>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <stdexcept>

namespace mt1d::batch {

namespace {

constexpr double kEarthRadiusKm = 6371.0;
constexpr std::size_t kTemplateLayers = 5;
constexpr double kHighestFrequencyHz = 1000.0;
constexpr int kDecades = 6;  // down to 0.001 Hz
// The reading of .VAR the files are written for: the reader's default, so that a file reads
// back with the errors its noise was drawn with.
constexpr sounding::VarianceConvention kWrittenConvention = sounding::kDefaultVarianceConvention;
static_assert(kWrittenConvention == sounding::VarianceConvention::kComplex, "the INFO text names the reading");

// The five-layer template at profile position s in [0, 1]: log10 ρ and thickness in m of each
// layer (the last thickness unused), each drifting by a slow sine along the profile.
struct Template {
    std::array<double, kTemplateLayers> log10Rho;
    std::array<double, kTemplateLayers - 1> thicknessM;
};

Template TemplateAt(double s)
{
    constexpr double kTwoPi = 2.0 * std::numbers::pi;
    const std::array<double, kTemplateLayers> base = {2.0, 0.7, 2.6, 1.0, 3.0};
    const std::array<double, kTemplateLayers> swing = {0.3, 0.3, 0.3, 0.3, 0.2};
    const std::array<double, kTemplateLayers - 1> thickness = {400.0, 800.0, 2000.0, 4000.0};
    Template t;
    for (std::size_t k = 0; k < kTemplateLayers; ++k) {
        t.log10Rho[k] = base[k] + swing[k] * std::sin(kTwoPi * s + 1.3 * static_cast<double>(k));
    }
    for (std::size_t k = 0; k + 1 < kTemplateLayers; ++k) {
        t.thicknessM[k] = thickness[k] * (1.0 + 0.25 * std::cos(kTwoPi * s + 0.7 * static_cast<double>(k)));
    }
    return t;
}

// The point `distanceKm` from (lat, lon) along `azimuthDeg` on the sphere.
void Destination(double latDeg, double lonDeg, double azimuthDeg, double distanceKm, double& outLat, double& outLon)
{
    const double rad = std::numbers::pi / 180.0;
    const double d = distanceKm / kEarthRadiusKm;
    const double lat1 = latDeg * rad;
    const double lon1 = lonDeg * rad;
    const double az = azimuthDeg * rad;
    const double lat2 = std::asin(std::sin(lat1) * std::cos(d) + std::cos(lat1) * std::sin(d) * std::cos(az));
    const double lon2 =
        lon1 + std::atan2(std::sin(az) * std::sin(d) * std::cos(lat1), std::cos(d) - std::sin(lat1) * std::sin(lat2));
    outLat = lat2 / rad;
    outLon = std::remainder(lon2 / rad, 360.0);
}

std::string Number(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.9E", value);
    return text;
}

void Block(std::string& edi, const std::string& name, const std::vector<double>& values)
{
    edi += ">" + name + " //" + std::to_string(values.size()) + "\n";
    for (std::size_t i = 0; i < values.size(); ++i) {
        edi += (i % 5 == 0 ? "  " : " ") + Number(values[i]);
        if (i % 5 == 4 || i + 1 == values.size()) edi += "\n";
    }
}

void CheckOptions(const SurveyOptions& options)
{
    if (options.sites == 0) throw std::invalid_argument("a survey needs at least one site");
    if (!(options.spacingKm >= 0.0) || !std::isfinite(options.spacingKm)) {
        throw std::invalid_argument("the site spacing must be a finite number of km, 0 or more");
    }
    if (!(options.noise >= 0.0) || !std::isfinite(options.noise)) {
        throw std::invalid_argument("the noise must be a finite fraction, 0 or more");
    }
    if (options.frequenciesPerDecade == 0 || options.frequenciesPerDecade > 100) {
        throw std::invalid_argument("frequencies per decade must be 1 to 100");
    }
}

}  // namespace

std::vector<double> SurveyFrequencies(const SurveyOptions& options)
{
    std::vector<double> f;
    const std::size_t n = static_cast<std::size_t>(kDecades) * options.frequenciesPerDecade + 1;
    for (std::size_t i = 0; i < n; ++i) {
        f.push_back(kHighestFrequencyHz *
                    std::pow(10.0, -static_cast<double>(i) / static_cast<double>(options.frequenciesPerDecade)));
    }
    return f;
}

std::vector<SurveySite> SurveySites(const SurveyOptions& options)
{
    CheckOptions(options);
    std::vector<SurveySite> sites;
    sites.reserve(options.sites);
    for (std::size_t i = 0; i < options.sites; ++i) {
        SurveySite site;
        char name[32];
        std::snprintf(name, sizeof name, "S%04zu", i + 1);
        site.name = name;
        Destination(options.startLatitudeDeg, options.startLongitudeDeg, options.azimuthDeg,
                    options.spacingKm * static_cast<double>(i), site.latitudeDeg, site.longitudeDeg);
        const double s = options.sites > 1 ? static_cast<double>(i) / static_cast<double>(options.sites - 1) : 0.0;
        const std::size_t layers = std::min<std::size_t>(kTemplateLayers, 1 + static_cast<std::size_t>(5.0 * s));
        const Template t = TemplateAt(s);
        for (std::size_t k = 0; k < layers; ++k) site.model.resistivity.push_back(std::pow(10.0, t.log10Rho[k]));
        for (std::size_t k = 0; k + 1 < layers; ++k) site.model.thickness.push_back(t.thicknessM[k]);
        sites.push_back(std::move(site));
    }
    return sites;
}

std::string SurveyEdi(const SurveySite& site, std::size_t index, const SurveyOptions& options)
{
    const std::vector<double> f = SurveyFrequencies(options);
    earth::LayeredEarth earth(f);
    const earth::Response r = earth.Compute(site.model);
    fitting::SeededRandom random(options.seed * 0x9e3779b97f4a7c15ULL + index);
    const std::size_t n = f.size();
    std::vector<double> zero(n, 0.0), xyR(n), xyI(n), yxR(n), yxI(n), xyVar(n), yxVar(n);
    for (std::size_t i = 0; i < n; ++i) {
        // ρa = 0.2·T·|Z|² in field units, T = 1/f.
        const double magnitude = std::sqrt(r.rhoA[i] * f[i] / 0.2);
        const double phase = r.phaseDeg[i] * std::numbers::pi / 180.0;
        // The standard error of each part, and the variance that reads back as it.
        const double part = options.noise * magnitude;
        xyR[i] = magnitude * std::cos(phase) + part * random.Gaussian();
        xyI[i] = magnitude * std::sin(phase) + part * random.Gaussian();
        yxR[i] = -magnitude * std::cos(phase) + part * random.Gaussian();
        yxI[i] = -magnitude * std::sin(phase) + part * random.Gaussian();
        xyVar[i] = yxVar[i] = sounding::VarianceForPartError(part, kWrittenConvention);
    }
    char lat[32];
    char lon[32];
    std::snprintf(lat, sizeof lat, "%.7f", site.latitudeDeg);
    std::snprintf(lon, sizeof lon, "%.7f", site.longitudeDeg);
    std::string edi = ">HEAD\n  DATAID=\"" + site.name + "\"\n  LAT=" + lat + "\n  LONG=" + lon +
                      "\n  ELEV=0\n  EMPTY=1.0E32\n>INFO\n  mt1d synthetic survey: " +
                      std::to_string(site.model.LayerCount()) +
                      "-layer model, Gaussian noise, exp(+i omega t); Z.VAR is the variance of the complex "
                      "value (each part sqrt(VAR/2))\n"
                      ">=DEFINEMEAS\n  MAXCHAN=4\n  REFLAT=" + lat + "\n  REFLONG=" + lon +
                      "\n>HMEAS ID=1.001 CHTYPE=HX X=0 Y=0 AZM=0\n>HMEAS ID=2.001 CHTYPE=HY X=0 Y=0 AZM=90\n"
                      ">EMEAS ID=4.001 CHTYPE=EX X=-50 Y=0 X2=50 Y2=0\n>EMEAS ID=5.001 CHTYPE=EY X=0 Y=-50 X2=0 Y2=50\n"
                      ">=MTSECT\n  NFREQ=" + std::to_string(n) + "\n";
    Block(edi, "FREQ", f);
    Block(edi, "ZROT", zero);
    Block(edi, "ZXXR ROT=ZROT", zero);
    Block(edi, "ZXXI ROT=ZROT", zero);
    Block(edi, "ZXYR ROT=ZROT", xyR);
    Block(edi, "ZXYI ROT=ZROT", xyI);
    Block(edi, "ZXY.VAR ROT=ZROT", xyVar);
    Block(edi, "ZYXR ROT=ZROT", yxR);
    Block(edi, "ZYXI ROT=ZROT", yxI);
    Block(edi, "ZYX.VAR ROT=ZROT", yxVar);
    Block(edi, "ZYYR ROT=ZROT", zero);
    Block(edi, "ZYYI ROT=ZROT", zero);
    return edi + ">END\n";
}

void WriteSurvey(const std::filesystem::path& folder, const SurveyOptions& options)
{
    const std::vector<SurveySite> sites = SurveySites(options);
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error) throw std::runtime_error("cannot make the folder " + folder.string() + ": " + error.message());
    nlohmann::ordered_json truth = nlohmann::ordered_json::array();
    for (std::size_t i = 0; i < sites.size(); ++i) {
        io::WriteFileAtomically(folder / (sites[i].name + ".edi"), SurveyEdi(sites[i], i, options));
        truth.push_back({{"site", sites[i].name},
                         {"latitude_deg", sites[i].latitudeDeg},
                         {"longitude_deg", sites[i].longitudeDeg},
                         {"resistivity_ohmm", sites[i].model.resistivity},
                         {"thickness_m", sites[i].model.thickness}});
    }
    io::WriteFileAtomically(folder / "true-models.json", truth.dump(2) + "\n");
}

}  // namespace mt1d::batch
