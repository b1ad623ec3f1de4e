#include "report/SiteJson.h"

namespace mt1d::report {

Json SiteJson(const jobs::SiteSummary& site)
{
    return {{"name", site.name},
            {"file", site.sourceFile},
            {"latitude_deg", JsonNumber(site.latitudeDeg)},
            {"longitude_deg", JsonNumber(site.longitudeDeg)},
            {"elevation_m", JsonNumber(site.elevationM)}};
}

std::string SiteText(const jobs::SiteSummary& site)
{
    std::string text = "site " + site.name + " (" + site.sourceFile + ")\n";
    if (!site.latitudeDeg && !site.longitudeDeg && !site.elevationM) return text + "location unknown\n";
    // Degrees to 6 decimals are 0.1 m on the ground; the significant digits keep that much.
    text += "latitude " + Significant(site.latitudeDeg, 9) + "°, longitude " +
            Significant(site.longitudeDeg, 9) + "°, elevation " + Significant(site.elevationM, 6);
    return text + (site.elevationM ? " m\n" : "\n");
}

}  // namespace mt1d::report
