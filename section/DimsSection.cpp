#include "section/DimsSection.h"

#include "sounding/SoundingFile.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>
#include <stdexcept>

namespace mt1d::section {

namespace fs = std::filesystem;

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// Rounding slack for a log10 period that lies on a cell edge (1e-9 decades, far below any
// frequency spacing).
constexpr double kEdgeSlack = 1e-9;

}  // namespace

DimsSection BinDimsSection(std::vector<DimsColumn> sites, const DimsGridOptions& options)
{
    if (options.cellsPerDecade == 0) throw std::invalid_argument("the pseudo-section needs at least one cell per decade");
    if (options.distanceCells == 0) throw std::invalid_argument("the pseudo-section needs at least one distance cell");
    DimsSection section;
    double lo = HUGE_VAL, hi = -HUGE_VAL;
    for (DimsColumn& site : sites) {
        const std::size_t n = std::min({site.periodS.size(), site.betaDeg.size(), site.ellipticity.size()});
        std::size_t kept = 0;
        for (std::size_t i = 0; i < n; ++i) {
            if (!(site.periodS[i] > 0.0) || !std::isfinite(site.periodS[i])) continue;
            site.periodS[kept] = site.periodS[i];
            site.betaDeg[kept] = site.betaDeg[i];
            site.ellipticity[kept] = site.ellipticity[i];
            ++kept;
            lo = std::min(lo, std::log10(site.periodS[i]));
            hi = std::max(hi, std::log10(site.periodS[i]));
        }
        site.periodS.resize(kept);
        site.betaDeg.resize(kept);
        site.ellipticity.resize(kept);
        if (kept == 0) section.notes.push_back(site.name + ": no frequency with a phase tensor");
    }
    std::erase_if(sites, [](const DimsColumn& s) { return s.periodS.empty(); });
    std::stable_sort(sites.begin(), sites.end(), [](const DimsColumn& a, const DimsColumn& b) { return a.distanceKm < b.distanceKm; });
    section.sites = std::move(sites);
    if (section.sites.empty()) return section;

    const double cpd = static_cast<double>(options.cellsPerDecade);
    const double step = 1.0 / cpd;
    const double first = std::floor(lo * cpd + kEdgeSlack);
    double last = std::ceil(hi * cpd - kEdgeSlack);
    if (last <= first) last = first + 1.0;
    section.log10PeriodMin = first * step;
    section.log10PeriodMax = last * step;
    section.periodCells = static_cast<std::size_t>(last - first);
    section.leftKm = HUGE_VAL;
    section.rightKm = -HUGE_VAL;
    for (const DimsColumn& s : section.sites) {
        section.leftKm = std::min(section.leftKm, s.leftKm);
        section.rightKm = std::max(section.rightKm, s.rightKm);
    }
    if (!(section.rightKm > section.leftKm)) section.rightKm = section.leftKm + 1.0;
    section.distanceCells = options.distanceCells;
    section.betaDeg.assign(section.distanceCells * section.periodCells, kNaN);
    section.ellipticity.assign(section.distanceCells * section.periodCells, kNaN);

    // Each site's values per period cell, once.
    const std::size_t P = section.periodCells;
    std::vector<std::vector<std::ptrdiff_t>> nearest(section.sites.size(), std::vector<std::ptrdiff_t>(P, -1));
    for (std::size_t s = 0; s < section.sites.size(); ++s) {
        const DimsColumn& site = section.sites[s];
        std::vector<double> logs(site.periodS.size());
        std::transform(site.periodS.begin(), site.periodS.end(), logs.begin(), [](double t) { return std::log10(t); });
        const auto [minIt, maxIt] = std::minmax_element(logs.begin(), logs.end());
        for (std::size_t p = 0; p < P; ++p) {
            const double centre = section.log10PeriodMin + (static_cast<double>(p) + 0.5) * step;
            if (centre < *minIt - 0.5 * step - kEdgeSlack || centre > *maxIt + 0.5 * step + kEdgeSlack) continue;
            std::size_t best = 0;
            for (std::size_t i = 1; i < logs.size(); ++i) {
                if (std::abs(logs[i] - centre) < std::abs(logs[best] - centre)) best = i;
            }
            nearest[s][p] = static_cast<std::ptrdiff_t>(best);
        }
    }
    const double width = (section.rightKm - section.leftKm) / static_cast<double>(section.distanceCells);
    for (std::size_t d = 0; d < section.distanceCells; ++d) {
        const double x = section.leftKm + (static_cast<double>(d) + 0.5) * width;
        std::ptrdiff_t owner = -1;
        for (std::size_t s = 0; s < section.sites.size(); ++s) {
            if (x >= section.sites[s].leftKm && x < section.sites[s].rightKm) {
                owner = static_cast<std::ptrdiff_t>(s);
                break;
            }
        }
        if (owner < 0) continue;
        const DimsColumn& site = section.sites[static_cast<std::size_t>(owner)];
        for (std::size_t p = 0; p < P; ++p) {
            const std::ptrdiff_t i = nearest[static_cast<std::size_t>(owner)][p];
            if (i < 0) continue;
            section.betaDeg[d * P + p] = site.betaDeg[static_cast<std::size_t>(i)];
            section.ellipticity[d * P + p] = site.ellipticity[static_cast<std::size_t>(i)];
        }
    }
    return section;
}

fs::path LocateSoundingFile(const std::string& sourceFile, const fs::path& folder)
{
    const fs::path given(sourceFile);
    std::error_code ec;
    if (given.empty()) return {};
    if (fs::is_regular_file(given, ec)) return given;
    if (given.is_relative()) {
        for (const fs::path& base : {folder.parent_path(), folder}) {
            if (fs::is_regular_file(base / given, ec)) return base / given;
        }
    }
    return {};
}

std::vector<DimsColumn> ReadDimsColumns(const Section& section, const fs::path& folder, const dims::DimsOptions& options,
                                        std::vector<std::string>& notes)
{
    std::vector<DimsColumn> columns;
    for (const SectionSite& site : section.sites) {
        const fs::path file = LocateSoundingFile(site.sourceFile, folder);
        if (file.empty()) {
            notes.push_back(site.name + ": sounding file " + site.sourceFile + " not found");
            continue;
        }
        dims::DimsResult result;
        try {
            result = dims::AnalyseDimensionality(sounding::ReadSoundingFile(file), options);
        } catch (const dims::NoTensorError&) {
            notes.push_back(site.name + ": no impedance tensor (apparent resistivity and phase only)");
            continue;
        } catch (const std::exception& e) {
            notes.push_back(site.name + ": " + e.what());
            continue;
        }
        DimsColumn column{site.name, site.distanceKm, site.leftKm, site.rightKm, {}, {}, {}};
        for (const dims::DimsRow& row : result.rows) {
            if (!row.periodS || !row.betaDeg || !row.ellipticity) continue;
            column.periodS.push_back(*row.periodS);
            column.betaDeg.push_back(*row.betaDeg);
            column.ellipticity.push_back(*row.ellipticity);
        }
        columns.push_back(std::move(column));
    }
    return columns;
}

}  // namespace mt1d::section
