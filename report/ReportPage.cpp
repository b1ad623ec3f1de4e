#include "report/ReportPage.h"

#include "fitting/Uncertainty.h"
#include "report/Formatting.h"
#include "report/OptionsJson.h"
#include "sounding/Modes.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#ifndef MT1D_VERSION
#define MT1D_VERSION "unknown"
#endif

namespace mt1d::report {

namespace {

constexpr int kDigits = 4;  // model values and RMS, as `mt1d fit` prints them
constexpr int kFactorDigits = 3;

std::string FitName(const jobs::FitRecord& record)
{
    return record.settings.method == fitting::Method::kLayered
               ? "层状 " + std::to_string(record.report.layers.size()) + " 层 (layered)"
               : "Occam 光滑 (smooth)";
}

std::string Degrees(double value, char positive, char negative)
{
    return Significant(std::abs(value), 7) + "° " + (value >= 0 ? positive : negative);
}

std::string Location(const jobs::SiteSummary& site)
{
    if (!site.latitudeDeg || !site.longitudeDeg) return "位置 (location): 未知 (not given)";
    std::string out = "位置 (location): " + Degrees(*site.latitudeDeg, 'N', 'S') + ", " +
                      Degrees(*site.longitudeDeg, 'E', 'W');
    if (site.elevationM) out += ", 海拔 (elevation) " + Significant(*site.elevationM, 6) + " m";
    return out;
}

bool Unresolved(const std::optional<double>& log10Sd)
{
    return log10Sd && (*log10Sd >= fitting::kMaxLog10Sd || *log10Sd > kUnresolvedLog10Sd || !std::isfinite(*log10Sd));
}

// "×/÷ 1.23" and the range value/f … value·f; unresolved values say so.
std::string FactorText(const std::optional<double>& log10Sd)
{
    if (!log10Sd) return "";
    if (Unresolved(log10Sd)) return "未定 (unresolved)";
    return "×/÷ " + Significant(std::pow(10.0, *log10Sd), kFactorDigits);
}

std::string RangeText(double value, const std::optional<double>& log10Sd)
{
    if (!log10Sd || Unresolved(log10Sd)) return "";
    const double f = std::pow(10.0, *log10Sd);
    return Significant(value / f, 3) + " – " + Significant(value * f, 3);
}

PageTable ModelTable(const jobs::FitRecord& record)
{
    const fitting::FitReport& r = record.report;
    const bool layered = record.settings.method == fitting::Method::kLayered;
    PageTable table;
    table.title = FitName(record) + "  RMS " + Rounded(r.rms, kDigits);
    table.header = {"层", "顶深 m", "厚度 m", "ρ Ω·m"};
    if (layered) {
        table.header.insert(table.header.end(), {"ρ ×/÷", "ρ 范围", "厚度 ×/÷", "S = h/ρ (S)", "S 范围", "T = h·ρ (Ω·m²)", "T 范围"});
    }
    for (std::size_t j = 0; j < r.layers.size(); ++j) {
        const fitting::ReportLayer& layer = r.layers[j];
        std::vector<std::string> row{std::to_string(j + 1), Significant(layer.topM, kDigits),
                                     layer.thicknessM ? Significant(*layer.thicknessM, kDigits) : "半空间",
                                     Significant(layer.resistivityOhmM, kDigits)};
        if (layered) {
            row.push_back(FactorText(layer.log10RhoSd));
            row.push_back(RangeText(layer.resistivityOhmM, layer.log10RhoSd));
            row.push_back(FactorText(layer.log10ThicknessSd));
            if (j < record.products.size()) {
                const fitting::LayerProducts& p = record.products[j];
                row.push_back(Significant(p.conductanceS, kDigits));
                row.push_back(RangeText(p.conductanceS, p.log10ConductanceSd));
                row.push_back(Significant(p.transverseResistanceOhmM2, kDigits));
                row.push_back(RangeText(p.transverseResistanceOhmM2, p.log10TransverseResistanceSd));
            } else {
                row.insert(row.end(), 4, "");
            }
        }
        table.rows.push_back(std::move(row));
    }
    return table;
}

// The options as `key value` pairs, nulls left out, a few to a line.
std::vector<std::string> OptionLines(const jobs::FitRecord& record)
{
    const Json options = FitOptionsJson(record.curve, record.settings);
    std::vector<std::string> lines{FitName(record) + ":"};
    std::string line;
    for (auto it = options.begin(); it != options.end(); ++it) {
        if (it.value().is_null()) continue;
        std::string text = it.value().is_string() ? it.value().get<std::string>() : it.value().dump();
        std::string item = it.key() + " " + text;
        if (!line.empty() && line.size() + item.size() > 90) {
            lines.push_back("  " + line);
            line.clear();
        }
        line += (line.empty() ? "" : ", ") + item;
    }
    if (!line.empty()) lines.push_back("  " + line);
    return lines;
}

}  // namespace

std::string ProgramAndVersion() { return std::string("mt1d ") + MT1D_VERSION; }

ReportPage MakeReportPage(const ReportInput& input)
{
    if (input.fits.empty()) throw std::invalid_argument("a report needs at least one fit");
    const jobs::FitRecord& first = input.fits.front();
    ReportPage page;
    page.title = "一维大地电磁测深报告 (1-D MT sounding report): " + first.site.name;
    page.heading.push_back("测点 (site): " + first.site.name + "    文件 (file): " + first.site.sourceFile);
    page.heading.push_back(Location(first.site));
    page.heading.push_back("模式 (mode): " + std::string(sounding::ModeName(first.report.mode)) +
                           "    误差下限 (error floor): " + Significant(first.curve.floorPercent, 4) + " %");
    for (const jobs::FitRecord& fit : input.fits) {
        page.heading.push_back(FitName(fit) + ": RMS " + Rounded(fit.report.rms, kDigits) + " (" +
                               std::string(fitting::ToString(fit.report.status)) + ", " +
                               std::to_string(fit.valuesFitted) + " values)");
    }

    if (input.curve) {
        for (std::size_t i = 0; i < input.curve->rows.size(); ++i) {
            const sounding::CurveRow& row = input.curve->rows[i];
            if (!row.usable) continue;
            const bool excluded = std::binary_search(input.excludedRows.begin(), input.excludedRows.end(), i);
            const double factor = std::pow(10.0, row.rhoErrOhmM / (row.rhoOhmM * std::log(10.0)));
            page.rho.push_back({row.periodS, row.rhoOhmM, row.rhoOhmM / factor, row.rhoOhmM * factor, excluded});
            page.phase.push_back({row.periodS, row.phaseDeg, row.phaseDeg - row.phaseErrDeg, row.phaseDeg + row.phaseErrDeg, excluded});
        }
    } else {
        page.heading.push_back("无观测数据 (no data drawn): " + input.dataNote);
    }

    for (const jobs::FitRecord& fit : input.fits) {
        PageFit drawn{FitName(fit), {}, {}, {}, {}, {}};
        for (const fitting::ResponsePoint& p : fit.report.response) {
            if (!(p.frequencyHz > 0.0)) continue;
            drawn.periodS.push_back(1.0 / p.frequencyHz);
            drawn.rhoOhmM.push_back(p.rhoOhmM);
            drawn.phaseDeg.push_back(p.phaseDeg);
        }
        for (const fitting::ReportLayer& layer : fit.report.layers) {
            drawn.resistivityOhmM.push_back(layer.resistivityOhmM);
            if (layer.thicknessM) drawn.thicknessM.push_back(*layer.thicknessM);
        }
        page.fits.push_back(std::move(drawn));
        page.depthOfInvestigationM = std::max(page.depthOfInvestigationM, fit.report.depthOfInvestigationM);
        page.tables.push_back(ModelTable(fit));
        const auto lines = OptionLines(fit);
        page.options.insert(page.options.end(), lines.begin(), lines.end());
    }
    page.footer = ProgramAndVersion();
    return page;
}

std::vector<std::string> PageText(const ReportPage& page)
{
    std::vector<std::string> lines{page.title};
    lines.insert(lines.end(), page.heading.begin(), page.heading.end());
    lines.push_back(page.footer);
    for (const PageTable& table : page.tables) {
        lines.push_back(table.title);
        std::string header;
        for (const auto& h : table.header) header += (header.empty() ? "" : " ") + h;
        lines.push_back(header);
        for (const auto& row : table.rows) {
            std::string text;
            for (const auto& cell : row) text += (text.empty() ? "" : " ") + cell;
            lines.push_back(text);
        }
    }
    lines.insert(lines.end(), page.options.begin(), page.options.end());
    lines.push_back(page.footer);
    return lines;
}

}  // namespace mt1d::report
