#pragma once
// A batch or profile folder exported for GIS and 3-D viewers (`mt1d export DIR --out FILE`),
// the format chosen by the file's suffix:
//
//   .geojson  the sites as a GeoJSON FeatureCollection (RFC 7946): one Point feature per row of
//             summary.csv, coordinates [longitude, latitude] (and elevation in m when known),
//             the summary's columns as properties in its order: numbers as numbers, true/false
//             as booleans, empty fields as null. A site without a location has a null geometry.
//   .kml      the same sites as KML 2.2 placemarks: the site's name, a Point "lon,lat[,elev]"
//             (none without a location), the summary's columns as ExtendedData. Every text
//             is escaped as XML character data.
//   .csv      the models, one row per layer: site, distance_km, latitude, longitude, top_m,
//             bottom_m (empty for the half-space), resistivity_ohmm; sites in profile order.
//   .vtk      the models as a legacy VTK file (ASCII, UNSTRUCTURED_GRID) of quadrilateral cells
//             in the vertical plane of the profile: x the distance along it in m, y 0, z the
//             elevation relative to the surface in m (−depth); each layer a cell across its
//             site's column (the section's columns, Section.h), the half-space down to the
//             site's depth of investigation or twice its top, whichever is deeper. Cell data
//             resistivity_ohmm and log10_resistivity.
//
// The distances are the section's (Placement.h). Sites of the models are those the section
// draws (SurveyFolder.h); the sites of the GeoJSON and KML are every row of the summary.
//
// No GDAL: Debian's GDAL pulls in a large stack of libraries for four small text formats that
// are written here directly (GeoJSON with nlohmann-json); README.md's library list says so.

#include "section/SurveyFolder.h"

#include <filesystem>
#include <string>
#include <vector>

namespace mt1d::section {

enum class ExportFormat { kGeoJson, kKml, kModelsCsv, kVtk };

// The format of a file name's suffix (case-insensitive); throws SurveyError naming the suffixes
// known for any other.
ExportFormat ExportFormatOf(const std::filesystem::path& file);

// summary.csv as read for the export: the header's columns and each row's fields.
struct SummaryTable {
    std::vector<std::string> columns;
    std::vector<std::vector<std::string>> rows;
};

// Reads <folder>/summary.csv; throws SurveyError naming the file and line.
SummaryTable ReadSummaryTable(const std::filesystem::path& folder);

std::string SitesGeoJson(const SummaryTable& summary);
std::string SitesKml(const SummaryTable& summary, const std::string& title);
std::string ModelsCsv(const Survey& survey);
std::string ModelsVtk(const Survey& survey, const std::string& title);

// Reads the folder and writes `file` atomically in the format of its suffix. Throws
// SurveyError for a folder that cannot be read or a suffix not known, io::WriteError for a
// file that cannot be written. Returns the number of sites written.
std::size_t ExportFolder(const std::filesystem::path& folder, const std::filesystem::path& file);

}  // namespace mt1d::section
