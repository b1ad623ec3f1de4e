#pragma once
// A resistivity section: the sites of a survey in order along a profile, each site's model as
// a column of log10 ρ on one depth grid, one colour range for all, and each site's depth of
// investigation.
//
// Placement (Placement.h, the rule `mt1d profile` orders its sites by). With a profile given, every site is placed on it; otherwise on the line that
// fits the sites best (Profile.h), with the first site at 0 km. Sites without a location are
// left out with a note when others have one; when no site has one, all are placed by their
// order in the summary one unit apart (byOrder), with a note. A site far off the profile
// (FarOffsetKm) is kept, marked farOff, and named in a note.
//
// Columns. Each site's column reaches halfway to its neighbours; the outer columns reach as
// far beyond their site as the half gap on their inner side (±0.5 km when there is one site).
// Sites at the same distance share their column, side by side in summary order.

#include "section/DepthGrid.h"
#include "section/Profile.h"
#include "section/SurveyFolder.h"

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace mt1d::section {

struct SectionOptions {
    std::optional<ProfileLine> profile;  // empty: the line that fits the sites best
    std::optional<double> bottomM;       // empty: DefaultBottomM of the sites' DOI
    std::size_t depthCells = 400;        // rows of the depth grid
};

struct SectionSite {
    std::string name;
    std::string sourceFile;             // the sounding as the batch was given it
    std::filesystem::path resultFile;   // its fit result
    double distanceKm = 0.0;            // along the profile (by order: the site's number from 0)
    double offsetKm = 0.0;              // from the profile, positive to the left
    bool farOff = false;                // farther off it than Placement.h allows; a note names it
    bool missedTarget = false;          // its fit missed its goal; drawn, its name marked with *
    double leftKm = 0.0, rightKm = 0.0; // the column's extent
    double depthOfInvestigationM = 0.0; // 0: not known, nothing greyed
    std::vector<double> log10Rho;       // one per cell of the grid, top down
};

struct ColourRange {
    double log10Min = 0.0;
    double log10Max = 1.0;

    // Where a value lies on the range, 0 at its bottom and 1 at its top, clamped.
    double Fraction(double log10Rho) const;
};

struct Section {
    std::optional<ProfileLine> profile;  // empty when placed by order
    bool byOrder = false;
    DepthGrid grid;
    ColourRange colours;
    std::vector<SectionSite> sites;  // by distance
    std::vector<std::string> notes;  // from reading the folder, then from placing the sites
};

// The colour range of the columns: their smallest and largest values rounded outwards to
// half decades, at least half a decade wide.
ColourRange ColourRangeOf(const std::vector<SectionSite>& sites);

// Throws SurveyError when the options cannot be used (a bottom that is not positive and
// finite, no depth cells).
Section MakeSection(const Survey& survey, const SectionOptions& options = {});

}  // namespace mt1d::section
