#include "sounding/OccamReader.h"

#include "sounding/ImpedanceErrors.h"
#include "sounding/ImpedanceMath.h"
#include "sounding/Limits.h"
#include "sounding/Normalize.h"
#include "sounding/ReadError.h"
#include "sounding/TextScan.h"

#include <array>
#include <cctype>
#include <cmath>
#include <numbers>

namespace mt1d::sounding {
namespace {

enum class Quantity { kRho, kLog10Rho, kPhase, kReal, kImag };

struct DataType {
    const char* name;
    int code;
    Mode mode;
    Quantity quantity;
};

constexpr std::array<DataType, 10> kTypes = {{
    {"RhoZxy", 103, Mode::kXy, Quantity::kRho},
    {"PhsZxy", 104, Mode::kXy, Quantity::kPhase},
    {"RhoZyx", 105, Mode::kYx, Quantity::kRho},
    {"PhsZyx", 106, Mode::kYx, Quantity::kPhase},
    {"RealZxy", 113, Mode::kXy, Quantity::kReal},
    {"ImagZxy", 114, Mode::kXy, Quantity::kImag},
    {"RealZyx", 115, Mode::kYx, Quantity::kReal},
    {"ImagZyx", 116, Mode::kYx, Quantity::kImag},
    {"log10RhoZxy", 123, Mode::kXy, Quantity::kLog10Rho},
    {"log10RhoZyx", 125, Mode::kYx, Quantity::kLog10Rho},
}};

const DataType* FindType(std::string_view token)
{
    const auto code = ParseCount(token);
    for (const auto& t : kTypes)
        if ((code && *code == t.code) || EqualsIgnoreCase(token, t.name)) return &t;
    return nullptr;
}

// One measured value with its error and the line it came from (0: none yet).
struct Entry {
    double value = 0.0;
    double error = 0.0;
    int line = 0;
};

// What the file gives for one mode at one frequency. ρa comes linear or as log10, never both.
struct Slots {
    Entry rho, phase, real, imag;
    bool rhoIsLog = false;
};

bool IsComment(std::string_view t)
{
    return !t.empty() && (t.front() == '!' || t.front() == '%');
}

// "# Frequencies: 30" → ("frequencies", 30). Empty key when the line is no such header.
std::pair<std::string, std::string_view> HeaderLine(std::string_view t)
{
    std::string_view body = t;
    if (!body.empty() && body.front() == '#') body.remove_prefix(1);
    const auto colon = body.find(':');
    if (colon == std::string_view::npos) return {};
    std::string key;
    for (const char c : Trim(body.substr(0, colon))) key.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
    return {key, Trim(body.substr(colon + 1))};
}

class OccamParser {
public:
    OccamParser(std::string_view bytes, const std::string& file) : lines_(bytes), file_(file) {}

    Sounding Parse(const std::string& defaultName)
    {
        ReadFormat();
        bool sawData = false;
        std::string_view line;
        while (NextLine(line)) {
            const auto [key, value] = HeaderLine(line);
            if (key == "transmitters" || key == "tx") {
                SkipLines(Count(value, "transmitters"));
            } else if (key == "frequencies" || key == "mt frequencies") {
                ReadFrequencies(Count(value, "frequencies"));
            } else if (key == "csem frequencies") {
                SkipNumbers(Count(value, "CSEM frequencies"));
                notes_.push_back("CSEM frequencies skipped: mt1d reads MT data");
            } else if (key == "receivers" || key == "mt receivers" || key == "rx") {
                const int n = Count(value, "receivers");
                if (n > 1)
                    Refuse(ReadProblem::kTooLarge, "the file holds " + std::to_string(n) + " receivers; mt1d reads one site per file");
                SkipLines(n);
            } else if (key == "data") {
                ReadData(Count(value, "data rows"));
                sawData = true;
                break;
            }
            // Other "key: value" lines (Phase Convention, UTM of origin, …) are not needed.
        }
        if (frequencies_.empty()) Refuse(ReadProblem::kMissingPart, "expected a '# Frequencies:' list", 0);
        if (!sawData) Refuse(ReadProblem::kMissingPart, "expected a '# Data:' section", 0);
        return Build(defaultName);
    }

private:
    [[noreturn]] void Refuse(ReadProblem kind, const std::string& what, int line = -1) const
    {
        throw ReadError(file_, line < 0 ? lines_.LineNumber() : line, kind, what);
    }

