// The EMTF XML reader on hand-written files: a 100 Ω·m half-space in field units
// (minimal-impedance.xml) and the same earth in ohms with the e^{−iωt} convention
// (ohm-minus-convention.xml), and variants of them.

#include "sounding/CurveDerivation.h"
#include "sounding/EmtfXmlReader.h"
#include "sounding/ImpedanceMath.h"
#include "sounding/ReadError.h"
#include "sounding/SoundingFile.h"
#include "tests/sounding/HandFiles.h"
#include "tests/sounding/SyntheticEdi.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using namespace mt1d::sounding;
using sounding_test::HandFile;
using sounding_test::LineOf;
using sounding_test::Replace;
using sounding_test::ReplaceAll;
using C = Component;

// The files hold 17 significant digits: ρa = 0.2·|Z|²/f is then exact to a few 1e-15; the
// ohm file's factor 10⁴/4π adds a few more roundings.
constexpr double kRel = 1e-12;

Sounding Read(const std::string& text, const std::string& name = "site.xml")
{
    EXPECT_FALSE(text.empty()) << "a replacement pattern no longer matches the hand-written file";
    return ParseEmtfXml(text, name, "default");
}

const std::string& Minimal()
{
    static const std::string text = HandFile("minimal-impedance.xml");
    return text;
}

void ExpectHalfSpace(const Sounding& s, const std::vector<double>& freqs)
{
    ASSERT_EQ(s.RowCount(), freqs.size());
    for (const Mode m : {Mode::kXy, Mode::kYx, Mode::kBerd}) {
        const Curve c = DeriveCurve(s, {m, 5.0});
        for (std::size_t i = 0; i < freqs.size(); ++i) {
            EXPECT_EQ(c.rows[i].frequencyHz, freqs[i]);
            ASSERT_TRUE(c.rows[i].usable) << i << c.rows[i].reason;
            EXPECT_NEAR(c.rows[i].rhoOhmM, 100.0, 100.0 * kRel) << i;
            EXPECT_NEAR(c.rows[i].phaseDeg, 45.0, 1e-9) << i;
        }
    }
}

TEST(EmtfXmlReader, HalfSpaceReadsSortedWithItsVariancesAndTipper)
{
    const Sounding s = Read(Minimal());
    EXPECT_EQ(s.format, SourceFormat::kEmtfXml);
    EXPECT_FALSE(s.conjugated);
    ExpectHalfSpace(s, {100.0, 1.0, 0.01});
    // Variances as written (|Z|²/200), moved with their rows.
    EXPECT_EQ(*s.tensor[0][C::kXy].variance, 250.0);
    EXPECT_EQ(*s.tensor[1][C::kYx].variance, 2.5);
    EXPECT_EQ(*s.tensor[2][C::kXx].variance, 0.025);
    // NaN is a missing value; its missing variance stays missing too.
    EXPECT_FALSE(s.tensor[0][C::kYy].value);
    EXPECT_TRUE(s.tensor[0][C::kXx].value);
    // The tipper of the 100 s period lands in the 0.01 Hz row.
    ASSERT_TRUE(s.tensor[2].tipper[0].value);
    EXPECT_EQ(*s.tensor[2].tipper[0].value, std::complex<double>(0.1, 0.05));
    EXPECT_EQ(*s.tensor[2].tipper[1].variance, 2e-4);
    EXPECT_FALSE(s.tensor[0].tipper[0].value);
}

TEST(EmtfXmlReader, SiteFieldsGoToTheHeaderUnderTheirEdiKeys)
{
    const Sounding s = Read(Minimal());
    EXPECT_EQ(s.site.name, "HS100");
    EXPECT_EQ(*s.site.location.latitudeDeg, -19.5);
    EXPECT_EQ(*s.site.location.longitudeDeg, 135.26);
    EXPECT_EQ(*s.site.location.elevationM, 250.5);
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"PRODUCTID", "TEST.HS100.2024"}, {"FILEDATE", "2024-05-01T12:00:00"}, {"FILEBY", "Test Writer"},
        {"PROJECT", "Tests"},             {"PROSPECT", "Half-space survey"},  {"COUNTRY", "Nowhere"},
        {"DATAID", "HS100"},              {"LOC", "Flat plain, \"north\" end"}, {"DATUM", "WGS84"},
        {"DECLINATION", "4.5"},           {"DECLINATIONEPOCH", "2024.0"},     {"ACQBY", "Nobody"},
        {"ACQDATE", "2024-04-01T00:00:00"}};
    EXPECT_EQ(s.site.header, expected);
    EXPECT_EQ(s.site.info, (std::vector<std::string>{"first line of notes", "second line"}));
}

