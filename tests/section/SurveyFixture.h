#pragma once
// Batch output folders made by hand for the section's tests: fit results written by the
// program's own writer (report/FitJson.h) and a summary.csv in the batch's columns, in a
// temporary folder removed at the end of the test.

#include "report/FitJson.h"
#include "jobs/FitRecord.h"

#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace section_testing {

using namespace mt1d;
namespace fs = std::filesystem;

class TempFolder {
public:
    TempFolder()
    {
        std::random_device seed;
        path_ = fs::temp_directory_path() / ("mt1d-section-" + std::to_string(seed()) + std::to_string(seed()));
        fs::create_directories(path_);
    }
    ~TempFolder()
    {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const fs::path& Path() const { return path_; }

private:
    fs::path path_;
};

// A layer as ρ (Ω·m) and thickness (m); no thickness for the half-space.
struct Layer {
    double rho;
    std::optional<double> thicknessM;
};

struct SiteSpec {
    std::string name;
    std::optional<double> latitudeDeg;
    std::optional<double> longitudeDeg;
    std::vector<Layer> layers;
    double doiM = 1000.0;
    std::string status = "ok";
};

inline jobs::FitRecord SiteRecord(const SiteSpec& given)
{
    jobs::FitRecord r;
    r.site = {given.name, given.name + ".edi", given.latitudeDeg, given.longitudeDeg, std::nullopt};
    r.curve.mode = sounding::Mode::kDet;
    r.settings.method = fitting::Method::kOccam;
    r.settings.maxIterations = 20;
    r.settings.layers = given.layers.size();
    r.valuesFitted = 40;
    auto& p = r.report;
    p.method = fitting::Method::kOccam;
    p.status = fitting::FitStatus::kTargetReached;
    p.rms = 0.9;
    p.roughness = 1.0;
    p.iterations = 3;
    p.targetReached = true;
    p.message = "target reached";
    p.history = {{0, 3.0, 0.0, 0.0}, {3, 0.9, 1.0, 10.0}};
    double top = 0.0;
    for (const Layer& layer : given.layers) {
        p.layers.push_back({top, layer.thicknessM, layer.rho, std::nullopt, std::nullopt});
        if (layer.thicknessM) top += *layer.thicknessM;
    }
    p.response = {{1.0, 100.0, 45.0}};
    p.niblettBostick = {{1.0, 1000.0, 100.0}};
    p.depthOfInvestigationM = given.doiM;
    return r;
}

inline void WriteText(const fs::path& file, const std::string& text)
{
    std::ofstream out(file, std::ios::binary);
    out << text;
}

inline std::string Opt(const std::optional<double>& v) { return v ? io::NumberText(*v) : std::string(); }

// Writes <name>.json for every site whose status is ok, and summary.csv for all.
inline void WriteSurvey(const fs::path& folder, const std::vector<SiteSpec>& sites)
{
    std::string summary =
        "site,file,latitude,longitude,elevation,mode,method,rms,iterations,target_reached,"
        "depth_of_investigation_m,status\n";
    for (const SiteSpec& site : sites) {
        if (site.status == "ok") WriteText(folder / (site.name + ".json"), report::FitJsonText(SiteRecord(site)));
        summary += report::CsvField(site.name) + "," + report::CsvField(site.name + ".edi") + "," + Opt(site.latitudeDeg) +
                   "," + Opt(site.longitudeDeg) + ",,det,occam,0.9,3,true," + io::NumberText(site.doiM) + "," +
                   report::CsvField(site.status) + "\n";
    }
    WriteText(folder / "summary.csv", summary);
}

}  // namespace section_testing
