// mt1d convert: a sounding written as EDI or EMTF XML, rotated or reduced to one mode on the way.

#include "cli/Cli.h"
#include "cli/DataOptions.h"
#include "cli/OptionValues.h"
#include "cli/Subcommand.h"
#include "io/AtomicFile.h"
#include "sounding/Modes.h"
#include "sounding/OneDimensional.h"
#include "sounding/ReadError.h"
#include "sounding/SoundingFile.h"
#include "sounding/SoundingWriter.h"

#include <memory>

namespace mt1d::cli {

namespace {

// Characters of a reader's message quoted at most: it names the file and quotes the line.
constexpr std::size_t kMessageLength = 400;

struct ConvertCommandValues {
    std::string file;
    std::string out;
    std::string mode;
    std::string rotate;
    CLI::Option* outOption = nullptr;
    CLI::Option* modeOption = nullptr;
    CLI::Option* rotateOption = nullptr;
};

bool Given(const CLI::Option* option) { return option != nullptr && option->count() > 0; }

int RunConvertCommand(const ConvertCommandValues& values, std::ostream& out, std::ostream& err)
{
    // Every option is checked before the file is read, the file before anything is written.
    if (values.file.empty()) RefuseUsage("缺少数据文件：mt1d convert FILE --out OUT", "a sounding file is needed: mt1d convert FILE --out OUT");
    if (!Given(values.outOption)) RefuseUsage("缺少 --out 输出文件", "--out OUT.edi or OUT.xml is needed");
    const auto target = sounding::TargetFormatForPath(values.out);
    if (!target) {
        const std::string v = Excerpt(values.out);
        RefuseUsage("--out 须以 .edi 或 .xml 结尾：“" + v + "”", "--out must end in .edi or .xml, not '" + v + "'");
    }
    std::optional<sounding::Mode> mode;
    if (Given(values.modeOption)) {
        mode = sounding::ParseMode(values.mode);
        if (!mode) {
            const std::string list(sounding::ModeNameList());
            const std::string v = Excerpt(values.mode);
            RefuseUsage("--mode 只能取 " + list + "：“" + v + "”", "--mode takes " + list + ", not '" + v + "'");
        }
    }
    sounding::ReadOptions read;
    if (Given(values.rotateOption)) read.rotateToDeg = ParseNumberOption("--rotate", values.rotate, -360.0, 360.0, "-360 to 360");

    sounding::Sounding s;
    try {
        s = sounding::ReadSoundingFile(values.file, read);
    } catch (const sounding::ReadError& e) {
        RefuseInput("无法读取数据文件", Excerpt(e.what(), kMessageLength));
    }
    sounding::WrittenText written;
    try {
        if (mode) s = sounding::OneDimensional(s, *mode);
        written = sounding::WriteSounding(s, *target);
    } catch (const sounding::ConversionError& e) {
        RefuseInput("无法转换", "cannot convert: " + Excerpt(e.what(), kMessageLength));
    }
    try {
        io::WriteFileAtomically(values.out, written.text);
    } catch (const io::WriteError& e) {
        err << "mt1d: 无法写出结果 (" << e.what() << ")\n";
        return kRunFailed;
    }
    for (const std::string& note : s.notes) err << "mt1d: note: " << note << "\n";
    for (const std::string& note : written.notes) err << "mt1d: note: " << note << "\n";
    out << values.out << "\n";
    return kSuccess;
}

}  // namespace

Subcommand AddConvertCommand(CLI::App& mt1d)
{
    CLI::App* command = mt1d.add_subcommand(
        "convert",
        "Writes a sounding as EDI (impedances with their variances, ZROT, header and location;\n"
        "apparent resistivity and phase where the file has no tensor) or as EMTF XML, chosen by\n"
        "the suffix of --out. The file is written whole or not at all; what the target cannot\n"
        "hold is refused with a message, or named in a note on standard error.");
    auto values = std::make_shared<ConvertCommandValues>();
    command->add_option("FILE", values->file, "The sounding, in any format mt1d reads.")->type_name("");
    values->outOption = command->add_option("--out", values->out, "The file to write: OUT.edi or OUT.xml.")->type_name("OUT");
    values->rotateOption =
        command
            ->add_option("--rotate", values->rotate,
                         "Rotates the impedance tensor into the frame whose x axis points DEG\n"
                         "clockwise from north before writing. EMTF XML holds one frame per file.")
            ->type_name("DEG");
    values->modeOption =
        command
            ->add_option("--mode", values->mode,
                         "Writes one mode (xy, yx, det or berd) as the tensor of a 1-D earth:\n"
                         "Zxy = Z, Zyx = -Z, Zxx = Zyy = 0 (for a file of one curve, such as Occam data).")
            ->type_name("M");
    command->footer(
        "Examples:\n"
        "  mt1d convert site.edi --out site.xml\n"
        "  mt1d convert site.xml --out site.edi --rotate 30\n"
        "  mt1d convert data.dat --out data.edi --mode det");
    return {command, [values](std::ostream& out, std::ostream& err) { return RunConvertCommand(*values, out, err); }};
}

}  // namespace mt1d::cli
