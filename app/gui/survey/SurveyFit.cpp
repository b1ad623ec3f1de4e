#include "SurveyFit.h"

#include "DataOptions.h"
#include "FitJson.h"
#include "FitOptions.h"
#include "Formatting.h"
#include "Modes.h"

#include <QSaveFile>
#include <QString>

#include <algorithm>
#include <cctype>
#include <optional>

namespace mt1d::gui::survey {

namespace fs = std::filesystem;

namespace {

bool WriteWhole(const fs::path& file, const std::string& text)
{
    QSaveFile out(QString::fromStdString(file.string()));
    if (!out.open(QIODevice::WriteOnly)) return false;
    if (out.write(text.data(), static_cast<qint64>(text.size())) != static_cast<qint64>(text.size())) {
        out.cancelWriting();
        return false;
    }
    return out.commit();
}

// A site name as a file name: characters other than letters, digits, '-', '_' and '.' become '_'.
std::string FileNameOf(const std::string& site)
{
    std::string name = site.empty() ? std::string("site") : site;
    for (char& c : name) {
        const auto u = static_cast<unsigned char>(c);
        if (!(std::isalnum(u) || c == '-' || c == '_' || c == '.')) c = '_';
    }
    if (name == "." || name == ".." || name == "summary") name = "_" + name;
    return name;
}

std::string Optional(const std::optional<double>& v) { return report::ShortestText(v); }

}  // namespace

std::vector<fs::path> SoundingFilesIn(const fs::path& folder)
{
    std::vector<fs::path> files;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder, ec)) {
        if (!entry.is_regular_file()) continue;
        std::string suffix = entry.path().extension().string();
        std::transform(suffix.begin(), suffix.end(), suffix.begin(), [](unsigned char c) { return std::tolower(c); });
        if (suffix == ".edi" || suffix == ".dat" || suffix == ".csv" || suffix == ".txt") files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

SurveyFitResult FitSurvey(const fs::path& folder, const fs::path& out,
                          const std::function<void(std::size_t, std::size_t)>& progress, const std::atomic<bool>* cancel)
{
    SurveyFitResult result;
    const std::vector<fs::path> files = SoundingFilesIn(folder);
    result.total = files.size();
    if (files.empty()) {
        result.error = folder.string() + ": no soundings (files ending in .edi, .dat, .csv or .txt) and no summary.csv";
        return result;
    }
    std::error_code ec;
    fs::create_directories(out, ec);
    if (ec) {
        result.error = out.string() + ": cannot be made (" + ec.message() + ")";
        return result;
    }
    std::string summary =
        "site,file,latitude,longitude,elevation,mode,method,rms,iterations,target_reached,"
        "depth_of_investigation_m,status\n";
    // The defaults of `mt1d fit`, as its options set them.
    cli::FitRequest request;
    try {
        CLI::App defaults;
        cli::FitOptionValues values;
        cli::AddFitOptions(defaults, values);
        request = cli::ParseFitOptions(values);
    } catch (const std::exception& e) {
        result.error = std::string("the fit's defaults cannot be used: ") + e.what();
        return result;
    }
    fitting::RunControl control;
    control.cancel = cancel;
    std::vector<std::string> used;
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (control.Cancelled()) {
            result.cancelled = true;
            break;
        }
        const std::string file = files[i].string();
        std::string site = files[i].stem().string();
        std::string row;
        try {
            cli::DataRequest data;
            data.file = file;
            const cli::LoadedCurve loaded = cli::LoadCurve(data);
            site = loaded.site.name.empty() ? site : loaded.site.name;
            const report::FitRecord record = cli::RunFit(loaded, request, control);
            if (record.report.status == fitting::FitStatus::kCancelled) {
                result.cancelled = true;
                break;
            }
            // Two soundings of one name: the later gets the file's stem added.
            std::string name = FileNameOf(site);
            if (std::find(used.begin(), used.end(), name) != used.end()) name += "_" + FileNameOf(files[i].stem().string());
            used.push_back(name);
            if (!WriteWhole(out / (name + ".json"), report::FitJsonText(record))) {
                throw std::runtime_error("cannot write " + (out / (name + ".json")).string());
            }
            const auto& r = record.report;
            row = report::CsvField(site) + "," + report::CsvField(file) + "," + Optional(record.site.latitudeDeg) + "," +
                  Optional(record.site.longitudeDeg) + "," + Optional(record.site.elevationM) + "," +
                  std::string(sounding::ModeName(r.mode)) + "," + std::string(fitting::ToString(r.method)) + "," +
                  report::ShortestText(r.rms) + "," + std::to_string(r.iterations) + "," +
                  (r.targetReached ? "true" : "false") + "," + report::ShortestText(r.depthOfInvestigationM) + ",ok\n";
            ++result.fitted;
        } catch (const std::exception& e) {
            row = report::CsvField(site) + "," + report::CsvField(file) + ",,,,,,,,,," + report::CsvField(e.what()) + "\n";
            ++result.failed;
        }
        summary += row;
        if (progress) progress(i + 1, files.size());
    }
    if (!WriteWhole(out / "summary.csv", summary)) result.error = (out / "summary.csv").string() + ": cannot be written";
    return result;
}

}  // namespace mt1d::gui::survey