    // The next line that is neither blank nor a comment, trimmed. Comments may carry the
    // mode and the rotation angle.
    bool NextLine(std::string_view& out)
    {
        std::string_view line;
        while (lines_.Next(line)) {
            const std::string_view t = Trim(line);
            if (t.empty()) continue;
            if (IsComment(t)) {
                ReadCommentHint(t.substr(1));
                continue;
            }
            out = t;
            return true;
        }
        return false;
    }

    void ReadCommentHint(std::string_view t)
    {
        t = Trim(t);
        if (StartsWithIgnoreCase(t, "mode")) {
            const auto sep = t.find_first_of(":=");
            if (sep == std::string_view::npos) return;
            const std::string value = ToUpper(Trim(t.substr(sep + 1)));
            if (value.find("DET") != std::string::npos) determinant_ = true;
        } else if (StartsWithIgnoreCase(t, "rotation_angle")) {
            const auto sep = t.find_first_of(":=");
            if (sep == std::string_view::npos) return;
            if (const auto v = ParseNumber(Trim(t.substr(sep + 1))); v && std::isfinite(*v)) rotation_ = *v;
        }
    }

    void ReadFormat()
    {
        std::string_view line;
        if (!NextLine(line)) Refuse(ReadProblem::kMissingPart, "the file holds no data", 0);
        const auto [key, value] = HeaderLine(line);
        if (key != "format" || !StartsWithIgnoreCase(value, "EMData"))
            Refuse(ReadProblem::kNotSounding, "expected 'Format: EMData_1.1' on the first line");
    }

    int Count(std::string_view value, const char* what)
    {
        TokenCursor tokens(value);
        std::string_view token;
        std::optional<int> n;
        if (tokens.Next(token)) n = ParseCount(token);
        if (!n) Refuse(ReadProblem::kMissingPart, std::string("expected the number of ") + what + " after ':'");
        if (static_cast<std::size_t>(*n) > kMaxFrequencies * 10)
            Refuse(ReadProblem::kTooLarge, std::to_string(*n) + " " + what + " is more than mt1d reads (up to " +
                   std::to_string(kMaxFrequencies) + " frequencies)");
        return *n;
    }

    void SkipLines(int n)
    {
        std::string_view line;
        for (int i = 0; i < n; ++i)
            if (!NextLine(line)) Refuse(ReadProblem::kWrongCount, "the file ends inside a list announced with " + std::to_string(n) + " lines");
    }

    // Up to n numbers over as many lines as they take.
    template <typename Take>
    void ReadNumbers(int n, const char* what, Take take)
    {
        int got = 0;
        std::string_view line;
        while (got < n) {
            if (!NextLine(line))
                Refuse(ReadProblem::kWrongCount, "the file ends after " + std::to_string(got) + " of " + std::to_string(n) + " " + what, 0);
            TokenCursor tokens(line);
            std::string_view token;
            while (got < n && tokens.Next(token)) {
                const auto v = ParseNumber(token);
                if (!v) Refuse(ReadProblem::kNotANumber, std::string("expected a number (") + what + "), found '" + ToUtf8(token) + "'");
                take(*v);
                ++got;
            }
        }
    }