TEST(EmtfXmlReader, OhmsAndTheMinusConventionBecomeFieldUnitsAndPlus)
{
    const Sounding s = Read(HandFile("ohm-minus-convention.xml"));
    EXPECT_TRUE(s.conjugated);
    // A factor applied the wrong way round would give ρa 4·10¹¹ times too small; a missing
    // conjugation a phase of −45°.
    ExpectHalfSpace(s, {100.0, 1.0});
    // var Zij = RESIDCOV_ii·INVSIGCOV_jj, in ohms², then times (10⁴/4π)².
    const double f2 = kFieldUnitsPerOhm * kFieldUnitsPerOhm;
    EXPECT_NEAR(*s.tensor[1][C::kXy].variance, 2e-3 * 3e-3 * f2, 6e-6 * f2 * kRel);
    EXPECT_NEAR(*s.tensor[1][C::kYx].variance, 4e-3 * 1e-3 * f2, 4e-6 * f2 * kRel);
    EXPECT_FALSE(s.tensor[0][C::kXy].variance);  // no covariances at that period
    // The site layout's Hx orientation is the frame; feet become metres; 200° east is −160°.
    EXPECT_EQ(s.tensor[0].rotationDeg, 30.0);
    EXPECT_NEAR(*s.site.location.elevationM, 304.8, 1e-9);
    EXPECT_EQ(*s.site.location.longitudeDeg, -160.0);
}

struct UnitCase {
    const char* units;
    double rhoFactor;  // ρa relative to the values read as (mV/km)/nT
};

class ImpedanceUnits : public testing::TestWithParam<UnitCase> {};

TEST_P(ImpedanceUnits, ScaleTheValuesByTheirFactorSquaredInRho)
{
    const std::string text = ReplaceAll(Minimal(), "units=\"[mV/km]/[nT]\"", std::string("units=\"") + GetParam().units + "\"");
    const Sounding s = Read(text);
    const Curve c = DeriveCurve(s, {Mode::kXy, 5.0});
    EXPECT_NEAR(c.rows[1].rhoOhmM / 100.0, GetParam().rhoFactor, GetParam().rhoFactor * kRel);
    EXPECT_NEAR(c.rows[1].phaseDeg, 45.0, 1e-9);
}

INSTANTIATE_TEST_SUITE_P(EmtfXmlReader, ImpedanceUnits,
                         testing::Values(UnitCase{"[mV/km]/[nT]", 1.0}, UnitCase{"mV/km/nT", 1.0},
                                         UnitCase{"[V/m]/[T]", 1e-6}, UnitCase{"m/s", 1e-6},
                                         UnitCase{"Ohm", kFieldUnitsPerOhm * kFieldUnitsPerOhm},
                                         UnitCase{"[V/m]/[A/m]", kFieldUnitsPerOhm * kFieldUnitsPerOhm}));

TEST(EmtfXmlReader, DeclaredMinusConventionWithPlusPhasesIsKeptAsWritten)
{
    const Sounding s = Read(Replace(Minimal(), "exp(+ i\\omega t)", "exp(- i\\omega t)"));
    EXPECT_FALSE(s.conjugated);
    ExpectHalfSpace(s, {100.0, 1.0, 0.01});
    EXPECT_NE(std::find_if(s.notes.begin(), s.notes.end(),
                           [](const std::string& n) { return n.find("declares e^{−iωt}") != std::string::npos; }),
              s.notes.end());
}

TEST(EmtfXmlReader, DeclaredMinusConventionIsHonouredWhereThePhasesCannotTell)
{
    // Zxy at −135° and Zyx at +45° under e^{−iωt}: no xy phase lies in (−90°, 0°), so only
    // the declaration says to conjugate (to +135° and −45°).
    std::string text = Replace(Minimal(), "exp(+ i\\omega t)", "exp(- i\\omega t)");
    for (const std::string v : {"1.5811388300841898", "15.811388300841896", "158.11388300841898"}) {
        text = Replace(text, "input=\"Hy\">" + v + " " + v, "input=\"Hy\">-" + v + " -" + v);
        text = Replace(text, "input=\"Hx\">-" + v + " -" + v, "input=\"Hx\">" + v + " " + v);
    }
    const Sounding s = Read(text);
    EXPECT_TRUE(s.conjugated);
    for (const auto& row : s.tensor) {
        EXPECT_NEAR(PhaseDegrees(*row[C::kXy].value), 135.0, 1e-9);
        EXPECT_NEAR(PhaseDegrees(*row[C::kYx].value), -45.0, 1e-9);
    }
}

TEST(EmtfXmlReader, CovarianceDiagonalStandsInForMissingVariances)
{
    const std::string cov = R"(<Z.COV type="complex" size="4 4">
        <value output="Zxx" input="Zxx">1.5 0</value>
        <value output="Zxx" input="Zxy">0.2 0.1</value>
        <value output="Zxy" input="Zxy">2.5 0</value>
        <value output="Zyx" input="Zyx">3.5 0</value>
        <value output="Zyy" input="Zyy">4.5 0</value>
      </Z.COV>)";
    const auto start = Minimal().find("<Z.VAR", Minimal().find("value=\"1\""));
    const auto end = Minimal().find("</Z.VAR>", start) + 8;
    std::string text = Minimal();
    text.replace(start, end - start, cov);
    const Sounding s = Read(text);
    EXPECT_EQ(*s.tensor[1][C::kXx].variance, 1.5);
    EXPECT_EQ(*s.tensor[1][C::kXy].variance, 2.5);  // not the 0.2 off the diagonal
    EXPECT_EQ(*s.tensor[1][C::kYx].variance, 3.5);
    EXPECT_EQ(*s.tensor[1][C::kYy].variance, 4.5);
}

