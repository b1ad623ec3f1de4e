#include "sounding/EdiMtSection.h"

#include "sounding/EdiData.h"
#include "sounding/Limits.h"
#include "sounding/ReadError.h"
#include "sounding/TextScan.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <numbers>

namespace mt1d::sounding {
namespace {

constexpr std::array<const char*, 4> kComponentNames = {"XX", "XY", "YX", "YY"};
constexpr std::array<const char*, 4> kElementNames = {"Zxx", "Zxy", "Zyx", "Zyy"};

bool IsSectionName(const std::string& name)
{
    return name == "HEAD" || name == "INFO" || name == "DEFINEMEAS" || name == "MTSECT" ||
           name == "SPECTRASECT";
}

bool IsUsedName(const std::string& n)
{
    if (n == "FREQ" || n == "ZROT" || n == "RHOROT") return true;
    for (const char* c : kComponentNames) {
        const std::string cc = c;
        if (n == "Z" + cc + "R" || n == "Z" + cc + "I" || n == "Z" + cc + ".VAR") return true;
    }
    for (const char* c : {"XY", "YX"}) {
        const std::string cc = c;
        if (n == "RHO" + cc || n == "RHO" + cc + ".ERR" || n == "PHS" + cc || n == "PHS" + cc + ".ERR") return true;
    }
    return false;
}

// Reads the used blocks of a section and checks their counts against N.
class SectionReader {
public:
    SectionReader(const EdiLexed& lexed, std::size_t section, const EdiHeader& header, const std::string& file,
                  std::vector<std::string>& notes)
        : section_(lexed.blocks[section]), header_(header), file_(file), notes_(notes)
    {
        for (const EdiBlock* b : SectionBlocks(lexed, section)) {
            if (!IsUsedName(b->name)) continue;
            const auto [it, fresh] = blocks_.emplace(b->name, b);
            if (!fresh)
                throw ReadError(file, b->line, ReadProblem::kDuplicate,
                                "second >" + b->name + " block; the first is at line " + std::to_string(it->second->line));
        }
    }

    const EdiBlock* Find(const std::string& name) const
    {
        const auto it = blocks_.find(name);
        return it == blocks_.end() ? nullptr : it->second;
    }

    // The frequencies, which fix N.
    std::vector<double> Frequencies()
    {
        const EdiBlock* freq = Find("FREQ");
        if (!freq)
            throw ReadError(file_, section_.line, ReadProblem::kMissingPart, "expected a >FREQ block in the >=MTSECT section");
        auto v = ReadBlockValues(*freq, header_.emptyValue, kMaxFrequencies, file_);
        n_ = v.values.size();
        if (n_ == 0) throw ReadError(file_, freq->line, ReadProblem::kMissingPart, "block >FREQ holds no frequencies");
        CheckBlockCount(*freq, n_, n_, "", file_, notes_);
        CheckNfreq(*freq);
        Tally(v);
        return std::move(v.values);
    }

    // The values of a block that must hold one value per frequency; empty without the block.
    std::vector<double> Values(const EdiBlock* block)
    {
        if (!block) return {};
        auto v = ReadBlockValues(*block, header_.emptyValue, kMaxFrequencies, file_);
        CheckBlockCount(*block, v.values.size(), n_, "the >FREQ block has " + std::to_string(n_), file_, notes_);
        Tally(v);
        return std::move(v.values);
    }

    // The values of a block read only as evidence (the phase errors beside impedances): empty
    // without the block or when it is broken or holds another number of values, since a
    // block the reader does not use must not make the file refused. Not counted in the notes.
    std::vector<double> EvidenceValues(const EdiBlock* block) const
    {
        if (!block) return {};
        try {
            auto v = ReadBlockValues(*block, header_.emptyValue, kMaxFrequencies, file_);
            if (v.values.size() != n_) return {};
            return std::move(v.values);
        } catch (const ReadError&) {
            return {};
        }
    }

