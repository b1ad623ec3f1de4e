#include "report/FitCsv.h"

#include "report/Formatting.h"

namespace mt1d::report {

std::string FitModelCsv(const jobs::FitRecord& record)
{
    std::string out = "layer,top_m,thickness_m,resistivity_ohmm,log10_rho_sd,log10_thickness_sd\n";
    const auto& layers = record.report.layers;
    for (std::size_t j = 0; j < layers.size(); ++j) {
        const auto& l = layers[j];
        out += std::to_string(j + 1) + "," + NumberText(l.topM) + "," + NumberText(l.thicknessM) + "," +
               NumberText(l.resistivityOhmM) + "," + NumberText(l.log10RhoSd) + "," +
               NumberText(l.log10ThicknessSd) + "\n";
    }
    return out;
}

}  // namespace mt1d::report
