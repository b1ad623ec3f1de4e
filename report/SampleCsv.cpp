#include "report/SampleCsv.h"

#include "report/Formatting.h"

namespace mt1d::report {

std::string SampleProfileCsv(const jobs::SampleRecord& record)
{
    const sampling::SamplingResult& r = record.result;
    std::string out = "depth_m,p10,p50,p90,mean,interface_probability\n";
    const std::size_t rows = r.p50.empty() ? 0 : r.depthM.size();
    for (std::size_t i = 0; i < rows; ++i) {
        out += NumberText(r.depthM[i]) + "," + NumberText(r.p10[i]) + "," + NumberText(r.p50[i]) + "," +
               NumberText(r.p90[i]) + "," + NumberText(r.mean[i]) + "," +
               NumberText(r.interfaceProbability[i]) + "\n";
    }
    return out;
}

std::string SampleDensityCsv(const jobs::SampleRecord& record)
{
    const sampling::SamplingResult& r = record.result;
    std::string out = "depth_m,log10_rho,probability\n";
    if (r.density.empty()) return out;
    for (std::size_t i = 0; i < r.depthM.size(); ++i) {
        const std::string depth = NumberText(r.depthM[i]) + ",";
        const auto row = r.DensityRow(i);
        for (std::size_t b = 0; b < row.size(); ++b) {
            out += depth + NumberText(r.log10RhoGrid[b]) + "," + NumberText(row[b]) + "\n";
        }
    }
    return out;
}

}  // namespace mt1d::report
