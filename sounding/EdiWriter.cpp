#include "sounding/EdiWriter.h"

#include "sounding/EmtfXmlFields.h"
#include "sounding/Modes.h"
#include "sounding/TextScan.h"

#include <algorithm>
#include <cmath>
#include <functional>

namespace mt1d::sounding {
namespace {

constexpr const char* kEmpty = "1.0E32";
constexpr std::size_t kValuesPerLine = 6;
constexpr std::array<const char*, 4> kElementNames = {"XX", "XY", "YX", "YY"};

std::string Number(std::optional<double> v)
{
    if (!v || !Writable(*v)) return kEmpty;
    return ExactNumber(*v);
}

// Keys stay plain words; anything else becomes '_'.
std::string CleanKey(std::string_view key)
{
    std::string out;
    for (const char c : key) {
        const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' ||
                           c == '_' || c == ':' || c == '-';
        out.push_back(plain ? c : '_');
    }
    return ToUpper(out);
}

class EdiText {
public:
    explicit EdiText(std::vector<std::string>& notes) : notes_(notes) {}

    void Line(const std::string& text) { out_ += text + "\n"; }

    // Text taken from the sounding, with control characters made visible.
    std::string Text(std::string_view text) { return PrintableText(text, controlCharacters_); }

    void Field(std::string_view key, std::string_view value)
    {
        std::string v = Text(value);
        if (v.find('"') != std::string::npos) {
            std::replace(v.begin(), v.end(), '"', '\'');
            notes_.push_back("a '\"' in " + std::string(key) + " written as '\\''");
        }
        Line("    " + CleanKey(key) + "=\"" + v + "\"");
    }

    void Block(const std::string& marker, const std::vector<std::optional<double>>& values)
    {
        Line(">" + marker + " // " + std::to_string(values.size()));
        std::string line;
        for (std::size_t i = 0; i < values.size(); ++i) {
            line += (line.empty() ? "  " : "  ") + Number(values[i]);
            if ((i + 1) % kValuesPerLine == 0 || i + 1 == values.size()) {
                Line(line);
                line.clear();
            }
        }
        Line("");
    }

