#include "section/SurveyFolder.h"

#include "report/FitJsonReader.h"

#include <fstream>
#include <map>
#include <optional>
#include <sstream>

namespace mt1d::section {

namespace fs = std::filesystem;

namespace {

std::string ReadSummaryText(const fs::path& file)
{
    std::error_code ec;
    const auto size = fs::file_size(file, ec);
    if (ec) throw SurveyError(file.string() + ": cannot be read (" + ec.message() + ")");
    if (size > kMaxSummaryBytes) throw SurveyError(file.string() + ": too large for a batch summary");
    std::ifstream in(file, std::ios::binary);
    if (!in) throw SurveyError(file.string() + ": cannot be opened");
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The results of the folder's .json files by site name, read once when first needed.
class ResultIndex {
public:
    explicit ResultIndex(fs::path folder) : folder_(std::move(folder)) {}

    std::optional<fs::path> Find(const std::string& site)
    {
        if (!built_) Build();
        const auto it = bySite_.find(site);
        if (it == bySite_.end()) return std::nullopt;
        return it->second;
    }

private:
    void Build()
    {
        built_ = true;
        std::error_code ec;
        for (const auto& entry : fs::directory_iterator(folder_, ec)) {
            if (!entry.is_regular_file() || entry.path().extension() != ".json") continue;
            try {
                const jobs::FitRecord record = report::ReadFitJsonFile(entry.path());
                bySite_.emplace(record.site.name, entry.path());
            } catch (const std::exception&) {
                // Not a fit result: some other file in the folder.
            }
        }
    }

    fs::path folder_;
    bool built_ = false;
    std::map<std::string, fs::path> bySite_;
};

}  // namespace

Survey ReadSurvey(const fs::path& folder)
{
    std::error_code ec;
    if (!fs::is_directory(folder, ec)) throw SurveyError(folder.string() + ": not a folder");
    const fs::path summaryFile = folder / kSummaryFileName;
    if (!fs::is_regular_file(summaryFile, ec)) {
        throw SurveyError(folder.string() + ": no " + kSummaryFileName +
                          "; not the output folder of mt1d batch");
    }
    const std::vector<SummaryFields> rows = ParseSummary(ReadSummaryText(summaryFile), summaryFile.string());

    Survey survey;
    survey.folder = folder;
    ResultIndex index(folder);
    for (const SummaryFields& row : rows) {
        const std::string site(row.Field("site"));
        const std::string status(row.Field("status"));
        const std::string where = summaryFile.filename().string() + " line " + std::to_string(row.line);
        if (site.empty()) {
            survey.notes.push_back(where + ": no site name; left out");
            continue;
        }
        // A name that is not a plain file name is only looked up among the folder's results,
        // never used as a path.
        const bool plainName = site.find_first_of("/\\") == std::string::npos && site != "." && site != "..";
        fs::path file = folder / (plainName ? site + ".json" : std::string(".json"));
        if (!plainName || !fs::is_regular_file(file, ec)) {
            const auto found = index.Find(site);
            if (!found) {
                survey.notes.push_back(status != "ok" ? site + ": not fitted (" + (status.empty() ? "no status" : status) + "); left out"
                                                      : site + ": no result file " + site + ".json; left out");
                continue;
            }
            file = *found;
        }
        jobs::FitRecord record;
        try {
            record = report::ReadFitJsonFile(file);
        } catch (const std::exception& e) {
            survey.notes.push_back(site + ": " + e.what() + "; left out");
            continue;
        }
        if (record.report.layers.empty()) {
            survey.notes.push_back(site + ": " + file.filename().string() + " holds no model; left out");
            continue;
        }
        if (status != "ok") survey.notes.push_back(site + ": " + (status.empty() ? "no status" : status) + "; shown all the same");
        SiteModel model;
        model.site = record.site;
        if (model.site.name.empty()) model.site.name = site;
        model.method = record.report.method;
        model.rms = record.report.rms;
        model.layers = std::move(record.report.layers);
        model.depthOfInvestigationM = record.report.depthOfInvestigationM;
        model.resultFile = file;
        model.missedTarget = status != "ok";
        survey.sites.push_back(std::move(model));
    }
    if (survey.sites.empty()) {
        std::string message = folder.string() + ": not one site with a model among the " +
                              std::to_string(rows.size()) + " rows of " + kSummaryFileName;
        for (const auto& note : survey.notes) message += "\n  " + note;
        throw SurveyError(message);
    }
    return survey;
}

}  // namespace mt1d::section
