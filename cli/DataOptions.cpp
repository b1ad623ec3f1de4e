#include "cli/DataOptions.h"

#include "cli/Cli.h"
#include "report/Formatting.h"
#include "sounding/ColumnReader.h"
#include "sounding/CurveDerivation.h"
#include "sounding/Modes.h"
#include "cli/OptionValues.h"
#include "sounding/ReadError.h"
#include "sounding/ImpedanceErrors.h"
#include "sounding/ReadOptions.h"
#include "sounding/Limits.h"

#include <algorithm>
#include <stdexcept>

namespace mt1d::cli {

namespace {

bool Given(const CLI::Option* option) { return option != nullptr && option->count() > 0; }

// Characters of a reader's message quoted at most: it names the file and quotes the line.
constexpr std::size_t kReaderMessageLength = 400;

double DefaultFloor() { return jobs::kDefaultFloorPercent; }

}  // namespace

void AddSoundingFile(CLI::App& command, DataOptionValues& values)
{
    command
        .add_option("FILE", values.file,
                    "The sounding: an EDI file (impedances, spectra, or apparent resistivity and\n"
                    "phase), an EMTF XML file, a Jones J-format file, a Zonge AVG file, an Occam 1D\n"
                    "data file (EMData) or a column text file; the format is recognised from the\n"
                    "content.")
        ->type_name("");
}

std::string UsableRowsHelp()
{
    constexpr std::size_t kWidth = 88;
    const std::string text = "A row is usable when it has " + std::string(sounding::kUsableRangesText) +
                             "; mt1d data lists every other row with the reason.";
    std::string out;
    std::size_t column = 0;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find(' ', start);
        if (end == std::string::npos) end = text.size();
        const std::size_t length = end - start;
        if (column > 0 && column + 1 + length > kWidth) {
            out += "\n";
            column = 0;
        } else if (column > 0) {
            out += " ";
            ++column;
        }
        out += text.substr(start, length);
        column += length;
        start = end + 1;
    }
    return out;
}

void AddDataOptions(CLI::App& command, DataOptionValues& values)
{
    values.modeOption =
        command
            .add_option("--mode", values.mode,
                        "The curve: xy, yx (phase moved by 180° into the first quadrant), det\n"
                        "(sqrt(Zxx·Zyy − Zxy·Zyx)), berd ((Zxy − Zyx)/2), or xy+yx (both\n"
                        "off-diagonal curves, each with its own errors, fitted by one model;\n"
                        "see --shift). Default: det for\n"
                        "impedance files, xy for files of apparent resistivity and phase only\n"
                        "(the first the file has data for of det, berd, xy, yx or xy, det, berd, yx).")
            ->type_name("M");
    values.floor = io::NumberText(DefaultFloor());
    command
        .add_option("--floor", values.floor,
                    "Error floor in percent of |Z|, 0 to 100: every error is raised to at least\n"
                    "this; rows without errors get it. 5 % means 10 % on the apparent\n"
                    "resistivity and 2.87° on the phase. With 0 the file's errors are used as\n"
                    "they are and rows without errors are not usable. Default: " +
                        values.floor)
        ->type_name("PERCENT");
    values.columnsOption =
        command
            .add_option("--columns", values.columns,
                        "Column files: the columns in order, separated by commas, from\n" +
                            sounding::ColumnVocabulary() +
                            "\n(frequency in Hz, period in s, rho in ohm-m, phase in degrees); replaces or\n"
                            "supplies the file's header line, e.g. for the Cull sounding:\n"
                            "period,log10rho,log10rho_err,phase,phase_err. Other files ignore it.")
            ->type_name("LIST");
    values.rotateOption =
        command
            .add_option("--rotate", values.rotate,
                        "Rotates the impedance tensor into the frame whose x axis points DEG\n"
                        "clockwise from north. Not for files of apparent resistivity and phase only.")
            ->type_name("DEG");
    values.varConventionOption =
        command
            .add_option("--var-convention", values.varConvention,
                        "EDI impedance files: what the Z.VAR blocks are the variance of: complex (the\n"
                        "complex impedance; each of Re Z and Im Z has the error sqrt(VAR/2)) or part\n"
                        "(each part; error sqrt(VAR)). Default: the reading the file's own PHS*.ERR\n"
                        "blocks show, else complex; the notes say which was used.")
            ->type_name("C");
    values.rhoErrOption =
        command
            .add_option("--rho-err", values.rhoErr,
                        "EDI files with only apparent resistivity and phase: the unit of RHO*.ERR,\n"
                        "log10 (the error of log10 rho) or ohmm. Default: decided per file by comparing\n"
                        "with PHS*.ERR; the notes say which was used.")
            ->type_name("U");
    values.excludeOption =
        command
            .add_option("--exclude", values.exclude,
                        "Leaves out the rows at these frequencies in Hz, separated by commas (matched\n"
                        "to 1e-6 relative), as the window's check boxes do.")
            ->type_name("F1,F2,...");
    command.add_flag("--keep-any-phase", values.keepAnyPhase,
                     "Keeps rows whose phase lies outside 0-90 degrees. Without it they are not used:\n"
                     "no 1-D earth gives such a phase, and fitting them spoils the other rows.");
    command.add_flag("--only-1d", values.only1d,
                     "Uses only the rows that are one-dimensional by the phase tensor (skew |beta| and\n"
                     "ellipticity within --max-skew and --max-ellipticity); needs the impedance\n"
                     "tensor. Each row left out says why in the notes (see mt1d dims).");
    values.maxSkewOption = command
                               .add_option("--max-skew", values.maxSkew,
                                           "With --only-1d: the largest |beta| of a 1-D row in degrees, 0 to 45.\n"
                                           "Default: 3")
                               ->type_name("DEG");
    values.maxEllipticityOption =
        command
            .add_option("--max-ellipticity", values.maxEllipticity,
                        "With --only-1d: the largest ellipticity of a 1-D row, 0 to 1. Default: 0.1")
            ->type_name("X");
}