    std::string Take()
    {
        if (controlCharacters_) notes_.push_back("control characters in the site's text written as '?'");
        return std::move(out_);
    }

private:
    std::string out_;
    std::vector<std::string>& notes_;
    bool controlCharacters_ = false;
};

bool IsFileKey(std::string_view key)
{
    return std::any_of(kEdiFileKeys.begin(), kEdiFileKeys.end(), [&](std::string_view k) { return EqualsIgnoreCase(k, key); });
}

void WriteHead(EdiText& out, const Sounding& s)
{
    out.Line(">HEAD");
    out.Field("DATAID", s.site.name);
    for (const auto& [key, value] : s.site.header) {
        if (EqualsIgnoreCase(key, "DATAID") || IsFileKey(key) || CleanKey(key).empty()) continue;
        out.Field(key, value);
    }
    const Location& loc = s.site.location;
    if (loc.latitudeDeg) out.Line("    LAT=" + ExactNumber(*loc.latitudeDeg));
    if (loc.longitudeDeg) out.Line("    LONG=" + ExactNumber(*loc.longitudeDeg));
    if (loc.elevationM) out.Line("    ELEV=" + ExactNumber(*loc.elevationM));
    out.Line("    STDVERS=\"SEG 1.0\"");
    out.Line("    PROGVERS=\"mt1d\"");
    out.Line(std::string("    EMPTY=") + kEmpty);
    out.Line("");
    out.Line(">INFO MAXINFO=" + std::to_string(std::max<std::size_t>(s.site.info.size(), 1)));
    for (const auto& text : s.site.info) {
        const std::string line = out.Text(text);
        const auto first = line.find_first_not_of(" \t");
        if (first != std::string::npos && line[first] == '>')
            out.Line(line.substr(0, first) + "\xE2\x80\xBA" + line.substr(first + 1));
        else
            out.Line(line);
    }
    out.Line("");
}

void WriteChannels(EdiText& out, const Sounding& s, bool tipper)
{
    const Location& loc = s.site.location;
    const double frame = s.RowCount() > 0 ? (s.kind == DataKind::kImpedance ? s.tensor[0].rotationDeg : s.rhoPhase[0].rotationDeg) : 0.0;
    out.Line(">=DEFINEMEAS");
    out.Line(std::string("    MAXCHAN=") + (tipper ? "5" : "4"));
    out.Line("    MAXRUN=999");
    out.Line("    MAXMEAS=9999");
    out.Line("    UNITS=M");
    out.Line("    REFTYPE=CART");
    if (loc.latitudeDeg) out.Line("    REFLAT=" + ExactNumber(*loc.latitudeDeg));
    if (loc.longitudeDeg) out.Line("    REFLONG=" + ExactNumber(*loc.longitudeDeg));
    if (loc.elevationM) out.Line("    REFELEV=" + ExactNumber(*loc.elevationM));
    out.Line("");
    const std::string x = ExactNumber(frame);
    const std::string y = ExactNumber(frame + 90.0);
    out.Line(">HMEAS ID=1001.001 CHTYPE=HX X=0.0 Y=0.0 Z=0.0 AZM=" + x);
    out.Line(">HMEAS ID=1002.001 CHTYPE=HY X=0.0 Y=0.0 Z=0.0 AZM=" + y);
    if (tipper) out.Line(">HMEAS ID=1003.001 CHTYPE=HZ X=0.0 Y=0.0 Z=0.0 AZM=0.0");
    out.Line(">EMEAS ID=1004.001 CHTYPE=EX X=0.0 Y=0.0 Z=0.0 X2=0.0 Y2=0.0 Z2=0.0 AZM=" + x);
    out.Line(">EMEAS ID=1005.001 CHTYPE=EY X=0.0 Y=0.0 Z=0.0 X2=0.0 Y2=0.0 Z2=0.0 AZM=" + y);
    out.Line("");
    out.Line(">=MTSECT");
    out.Field("SECTID", s.site.name);
    out.Line("    NFREQ=" + std::to_string(s.RowCount()));
    out.Line("    HX=1001.001");
    out.Line("    HY=1002.001");
    if (tipper) out.Line("    HZ=1003.001");
    out.Line("    EX=1004.001");
    out.Line("    EY=1005.001");
    out.Line("");
}

template <typename Row>
std::vector<std::optional<double>> Column(const std::vector<Row>& rows, const std::function<std::optional<double>(const Row&)>& get)
{
    std::vector<std::optional<double>> out;
    out.reserve(rows.size());
    for (const Row& r : rows) out.push_back(get(r));
    return out;
}

bool AnyValue(const std::vector<std::optional<double>>& v)
{
    return std::any_of(v.begin(), v.end(), [](const auto& x) { return x && Writable(*x); });
}

void WriteTensor(EdiText& out, const Sounding& s)
{
    using R = TensorRow;
    const auto& rows = s.tensor;
    out.Line(">!****FREQUENCIES****!");
    out.Block("FREQ ORDER=DEC", Column<R>(rows, [](const R& r) -> std::optional<double> { return r.frequencyHz; }));
    out.Line(">!****IMPEDANCE ROTATION ANGLES****!");
    out.Block("ZROT", Column<R>(rows, [](const R& r) -> std::optional<double> { return r.rotationDeg; }));
    out.Line(">!****IMPEDANCES****!");
    for (std::size_t c = 0; c < 4; ++c) {
        // An element is written whole or not at all: both parts, or the missing mark in both.
        const auto re = Column<R>(rows, [c](const R& r) -> std::optional<double> {
            return Writable(r.z[c].value) ? std::optional<double>(r.z[c].value->real()) : std::nullopt;
        });
        if (!AnyValue(re)) continue;
        const auto im = Column<R>(rows, [c](const R& r) -> std::optional<double> {
            return Writable(r.z[c].value) ? std::optional<double>(r.z[c].value->imag()) : std::nullopt;
        });
        const auto var = Column<R>(rows, [c](const R& r) { return Writable(r.z[c].value) ? r.z[c].variance : std::nullopt; });
        const std::string name = std::string("Z") + kElementNames[c];
        out.Block(name + "R ROT=ZROT", re);
        out.Block(name + "I ROT=ZROT", im);
        if (AnyValue(var)) out.Block(name + ".VAR ROT=ZROT", var);
    }
    bool tipperWritten = false;
    for (std::size_t c = 0; c < 2; ++c) {
        const auto re = Column<R>(rows, [c](const R& r) -> std::optional<double> {
            return Writable(r.tipper[c].value) ? std::optional<double>(r.tipper[c].value->real()) : std::nullopt;
        });
        if (!AnyValue(re)) continue;
        if (!tipperWritten) {
            out.Line(">!****TIPPER****!");
            out.Block("TROT", Column<R>(rows, [](const R& r) -> std::optional<double> { return r.rotationDeg; }));
            tipperWritten = true;
        }
        const auto im = Column<R>(rows, [c](const R& r) -> std::optional<double> {
            return Writable(r.tipper[c].value) ? std::optional<double>(r.tipper[c].value->imag()) : std::nullopt;
        });
        const auto var = Column<R>(rows, [c](const R& r) { return Writable(r.tipper[c].value) ? r.tipper[c].variance : std::nullopt; });
        const std::string name = c == 0 ? "TX" : "TY";
        out.Block(name + "R.EXP ROT=TROT", re);
        out.Block(name + "I.EXP ROT=TROT", im);
        if (AnyValue(var)) out.Block(name + "VAR.EXP ROT=TROT", var);
    }
}

void WriteRhoPhase(EdiText& out, const Sounding& s)
{
    using R = RhoPhaseRow;
    const auto& rows = s.rhoPhase;
    out.Line(">!****FREQUENCIES****!");
    out.Block("FREQ ORDER=DEC", Column<R>(rows, [](const R& r) -> std::optional<double> { return r.frequencyHz; }));
    out.Line(">!****APPARENT RESISTIVITIES AND PHASES****!");
    out.Block("RHOROT", Column<R>(rows, [](const R& r) -> std::optional<double> { return r.rotationDeg; }));
    // The yx phase goes back near −135° unless the file it came from held it in the first
    // quadrant: what Normalize.h does on reading, undone.
    const double yxShift = s.yxPhaseStoredFirstQuadrant ? 0.0 : -180.0;
    for (const auto& [name, mode] : {std::pair{"XY", Mode::kXy}, std::pair{"YX", Mode::kYx}}) {
        const std::size_t m = static_cast<std::size_t>(mode);
        const double shift = mode == Mode::kYx ? yxShift : 0.0;
        const auto rho = Column<R>(rows, [m](const R& r) { return r.byMode[m].rhoOhmM; });
        const auto phs = Column<R>(rows, [m, shift](const R& r) -> std::optional<double> {
            return r.byMode[m].phaseDeg ? std::optional<double>(*r.byMode[m].phaseDeg + shift) : std::nullopt;
        });
        if (!AnyValue(rho) && !AnyValue(phs)) continue;
        // RHO*.ERR: the error of log10 ρa, σ = δρa/(ρa·ln 10).
        const auto rhoErr = Column<R>(rows, [m](const R& r) -> std::optional<double> {
            const auto& v = r.byMode[m];
            if (!v.rhoOhmM || !v.rhoErrOhmM || *v.rhoOhmM <= 0.0) return std::nullopt;
            return *v.rhoErrOhmM / (*v.rhoOhmM * std::log(10.0));
        });
        const auto phsErr = Column<R>(rows, [m](const R& r) { return r.byMode[m].phaseErrDeg; });
        out.Block(std::string("RHO") + name + " ROT=RHOROT", rho);
        if (AnyValue(rhoErr)) out.Block(std::string("RHO") + name + ".ERR ROT=RHOROT", rhoErr);
        out.Block(std::string("PHS") + name + " ROT=RHOROT", phs);
        if (AnyValue(phsErr)) out.Block(std::string("PHS") + name + ".ERR ROT=RHOROT", phsErr);
    }
}

}  // namespace

WrittenText WriteEdi(const Sounding& s)
{
    if (s.RowCount() == 0) throw ConversionError("the sounding has no rows; there is nothing to write");
    WrittenText result;
    if (s.kind == DataKind::kRhoPhase) {
        for (const Mode m : {Mode::kDet, Mode::kBerd}) {
            const auto n = std::count_if(s.rhoPhase.begin(), s.rhoPhase.end(), [m](const RhoPhaseRow& r) { return !r[m].Empty(); });
            if (n > 0)
                throw ConversionError("EDI holds apparent resistivity and phase of the xy and yx modes only; this sounding has " +
                                      std::string(ModeName(m)) + " values at " + std::to_string(n) + " frequencies");
        }
    }
    const bool anyValue =
        s.kind == DataKind::kImpedance
            ? std::any_of(s.tensor.begin(), s.tensor.end(),
                          [](const TensorRow& r) {
                              return std::any_of(r.z.begin(), r.z.end(), [](const ImpedanceElement& e) { return Writable(e.value); });
                          })
            : std::any_of(s.rhoPhase.begin(), s.rhoPhase.end(),
                          [](const RhoPhaseRow& r) {
                              return std::any_of(r.byMode.begin(), r.byMode.begin() + 2, [](const RhoPhaseValue& v) {
                                  return (v.rhoOhmM && Writable(*v.rhoOhmM)) || (v.phaseDeg && Writable(*v.phaseDeg));
                              });
                          });
    if (!anyValue) throw ConversionError("the sounding holds no value; there is nothing to write");
    const bool tipper = s.kind == DataKind::kImpedance &&
                        std::any_of(s.tensor.begin(), s.tensor.end(), [](const TensorRow& r) {
                            return Writable(r.tipper[0].value) || Writable(r.tipper[1].value);
                        });
    EdiText out(result.notes);
    WriteHead(out, s);
    WriteChannels(out, s, tipper);
    if (s.kind == DataKind::kImpedance) WriteTensor(out, s);
    else WriteRhoPhase(out, s);
    out.Line(">END");
    result.text = out.Take();
    return result;
}

}  // namespace mt1d::sounding
