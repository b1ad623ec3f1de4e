#include "report/ResponseOutput.h"

#include "classic/Commands.h"

namespace mt1d::report {

using io::JsonNumber;
using io::NumberText;

std::string ResponseListing(const ModelStore& store)
{
    std::string out;
    for (const std::string& line : DescribeResponse(store).listing) out += line + "\n";
    return out;
}

std::string ResponseCsv(const ModelStore& store)
{
    const ResponseView view = DescribeResponse(store);
    std::string out = "period_s,frequency_hz,apparent_resistivity_ohm_m,phase_deg\n";
    for (std::size_t k = 0; k < view.appResCurve.size(); ++k) {
        out += NumberText(view.appResCurve[k].x) + "," + NumberText(store.Freq[k]) + "," +
               NumberText(store.AppRes[k]) + "," + NumberText(view.phaseCurve[k].y) + "\n";
    }
    return out;
}

Json ModelJson(const ModelStore& store)
{
    const int n = store.LayerCount;
    Json layers = Json::array();
    for (int i = 0; i < n; ++i) {
        layers.push_back({{"layer", i + 1},
                          {"resistivity", JsonNumber(store.Model[i])},
                          {"thickness", JsonNumber(store.Model[n + i])}});
    }
    return layers;
}

Json ResponseJson(const ModelStore& store)
{
    const ResponseView view = DescribeResponse(store);
    Json rows = Json::array();
    for (std::size_t k = 0; k < view.appResCurve.size(); ++k) {
        rows.push_back({{"period", JsonNumber(view.appResCurve[k].x)},
                        {"frequency", JsonNumber(store.Freq[k])},
                        {"apparent_resistivity", JsonNumber(store.AppRes[k])},
                        {"phase_deg", JsonNumber(view.phaseCurve[k].y)}});
    }
    return rows;
}

}  // namespace mt1d::report
