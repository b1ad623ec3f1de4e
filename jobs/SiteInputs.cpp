#include "jobs/SiteInputs.h"

#include "jobs/PlanError.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <set>
#include <system_error>
#include <unordered_set>

namespace mt1d::jobs {

namespace {

namespace fs = std::filesystem;

constexpr const char* kSoundingExtensions[] = {".edi", ".xml", ".j", ".avg", ".dat", ".csv", ".txt"};

std::string Lower(std::string text)
{
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// The key under which a file counts as named before: its canonical path where it has one.
std::string FileKey(const fs::path& path)
{
    std::error_code error;
    const fs::path canonical = fs::weakly_canonical(path, error);
    return error ? path.lexically_normal().string() : canonical.string();
}

std::vector<std::string> FolderEntries(const std::string& folder)
{
    std::vector<std::string> names;
    std::error_code error;
    fs::directory_iterator it(folder, error);
    if (error) throw PlanError("cannot list the folder " + folder + ": " + error.message());
    for (const fs::directory_entry& entry : it) {
        const std::string name = entry.path().filename().string();
        std::error_code kindError;
        if (!IsSoundingFileName(name) || !entry.is_regular_file(kindError)) continue;
        names.push_back(name);
    }
    std::sort(names.begin(), names.end());  // byte order, whatever the locale
    return names;
}

}  // namespace

bool IsSoundingFileName(const std::string& fileName)
{
    if (fileName.empty() || fileName.front() == '.') return false;
    const std::string lower = Lower(fileName);
    return std::any_of(std::begin(kSoundingExtensions), std::end(kSoundingExtensions), [&](const char* ext) {
        const std::string e(ext);
        return lower.size() > e.size() && lower.compare(lower.size() - e.size(), e.size(), e) == 0;
    });
}

std::vector<std::string> ExpandInputs(std::span<const std::string> inputs)
{
    std::vector<std::string> files;
    std::unordered_set<std::string> seen;
    const auto take = [&](const std::string& file) {
        if (seen.insert(FileKey(file)).second) files.push_back(file);
    };
    for (const std::string& input : inputs) {
        std::error_code error;
        const fs::file_status status = fs::status(input, error);
        if (input.empty() || error || !fs::exists(status)) {
            throw PlanError("the input " + input + " does not exist");
        }
        if (fs::is_directory(status)) {
            const std::vector<std::string> entries = FolderEntries(input);
            if (entries.empty()) {
                throw PlanError("the folder " + input + " holds no sounding file (.edi, .xml, .j, .avg, .dat, .csv or .txt)");
            }
            for (const std::string& name : entries) take((fs::path(input) / name).string());
        } else if (fs::is_regular_file(status)) {
            take(input);
        } else {
            throw PlanError("the input " + input + " is neither a file nor a folder");
        }
    }
    if (files.empty()) throw PlanError("no sounding file was given");
    return files;
}

std::string SafeStem(const std::string& file)
{
    std::string stem = fs::path(file).stem().string();
    for (char& c : stem) {
        const auto u = static_cast<unsigned char>(c);
        const bool keep = u < 0x80 && (std::isalnum(u) || c == '-' || c == '_' || c == '.');
        if (!keep) c = '_';
    }
    if (!stem.empty() && stem.front() == '.') stem.front() = '_';
    return stem.empty() ? "site" : stem;
}

std::vector<SiteInput> NameSites(std::span<const std::string> files)
{
    std::vector<std::string> stems;
    stems.reserve(files.size());
    for (const std::string& file : files) stems.push_back(SafeStem(file));

    // Every plain name is reserved for the first file that has it, so that a suffix never takes
    // a name that a later file has of its own.
    std::set<std::string> used;
    for (const std::string& stem : stems) used.insert(Lower(stem));

    std::vector<SiteInput> sites;
    sites.reserve(files.size());
    std::set<std::string> taken;  // lower-case names given out so far
    for (std::size_t i = 0; i < files.size(); ++i) {
        std::string name = stems[i];
        if (taken.count(Lower(name)) != 0) {
            for (std::size_t suffix = 2;; ++suffix) {
                const std::string candidate = stems[i] + "-" + std::to_string(suffix);
                if (used.count(Lower(candidate)) == 0) {
                    name = candidate;
                    break;
                }
            }
        }
        used.insert(Lower(name));
        taken.insert(Lower(name));
        sites.push_back({name, files[i]});
    }
    return sites;
}

bool IsSafeSiteName(const std::string& name) { return !name.empty() && name == SafeStem(name + ".json"); }

}  // namespace mt1d::jobs