    std::size_t Count() const { return n_; }
    std::size_t Missing() const { return missing_; }
    std::size_t Malformed() const { return malformed_; }

private:
    void CheckNfreq(const EdiBlock& freq)
    {
        LineCursor lines(section_.body);
        std::string_view line;
        while (lines.Next(line)) {
            for (const auto& [key, value] : ParseEdiKeyLine(line)) {
                if (key != "NFREQ") continue;
                const auto nfreq = ParseCount(Trim(value));
                if (!nfreq) continue;
                const auto declared = static_cast<std::size_t>(*nfreq);
                if (declared > n_)
                    throw ReadError(file_, freq.line, ReadProblem::kWrongCount,
                                    "block >FREQ holds " + std::to_string(n_) + " frequencies but the section says NFREQ=" +
                                        std::to_string(declared) + "; the file looks cut short");
                if (declared < n_)
                    notes_.push_back("the section says NFREQ=" + std::to_string(declared) + " but >FREQ holds " +
                                     std::to_string(n_) + " frequencies; all were read");
                return;
            }
        }
    }

    void Tally(const BlockValues& v)
    {
        missing_ += v.missing;
        malformed_ += v.malformed;
    }

    const EdiBlock& section_;
    const EdiHeader& header_;
    const std::string& file_;
    std::vector<std::string>& notes_;
    std::map<std::string, const EdiBlock*> blocks_;
    std::size_t n_ = 0;
    std::size_t missing_ = 0;
    std::size_t malformed_ = 0;
};

// The frame of a group of blocks: ROT=<angle> on any of them (all must agree), else the
// per-frequency angles of the rotation block, else 0.
std::vector<double> Rotation(SectionReader& reader, const std::vector<const EdiBlock*>& blocks, const char* rotBlock,
                             const std::string& file, std::vector<std::string>& notes)
{
    std::optional<double> angle;
    const EdiBlock* angleFrom = nullptr;
    bool refersToBlock = false;
    for (const EdiBlock* b : blocks) {
        const auto options = ParseEdiOptions(b->marker);
        const std::string* rot = FindOption(options, "ROT");
        if (!rot) continue;
        const auto v = ParseNumber(Trim(*rot));
        if (!v) {
            refersToBlock = refersToBlock || EqualsIgnoreCase(Trim(*rot), rotBlock);
            continue;
        }
        if (!std::isfinite(*v)) throw ReadError(file, b->line, ReadProblem::kBadValue, "ROT= of block >" + b->name + " is not an angle");
        if (angle && *angle != *v)
            throw ReadError(file, b->line, ReadProblem::kBadValue,
                            "block >" + b->name + " is rotated by ROT=" + FormatNumber(*v) + " but block >" +
                                angleFrom->name + " (line " + std::to_string(angleFrom->line) + ") by ROT=" +
                                FormatNumber(*angle) + "; one frame per file is expected");
        angle = *v;
        angleFrom = b;
    }
    const std::size_t n = reader.Count();
    const EdiBlock* rb = reader.Find(rotBlock);
    if (angle) {
        if (refersToBlock && rb) {
            for (const double a : reader.Values(rb)) {
                if (std::isfinite(a) && a != *angle)
                    throw ReadError(file, angleFrom->line, ReadProblem::kBadValue,
                                    "block >" + angleFrom->name + " is rotated by ROT=" + FormatNumber(*angle) +
                                        " but other blocks refer to >" + rotBlock + ", which gives " +
                                        FormatNumber(a) + "; one frame per file is expected");
            }
        }
        return std::vector<double>(n, *angle);
    }
    if (!rb) {
        if (refersToBlock)
            notes.push_back(std::string("blocks refer to ROT=") + rotBlock + " but there is no >" + rotBlock +
                            " block; taken as unrotated");
        return std::vector<double>(n, 0.0);
    }
    auto angles = reader.Values(rb);
    std::size_t unknown = 0;
    for (double& a : angles) {
        if (!std::isfinite(a)) {
            a = 0.0;
            ++unknown;
        }
    }
    if (unknown > 0)
        notes.push_back(std::to_string(unknown) + " rotation angles in >" + rotBlock + " missing; taken as 0");
    return angles;
}

// The ratio of a stored phase error to atan(sqrt(VAR)/|Z|) in degrees, the error a writer
// reading VAR as the variance of each part would store: 1 for that reading, 1/√2 for the
// variance of the complex value.
constexpr double kComplexRatio = 0.70710678118654752;
constexpr double kPartRatio = 1.0;
// How close the median ratio must come to either: WinGLink's blocks give 0.7071 to four
// digits at nearly every frequency, and only where the error is a large part of |Z| does its
// arctangent drift from a first-order error (up to 0.80 in the test data); a median within
// 5 % is unmistakable.
constexpr double kRatioTolerance = 0.05;

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 == 1 ? v[n / 2] : 0.5 * (v[n / 2 - 1] + v[n / 2]);
}

std::string ConventionPhrase(VarianceConvention c)
{
    return c == VarianceConvention::kComplex ? "the variance of the complex impedance (each part sqrt(VAR/2))"
                                             : "the variance of each part of the impedance (sqrt(VAR))";
}

// What the PHS*.ERR blocks beside the impedances say about the reading of .VAR.
struct VarianceEvidence {
    std::size_t count = 0;  // phase errors compared
    double medianRatio = 0.0;
    std::optional<VarianceConvention> shown;  // empty: no blocks, or they match neither reading
};

VarianceEvidence PhaseErrorEvidence(const SectionReader& reader, const std::vector<TensorRow>& rows)
{
    std::vector<double> ratios;
    for (const auto& [name, c] : {std::pair{"PHSXY.ERR", Component::kXy}, std::pair{"PHSYX.ERR", Component::kYx}}) {
        const auto errors = reader.EvidenceValues(reader.Find(name));
        for (std::size_t k = 0; k < errors.size() && k < rows.size(); ++k) {
            const ImpedanceElement& e = rows[k][c];
            if (!e.value || !e.variance || !std::isfinite(errors[k]) || !(errors[k] > 0.0)) continue;
            const double magnitude = std::abs(*e.value);
            const double partDeg = std::atan(std::sqrt(*e.variance) / magnitude) * 180.0 / std::numbers::pi;
            if (std::isfinite(partDeg) && partDeg > 0.0) ratios.push_back(errors[k] / partDeg);
        }
    }
    VarianceEvidence evidence;
    evidence.count = ratios.size();
    if (ratios.empty()) return evidence;
    evidence.medianRatio = Median(ratios);
    if (std::abs(evidence.medianRatio / kComplexRatio - 1.0) <= kRatioTolerance)
        evidence.shown = VarianceConvention::kComplex;
    else if (std::abs(evidence.medianRatio / kPartRatio - 1.0) <= kRatioTolerance)
        evidence.shown = VarianceConvention::kPart;
    return evidence;
}

// Decides the reading of .VAR and says so in the notes.
VarianceConvention ChooseVarianceConvention(const VarianceEvidence& evidence,
                                            std::optional<VarianceConvention> forced, std::vector<std::string>& notes)
{
    const std::string ratio = "median ratio " + FormatNumber(evidence.medianRatio, 4) +
                              " of PHS*.ERR to atan(sqrt(VAR)/|Z|) over " + std::to_string(evidence.count) +
                              " phase errors; 0.7071 means the complex value, 1 each part";
    if (forced) {
        std::string note = "Z.VAR read as " + ConventionPhrase(*forced) + ", as asked";
        if (evidence.shown && *evidence.shown != *forced)
            note += "; the file's own phase errors show the other reading (" + ratio + ")";
        notes.push_back(note);
        return *forced;
    }
    if (evidence.shown) {
        notes.push_back("Z.VAR read as " + ConventionPhrase(*evidence.shown) +
                        ", the reading the file's own phase errors show (" + ratio + ")");
        return *evidence.shown;
    }
    if (evidence.count > 0) {
        notes.push_back("the file's phase errors match neither reading of Z.VAR (" + ratio + "); read as " +
                        ConventionPhrase(kDefaultVarianceConvention) + ", the default");
    } else {
        notes.push_back("Z.VAR read as " + ConventionPhrase(kDefaultVarianceConvention) +
                        ", the default; the file has no phase error blocks that tell");
    }
    return kDefaultVarianceConvention;
}

void ReadTensor(SectionReader& reader, const std::vector<double>& freq, const std::string& file,
                const ReadOptions& options, EdiSectionRows& out)
{
    const std::size_t n = freq.size();
    std::array<std::vector<double>, 4> re;
    std::array<std::vector<double>, 4> im;
    std::array<std::vector<double>, 4> var;
    std::vector<const EdiBlock*> zBlocks;
    std::string noVariance;
    bool anyVariance = false;
    for (std::size_t c = 0; c < 4; ++c) {
        const std::string base = std::string("Z") + kComponentNames[c];
        const EdiBlock* r = reader.Find(base + "R");
        const EdiBlock* i = reader.Find(base + "I");
        if (!r && !i) continue;
        // Values first: a block cut short or broken says so before its partner is missed.
        re[c] = reader.Values(r);
        im[c] = reader.Values(i);
        if (!r || !i) {
            const EdiBlock* present = r ? r : i;
            throw ReadError(file, present->line, ReadProblem::kMissingPart,
                            "block >" + present->name + " has no matching >" + base + (r ? "I" : "R") + " block");
        }
        zBlocks.push_back(r);
        zBlocks.push_back(i);
        if (const EdiBlock* v = reader.Find(base + ".VAR")) {
            var[c] = reader.Values(v);
            anyVariance = true;
        } else {
            noVariance += (noVariance.empty() ? "" : ", ") + std::string(kElementNames[c]);
        }
    }
    const auto rotation = Rotation(reader, zBlocks, "ZROT", file, out.notes);
    out.kind = DataKind::kImpedance;
    out.tensor.resize(n);
    for (std::size_t k = 0; k < n; ++k) {
        TensorRow& row = out.tensor[k];
        row.frequencyHz = freq[k];
        row.rotationDeg = rotation[k];
        for (std::size_t c = 0; c < 4; ++c) {
            if (re[c].empty()) continue;
            if (!std::isfinite(re[c][k]) || !std::isfinite(im[c][k])) continue;
            row.z[c].value = std::complex<double>(re[c][k], im[c][k]);
            if (!var[c].empty() && std::isfinite(var[c][k]) && var[c][k] > 0.0) row.z[c].variance = var[c][k];
        }
    }
    if (!noVariance.empty()) out.notes.push_back("the file gives no variances for " + noVariance);
    if (anyVariance) {
        out.varianceConvention =
            ChooseVarianceConvention(PhaseErrorEvidence(reader, out.tensor), options.varianceConvention, out.notes);
    } else if (options.varianceConvention) {
        out.notes.push_back("the file gives no impedance variances; the asked reading of Z.VAR does not apply");
    }
}

// What a file's RHO*.ERR values say about their unit. A phase error δφ (degrees) and the
// error of ρa from the same impedance error r are δφ ≈ r·180/π and δρa = 2·r·ρa, so
//     log10 ρa errors:  RHO.ERR/PHS.ERR ≈ (2/ln 10)·(π/180) = 0.01516
//     Ω·m errors:       RHO.ERR/PHS.ERR ≈ 2·(π/180)·ρa     = 0.0349·ρa
// Each pair votes for the reading its ratio lies closer to (on a log scale). Without phase
// errors, a log10 error above 1 (a factor of ten) is implausible for a datum in a file:
// many of them mean Ω·m.
constexpr double kLog10PairRatio = 2.0 / std::numbers::ln10 * std::numbers::pi / 180.0;
constexpr double kOhmPairRatioPerOhmM = 2.0 * std::numbers::pi / 180.0;
constexpr double kImplausibleLog10Error = 1.0;
constexpr double kImplausibleShare = 0.25;

struct RhoErrorVotes {
    std::size_t pairs = 0, forLog10 = 0, forOhm = 0;  // pairs with a phase error
    std::size_t errors = 0, aboveOneDecade = 0;       // every RHO*.ERR value
};

struct ModeBlocks {
    std::vector<double> rho, rhoErr, phs, phsErr;
};

bool Positive(const std::vector<double>& v, std::size_t k)
{
    return k < v.size() && std::isfinite(v[k]) && v[k] > 0.0;
}

void Tally(const ModeBlocks& m, RhoErrorVotes& votes)
{
    for (std::size_t k = 0; k < m.rhoErr.size(); ++k) {
        if (!Positive(m.rhoErr, k)) continue;
        ++votes.errors;
        if (m.rhoErr[k] > kImplausibleLog10Error) ++votes.aboveOneDecade;
        if (!Positive(m.rho, k) || !Positive(m.phsErr, k)) continue;
        const double q = m.rhoErr[k] / m.phsErr[k];
        const double toLog10 = std::abs(std::log(q / kLog10PairRatio));
        const double toOhm = std::abs(std::log(q / (kOhmPairRatioPerOhmM * m.rho[k])));
        ++votes.pairs;
        if (toLog10 <= toOhm) ++votes.forLog10;
        else ++votes.forOhm;
    }
}

std::string UnitPhrase(RhoErrorUnit unit)
{
    return unit == RhoErrorUnit::kLog10 ? "standard errors of log10 ρa (δρa = ρa·ln 10·σ)" : "standard errors of ρa in Ω·m";
}

// The unit the data show, with the reason.
std::pair<RhoErrorUnit, std::string> ShownRhoErrorUnit(const RhoErrorVotes& v)
{
    const std::string decades = std::to_string(v.aboveOneDecade) + " of " + std::to_string(v.errors) +
                                " would exceed one decade as log10 errors";
    if (v.pairs > 0) {
        const RhoErrorUnit unit = v.forOhm > v.forLog10 ? RhoErrorUnit::kOhmM : RhoErrorUnit::kLog10;
        const std::size_t agree = unit == RhoErrorUnit::kOhmM ? v.forOhm : v.forLog10;
        return {unit, std::to_string(agree) + " of " + std::to_string(v.pairs) +
                          " agree better with that reading than with the other when compared with PHS*.ERR; " + decades};
    }
    const bool implausible =
        static_cast<double>(v.aboveOneDecade) > kImplausibleShare * static_cast<double>(v.errors);
    return {implausible ? RhoErrorUnit::kOhmM : RhoErrorUnit::kLog10, "no phase errors to compare with; " + decades};
}

void ReadRhoPhase(SectionReader& reader, const std::vector<double>& freq, const std::string& file,
                  const ReadOptions& options, EdiSectionRows& out)
{
    const std::size_t n = freq.size();
    out.kind = DataKind::kRhoPhase;
    out.rhoPhase.resize(n);
    std::vector<const EdiBlock*> blocks;
    for (const char* c : {"XY", "YX"}) {
        for (const char* q : {"RHO", "PHS"})
            if (const EdiBlock* b = reader.Find(std::string(q) + c)) blocks.push_back(b);
    }
    const auto rotation = Rotation(reader, blocks, "RHOROT", file, out.notes);
    for (std::size_t k = 0; k < n; ++k) {
        out.rhoPhase[k].frequencyHz = freq[k];
        out.rhoPhase[k].rotationDeg = rotation[k];
    }
    std::array<ModeBlocks, 2> modes;
    RhoErrorVotes votes;
    for (std::size_t m = 0; m < 2; ++m) {
        const std::string cc = m == 0 ? "XY" : "YX";
        modes[m].rho = reader.Values(reader.Find("RHO" + cc));
        modes[m].rhoErr = reader.Values(reader.Find("RHO" + cc + ".ERR"));
        modes[m].phs = reader.Values(reader.Find("PHS" + cc));
        modes[m].phsErr = reader.Values(reader.Find("PHS" + cc + ".ERR"));
        Tally(modes[m], votes);
    }
    RhoErrorUnit unit = RhoErrorUnit::kLog10;
    if (votes.errors > 0) {
        const auto [shown, why] = ShownRhoErrorUnit(votes);
        unit = options.rhoErrorUnit.value_or(shown);
        std::string note = "RHO*.ERR read as " + UnitPhrase(unit);
        if (!options.rhoErrorUnit) note += ": " + why;
        else if (shown == unit) note += ", as asked";
        else note += ", as asked, although the data suggest " + std::string(RhoErrorUnitName(shown)) + " (" + why + ")";
        out.notes.push_back(note);
    } else if (options.rhoErrorUnit) {
        out.notes.push_back("the file gives no RHO*.ERR values; the asked unit does not apply");
    }
    for (std::size_t m = 0; m < 2; ++m) {
        const ModeBlocks& b = modes[m];
        const Mode mode = m == 0 ? Mode::kXy : Mode::kYx;
        for (std::size_t k = 0; k < n; ++k) {
            RhoPhaseValue& v = out.rhoPhase[k][mode];
            if (!b.rho.empty() && std::isfinite(b.rho[k])) {
                v.rhoOhmM = b.rho[k];
                if (Positive(b.rhoErr, k))
                    v.rhoErrOhmM = unit == RhoErrorUnit::kLog10 ? b.rho[k] * std::numbers::ln10 * b.rhoErr[k] : b.rhoErr[k];
            }
            if (!b.phs.empty() && std::isfinite(b.phs[k])) {
                v.phaseDeg = b.phs[k];
                if (Positive(b.phsErr, k)) v.phaseErrDeg = b.phsErr[k];
            }
        }
    }
}

}  // namespace

