#include "report/MisfitWriters.h"

#include "report/OptionsJson.h"
#include "report/SiteJson.h"

namespace mt1d::report {

namespace {

constexpr int kDigits = 4;

}  // namespace

Json MisfitJson(const MisfitContext& context, const jobs::ModelScore& score)
{
    Json options = Json::object();
    PutDataOptions(options, context.data);
    options["fit"] = std::string(fitting::ToString(context.components));
    Json layers = Json::array();
    for (const fitting::ReportLayer& layer : fitting::ReportLayers(context.model)) {
        layers.push_back({{"top_m", JsonNumber(layer.topM)},
                          {"thickness_m", JsonNumber(layer.thicknessM)},
                          {"resistivity_ohmm", JsonNumber(layer.resistivityOhmM)}});
    }
    Json response = Json::array();
    for (const auto& p : score.response) {
        response.push_back({{"frequency_hz", JsonNumber(p.frequencyHz)},
                            {"rho_ohmm", JsonNumber(p.rhoOhmM)},
                            {"phase_deg", JsonNumber(p.phaseDeg)}});
    }
    return {{"format", kMisfitFormatName},
            {"site", SiteJson(context.site)},
            {"options", std::move(options)},
            {"model", std::move(layers)},
            {"rms", JsonNumber(score.rms)},
            {"chi2", JsonNumber(score.chi2)},
            {"count", score.count},
            {"response", std::move(response)}};
}

std::string MisfitText(const MisfitContext& context, const jobs::ModelScore& score)
{
    std::string out = SiteText(context.site);
    out += "model:";
    for (const fitting::ReportLayer& layer : fitting::ReportLayers(context.model)) {
        out += " " + Significant(layer.resistivityOhmM, kDigits) + " ohm-m";
        out += layer.thicknessM ? " over " + Significant(*layer.thicknessM, kDigits) + " m," : " half-space";
    }
    out += "\nRMS " + Rounded(score.rms, kDigits) + ", chi-square " + Significant(score.chi2, kDigits + 2) + " over " +
           std::to_string(score.count) + " values\n";
    return out;
}

}  // namespace mt1d::report
