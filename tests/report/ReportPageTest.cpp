// The printable report's pages as a description: the heading, the error bars of the data, the
// model tables with their factors, ranges and unresolved values, worked out by hand.

#include "report/ReportPage.h"

#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>

namespace mt1d::report {
namespace {

bool Has(const std::vector<std::string>& lines, const std::string& text)
{
    for (const auto& line : lines) {
        if (line.find(text) != std::string::npos) return true;
    }
    return false;
}

jobs::FitRecord LayeredRecord()
{
    jobs::FitRecord r;
    r.site.name = "Hill 3";
    r.site.sourceFile = "hill3.edi";
    r.site.latitudeDeg = -30.25;
    r.site.longitudeDeg = -140.5;
    r.settings.method = fitting::Method::kLayered;
    r.settings.layers = 2;
    r.report.method = fitting::Method::kLayered;
    r.report.rms = 1.23456;
    r.report.depthOfInvestigationM = 3000.0;
    // ρ 100 Ω·m ×/÷ 10^0.1 = 1.259; a thickness the data do not see (the cap of 99 decades).
    r.report.layers = {{0.0, 500.0, 100.0, 0.1, 99.0}, {500.0, std::nullopt, 1000.0, 0.05, std::nullopt}};
    r.products = {{5.0, 50000.0, 0.2, 3.5}};  // S = 500/100, T = 500·100
    r.report.response = {{10.0, 100.0, 45.0}, {0.1, 300.0, 30.0}, {0.0, 1.0, 1.0}};
    return r;
}

TEST(ReportPage, HeadingNamesSiteLocationEachFitsRmsAndTheFooterTheVersion)
{
    jobs::FitRecord occam = LayeredRecord();
    occam.settings.method = fitting::Method::kOccam;
    occam.report.rms = 0.98;
    const ReportPage page = MakeReportPage({{LayeredRecord(), occam}, std::nullopt, {}, "no file"});
    const auto text = PageText(page);
    EXPECT_TRUE(Has(page.heading, "Hill 3"));
    EXPECT_TRUE(Has(page.heading, "30.25° S, 140.5° W"));  // negative latitude south, longitude west
    EXPECT_TRUE(Has(page.heading, "RMS 1.235"));            // four significant digits
    EXPECT_TRUE(Has(page.heading, "RMS 0.98"));
    EXPECT_TRUE(Has(page.heading, "no file"));              // why no data are drawn
    EXPECT_EQ(page.footer.rfind("mt1d ", 0), 0u);
    EXPECT_NE(page.footer, "mt1d unknown");                 // the build gave the version
    EXPECT_EQ(page.pageCount, 2);
    EXPECT_TRUE(Has(text, page.footer));
    // Options of each fit, nulls left out.
    EXPECT_TRUE(Has(page.options, "method layered"));
    EXPECT_TRUE(Has(page.options, "method occam"));
    EXPECT_FALSE(Has(page.options, "null"));
}

TEST(ReportPage, TablesGiveFactorsRangesAndUnresolvedValues)
{
    const ReportPage page = MakeReportPage({{LayeredRecord()}, std::nullopt, {}, ""});
    ASSERT_EQ(page.tables.size(), 1u);
    const auto& rows = page.tables[0].rows;
    ASSERT_EQ(rows.size(), 2u);
    ASSERT_EQ(rows[0].size(), page.tables[0].header.size());
    // ρ: ×/÷ 10^0.1 = 1.259 (3 digits: 1.26), range 100/1.259 … 100·1.259 = 79.4 – 126.
    EXPECT_EQ(rows[0][4], "×/÷ 1.26");
    EXPECT_EQ(rows[0][5], "79.4 – 126");
    EXPECT_EQ(rows[0][6], "未定 (unresolved)");  // a factor of 10^99 says nothing
    // S = 5 S ×/÷ 10^0.2 = 1.585: 3.15 – 7.92; T with a factor 10^3.5 is unresolved: no range.
    EXPECT_EQ(rows[0][7], "5");
    EXPECT_EQ(rows[0][8], "3.15 – 7.92");
    EXPECT_EQ(rows[0][10], "");
    EXPECT_EQ(rows[1][2], "半空间");  // the half-space has no thickness
    // The response point without a frequency is not drawn.
    ASSERT_EQ(page.fits.size(), 1u);
    EXPECT_EQ(page.fits[0].periodS, (std::vector<double>{0.1, 10.0}));
    EXPECT_EQ(page.depthOfInvestigationM, 3000.0);
}

// ρa 100 ± 10 Ω·m: σ = 10/(100·ln 10) = 0.04343, a factor 10^σ = 1.1052 either way; the phase
// bar is φ ± δφ. Left-out rows are marked; unusable rows are not drawn.
TEST(ReportPage, ErrorBarsAsTheWindowDrawsThem)
{
    sounding::Curve curve;
    curve.rows.resize(3);
    curve.rows[0] = {10.0, 0.1, 100.0, 10.0, 45.0, 2.0, true, "", true};
    curve.rows[1] = {1.0, 1.0, 200.0, 20.0, 40.0, 3.0, false, "no error", true};
    curve.rows[2] = {0.1, 10.0, 300.0, 30.0, 35.0, 1.0, true, "", true};
    const ReportPage page = MakeReportPage({{LayeredRecord()}, curve, {2}, ""});
    ASSERT_EQ(page.rho.size(), 2u);
    EXPECT_NEAR(page.rho[0].low, 100.0 / 1.10517, 1e-3);  // 6 digits of the factor
    EXPECT_NEAR(page.rho[0].high, 110.517, 1e-3);
    EXPECT_DOUBLE_EQ(page.phase[0].low, 43.0);
    EXPECT_DOUBLE_EQ(page.phase[1].high, 36.0);
    EXPECT_FALSE(page.rho[0].excluded);
    EXPECT_TRUE(page.rho[1].excluded);  // row 2
    EXPECT_DOUBLE_EQ(page.rho[1].periodS, 10.0);
}

TEST(ReportPage, NoFitIsRefused) { EXPECT_THROW(MakeReportPage({}), std::invalid_argument); }

}  // namespace
}  // namespace mt1d::report
