#pragma once
// The dimensionality of a sounding as every front end asks for it: the phase-tensor analysis
// (dims/Dimensionality.h) of a sounding that has an impedance tensor, nothing for one of
// apparent resistivity and phase only. What `mt1d dims`, the batch's summary and the window's
// 维度 tab show.

#include "dims/Dimensionality.h"
#include "sounding/Sounding.h"

#include <cstddef>
#include <optional>

namespace mt1d::jobs {

// What a result records of a site's dimensionality: the limits used, how many rows had a
// verdict and how many of them were 1-D, and the site's strike (from north, modulo 90°).
struct DimsSummary {
    dims::DimsOptions limits;
    std::size_t computedRows = 0;
    std::size_t oneDRows = 0;
    std::optional<double> oneDFraction;  // empty when no row had a verdict
    std::optional<double> strikeDeg;     // empty without 2-D rows
    std::optional<double> strikeSdDeg;
    friend bool operator==(const DimsSummary&, const DimsSummary&) = default;
};

// Empty for a sounding without an impedance tensor. Throws std::invalid_argument for limits
// that are negative or not finite.
std::optional<dims::DimsResult> SiteDims(const sounding::Sounding& sounding, const dims::DimsOptions& options = {});

// The summary of SiteDims; empty for a sounding without an impedance tensor.
std::optional<DimsSummary> SummarizeDims(const sounding::Sounding& sounding, const dims::DimsOptions& options = {});

}  // namespace mt1d::jobs