std::vector<const EdiBlock*> SectionBlocks(const EdiLexed& lexed, std::size_t section)
{
    std::vector<const EdiBlock*> blocks;
    for (std::size_t i = section + 1; i < lexed.blocks.size(); ++i) {
        const EdiBlock& b = lexed.blocks[i];
        if (IsSectionName(b.name) || b.name == "END") break;
        blocks.push_back(&b);
    }
    return blocks;
}

EdiSectionRows ReadEdiMtSection(const EdiLexed& lexed, std::size_t section, const EdiHeader& header,
                                const std::string& file, const ReadOptions& options)
{
    EdiSectionRows out;
    SectionReader reader(lexed, section, header, file, out.notes);
    const auto freq = reader.Frequencies();

    bool hasZ = false;
    bool hasRho = false;
    for (const char* c : kComponentNames) {
        const std::string base = std::string("Z") + c;
        hasZ = hasZ || reader.Find(base + "R") || reader.Find(base + "I");
    }
    for (const char* c : {"RHOXY", "RHOYX", "PHSXY", "PHSYX"}) hasRho = hasRho || reader.Find(c);

    if (hasZ) {
        ReadTensor(reader, freq, file, options, out);
        if (hasRho) out.notes.push_back("apparent resistivity and phase blocks ignored; the curves come from the impedances");
    } else if (hasRho) {
        ReadRhoPhase(reader, freq, file, options, out);
    } else {
        throw ReadError(file, lexed.blocks[section].line, ReadProblem::kMissingPart,
                        "expected impedance blocks (>ZXYR …) or apparent resistivity and phase blocks (>RHOXY …) "
                        "in the >=MTSECT section");
    }
    if (reader.Missing() > 0)
        out.notes.push_back(std::to_string(reader.Missing()) + " values marked missing in the blocks read");
    if (reader.Malformed() > 0)
        out.notes.push_back(std::to_string(reader.Malformed()) +
                            " values that are not numbers (such as '******') read as missing");
    return out;
}

}  // namespace mt1d::sounding
