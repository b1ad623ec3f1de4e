#include "section/Section.h"

#include "section/Placement.h"

#include <algorithm>
#include <cmath>

namespace mt1d::section {


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

    std::vector<std::optional<GeoPoint>> locations;
    for (const auto& site : survey.sites) {
        if (site.site.latitudeDeg && site.site.longitudeDeg) {
            locations.push_back(GeoPoint{*site.site.latitudeDeg, *site.site.longitudeDeg});
        } else {
            locations.push_back(std::nullopt);
        }
    }
    const Placement placement = PlaceSites(locations, options.profile);
    section.byOrder = placement.byOrder;
    section.profile = placement.line;
    if (placement.byOrder) {
        section.notes.push_back("no site has a location; the sites are placed by their order in the summary");
    }
    for (const std::size_t i : placement.unplaced) {
        section.notes.push_back(survey.sites[i].site.name + ": no location; left out of the section");
    }
    std::vector<std::string> names;
    for (const auto& site : survey.sites) names.push_back(site.site.name);
    for (auto& warning : FarOffWarnings(placement, names)) section.notes.push_back(std::move(warning));

    std::vector<double> dois;
    std::vector<const SiteModel*> placed;
    for (const PlacedSite& place : placement.sites) {
        const SiteModel& model = survey.sites[place.index];
        placed.push_back(&model);
        SectionSite site;
        site.name = model.site.name;
        site.sourceFile = model.site.sourceFile;
        site.resultFile = model.resultFile;
        site.distanceKm = place.distanceKm;
        site.offsetKm = place.offsetKm;
        site.farOff = place.farOff;
        site.missedTarget = model.missedTarget;
        site.depthOfInvestigationM =
            std::isfinite(model.depthOfInvestigationM) && model.depthOfInvestigationM > 0.0 ? model.depthOfInvestigationM : 0.0;
        dois.push_back(site.depthOfInvestigationM);
        section.sites.push_back(std::move(site));
    }

    section.grid.bottomM = options.bottomM ? *options.bottomM : DefaultBottomM(dois);
    section.grid.cells = options.depthCells;
    for (std::size_t i = 0; i < placed.size(); ++i) {
        section.sites[i].log10Rho = SampleColumn(placed[i]->layers, section.grid);
    }
    std::stable_sort(section.sites.begin(), section.sites.end(),
                     [](const SectionSite& a, const SectionSite& b) { return a.distanceKm < b.distanceKm; });
    std::vector<double> distances;
    for (const auto& site : section.sites) distances.push_back(site.distanceKm);
    const auto extents = ColumnExtents(distances);
    for (std::size_t i = 0; i < extents.size(); ++i) {
        section.sites[i].leftKm = extents[i].first;
        section.sites[i].rightKm = extents[i].second;
    }
    section.colours = ColourRangeOf(section.sites);
    return section;
}

}  // namespace mt1d::section