DataRequest ParseDataOptions(const DataOptionValues& values)
{
    DataRequest request;
    if (values.file.empty()) RefuseUsage("缺少数据文件：mt1d 命令 FILE", "a sounding file is needed: mt1d COMMAND FILE");
    request.file = values.file;
    jobs::DataOptions& options = request.options;
    if (values.modeOption != nullptr && values.modeOption->count() > 0) {
        options.mode = sounding::ParseMode(values.mode);
        if (values.mode == jobs::kBothOffDiagonalName) {
            options.mode = sounding::Mode::kXy;
            options.bothOffDiagonal = true;
        }
        if (!options.mode) {
            const std::string list = std::string(sounding::ModeNameList()) + "|" + std::string(jobs::kBothOffDiagonalName);
            const std::string v = Excerpt(values.mode);
            RefuseUsage("--mode 只能取 " + list + "：“" + v + "”", "--mode takes " + list + ", not '" + v + "'");
        }
    }
    options.floorPercent = ParseNumberOption("--floor", values.floor, 0.0, jobs::kMaxFloorPercent, "0 to 100");
    if (values.columnsOption != nullptr && values.columnsOption->count() > 0) {
        try {
            options.columns = sounding::ParseColumnList(values.columns);
        } catch (const std::invalid_argument& e) {
            const std::string what = Excerpt(e.what(), kReaderMessageLength);
            RefuseUsage("--columns 有误：" + what, "--columns: " + what);
        }
    }
    if (values.rotateOption != nullptr && values.rotateOption->count() > 0) {
        // Any finite angle: the rotation is periodic. Beyond a full turn either way it is a typo.
        options.rotateDeg = ParseNumberOption("--rotate", values.rotate, -360.0, 360.0, "-360 to 360");
    }
    if (Given(values.varConventionOption)) {
        options.varianceConvention = sounding::ParseVarianceConvention(values.varConvention);
        if (!options.varianceConvention) {
            const std::string list(sounding::VarianceConventionNameList());
            const std::string v = Excerpt(values.varConvention);
            RefuseUsage("--var-convention 只能取 " + list + "：“" + v + "”",
                        "--var-convention takes " + list + ", not '" + v + "'");
        }
    }
    if (Given(values.rhoErrOption)) {
        options.rhoErrorUnit = sounding::ParseRhoErrorUnit(values.rhoErr);
        if (!options.rhoErrorUnit) {
            const std::string list(sounding::RhoErrorUnitNameList());
            const std::string v = Excerpt(values.rhoErr);
            RefuseUsage("--rho-err 只能取 " + list + "：“" + v + "”", "--rho-err takes " + list + ", not '" + v + "'");
        }
    }
    if (Given(values.excludeOption)) {
        for (const double f : ParseNumberListOption("--exclude", values.exclude)) {
            if (!(f > 0.0)) {
                RefuseUsage("--exclude 的频率须为正数", "--exclude takes positive frequencies in Hz");
            }
            options.excludeFrequencies.push_back(f);
        }
    }
    options.keepAnyPhase = values.keepAnyPhase;
    if (!values.only1d) {
        for (const CLI::Option* option : {values.maxSkewOption, values.maxEllipticityOption}) {
            if (Given(option)) {
                RefuseUsage(option->get_name() + " 仅用于 --only-1d", option->get_name() + " applies with --only-1d only");
            }
        }
    } else {
        dims::DimsOptions limits;
        if (Given(values.maxSkewOption)) {
            limits.maxSkewDeg = ParseNumberOption("--max-skew", values.maxSkew, 0.0, 45.0, "0 to 45");
        }
        if (Given(values.maxEllipticityOption)) {
            limits.maxEllipticity = ParseNumberOption("--max-ellipticity", values.maxEllipticity, 0.0, 1.0, "0 to 1");
        }
        options.only1d = limits;
    }
    return request;
}

jobs::LoadedCurve LoadCurve(const DataRequest& request)
{
    try {
        return jobs::LoadCurve(request.file, request.options);
    } catch (const jobs::LoadError& e) {
        const std::string what = Excerpt(e.what(), kReaderMessageLength);
        if (e.GetKind() == jobs::LoadError::Kind::kCannotRead) RefuseInput("无法读取数据文件", what);
        if (e.GetKind() == jobs::LoadError::Kind::kNoTensor) RefuseInput("无法检查一维性", what);
        const std::string file = Excerpt(request.file, kReaderMessageLength);
        const std::string mode(sounding::ModeName(request.options.mode.value_or(sounding::Mode::kDet)));
        RefuseInput(file + " 没有 " + mode + " 数据", what);
    }
}

}  // namespace mt1d::cli
