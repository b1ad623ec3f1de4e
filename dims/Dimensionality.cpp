#include "dims/Dimensionality.h"

#include "dims/CircularMean.h"
#include "dims/ErrorPropagation.h"
#include "dims/Skew.h"
#include "dims/Wording.h"

#include <algorithm>
#include <cmath>

namespace mt1d::dims {
namespace {

using sounding::Component;

constexpr const char* kElementNames[4] = {"Zxx", "Zxy", "Zyx", "Zyy"};

// An angle defined modulo 180° brought into (−90°, 90°].
double Half(double angleDeg)
{
    double a = std::fmod(angleDeg, 180.0);
    if (a <= -90.0) a += 180.0;
    if (a > 90.0) a -= 180.0;
    return a;
}

void CheckOptions(const DimsOptions& o)
{
    const auto bad = [](double v) { return !std::isfinite(v) || v < 0.0; };
    if (bad(o.maxSkewDeg)) throw std::invalid_argument("the largest skew of a 1-D row must be 0° or more");
    if (bad(o.maxEllipticity))
        throw std::invalid_argument("the largest ellipticity of a 1-D row must be 0 or more");
    if (bad(o.errorMultiple)) throw std::invalid_argument("the multiple of the standard error must be 0 or more");
}

// "skew 5.2° > 3°" or, within errors, "skew 5.2° > 3° + 2 × 0.81°".
std::string Excess(const char* what, const char* unit, double value, double limit, std::optional<double> sd,
                   const DimsOptions& o)
{
    const bool widened = o.withinErrors && sd;
    const double bound = widened ? limit + o.errorMultiple * *sd : limit;
    std::string text = std::string(what) + " " + AboveLimit(value, bound) + unit + " > " + Significant(limit, 6) + unit;
    if (widened) text += " + " + Significant(o.errorMultiple, 6) + " × " + Significant(*sd, 2) + unit;
    return text;
}

// The 1-D verdict of a row with a phase tensor.
void Classify(DimsRow& row, const DimsOptions& o)
{
    const double beta = std::abs(*row.betaDeg);
    const double ell = *row.ellipticity;
    const auto slack = [&](const std::optional<double>& sd) { return o.withinErrors && sd ? o.errorMultiple * *sd : 0.0; };
    const bool betaPasses = beta <= o.maxSkewDeg + slack(row.betaSdDeg);
    const bool ellipticityPasses = ell <= o.maxEllipticity + slack(row.ellipticitySd);
    row.oneD = betaPasses && ellipticityPasses;
    row.twoD = betaPasses && !ellipticityPasses;
    if (!betaPasses) row.notOneD = Excess("skew", "°", beta, o.maxSkewDeg, row.betaSdDeg, o);
    if (!ellipticityPasses) {
        if (!row.notOneD.empty()) row.notOneD += ", ";
        row.notOneD += Excess("ellipticity", "", ell, o.maxEllipticity, row.ellipticitySd, o);
    }
}

DimsRow AnalyseRow(const sounding::TensorRow& in, const DimsOptions& o)
{
    DimsRow row;
    if (std::isfinite(in.frequencyHz) && in.frequencyHz > 0.0) {
        row.frequencyHz = in.frequencyHz;
        row.periodS = 1.0 / in.frequencyHz;
    }
    std::string missing;
    Impedance z;
    std::array<double, 4> partSd{};
    bool errorsKnown = true;
    for (std::size_t k = 0; k < 4; ++k) {
        const auto& e = in.z[k];
        if (!e.value) {
            missing += (missing.empty() ? "" : ", ") + std::string(kElementNames[k]);
            continue;
        }
        z[k] = *e.value;
        const auto sd = PartStandardError(e);
        if (sd) partSd[k] = *sd;
        else errorsKnown = false;
    }
    if (!missing.empty()) {
        row.note = missing + " missing";
        return row;
    }
    row.swiftSkew = SwiftSkew(z);
    row.bahrSkew = BahrSkew(z);
    const auto phi = PhaseTensorOf(z);
    if (!phi) {
        row.note = "Re Z is singular or not finite: no phase tensor";
        return row;
    }
    const PhaseTensorInvariants inv = InvariantsOf(*phi);
    if (!inv.betaDeg) {
        row.note = "phase tensor with Φ11 = −Φ22 and Φ12 = Φ21: no skew angle";
        return row;
    }
    row.phiMaxDeg = PhaseTensorAngleDeg(inv.phiMax);
    row.phiMinDeg = PhaseTensorAngleDeg(inv.phiMin);
    row.betaDeg = inv.betaDeg;
    row.ellipticity = inv.ellipticity;
    if (inv.alphaDeg) {
        row.alphaDeg = Half(*inv.alphaDeg + in.rotationDeg);
        row.strikeDeg = Mod90(*inv.alphaDeg - *inv.betaDeg + in.rotationDeg);
    } else {
        row.note = "Φmax = Φmin: no strike";
    }
    if (errorsKnown) {
        if (const auto err = PropagateErrors(z, *phi, inv, partSd)) {
            row.betaSdDeg = err->betaDeg;
            row.ellipticitySd = err->ellipticity;
            if (row.strikeDeg) row.strikeSdDeg = err->strikeDeg;
        }
    }
    Classify(row, o);
    return row;
}

// The site's strike over the 2-D rows.
void SiteStrike(DimsResult& result)
{
    std::vector<double> angles, sds;
    for (const auto& row : result.rows) {
        if (!row.twoD || !row.strikeDeg) continue;
        angles.push_back(*row.strikeDeg);
        sds.push_back(row.strikeSdDeg.value_or(0.0));
    }
    if (angles.empty()) {
        result.notes.push_back("no row is 2-D (|β| within its limit, ellipticity above it): no site strike");
        return;
    }
    result.strikeWeighted = std::all_of(sds.begin(), sds.end(), [](double s) { return s > 0.0 && std::isfinite(s); });
    std::vector<double> weights(angles.size(), 1.0);
    if (result.strikeWeighted)
        for (std::size_t i = 0; i < sds.size(); ++i) weights[i] = 1.0 / (sds[i] * sds[i]);
    const auto mean = Mod90Mean(angles, weights);
    if (!mean) {
        result.notes.push_back("the strikes of the 2-D rows point every way: no site strike");
        return;
    }
    result.strikeDeg = mean->meanDeg;
    result.strikeSdDeg = mean->sdDeg;
    result.notes.push_back("site strike from " + std::to_string(angles.size()) + " 2-D rows" +
                           (result.strikeWeighted ? ", weighted by 1/σ²" : ", equal weights (not every 2-D row has errors)") +
                           "; modulo 90°: the strike or the direction across it");
}

}  // namespace

DimsResult AnalyseDimensionality(const sounding::Sounding& sounding, const DimsOptions& options)
{
    CheckOptions(options);
    if (sounding.kind != sounding::DataKind::kImpedance)
        throw NoTensorError(sounding.sourceName +
                            " holds apparent resistivity and phase only: the dimensionality needs the impedance tensor");
    DimsResult result;
    result.options = options;
    result.notes = sounding.notes;
    result.rows.reserve(sounding.tensor.size());
    std::size_t withoutTensor = 0, withoutErrors = 0;
    for (const auto& in : sounding.tensor) {
        DimsRow row = AnalyseRow(in, options);
        if (row.oneD) {
            ++result.computedRows;
            if (*row.oneD) ++result.oneDRows;
            if (row.twoD) ++result.twoDRows;
            if (!row.betaSdDeg) ++withoutErrors;
        } else {
            ++withoutTensor;
        }
        result.rows.push_back(std::move(row));
    }
    const std::string of = " of " + std::to_string(result.rows.size()) + " rows";
    if (result.computedRows > 0)
        result.oneDFraction = static_cast<double>(result.oneDRows) / static_cast<double>(result.computedRows);
    if (withoutTensor > 0) result.notes.push_back(std::to_string(withoutTensor) + of + " have no phase tensor; each says why");
    if (withoutErrors > 0)
        result.notes.push_back(std::to_string(withoutErrors) + of +
                               " have no error for every element: no standard errors there");
    if (result.computedRows > 0) SiteStrike(result);
    return result;
}

}  // namespace mt1d::dims
