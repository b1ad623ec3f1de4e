#include "python/src/Soundings.h"

#include "python/src/Arrays.h"
#include "python/src/CommandOptions.h"
#include "python/src/Errors.h"

#include "cli/Cli.h"
#include "cli/DataOptions.h"
#include "cli/OptionValues.h"
#include "dims/Dimensionality.h"
#include "io/Excerpt.h"
#include "jobs/SiteDims.h"
#include "report/CurveWriters.h"
#include "report/DimsWriters.h"
#include "sounding/ImpedanceErrors.h"
#include "sounding/Modes.h"

#include <pybind11/stl.h>

#include <complex>

namespace mt1d::python {

namespace {

// Characters of a reader's message quoted at most, as the command line quotes it.
constexpr std::size_t kReaderMessageLength = 400;

const char* FormatName(sounding::SourceFormat format)
{
    switch (format) {
    case sounding::SourceFormat::kEdiImpedance: return "edi-impedance";
    case sounding::SourceFormat::kEdiSpectra: return "edi-spectra";
    case sounding::SourceFormat::kEdiRhoPhase: return "edi-rho-phase";
    case sounding::SourceFormat::kOccamData: return "occam-data";
    case sounding::SourceFormat::kColumns: return "columns";
    case sounding::SourceFormat::kEmtfXml: return "emtf-xml";
    case sounding::SourceFormat::kJFormat: return "j-format";
    case sounding::SourceFormat::kZongeAvg: return "zonge-avg";
    }
    return "unknown";
}

// The reading options of `options`, the rest at their defaults.
jobs::DataOptions ReadingPart(const jobs::DataOptions& options)
{
    jobs::DataOptions read;
    read.columns = options.columns;
    read.rotateDeg = options.rotateDeg;
    read.varianceConvention = options.varianceConvention;
    read.rhoErrorUnit = options.rhoErrorUnit;
    return read;
}

// cli::LoadCurve with its refusals as ReadError; a bad option stays a UsageError.
jobs::LoadedCurve LoadWithCliMessages(const std::string& file, const jobs::DataOptions& options)
{
    try {
        return cli::LoadCurve(cli::DataRequest{file, options});
    } catch (const cli::UsageError&) {
        throw;
    } catch (const InputError& e) {
        throw ReadError(e.what());
    }
}

// A value that must be positive to mean anything, NaN in an unusable row that holds none: as
// `mt1d data --format json` writes null there (report/CurveWriters.cpp).
double Known(const sounding::CurveRow& row, double value)
{
    return !row.usable && !(value > 0.0) ? kMissing : value;
}

py::dict SiteDict(const jobs::SiteSummary& site)
{
    py::dict d;
    d["name"] = Text(site.name);
    d["file"] = Text(site.sourceFile);
    d["latitude"] = OrNone(site.latitudeDeg);
    d["longitude"] = OrNone(site.longitudeDeg);
    d["elevation"] = OrNone(site.elevationM);
    return d;
}

// The impedance tensor as (N, 2, 2) complex values, NaN where the file has none.
py::array_t<std::complex<double>> Tensor(const sounding::Sounding& s)
{
    const std::size_t n = s.tensor.size();
    py::array_t<std::complex<double>> z({static_cast<py::ssize_t>(n), py::ssize_t{2}, py::ssize_t{2}});
    std::complex<double>* data = z.mutable_data();
    for (std::size_t i = 0; i < n; ++i) {
        for (std::size_t c = 0; c < 4; ++c) {
            data[i * 4 + c] = s.tensor[i].z[c].value.value_or(std::complex<double>(kMissing, kMissing));
        }
    }
    return z;
}

py::array_t<double> TensorVariance(const sounding::Sounding& s)
{
    const std::size_t n = s.tensor.size();
    py::array_t<double> v({static_cast<py::ssize_t>(n), py::ssize_t{2}, py::ssize_t{2}});
    double* data = v.mutable_data();
    for (std::size_t i = 0; i < n; ++i) {
        for (std::size_t c = 0; c < 4; ++c) data[i * 4 + c] = OrMissing(s.tensor[i].z[c].variance);
    }
    return v;
}

// One quantity of the ρa/φ rows as (N, 4), columns in the order of MODES.
template <typename Field>
py::object RhoPhaseColumns(const sounding::Sounding& s, Field field)
{
    if (s.kind != sounding::DataKind::kRhoPhase) return py::none();
    const std::size_t n = s.rhoPhase.size();
    py::array_t<double> a({static_cast<py::ssize_t>(n), py::ssize_t{4}});
    double* data = a.mutable_data();
    for (std::size_t i = 0; i < n; ++i) {
        for (std::size_t m = 0; m < 4; ++m) data[i * 4 + m] = OrMissing(field(s.rhoPhase[i].byMode[m]));
    }
    return a;
}

std::vector<std::string> ModeNames(const std::vector<sounding::Mode>& modes)
{
    std::vector<std::string> names;
    for (const sounding::Mode m : modes) names.emplace_back(sounding::ModeName(m));
    return names;
}

// As `mt1d dims FILE` with --max-skew, --max-ellipticity and --within-errors: the same
// ranges, messages and analysis (jobs::SiteDims).
py::object DimsOf(const SoundingObject& s, const std::string& maxSkew, const std::string& maxEllipticity,
                  bool withinErrors)
{
    dims::DimsOptions limits;
    limits.maxSkewDeg = cli::ParseNumberOption("--max-skew", maxSkew, 0.0, 45.0, "0 to 45");
    limits.maxEllipticity = cli::ParseNumberOption("--max-ellipticity", maxEllipticity, 0.0, 1.0, "0 to 1");
    limits.withinErrors = withinErrors;
    std::optional<dims::DimsResult> found;
    {
        const py::gil_scoped_release release;
        found = jobs::SiteDims(s.sounding, limits);
    }
    if (!found) {
        const std::string file = io::Excerpt(s.sounding.sourceName);
        throw ReadError(file + " 只有视电阻率和相位，没有阻抗张量，无法分析维度 (" + file +
                        " holds apparent resistivity and phase only; the phase tensor needs the impedance tensor)");
    }
    const dims::DimsResult& result = *found;
    const std::size_t n = result.rows.size();
    const auto& rows = result.rows;
    const auto column = [&](auto field) { return FloatArray(n, [&](std::size_t i) { return OrMissing(field(rows[i])); }); };
    py::dict d;
    d["frequency"] = column([](const dims::DimsRow& r) { return r.frequencyHz; });
    d["period"] = column([](const dims::DimsRow& r) { return r.periodS; });
    d["phi_max"] = column([](const dims::DimsRow& r) { return r.phiMaxDeg; });
    d["phi_min"] = column([](const dims::DimsRow& r) { return r.phiMinDeg; });
    d["alpha"] = column([](const dims::DimsRow& r) { return r.alphaDeg; });
    d["beta"] = column([](const dims::DimsRow& r) { return r.betaDeg; });
    d["beta_sd"] = column([](const dims::DimsRow& r) { return r.betaSdDeg; });
    d["strike"] = column([](const dims::DimsRow& r) { return r.strikeDeg; });
    d["strike_sd"] = column([](const dims::DimsRow& r) { return r.strikeSdDeg; });
    d["ellipticity"] = column([](const dims::DimsRow& r) { return r.ellipticity; });
    d["ellipticity_sd"] = column([](const dims::DimsRow& r) { return r.ellipticitySd; });
    d["swift_skew"] = column([](const dims::DimsRow& r) { return r.swiftSkew; });
    d["bahr_skew"] = column([](const dims::DimsRow& r) { return r.bahrSkew; });
    d["one_d"] = BoolArray(n, [&](std::size_t i) { return rows[i].oneD.value_or(false); });
    d["computed"] = BoolArray(n, [&](std::size_t i) { return rows[i].oneD.has_value(); });
    d["two_d"] = BoolArray(n, [&](std::size_t i) { return rows[i].twoD; });
    std::vector<std::string> why;
    for (const dims::DimsRow& r : rows) why.push_back(report::DimsReason(r));
    d["reason"] = StringList(why);
    d["one_d_fraction"] = OrNone(result.oneDFraction);
    d["site_strike"] = OrNone(result.strikeDeg);
    d["site_strike_sd"] = OrNone(result.strikeSdDeg);
    d["notes"] = StringList(result.notes);
    d["json"] = Text(report::JsonLayout(report::DimsJson(jobs::SummarizeSite(s.sounding), result)) + "\n");
    return d;
}

}  // namespace

SoundingObject ReadSounding(const std::string& file, const std::vector<std::string>& args)
{
    const jobs::DataOptions read = ReadingPart(ParseDataArgs(args, file));
    jobs::LoadedCurve loaded = LoadWithCliMessages(file, read);
    return SoundingObject{std::move(loaded.sounding), read};
}

CurveObject LoadCurveWith(const std::string& file, const jobs::DataOptions& options)
{
    return CurveObject{LoadWithCliMessages(file, options)};
}

CurveObject LoadCurveFile(const std::string& file, const std::vector<std::string>& args)
{
    return LoadCurveWith(file, ParseDataArgs(args, file));
}

CurveObject CurveOf(const SoundingObject& s, const std::vector<std::string>& args)
{
    return CurveWith(s, ParseDataArgs(args, s.sounding.sourceName));
}

CurveObject CurveWith(const SoundingObject& s, jobs::DataOptions options)
{
    const jobs::DataOptions& read = s.readOptions;
    options.columns = read.columns;
    options.rotateDeg = read.rotateDeg;
    options.varianceConvention = read.varianceConvention;
    options.rhoErrorUnit = read.rhoErrorUnit;
    try {
        return CurveObject{jobs::CurveOfSounding(s.sounding, options)};
    } catch (const jobs::LoadError& e) {
        // The words of cli::LoadCurve for the same refusals.
        const std::string what = io::Excerpt(e.what(), kReaderMessageLength);
        if (e.GetKind() == jobs::LoadError::Kind::kNoTensor) throw ReadError("无法检查一维性 (" + what + ")");
        const std::string file = io::Excerpt(s.sounding.sourceName, kReaderMessageLength);
        const std::string mode(sounding::ModeName(options.mode.value_or(sounding::Mode::kDet)));
        throw ReadError(file + " 没有 " + mode + " 数据 (" + what + ")");
    }
}

void RegisterSoundings(py::module_& module)
{
    py::class_<SoundingObject>(module, "Sounding",
                               "A sounding as read from its file (mt1d.read): impedances in (mV/km)/nT with time\n"
                               "dependence e^{+iwt}, rows from the highest frequency to the lowest.")
        .def_property_readonly("file", [](const SoundingObject& s) { return Text(s.sounding.sourceName); },
                               "The file as it was named.")
        .def_property_readonly("site", [](const SoundingObject& s) { return Text(s.sounding.site.name); },
                               "The site's name (EDI DATAID, or the file's stem).")
        .def_property_readonly("latitude", [](const SoundingObject& s) { return OrNone(s.sounding.site.location.latitudeDeg); },
                               "Degrees north, or None.")
        .def_property_readonly("longitude", [](const SoundingObject& s) { return OrNone(s.sounding.site.location.longitudeDeg); },
                               "Degrees east, or None.")
        .def_property_readonly("elevation", [](const SoundingObject& s) { return OrNone(s.sounding.site.location.elevationM); },
                               "Metres, or None.")
        .def_property_readonly("format", [](const SoundingObject& s) { return FormatName(s.sounding.format); },
                               "What the file held: edi-impedance, edi-spectra, edi-rho-phase, occam-data, columns,\n"
                               "emtf-xml, j-format or zonge-avg.")
        .def_property_readonly("kind", [](const SoundingObject& s) {
                return s.sounding.kind == sounding::DataKind::kImpedance ? "impedance" : "rho-phase";
            }, "impedance (the tensor z) or rho-phase (rho, phase and their errors per mode).")
        .def_property_readonly("frequencies", [](const SoundingObject& s) {
                return FloatArray(s.sounding.RowCount(), [&](std::size_t i) { return s.sounding.FrequencyHz(i); });
            }, "Hz, shape (N,), highest first.")
        .def_property_readonly("rotation", [](const SoundingObject& s) {
                return FloatArray(s.sounding.RowCount(), [&](std::size_t i) {
                    return s.sounding.kind == sounding::DataKind::kImpedance ? s.sounding.tensor[i].rotationDeg
                                                                             : s.sounding.rhoPhase[i].rotationDeg;
                });
            }, "Degrees clockwise from north of each row's x axis, shape (N,).")
        .def_property_readonly("z", [](const SoundingObject& s) { return Tensor(s.sounding); },
                               "The impedance tensor in (mV/km)/nT, complex, shape (N, 2, 2) ([[xx, xy], [yx, yy]]);\n"
                               "NaN where the file has no value; empty for a rho-phase sounding.")
        .def_property_readonly("z_var", [](const SoundingObject& s) { return TensorVariance(s.sounding); },
                               "The variance of each element as the file gives it, shape (N, 2, 2); NaN where it gives\n"
                               "none. What it is the variance of: variance_convention.")
        .def_property_readonly("variance_convention", [](const SoundingObject& s) {
                return std::string(sounding::VarianceConventionName(s.sounding.varianceConvention));
            }, "complex (of the complex impedance) or part (of each of its parts).")
        .def_property_readonly("rho", [](const SoundingObject& s) {
                return RhoPhaseColumns(s.sounding, [](const sounding::RhoPhaseValue& v) { return v.rhoOhmM; });
            }, "rho-phase soundings: apparent resistivity in ohm-m, shape (N, 4), columns as MODES\n"
               "(NaN where absent); None for impedance soundings.")
        .def_property_readonly("rho_err", [](const SoundingObject& s) {
                return RhoPhaseColumns(s.sounding, [](const sounding::RhoPhaseValue& v) { return v.rhoErrOhmM; });
            }, "Standard error of rho in ohm-m, as rho.")
        .def_property_readonly("phase", [](const SoundingObject& s) {
                return RhoPhaseColumns(s.sounding, [](const sounding::RhoPhaseValue& v) { return v.phaseDeg; });
            }, "Impedance phase in degrees (yx in the first quadrant), as rho.")
        .def_property_readonly("phase_err", [](const SoundingObject& s) {
                return RhoPhaseColumns(s.sounding, [](const sounding::RhoPhaseValue& v) { return v.phaseErrDeg; });
            }, "Standard error of the phase in degrees, as rho.")
        .def_property_readonly("modes", [](const SoundingObject& s) { return ModeNames(sounding::SupportedModes(s.sounding)); },
                               "The modes the sounding has data for.")
        .def_property_readonly("default_mode", [](const SoundingObject& s) {
                return std::string(sounding::ModeName(sounding::DefaultMode(s.sounding)));
            }, "The mode a curve takes when none is asked for.")
        .def_property_readonly("conjugated", [](const SoundingObject& s) { return s.sounding.conjugated; },
                               "Whether the file used e^{-iwt} and every value was conjugated on reading.")
        .def_property_readonly("header", [](const SoundingObject& s) {
                py::list items;
                for (const auto& [key, value] : s.sounding.site.header) items.append(py::make_tuple(Text(key), Text(value)));
                return items;
            }, "The header fields as written, a list of (key, value).")
        .def_property_readonly("info", [](const SoundingObject& s) { return StringList(s.sounding.site.info); },
                               "Free text of the file (EDI INFO lines).")
        .def_property_readonly("notes", [](const SoundingObject& s) { return StringList(s.sounding.notes); },
                               "The reader's warnings and remarks, in the order they arose.")
        .def("_curve", &CurveOf, py::arg("args"))
        .def("_dims", &DimsOf, py::arg("max_skew"), py::arg("max_ellipticity"), py::arg("within_errors"))
        .def("__repr__", [](const SoundingObject& s) {
            return Text("<mt1d.Sounding " + s.sounding.site.name + ": " + std::to_string(s.sounding.RowCount()) +
                        " frequencies, " + FormatName(s.sounding.format) + ">");
        });

    py::class_<CurveObject>(module, "Curve",
                            "The apparent resistivity and phase of one mode with errors, as the fits use it\n"
                            "(mt1d data prints it): rows from the highest frequency to the lowest.")
        .def_property_readonly("site", [](const CurveObject& c) { return SiteDict(c.loaded.site); },
                               "name, file, latitude, longitude and elevation (None where unknown).")
        .def_property_readonly("mode", [](const CurveObject& c) { return std::string(sounding::ModeName(c.loaded.curve.mode)); })
        .def_property_readonly("floor", [](const CurveObject& c) { return c.loaded.curve.floorPercent; },
                               "The error floor in percent of |Z|.")
        .def_property_readonly("frequency", [](const CurveObject& c) {
                const auto& r = c.loaded.curve.rows;
                return FloatArray(r.size(), [&](std::size_t i) { return Known(r[i], r[i].frequencyHz); });
            }, "Hz, shape (N,).")
        .def_property_readonly("period", [](const CurveObject& c) {
                const auto& r = c.loaded.curve.rows;
                return FloatArray(r.size(), [&](std::size_t i) { return Known(r[i], r[i].periodS); });
            }, "s, shape (N,).")
        .def_property_readonly("rho", [](const CurveObject& c) {
                const auto& r = c.loaded.curve.rows;
                return FloatArray(r.size(), [&](std::size_t i) { return Known(r[i], r[i].rhoOhmM); });
            }, "Apparent resistivity in ohm-m; NaN in an unusable row that has none.")
        .def_property_readonly("rho_err", [](const CurveObject& c) {
                const auto& r = c.loaded.curve.rows;
                return FloatArray(r.size(), [&](std::size_t i) { return Known(r[i], r[i].rhoErrOhmM); });
            }, "One standard error of rho in ohm-m, the floor applied.")
        .def_property_readonly("phase", [](const CurveObject& c) {
                const auto& r = c.loaded.curve.rows;
                return FloatArray(r.size(), [&](std::size_t i) { return !r[i].usable && !r[i].phaseKnown ? kMissing : r[i].phaseDeg; });
            }, "Impedance phase in degrees, first quadrant; NaN in an unusable row that has none.")
        .def_property_readonly("phase_err", [](const CurveObject& c) {
                const auto& r = c.loaded.curve.rows;
                return FloatArray(r.size(), [&](std::size_t i) { return Known(r[i], r[i].phaseErrDeg); });
            }, "One standard error of the phase in degrees, the floor applied.")
        .def_property_readonly("usable", [](const CurveObject& c) {
                const auto& r = c.loaded.curve.rows;
                return BoolArray(r.size(), [&](std::size_t i) { return r[i].usable; });
            }, "Whether each row is fitted, shape (N,), bool.")
        .def_property_readonly("reasons", [](const CurveObject& c) {
                std::vector<std::string> why;
                for (const auto& r : c.loaded.curve.rows) why.push_back(r.reason);
                return StringList(why);
            }, "Why each row is not usable; empty for a usable row.")
        .def_property_readonly("notes", [](const CurveObject& c) { return StringList(report::CurveNotes(c.loaded.curve)); },
                               "The reader's warnings, the curve's own, and a line per unusable row.")
        .def("to_json", [](const CurveObject& c) {
                return Text(report::JsonLayout(report::CurveJson(c.loaded.site, c.loaded.curve)) + "\n");
            }, "The curve as `mt1d data --format json` prints it.")
        .def("to_csv", [](const CurveObject& c) { return Text(report::CurveCsv(c.loaded.curve)); },
             "The curve as `mt1d data --format csv` prints it.")
        .def("__len__", [](const CurveObject& c) { return c.loaded.curve.rows.size(); })
        .def("__repr__", [](const CurveObject& c) {
            std::size_t usable = 0;
            for (const auto& r : c.loaded.curve.rows) usable += r.usable ? 1 : 0;
            return Text("<mt1d.Curve " + c.loaded.site.name + " " + std::string(sounding::ModeName(c.loaded.curve.mode)) +
                        ": " + std::to_string(usable) + " of " + std::to_string(c.loaded.curve.rows.size()) +
                        " rows usable>");
        });

    module.def("_read", &ReadSounding, py::arg("file"), py::arg("args"), py::call_guard<py::gil_scoped_release>());
    module.def("_load_curve", &LoadCurveFile, py::arg("file"), py::arg("args"), py::call_guard<py::gil_scoped_release>());
}

}  // namespace mt1d::python
