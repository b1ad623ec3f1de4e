#pragma once
// What every fuzz target checks of a sounding a reader accepted, beyond the sanitizers:
// the promises of Sounding.h and CurveDerivation.h. A broken promise aborts, which libFuzzer
// reports as a finding.

#include "sounding/CurveDerivation.h"
#include "sounding/Limits.h"
#include "sounding/Modes.h"
#include "sounding/ReadError.h"
#include "sounding/Rotation.h"
#include "sounding/Sounding.h"
#include "sounding/SoundingFile.h"
#include "sounding/SoundingWriter.h"

#include <cmath>
#include <cstdlib>

namespace mt1d_fuzz {

inline void Require(bool ok)
{
    if (!ok) std::abort();
}

// The rows EMTF XML can give a period: frequency and period positive, finite and below the
// missing-value marks.
inline std::size_t UsableRows(const mt1d::sounding::Sounding& s)
{
    std::size_t n = 0;
    for (std::size_t i = 0; i < s.RowCount(); ++i) {
        const double f = s.FrequencyHz(i);
        if (mt1d::sounding::Writable(f) && f > 0.0 && mt1d::sounding::Writable(1.0 / f)) ++n;
    }
    return n;
}

// What a writer makes of an accepted sounding its own reader reads again, with as many rows
// (EMTF XML: as many rows with a period) and of the same kind; or the writer refuses.
inline void CheckWriters(const mt1d::sounding::Sounding& s)
{
    using namespace mt1d::sounding;
    for (const TargetFormat target : {TargetFormat::kEdi, TargetFormat::kEmtfXml}) {
        WrittenText w;
        try {
            w = WriteSounding(s, target);
        } catch (const ConversionError&) {
            continue;
        }
        Sounding back;
        try {
            back = ParseSounding(w.text, target == TargetFormat::kEdi ? "written.edi" : "written.xml");
        } catch (const ReadError&) {
            std::abort();
        }
        Require(back.kind == s.kind);
        if (target == TargetFormat::kEdi) Require(back.RowCount() == s.RowCount());
        else Require(back.RowCount() == UsableRows(s));
    }
}

inline void CheckSounding(mt1d::sounding::Sounding s)
{
    using namespace mt1d::sounding;
    const std::size_t n = s.RowCount();
    // Usable frequencies strictly decreasing, then the unusable ones.
    bool tail = false;
    for (std::size_t i = 0; i < n; ++i) {
        const double f = s.FrequencyHz(i);
        const bool usable = std::isfinite(f) && f > 0.0;
        if (!usable) tail = true;
        Require(!(usable && tail));
        if (usable && i > 0) Require(f < s.FrequencyHz(i - 1));
    }
    for (const Mode m : kAllModes) {
        for (const double floor : {0.0, 5.0}) {
            const Curve c = DeriveCurve(s, {m, floor});
            Require(c.rows.size() == n);
            for (const auto& r : c.rows) {
                for (const double v : {r.frequencyHz, r.periodS, r.rhoOhmM, r.rhoErrOhmM, r.phaseDeg, r.phaseErrDeg})
                    Require(std::isfinite(v));
                Require(r.usable == r.reason.empty());
                if (!r.usable) continue;
                Require(r.rhoOhmM > 0.0 && r.rhoErrOhmM >= 0.0 && r.phaseErrDeg >= 0.0);
                // A usable row lies within the accepted ranges (Limits.h), so nothing a fit
                // derives from it (a period, log10 ρa, an error weight) can overflow.
                Require(r.frequencyHz >= kMinFrequencyHz && r.frequencyHz <= kMaxFrequencyHz);
                Require(r.periodS > 0.0 && r.rhoOhmM >= kMinApparentResistivityOhmM &&
                        r.rhoOhmM <= kMaxApparentResistivityOhmM);
                Require(std::abs(r.phaseDeg) <= kMaxPhaseMagnitudeDeg && r.phaseKnown);
                Require(r.rhoErrOhmM <= kMaxRelativeError * r.rhoOhmM * (1.0 + 1e-12) && r.phaseErrDeg <= kMaxPhaseErrorDeg);
            }
        }
    }
    const auto modes = SupportedModes(s);
    (void)DefaultMode(s);
    if (s.kind == DataKind::kImpedance) {
        RotateTo(s, 33.0);
        for (const Mode m : modes) (void)DeriveCurve(s, {m, 5.0});
    }
}

// A refusal names the file and the kind of problem in its content-free message, and nothing
// else: that message is built from the file name, the line and a fixed text alone.
inline void CheckRefusal(const mt1d::sounding::ReadError& e)
{
    using namespace mt1d::sounding;
    std::string expected = e.File();
    if (e.Line() > 0) expected += ", line " + std::to_string(e.Line());
    expected += ": ";
    expected += ReadProblemText(e.Kind());
    Require(e.ContentFreeMessage() == expected);
}

}  // namespace mt1d_fuzz
