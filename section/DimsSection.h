#pragma once
// A pseudo-section of the phase tensor along a survey's profile: the skew angle β and the
// ellipticity of every site (dims/Dimensionality.h) against distance and period, on one
// regular grid that a colour map draws as it is, so that the 2-D and 3-D parts of a profile
// are seen at once.
//
// Periods. The grid runs over whole cells of 1/cellsPerDecade decades from the shortest
// period of any site to the longest. A site fills a cell with the row whose log10 period lies
// nearest the cell's centre, provided the centre lies within half a cell of the site's own
// periods; outside them the cell is empty (NaN). Rows without a phase tensor do not count.
//
// Distances. `distanceCells` equal cells from the leftmost column edge to the rightmost
// (Section.h's columns: halfway to the neighbours); each cell takes the site whose column
// holds its centre.

#include "dims/Dimensionality.h"
#include "section/Section.h"

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

namespace mt1d::section {

// One site's rows with a phase tensor, in any order.
struct DimsColumn {
    std::string name;
    double distanceKm = 0.0;
    double leftKm = 0.0, rightKm = 0.0;  // the column's extent
    std::vector<double> periodS;
    std::vector<double> betaDeg;
    std::vector<double> ellipticity;
};

struct DimsGridOptions {
    std::size_t cellsPerDecade = 8;
    std::size_t distanceCells = 400;
};

struct DimsSection {
    std::vector<DimsColumn> sites;  // by distance
    double leftKm = 0.0, rightKm = 0.0;
    std::size_t distanceCells = 0;
    double log10PeriodMin = 0.0, log10PeriodMax = 0.0;  // edges of the first and last cell
    std::size_t periodCells = 0;
    // distanceCells × periodCells, cell (d, p) at d·periodCells + p, p from short periods to
    // long; NaN where no site reaches.
    std::vector<double> betaDeg;
    std::vector<double> ellipticity;
    std::vector<std::string> notes;  // sites left out, and why

    double Beta(std::size_t d, std::size_t p) const { return betaDeg[d * periodCells + p]; }
    double Ellipticity(std::size_t d, std::size_t p) const { return ellipticity[d * periodCells + p]; }
};

// Throws std::invalid_argument for no cells per decade or no distance cells. Sites without a
// row give no column (and a note); with no row at all the grid is empty (no cells).
DimsSection BinDimsSection(std::vector<DimsColumn> sites, const DimsGridOptions& options = {});

// The columns of a section's sites: each site's sounding read (LocateSoundingFile) and
// analysed with `options`. A site whose file cannot be found or read, or has no impedance
// tensor, gets a note in `notes` and no column.
std::vector<DimsColumn> ReadDimsColumns(const Section& section, const std::filesystem::path& folder,
                                        const dims::DimsOptions& options, std::vector<std::string>& notes);

// Where the sounding a batch was given as `sourceFile` is now: as given, or (for a relative
// name) beside the batch's output folder `folder` or inside it. Empty when it is nowhere.
std::filesystem::path LocateSoundingFile(const std::string& sourceFile, const std::filesystem::path& folder);

}  // namespace mt1d::section
