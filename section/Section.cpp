#include "section/Section.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace mt1d::section {

namespace {

// Sites closer than this along the profile share their column (1 mm).
constexpr double kSameDistanceKm = 1e-6;

void SetColumns(std::vector<SectionSite>& sites)
{
    const std::size_t n = sites.size();
    // Groups of sites at one distance.
    std::vector<std::pair<std::size_t, std::size_t>> groups;  // [first, last)
    for (std::size_t i = 0; i < n;) {
        std::size_t j = i + 1;
        while (j < n && sites[j].distanceKm - sites[i].distanceKm < kSameDistanceKm) ++j;
        groups.emplace_back(i, j);
        i = j;
    }
    const auto at = [&](std::size_t g) { return sites[groups[g].first].distanceKm; };
    const std::size_t m = groups.size();
    for (std::size_t g = 0; g < m; ++g) {
        const double here = at(g);
        double left = 0.0, right = 0.0;
        if (m == 1) {
            left = here - 0.5;
            right = here + 0.5;
        } else {
            const double before = g > 0 ? 0.5 * (here - at(g - 1)) : 0.5 * (at(g + 1) - here);
            const double after = g + 1 < m ? 0.5 * (at(g + 1) - here) : before;
            left = here - before;
            right = here + after;
        }
        const auto [first, last] = groups[g];
        const double width = (right - left) / static_cast<double>(last - first);
        for (std::size_t i = first; i < last; ++i) {
            sites[i].leftKm = left + width * static_cast<double>(i - first);
            sites[i].rightKm = sites[i].leftKm + width;
        }
    }
}

}  // namespace

double ColourRange::Fraction(double log10Rho) const
{
    return std::clamp((log10Rho - log10Min) / (log10Max - log10Min), 0.0, 1.0);
}

ColourRange ColourRangeOf(const std::vector<SectionSite>& sites)
{
    double lo = INFINITY, hi = -INFINITY;
    for (const auto& site : sites) {
        for (const double v : site.log10Rho) {
            lo = std::min(lo, v);
            hi = std::max(hi, v);
        }
    }
    if (!(lo <= hi)) return {};
    ColourRange range{std::floor(2.0 * lo) / 2.0, std::ceil(2.0 * hi) / 2.0};
    if (range.log10Max - range.log10Min < 0.5) range.log10Max = range.log10Min + 0.5;
    return range;
}

Section MakeSection(const Survey& survey, const SectionOptions& options)
{
    if (options.bottomM && !(std::isfinite(*options.bottomM) && *options.bottomM > 0.0)) {
        throw SurveyError("the depth of the section must be a positive number of metres");
    }
    if (options.depthCells == 0) throw SurveyError("the section needs at least one depth cell");

    Section section;
    section.notes = survey.notes;

    std::vector<const SiteModel*> placed;
    for (const auto& site : survey.sites) {
        if (site.site.latitudeDeg && site.site.longitudeDeg) placed.push_back(&site);
    }
    if (placed.empty()) {
        section.byOrder = true;
        for (const auto& site : survey.sites) placed.push_back(&site);
        section.notes.push_back("no site has a location; the sites are placed by their order in the summary");
    } else {
        for (const auto& site : survey.sites) {
            if (!(site.site.latitudeDeg && site.site.longitudeDeg)) {
                section.notes.push_back(site.site.name + ": no location; left out of the section");
            }
        }
    }

    std::vector<GeoPoint> points;
    if (!section.byOrder) {
        for (const SiteModel* site : placed) points.push_back({*site->site.latitudeDeg, *site->site.longitudeDeg});
        section.profile = options.profile ? *options.profile : FitProfileLine(points);
    }

    std::vector<double> dois;
    for (std::size_t i = 0; i < placed.size(); ++i) {
        const SiteModel& model = *placed[i];
        SectionSite site;
        site.name = model.site.name;
        site.sourceFile = model.site.sourceFile;
        site.resultFile = model.resultFile;
        if (section.byOrder) {
            site.distanceKm = static_cast<double>(i);
        } else {
            const ProfilePlace place = PlaceOnProfile(*section.profile, points[i]);
            site.distanceKm = place.distanceKm;
            site.offsetKm = place.offsetKm;
        }
        site.depthOfInvestigationM =
            std::isfinite(model.depthOfInvestigationM) && model.depthOfInvestigationM > 0.0 ? model.depthOfInvestigationM : 0.0;
        dois.push_back(site.depthOfInvestigationM);
        section.sites.push_back(std::move(site));
    }
    // The best-fitting line starts at the first site's foot; on the sphere that foot lies a
    // hair from 0, so distances are counted from the first site.
    if (!section.byOrder && !options.profile) {
        double first = INFINITY;
        for (const auto& site : section.sites) first = std::min(first, site.distanceKm);
        for (auto& site : section.sites) site.distanceKm -= first;
    }

    section.grid.bottomM = options.bottomM ? *options.bottomM : DefaultBottomM(dois);
    section.grid.cells = options.depthCells;
    for (std::size_t i = 0; i < placed.size(); ++i) {
        section.sites[i].log10Rho = SampleColumn(placed[i]->layers, section.grid);
    }
    std::stable_sort(section.sites.begin(), section.sites.end(),
                     [](const SectionSite& a, const SectionSite& b) { return a.distanceKm < b.distanceKm; });
    SetColumns(section.sites);
    section.colours = ColourRangeOf(section.sites);
    return section;
}

}  // namespace mt1d::section