    void ReadFrequencies(int n)
    {
        if (!frequencies_.empty()) Refuse(ReadProblem::kDuplicate, "a second frequency list");
        if (n == 0) Refuse(ReadProblem::kMissingPart, "the frequency list is empty");
        if (static_cast<std::size_t>(n) > kMaxFrequencies)
            Refuse(ReadProblem::kTooLarge, std::to_string(n) + " frequencies; mt1d reads up to " + std::to_string(kMaxFrequencies));
        frequencies_.reserve(static_cast<std::size_t>(n));
        ReadNumbers(n, "frequencies", [&](double v) { frequencies_.push_back(v); });
        slots_.assign(frequencies_.size() * 2, Slots{});
    }

    void SkipNumbers(int n)
    {
        ReadNumbers(n, "frequencies", [](double) {});
    }

    void ReadData(int announced)
    {
        if (frequencies_.empty()) Refuse(ReadProblem::kMissingPart, "data before the '# Frequencies:' list");
        int rows = 0;
        std::string_view line;
        while (NextLine(line)) {
            ++rows;
            TokenCursor tokens(line);
            std::array<std::string_view, 6> field;
            std::size_t k = 0;
            std::string_view token;
            while (k < field.size() && tokens.Next(token)) field[k++] = token;
            if (k < field.size())
                Refuse(ReadProblem::kWrongCount, "expected six fields (type, frequency number, transmitter, receiver, value, standard "
                       "error), found " +
                       std::to_string(k));
            const auto index = ParseCount(field[1]);
            if (!index || *index < 1 || static_cast<std::size_t>(*index) > frequencies_.size())
                Refuse(ReadProblem::kBadValue, "frequency number '" + ToUtf8(field[1]) + "' is not between 1 and " +
                       std::to_string(frequencies_.size()));
            const auto value = ParseNumber(field[4]);
            if (!value) Refuse(ReadProblem::kNotANumber, "expected a number as the value, found '" + ToUtf8(field[4]) + "'");
            const auto error = ParseNumber(field[5]);
            if (!error) Refuse(ReadProblem::kNotANumber, "expected a number as the standard error, found '" + ToUtf8(field[5]) + "'");
            const DataType* type = FindType(field[0]);
            if (!type) {
                ++skipped_;
                continue;
            }
            Store(*type, static_cast<std::size_t>(*index - 1), *value, *error);
        }
        if (rows < announced)
            Refuse(ReadProblem::kWrongCount, "'# Data: " + std::to_string(announced) + "' announces " + std::to_string(announced) +
                       " rows but " + std::to_string(rows) + " follow; the file looks cut short",
                   0);
        if (rows > announced)
            notes_.push_back("'# Data: " + std::to_string(announced) + "' announces fewer rows than the " +
                             std::to_string(rows) + " that follow; all were read");
        if (skipped_ > 0)
            notes_.push_back(std::to_string(skipped_) +
                             " data rows of types mt1d does not use (diagonal elements, tipper, CSEM) skipped");
    }

    void Store(const DataType& type, std::size_t freq, double value, double error)
    {
        Slots& s = slots_[freq * 2 + (type.mode == Mode::kXy ? 0 : 1)];
        Entry* e = nullptr;
        switch (type.quantity) {
        case Quantity::kRho:
        case Quantity::kLog10Rho:
            e = &s.rho;
            break;
        case Quantity::kPhase: e = &s.phase; break;
        case Quantity::kReal: e = &s.real; break;
        case Quantity::kImag: e = &s.imag; break;
        }
        if (e->line != 0)
            Refuse(ReadProblem::kDuplicate, std::string("a second ") + type.name + " value for frequency " + std::to_string(freq + 1) +
                   " (the first is on line " + std::to_string(e->line) + ")");
        e->value = value;
        e->error = error;
        e->line = lines_.LineNumber();
        if (type.quantity == Quantity::kLog10Rho) s.rhoIsLog = true;
        ++used_;
    }

    static std::optional<double> Error(double e)
    {
        if (std::isfinite(e) && e > 0.0) return e;
        return std::nullopt;
    }