TEST(EmtfXmlReader, OrientationAngleIsTheFrameOfEveryRow)
{
    const Sounding s = Read(Replace(Minimal(), "angle_to_geographic_north=\"0.0\"", "angle_to_geographic_north=\"-12.5\""));
    for (const auto& row : s.tensor) EXPECT_EQ(row.rotationDeg, -12.5);
}

TEST(EmtfXmlReader, IsRecognisedFromItsContent)
{
    EXPECT_EQ(DetectFormat(Minimal(), "a.txt"), FileFormat::kEmtfXml);
    EXPECT_EQ(ParseSounding(Minimal(), "folder/a.txt").format, SourceFormat::kEmtfXml);
    // Without <Site>/<Id> the site is named after the file.
    EXPECT_EQ(ParseSounding(Replace(Minimal(), "<Id>HS100</Id>", ""), "folder/b7.xml").site.name, "b7");
}

struct Broken {
    const char* what;
    std::string text;
    int line;
    std::string message;
};

void PrintTo(const Broken& b, std::ostream* os)
{
    *os << b.what;
}

class BrokenXml : public testing::TestWithParam<Broken> {};

TEST_P(BrokenXml, IsRefusedNamingLineAndPath)
{
    const Broken& b = GetParam();
    ASSERT_FALSE(b.text.empty()) << "stale replacement pattern";
    try {
        ParseEmtfXml(b.text, "site.xml", "site");
        FAIL() << "accepted";
    } catch (const ReadError& e) {
        EXPECT_EQ(e.File(), "site.xml");
        EXPECT_EQ(e.Line(), b.line) << e.what();
        EXPECT_NE(std::string(e.what()).find(b.message), std::string::npos) << e.what();
    }
}

std::vector<Broken> BrokenCases()
{
    const std::string& m = Minimal();
    const int secondZxy = LineOf(m, "15.811388300841896 15.811388300841896");
    return {
        {"cut short", m.substr(0, m.find("</Data>")), LineOf(m, "</EM_TF>") - 1, "not well-formed XML"},
        {"another root", ReplaceAll(m, "EM_TF>", "EM_TFX>"), LineOf(m, "<EM_TF>"), "the root element is <EM_TFX>"},
        {"no data", Replace(Replace(m, "<Data count=\"3\">", "<Dat>"), "</Data>", "</Dat>"), LineOf(m, "<EM_TF>"),
         "expected a <Data> element"},
        {"period without value", Replace(m, "<Period value=\"1\"", "<Period valeur=\"1\""), LineOf(m, "<Period value=\"1\""),
         "<EM_TF/Data/Period[2]>: expected a period"},
        {"one number for a complex value", Replace(m, "15.811388300841896 15.811388300841896", "15.81"), secondZxy,
         "<EM_TF/Data/Period[2]/Z/value[2]>: expected the real and imaginary parts"},
        {"three numbers", Replace(m, "15.811388300841896 15.811388300841896", "1 2 3"), secondZxy, "two numbers"},
        {"unknown element", Replace(m, "output=\"Ex\" input=\"Hy\">15", "output=\"Ez\" input=\"Hy\">15"), secondZxy,
         "expected an impedance element"},
        {"element twice", Replace(m, "name=\"Zyy\" output=\"Ey\" input=\"Hy\">0 0</value>\n      </Z>\n      <Z.VAR type=\"real\" size=\"2 2\">\n        <value name=\"Zxx\" output=\"Ex\" input=\"Hx\">2.5",
                                   "name=\"Zxy\" output=\"Ex\" input=\"Hy\">0 0</value>\n      </Z>\n      <Z.VAR type=\"real\" size=\"2 2\">\n        <value name=\"Zxx\" output=\"Ex\" input=\"Hx\">2.5"),
         secondZxy + 2, "appears twice"},
        {"unknown units", Replace(m, "units=\"[mV/km]/[nT]\"/>", "units=\"furlongs\"/>"), LineOf(m, "<DataType name=\"Z\""),
         "impedance units 'furlongs' not known"},
        {"unknown period units", Replace(m, "value=\"1\" units=\"secs\"", "value=\"1\" units=\"minutes\""),
         LineOf(m, "<Period value=\"1\""), "period units 'minutes'"},
        {"text for a variance", Replace(m, ">2.5<", ">high<"), LineOf(m, ">2.5<"), "expected one number, the variance"},
        {"no impedance", "<EM_TF>\n<Data>\n<Period value=\"1\">\n<T><value output=\"Hz\" input=\"Hx\">1 1</value></T>\n</Period>\n</Data>\n</EM_TF>",
         2, "expected impedances (<Z>)"},
        {"period twice", Replace(m, "<Period value=\"0.01\"", "<Period value=\"1.0\""), 0, "appears twice"},
    };
}

INSTANTIATE_TEST_SUITE_P(EmtfXmlReader, BrokenXml, testing::ValuesIn(BrokenCases()));

}  // namespace
