// The EDI and EMTF XML writers: EDI → XML → EDI and XML → EDI → XML keep every number and
// every header field the formats share, on the hand-written files and on every real tensor
// file of ../shared/data (skipped when absent); and what a target cannot hold is refused.

#include "sounding/EdiReader.h"
#include "sounding/EdiWriter.h"
#include "sounding/EmtfXmlFields.h"
#include "sounding/EmtfXmlWriter.h"
#include "sounding/ReadError.h"
#include "sounding/SoundingFile.h"
#include "sounding/SoundingWriter.h"
#include "tests/sounding/HandFiles.h"
#include "tests/sounding/SyntheticEdi.h"
#include "tests/support/SharedData.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>

namespace {

using namespace mt1d::sounding;
using sounding_test::HandFile;
namespace fs = std::filesystem;

// The writers print the shortest text that reads back to the same double, so every number
// comes back exact except the frequency, which EMTF XML stores as a period (1/f, then 1/T
// again: a rounding or two, 1e-16). 1e-6 is what a conversion promises; a value written with
// 6 significant digits, a dropped conjugation or a swapped element is caught far above it.
constexpr double kRel = 1e-6;

bool Usable(double f)
{
    return std::isfinite(f) && f > 0.0;
}

void ExpectClose(double a, double b, const std::string& what)
{
    EXPECT_LE(std::abs(a - b), kRel * std::max(std::abs(a), std::abs(b))) << what << ": " << a << " vs " << b;
}

template <typename Element>
void ExpectSameElement(const Element& a, const Element& b, const std::string& what)
{
    ASSERT_EQ(a.value.has_value(), b.value.has_value()) << what;
    if (!a.value) return;
    // Relative to |Z|: a real or imaginary part near zero is as exact as the rest.
    const double scale = std::max(std::abs(*a.value), std::abs(*b.value));
    EXPECT_LE(std::abs(*a.value - *b.value), kRel * scale) << what << ": " << *a.value << " vs " << *b.value;
    ASSERT_EQ(a.variance.has_value(), b.variance.has_value()) << what << " variance";
    if (a.variance) ExpectClose(*a.variance, *b.variance, what + " variance");
}

void ExpectSameTensor(const Sounding& a, const Sounding& b, const std::string& what)
{
    std::vector<const TensorRow*> ra, rb;
    for (const auto& r : a.tensor)
        if (Usable(r.frequencyHz)) ra.push_back(&r);
    for (const auto& r : b.tensor)
        if (Usable(r.frequencyHz)) rb.push_back(&r);
    ASSERT_EQ(ra.size(), rb.size()) << what;
    for (std::size_t i = 0; i < ra.size(); ++i) {
        const std::string at = what + ", row " + std::to_string(i);
        ExpectClose(ra[i]->frequencyHz, rb[i]->frequencyHz, at + " frequency");
        EXPECT_EQ(ra[i]->rotationDeg, rb[i]->rotationDeg) << at;
        for (std::size_t c = 0; c < 4; ++c) ExpectSameElement(ra[i]->z[c], rb[i]->z[c], at + " Z" + std::to_string(c));
        for (std::size_t c = 0; c < 2; ++c) ExpectSameElement(ra[i]->tipper[c], rb[i]->tipper[c], at + " T" + std::to_string(c));
    }
}

void ExpectSameSite(const Sounding& a, const Sounding& b, const std::string& what)
{
    EXPECT_EQ(a.site.name, b.site.name) << what;
    EXPECT_EQ(a.site.location.latitudeDeg, b.site.location.latitudeDeg) << what;
    EXPECT_EQ(a.site.location.longitudeDeg, b.site.location.longitudeDeg) << what;
    EXPECT_EQ(a.site.location.elevationM, b.site.location.elevationM) << what;
    EXPECT_EQ(a.site.info, b.site.info) << what;
}

const std::string* HeaderValue(const Sounding& s, std::string_view key)
{
    for (const auto& [k, v] : s.site.header)
        if (k == key) return &v;
    return nullptr;
}

bool CarriedByXml(std::string_view key)
{
    return key == "DATAID" || std::any_of(kEmtfXmlFields.begin(), kEmtfXmlFields.end(),
                                          [&](const EmtfXmlField& f) { return f.key == key; });
}

bool IsFileKey(std::string_view key)
{
    return std::find(kEdiFileKeys.begin(), kEdiFileKeys.end(), key) != kEdiFileKeys.end();
}

// EDI has no way to quote a '"'; the writer puts '\'' in its place.
std::string EdiQuoted(std::string v)
{
    std::replace(v.begin(), v.end(), '"', '\'');
    return v;
}

// Every header field of `from` that passed through `through` (all but the EDI file's own
// keys for EDI, the EmtfXmlFields keys holding something for XML) is in `to` with its value.
void ExpectHeaderCarried(const Sounding& from, const Sounding& to, bool throughXml, const std::string& what)
{
    for (const auto& [key, value] : from.site.header) {
        if (IsFileKey(key) || (throughXml && (!CarriedByXml(key) || value.empty()))) continue;
        const std::string* v = HeaderValue(to, key);
        ASSERT_NE(v, nullptr) << what << ": " << key << " lost";
        EXPECT_EQ(EdiQuoted(*v), EdiQuoted(value)) << what << ": " << key;
    }
}

Sounding Reread(const WrittenText& w, const char* name)
{
    return ParseSounding(w.text, name);
}

// The sounding in one frame, as EMTF XML needs: read again into the frame of its first row
// when its rows lie in several.
Sounding OneFrame(const fs::path& path)
{
    Sounding s = ReadSoundingFile(path);
    const bool several = std::any_of(s.tensor.begin(), s.tensor.end(),
                                     [&](const TensorRow& r) { return r.rotationDeg != s.tensor[0].rotationDeg; });
    if (!several) return s;
    EXPECT_THROW(WriteEmtfXml(s), ConversionError) << path;
    ReadOptions o;
    o.rotateToDeg = s.tensor[0].rotationDeg;
    return ReadSoundingFile(path, o);
}

void RoundTrips(const Sounding& s0, const std::string& what)
{
    // XML → EDI → XML (s0 as the first XML would read).
    const Sounding x1 = Reread(WriteEmtfXml(s0), "rt1.xml");
    const Sounding e2 = Reread(WriteEdi(x1), "rt2.edi");
    const Sounding x3 = Reread(WriteEmtfXml(e2), "rt3.xml");
    ExpectSameTensor(s0, x1, what + " → XML");
    ExpectSameTensor(x1, e2, what + " → XML → EDI");
    ExpectSameTensor(x1, x3, what + " → XML → EDI → XML");
    ExpectSameSite(x1, x3, what + " → XML → EDI → XML");
    // EDI carries every XML field (a '"' as '\'').
    ASSERT_EQ(x1.site.header.size(), x3.site.header.size()) << what;
    for (std::size_t i = 0; i < x1.site.header.size(); ++i) {
        EXPECT_EQ(x1.site.header[i].first, x3.site.header[i].first) << what;
        EXPECT_EQ(EdiQuoted(x1.site.header[i].second), x3.site.header[i].second) << what;
    }
    ExpectHeaderCarried(s0, x3, true, what + " → XML → EDI → XML");

    // EDI → XML → EDI.
    const Sounding d1 = Reread(WriteEdi(s0), "rt1.edi");
    const Sounding d2 = Reread(WriteEmtfXml(d1), "rt2.xml");
    const Sounding d3 = Reread(WriteEdi(d2), "rt3.edi");
    ExpectSameTensor(s0, d1, what + " → EDI");
    ExpectSameTensor(d1, d3, what + " → EDI → XML → EDI");
    ExpectSameSite(s0, d1, what + " → EDI");
    ExpectSameSite(d1, d3, what + " → EDI → XML → EDI");
    ExpectHeaderCarried(s0, d1, false, what + " → EDI");
    ExpectHeaderCarried(d1, d3, true, what + " → EDI → XML → EDI");
}

TEST(Writers, HandWrittenFilesSurviveBothRoundTrips)
{
    RoundTrips(ParseSounding(HandFile("minimal-impedance.xml"), "minimal-impedance.xml"), "minimal-impedance.xml");
    RoundTrips(ParseSounding(HandFile("ohm-minus-convention.xml"), "ohm.xml"), "ohm-minus-convention.xml");
    RoundTrips(ParseSounding(HandFile("j-frequency-impedance.j"), "j.j"), "j-frequency-impedance.j");
    RoundTrips(ParseSounding(HandFile("avg-one-header.avg"), "a.avg"), "avg-one-header.avg");
    RoundTrips(ParseEdi(sounding_test::kHalfSpaceEdi, "hs.edi", "hs"), "synthetic half-space EDI");
}

TEST(Writers, RealTensorFilesSurviveBothRoundTrips)
{
    const auto data = testing_support::SharedDataDir();
    if (!data) GTEST_SKIP() << testing_support::kNoSharedData;
    std::size_t tensors = 0;
    for (const char* folder : {"edi", "ga-amt-rjmcmcmt", "formats"}) {
        if (!fs::is_directory(*data / folder)) continue;
        std::vector<fs::path> files;
        for (const auto& e : fs::directory_iterator(*data / folder))
            if (e.path().extension() != ".md") files.push_back(e.path());
        std::sort(files.begin(), files.end());
        for (const auto& path : files) {
            SCOPED_TRACE(path.string());
            const Sounding s = ReadSoundingFile(path);
            if (s.kind != DataKind::kImpedance) continue;
            ++tensors;
            RoundTrips(OneFrame(path), path.filename().string());
        }
    }
    EXPECT_GE(tensors, 18u);  // 10 EDI tensor files, 4 GA, 4 of other formats
}

TEST(Writers, RhoPhaseEdiSurvivesARoundTripThroughEdi)
{
    {
        const std::string what = "synthetic";
        const Sounding s0 = ParseEdi(sounding_test::kRhoPhaseEdi, "rp.edi", "rp");
        const Sounding s1 = Reread(WriteEdi(s0), "rp1.edi");
        ASSERT_EQ(s0.RowCount(), s1.RowCount());
        EXPECT_EQ(s0.yxPhaseStoredFirstQuadrant, s1.yxPhaseStoredFirstQuadrant) << what;
        for (std::size_t i = 0; i < s0.RowCount(); ++i) {
            EXPECT_EQ(s0.rhoPhase[i].frequencyHz, s1.rhoPhase[i].frequencyHz);
            for (const Mode m : {Mode::kXy, Mode::kYx}) {
                const auto& a = s0.rhoPhase[i][m];
                const auto& b = s1.rhoPhase[i][m];
                for (const auto& [x, y] : {std::pair{a.rhoOhmM, b.rhoOhmM}, std::pair{a.rhoErrOhmM, b.rhoErrOhmM},
                                           std::pair{a.phaseDeg, b.phaseDeg}, std::pair{a.phaseErrDeg, b.phaseErrDeg}}) {
                    ASSERT_EQ(x.has_value(), y.has_value()) << i;
                    if (x) ExpectClose(*x, *y, what);
                }
            }
        }
    }
}

TEST(Writers, RealRhoPhaseFilesKeepTheirYxQuadrantThroughEdi)
{
    const auto data = testing_support::SharedDataDir();
    if (!data) GTEST_SKIP() << testing_support::kNoSharedData;
    const fs::path path = *data / "edi" / "tf_edi_rho_only.edi";
    if (!fs::exists(path)) GTEST_SKIP() << path << " absent";
    const Sounding s0 = ReadSoundingFile(path);
    ASSERT_TRUE(s0.yxPhaseStoredFirstQuadrant);
    const Sounding s1 = Reread(WriteEdi(s0), "rp.edi");
    EXPECT_TRUE(s1.yxPhaseStoredFirstQuadrant);
    for (std::size_t i = 0; i < s0.RowCount(); ++i) {
        const auto& a = s0.rhoPhase[i][Mode::kYx];
        const auto& b = s1.rhoPhase[i][Mode::kYx];
        ASSERT_EQ(a.phaseDeg.has_value(), b.phaseDeg.has_value());
        if (a.phaseDeg) ExpectClose(*a.phaseDeg, *b.phaseDeg, "yx phase");
        if (a.rhoErrOhmM) ExpectClose(*a.rhoErrOhmM, *b.rhoErrOhmM, "yx ρa error");
    }
    EXPECT_THROW(WriteEmtfXml(s0), ConversionError);
}

TEST(Writers, TextThatWouldBreakAnEdiFileIsWrittenSafely)
{
    Sounding s = ParseSounding(HandFile("minimal-impedance.xml"), "m.xml");
    s.site.info = {">END", "  >ZXYR // 3", "plain line"};
    const WrittenText w = WriteEdi(s);
    const Sounding back = ParseSounding(w.text, "m.edi");
    ExpectSameTensor(s, back, "INFO with markers");
    EXPECT_EQ(back.site.info, (std::vector<std::string>{"\xE2\x80\xBA" "END", "  \xE2\x80\xBAZXYR // 3", "plain line"}));
    // LOC holds a '"', which EDI cannot quote: written as '\'' and said so.
    EXPECT_EQ(*HeaderValue(back, "LOC"), "Flat plain, 'north' end");
    EXPECT_EQ(w.notes.size(), 1u);
}

TEST(Writers, ControlCharactersInTheSiteTextAreWrittenVisibly)
{
    // A reader keeps a stray byte of a name or a note; written as it is, it would make the
    // new file look binary (or break XML) and be refused when read again.
    Sounding s = ParseSounding(HandFile("minimal-impedance.xml"), "m.xml");
    s.site.name = std::string("HS\x01\x02\x03" "100");
    s.site.info = {std::string(40, '\x05'), "tab\tkept"};
    for (const TargetFormat t : {TargetFormat::kEdi, TargetFormat::kEmtfXml}) {
        const WrittenText w = WriteSounding(s, t);
        const Sounding back = ParseSounding(w.text, t == TargetFormat::kEdi ? "c.edi" : "c.xml");
        EXPECT_EQ(back.site.name, "HS???100");
        EXPECT_EQ(back.site.info, (std::vector<std::string>{std::string(40, '?'), "tab\tkept"}));
        EXPECT_NE(std::find_if(w.notes.begin(), w.notes.end(),
                               [](const std::string& n) { return n.find("control characters") != std::string::npos; }),
                  w.notes.end());
    }
}

TEST(Writers, ValuesAsLargeAsAMissingMarkAreWrittenAsMissing)
{
    // A reader takes 1e30 and more for a missing-value mark; written as they are, such values
    // would come back missing anyway, and a row holding nothing else would break the file.
    Sounding s = ParseSounding(HandFile("minimal-impedance.xml"), "m.xml");
    s.tensor[1].z[1].value = std::complex<double>(1.5e94, 1.0);
    s.tensor[1].z[2].variance = 2e31;
    for (const TargetFormat t : {TargetFormat::kEdi, TargetFormat::kEmtfXml}) {
        const Sounding back = ParseSounding(WriteSounding(s, t).text, t == TargetFormat::kEdi ? "l.edi" : "l.xml");
        EXPECT_FALSE(back.tensor[1].z[1].value);
        EXPECT_TRUE(back.tensor[1].z[2].value);
        EXPECT_FALSE(back.tensor[1].z[2].variance);
        EXPECT_EQ(back.tensor[0].z[1].value, s.tensor[0].z[1].value);
    }
    for (auto& row : s.tensor)
        for (auto& e : row.z) e.value = std::complex<double>(1e31, 0.0);
    EXPECT_THROW(WriteEdi(s), ConversionError);
    EXPECT_THROW(WriteEmtfXml(s), ConversionError);
}

TEST(Writers, HeaderFieldsXmlHasNoPlaceForAreNamedInANote)
{
    Sounding s = ParseSounding(HandFile("minimal-impedance.xml"), "m.xml");
    s.site.header.emplace_back("STATE", "Somewhere");
    s.site.header.emplace_back("EMPTY", "1.0E32");  // the EDI file's own: not a loss
    const WrittenText w = WriteEmtfXml(s);
    ASSERT_EQ(w.notes.size(), 1u);
    EXPECT_NE(w.notes[0].find("STATE"), std::string::npos);
    EXPECT_EQ(w.notes[0].find("EMPTY"), std::string::npos);
}

struct Refusal {
    const char* what;
    std::function<WrittenText()> write;
    std::string message;
};

void PrintTo(const Refusal& r, std::ostream* os)
{
    *os << r.what;
}

class WhatTheTargetCannotHold : public testing::TestWithParam<Refusal> {};

TEST_P(WhatTheTargetCannotHold, IsRefusedWithAConversionError)
{
    try {
        GetParam().write();
        FAIL() << "written";
    } catch (const ConversionError& e) {
        EXPECT_NE(std::string(e.what()).find(GetParam().message), std::string::npos) << e.what();
    }
}

Sounding SeveralFrames()
{
    Sounding s = ParseSounding(HandFile("minimal-impedance.xml"), "m.xml");
    s.tensor[1].rotationDeg = 5.0;
    return s;
}

Sounding DetOnly()
{
    Sounding s;
    s.kind = DataKind::kRhoPhase;
    s.rhoPhase.resize(1);
    s.rhoPhase[0].frequencyHz = 1.0;
    s.rhoPhase[0][Mode::kDet].rhoOhmM = 100.0;
    return s;
}

INSTANTIATE_TEST_SUITE_P(
    Writers, WhatTheTargetCannotHold,
    testing::Values(
        Refusal{"rho-phase to XML", [] { return WriteEmtfXml(ParseEdi(sounding_test::kRhoPhaseEdi, "r.edi", "r")); },
                "only apparent resistivity and phase"},
        Refusal{"several frames to XML", [] { return WriteEmtfXml(SeveralFrames()); }, "--rotate"},
        Refusal{"det values to EDI", [] { return WriteEdi(DetOnly()); }, "det values at 1 frequencies"},
        Refusal{"nothing to EDI", [] { return WriteEdi(Sounding{}); }, "no rows"},
        Refusal{"nothing to XML", [] { return WriteEmtfXml(Sounding{}); }, "nothing to write"}));

TEST(Writers, TargetFormatComesFromTheExtension)
{
    EXPECT_EQ(TargetFormatForPath("out/site.EDI"), TargetFormat::kEdi);
    EXPECT_EQ(TargetFormatForPath("site.xml"), TargetFormat::kEmtfXml);
    EXPECT_EQ(TargetFormatForPath("site.j"), std::nullopt);
    EXPECT_EQ(TargetFormatForPath("edi"), std::nullopt);
}

}  // namespace