    RhoPhaseValue Convert(const Slots& s, double frequencyHz, bool& ignoredZ)
    {
        RhoPhaseValue v;
        if (s.rho.line != 0) {
            if (s.rhoIsLog) {
                v.rhoOhmM = std::pow(10.0, s.rho.value);
                if (const auto e = Error(s.rho.error)) v.rhoErrOhmM = *v.rhoOhmM * std::numbers::ln10 * *e;
            } else {
                v.rhoOhmM = s.rho.value;
                v.rhoErrOhmM = Error(s.rho.error);
            }
        }
        if (s.phase.line != 0) {
            v.phaseDeg = s.phase.value;
            v.phaseErrDeg = Error(s.phase.error);
        }
        const bool hasZ = s.real.line != 0 && s.imag.line != 0;
        if (hasZ && (v.rhoOhmM || v.phaseDeg)) {
            ignoredZ = true;
        } else if (hasZ) {
            // Ohms (E/H) to field units, then as for any impedance: the errors of the two
            // parts give the variance of each part as their mean square.
            const std::complex<double> z = std::complex<double>(s.real.value, s.imag.value) * kFieldUnitsPerOhm;
            const auto er = Error(s.real.error);
            const auto ei = Error(s.imag.error);
            std::optional<double> partVariance;
            if (er && ei) partVariance = 0.5 * (*er * *er + *ei * *ei) * kFieldUnitsPerOhm * kFieldUnitsPerOhm;
            const ApparentValues a = ApparentFromImpedance(z, frequencyHz, partVariance, VarianceConvention::kPart, 0.0);
            if (frequencyHz > 0.0) v.rhoOhmM = a.rhoOhmM;
            v.phaseDeg = a.phaseDeg;
            if (partVariance && std::abs(z) > 0.0 && v.rhoOhmM) {
                v.rhoErrOhmM = a.rhoErrOhmM;
                v.phaseErrDeg = a.phaseErrDeg;
            }
        }
        return v;
    }

    Sounding Build(const std::string& defaultName)
    {
        if (used_ == 0) Refuse(ReadProblem::kMissingPart, "expected MT data rows (RhoZxy, PhsZxy, RhoZyx, PhsZyx, …)", 0);
        Sounding s;
        s.sourceName = file_;
        s.format = SourceFormat::kOccamData;
        s.kind = DataKind::kRhoPhase;
        s.site.name = defaultName;
        s.notes = std::move(notes_);
        bool ignoredZ = false;
        bool halfZ = false;
        s.rhoPhase.resize(frequencies_.size());
        for (std::size_t k = 0; k < frequencies_.size(); ++k) {
            RhoPhaseRow& row = s.rhoPhase[k];
            row.frequencyHz = frequencies_[k];
            row.rotationDeg = rotation_;
            for (std::size_t m = 0; m < 2; ++m) {
                const Slots& slot = slots_[k * 2 + m];
                halfZ = halfZ || ((slot.real.line != 0) != (slot.imag.line != 0));
                Mode mode = m == 0 ? Mode::kXy : Mode::kYx;
                if (determinant_ && mode == Mode::kXy) mode = Mode::kDet;
                row[mode] = Convert(slot, row.frequencyHz, ignoredZ);
            }
        }
        if (determinant_) s.notes.push_back("the file says mode DET: its Zxy rows hold the determinant");
        if (ignoredZ) s.notes.push_back("impedance rows ignored where ρa and phase rows give the same frequency");
        if (halfZ) s.notes.push_back("impedance rows with a real part but no imaginary part (or the reverse) ignored");
        NormalizeSounding(s);
        return s;
    }

    LineCursor lines_;
    const std::string& file_;
    std::vector<double> frequencies_;
    std::vector<Slots> slots_;  // two per frequency: xy, yx
    std::vector<std::string> notes_;
    bool determinant_ = false;
    double rotation_ = 0.0;
    std::size_t skipped_ = 0;
    std::size_t used_ = 0;
};

}  // namespace

Sounding ParseOccamData(std::string_view bytes, const std::string& file, const std::string& defaultName)
{
    return OccamParser(bytes, file).Parse(defaultName);
}

}  // namespace mt1d::sounding
