#include "cli/DataOptions.h"

#include "cli/Cli.h"
#include "report/Formatting.h"
#include "sounding/ColumnReader.h"
#include "sounding/CurveDerivation.h"
#include "sounding/Modes.h"
#include "cli/OptionValues.h"
#include "sounding/ReadError.h"

#include <algorithm>
#include <stdexcept>

namespace mt1d::cli {

namespace {

// Characters of a reader's message quoted at most: it names the file and quotes the line.
constexpr std::size_t kReaderMessageLength = 400;

double DefaultFloor() { return jobs::kDefaultFloorPercent; }

}  // namespace

void AddSoundingFile(CLI::App& command, DataOptionValues& values)
{
    command
        .add_option("FILE", values.file,
                    "The sounding: an EDI file (impedances, spectra, or apparent resistivity and\n"
                    "phase), an Occam 1D data file (EMData) or a column text file; the format is\n"
                    "recognised from the content.")
        ->type_name("");
}

void AddDataOptions(CLI::App& command, DataOptionValues& values)
{
    values.modeOption =
        command
            .add_option("--mode", values.mode,
                        "The curve: xy, yx (phase moved by 180° into the first quadrant), det\n"
                        "(sqrt(Zxx·Zyy − Zxy·Zyx)) or berd ((Zxy − Zyx)/2). Default: det for\n"
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
}

DataRequest ParseDataOptions(const DataOptionValues& values)
{
    DataRequest request;
    if (values.file.empty()) RefuseUsage("缺少数据文件：mt1d 命令 FILE", "a sounding file is needed: mt1d COMMAND FILE");
    request.file = values.file;
    jobs::DataOptions& options = request.options;
    if (values.modeOption != nullptr && values.modeOption->count() > 0) {
        options.mode = sounding::ParseMode(values.mode);
        if (!options.mode) {
            const std::string list(sounding::ModeNameList());
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
    return request;
}

jobs::LoadedCurve LoadCurve(const DataRequest& request)
{
    try {
        return jobs::LoadCurve(request.file, request.options);
    } catch (const jobs::LoadError& e) {
        const std::string what = Excerpt(e.what(), kReaderMessageLength);
        if (e.GetKind() == jobs::LoadError::Kind::kCannotRead) throw InputError("无法读取数据文件 (" + what + ")");
        const std::string file = Excerpt(request.file, kReaderMessageLength);
        const std::string mode(sounding::ModeName(*request.options.mode));
        throw InputError(file + " 没有 " + mode + " 数据 (" + what + ")");
    }
}

}  // namespace mt1d::cli
