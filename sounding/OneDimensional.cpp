#include "sounding/OneDimensional.h"

#include "sounding/ImpedanceMath.h"
#include "sounding/Modes.h"
#include "sounding/SoundingWriter.h"

#include <cmath>

namespace mt1d::sounding {
namespace {

std::optional<ModeImpedance> ModeOf(const TensorRow& row, Mode mode)
{
    const auto& xy = row[Component::kXy];
    const auto& yx = row[Component::kYx];
    switch (mode) {
    case Mode::kXy:
        if (!xy.value) return std::nullopt;
        return ModeImpedance{*xy.value, xy.variance};
    case Mode::kYx:
        if (!yx.value) return std::nullopt;
        return ModeImpedance{-*yx.value, yx.variance};
    case Mode::kDet:
        for (const auto& e : row.z)
            if (!e.value) return std::nullopt;
        return DeterminantImpedance(row);
    case Mode::kBerd:
        if (!xy.value || !yx.value) return std::nullopt;
        return BerdichevskyImpedance(row);
    }
    return std::nullopt;
}

}  // namespace

Sounding OneDimensional(const Sounding& sounding, Mode mode)
{
    Sounding out;
    out.sourceName = sounding.sourceName;
    out.format = sounding.format;
    out.site = sounding.site;
    out.kind = sounding.kind;
    out.conjugated = sounding.conjugated;
    out.notes = sounding.notes;
    std::size_t rows = 0;
    if (sounding.kind == DataKind::kImpedance) {
        bool tipper = false;
        for (const TensorRow& row : sounding.tensor) {
            TensorRow r;
            r.frequencyHz = row.frequencyHz;
            r.rotationDeg = row.rotationDeg;
            tipper = tipper || row.tipper[0].value || row.tipper[1].value;
            if (const auto m = ModeOf(row, mode)) {
                ++rows;
                const std::optional<double> variance = m->variance;
                r[Component::kXy] = {m->z, variance};
                r[Component::kYx] = {-m->z, variance};
                r[Component::kXx] = {std::complex<double>(0.0, 0.0), variance};
                r[Component::kYy] = {std::complex<double>(0.0, 0.0), variance};
            }
            out.tensor.push_back(r);
        }
        if (tipper) out.notes.push_back("the tipper is left out of the 1D tensor");
        out.notes.push_back("written as the 1D tensor of the " + std::string(ModeName(mode)) +
                            " impedance: Zxy = Z, Zyx = −Z, Zxx = Zyy = 0");
    } else {
        for (const RhoPhaseRow& row : sounding.rhoPhase) {
            RhoPhaseRow r;
            r.frequencyHz = row.frequencyHz;
            r.rotationDeg = row.rotationDeg;
            const RhoPhaseValue& v = row[mode];
            if (!v.Empty()) ++rows;
            r[Mode::kXy] = v;
            r[Mode::kYx] = v;
            out.rhoPhase.push_back(r);
        }
        out.yxPhaseStoredFirstQuadrant = false;
        out.notes.push_back("written as the " + std::string(ModeName(mode)) +
                            " apparent resistivity and phase in both xy and yx");
    }
    if (rows == 0)
        throw ConversionError("the sounding has no " + std::string(ModeName(mode)) + " data at any frequency");
    return out;
}

}  // namespace mt1d::sounding
