#pragma once
// Fit records made by hand for the writer and reader tests: values with every digit used
// (1/3, 0.1, 1e-300) so that a round trip that loses a bit shows.

#include "jobs/FitRecord.h"

#include <cmath>

namespace report_testing {

using namespace mt1d;

inline jobs::FitRecord LayeredRecord()
{
    jobs::FitRecord r;
    r.site = {"S1", "data/s1.edi", 43.34115277777778, -95.95905833333333, 418.0};
    r.curve = {.mode = sounding::Mode::kDet, .floorPercent = 5.0, .rotateDeg = 30.0};
    r.settings.method = fitting::Method::kLayered;
    r.settings.components = fitting::FitComponents::kBoth;
    r.settings.targetRms = 1.0;
    r.settings.maxIterations = 100;
    r.settings.layers = 3;
    r.settings.starts = 80;
    r.settings.seed = 18446744073709551615ull;  // the largest seed, beyond a double's integers
    r.valuesFitted = 46;
    r.notes = {"the file gives no variances for ZXX, ZYY", "2 of 25 rows not usable for mode det"};
    auto& p = r.report;
    p.method = fitting::Method::kLayered;
    p.mode = sounding::Mode::kDet;
    p.status = fitting::FitStatus::kConverged;
    p.rms = 0.46334925;
    p.iterations = 6;
    p.targetReached = true;
    p.message = "converged at RMS 0.4633 after 6 iterations; \"quoted\", with a comma";
    p.history = {{0, 2.5, std::nullopt, 0.0}, {1, 1.0 / 3.0, std::nullopt, 1e-3}, {6, 0.46334925, std::nullopt, 1e-300}};
    p.layers = {{0.0, 46.37, 2.427, 0.2967, 0.2966},
                {46.37, 6482.0, 48.42, 0.1523, 0.0792},
                {6528.37, std::nullopt, 1.55, 0.2529, std::nullopt}};
    p.response = {{50.0, 5.15, 20.1}, {0.1, 0.3 * 10.0, 61.0}};
    p.niblettBostick = {{50.0, 161.6, 4.1}, {5e-4, 24904.3, 1.9}};
    p.depthOfInvestigationM = 24904.3;
    r.products = {{19.11, 112.5, 0.0607, 0.5416}, {133.9, 3.139e5, 0.1818, 0.1584}};
    const std::size_t n = 5;
    r.correlation.assign(n * n, 0.0);
    for (std::size_t i = 0; i < n; ++i) r.correlation[i * n + i] = 1.0;
    r.correlation[0 * n + 3] = r.correlation[3 * n + 0] = 0.992;
    r.correlation[1 * n + 4] = r.correlation[4 * n + 1] = -0.5;
    return r;
}

inline jobs::FitRecord OccamRecord()
{
    jobs::FitRecord r;
    r.site = {"aushield", "aushield.dat", std::nullopt, std::nullopt, std::nullopt};
    r.curve = {.mode = sounding::Mode::kXy,
               .floorPercent = 0.0,
               .columns = {sounding::Column::kPeriod, sounding::Column::kLog10Rho, sounding::Column::kLog10RhoErr,
                           sounding::Column::kPhase, sounding::Column::kPhaseErr}};
    r.settings.method = fitting::Method::kOccam;
    r.settings.components = fitting::FitComponents::kRho;
    r.settings.targetRms = 1.0;
    r.settings.maxIterations = 10;
    r.settings.layers = 4;
    r.settings.layerTops = {0.0, 10.0, 20.5, 40.0};
    r.valuesFitted = 23;
    auto& p = r.report;
    p.method = fitting::Method::kOccam;
    p.mode = sounding::Mode::kXy;
    p.status = fitting::FitStatus::kTargetNotReached;
    p.rms = 1.6;
    p.roughness = 12.5;
    p.iterations = 2;
    p.targetReached = false;
    p.message = "the target RMS 1 was not reached";
    p.history = {{0, 3.0, 0.0, 0.0}, {1, 2.0, 20.0, 100.0}, {2, 1.6, 12.5, 1.0 / 3.0}};
    p.layers = {{0.0, 10.0, 100.0, std::nullopt, std::nullopt},
                {10.0, 10.5, 10.0, std::nullopt, std::nullopt},
                {20.5, 19.5, 1.0, std::nullopt, std::nullopt},
                {40.0, std::nullopt, 1000.0, std::nullopt, std::nullopt}};
    p.response = {{1.0, 12.0, 50.0}};
    p.niblettBostick = {{1.0, 1000.0, 11.0}};
    p.depthOfInvestigationM = 1000.0;
    return r;
}

}  // namespace report_testing
