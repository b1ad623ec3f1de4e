#pragma once
// The descriptive fields of an EMTF XML file that mt1d keeps, and the Site::header key each
// goes by. The keys are EDI HEAD keys where EDI has one for the same thing (DATAID, LOC,
// ACQBY, ACQDATE, FILEBY, FILEDATE, COUNTRY, PROSPECT), so that a conversion between the two
// formats carries them; the others are named after their XML element. EmtfXmlReader.h reads
// them, EmtfXmlWriter.h writes them back to the same place, EdiWriter.h writes every header
// field into HEAD.
//
// A path runs from the root element <EM_TF>; "@name" at its end means an attribute of the
// element before it.

#include <array>
#include <string_view>

namespace mt1d::sounding {

struct EmtfXmlField {
    std::string_view key;
    std::string_view path;
};

// In the order the elements stand in a file, so that a writer creating them in this order
// writes them in the usual order.
inline constexpr std::array<EmtfXmlField, 22> kEmtfXmlFields = {{
    {"PRODUCTID", "ProductId"},
    {"FILEDATE", "Provenance/CreateTime"},
    {"FILEBY", "Provenance/Creator/Name"},
    {"FILEBYORG", "Provenance/Creator/Org"},
    {"SUBMITTER", "Provenance/Submitter/Name"},
    {"PROJECT", "Site/Project"},
    {"PROSPECT", "Site/Survey"},
    {"YEARCOLLECTED", "Site/YearCollected"},
    {"COUNTRY", "Site/Country"},
    {"DATAID", "Site/Id"},
    {"LOC", "Site/Name"},
    {"DATUM", "Site/Location/@datum"},
    {"DECLINATION", "Site/Location/Declination"},
    {"DECLINATIONEPOCH", "Site/Location/Declination/@epoch"},
    {"ACQBY", "Site/AcquiredBy"},
    {"ACQDATE", "Site/Start"},
    {"ENDDATE", "Site/End"},
    {"QUALITYRATING", "Site/DataQualityNotes/Rating"},
    {"PROCESSEDBY", "ProcessingInfo/ProcessedBy"},
    {"REMOTEREF", "ProcessingInfo/RemoteRef/@type"},
    {"PROCESSINGSOFTWARE", "ProcessingInfo/ProcessingSoftware/Name"},
    {"PROCESSINGTAG", "ProcessingInfo/ProcessingTag"},
}};

// Header keys that describe an EDI file itself, not the site: the writers put their own
// values there (EMPTY, STDVERS, …) or take them from Site::location (LAT, LONG, ELEV).
inline constexpr std::array<std::string_view, 12> kEdiFileKeys = {
    "EMPTY", "STDVERS", "PROGVERS", "PROGDATE", "MAXSECT",  "LAT",
    "LONG",  "LON",     "ELEV",     "LATITUDE", "LONGITUDE", "ELEVATION"};

}  // namespace mt1d::sounding
