#include "jobs/SiteSummary.h"

namespace mt1d::jobs {

SiteSummary SummarizeSite(const sounding::Sounding& sounding)
{
    SiteSummary site;
    site.name = sounding.site.name;
    site.sourceFile = sounding.sourceName;
    site.latitudeDeg = sounding.site.location.latitudeDeg;
    site.longitudeDeg = sounding.site.location.longitudeDeg;
    site.elevationM = sounding.site.location.elevationM;
    return site;
}

}  // namespace mt1d::jobs
