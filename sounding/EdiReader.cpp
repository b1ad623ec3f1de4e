#include "sounding/EdiReader.h"

#include "sounding/EdiBlocks.h"
#include "sounding/EdiHeader.h"
#include "sounding/EdiMtSection.h"
#include "sounding/EdiSpectra.h"
#include "sounding/EdiTipper.h"
#include "sounding/Normalize.h"
#include "sounding/ReadError.h"

namespace mt1d::sounding {

Sounding ParseEdi(std::string_view bytes, const std::string& file, const std::string& defaultName,
                  const ReadOptions& options)
{
    const EdiLexed lexed = LexEdi(bytes, file);
    EdiHeader header = ReadEdiHeader(lexed, defaultName);

    std::size_t mt = lexed.blocks.size();
    std::size_t spectra = lexed.blocks.size();
    std::size_t sections = 0;
    for (std::size_t i = 0; i < lexed.blocks.size(); ++i) {
        const auto& name = lexed.blocks[i].name;
        if (name == "MTSECT" || name == "SPECTRASECT") ++sections;
        if (name == "MTSECT" && mt == lexed.blocks.size()) mt = i;
        if (name == "SPECTRASECT" && spectra == lexed.blocks.size()) spectra = i;
    }

    Sounding s;
    s.sourceName = file;
    s.site = std::move(header.site);
    s.notes = std::move(header.notes);
    EdiSectionRows rows;
    if (mt < lexed.blocks.size()) {
        rows = ReadEdiMtSection(lexed, mt, header, file, options);
        if (rows.kind == DataKind::kImpedance) ReadEdiTipper(lexed, mt, header, file, rows.tensor, rows.notes);
        s.format = rows.kind == DataKind::kImpedance ? SourceFormat::kEdiImpedance : SourceFormat::kEdiRhoPhase;
    } else if (spectra < lexed.blocks.size()) {
        rows = ReadEdiSpectraSection(lexed, spectra, header, file);
        s.format = SourceFormat::kEdiSpectra;
        if (options.varianceConvention)
            rows.notes.push_back("impedances from spectra carry no variances; the asked reading of Z.VAR does not apply");
    } else {
        throw ReadError(file, 0, ReadProblem::kMissingPart, "expected a >=MTSECT or >=SPECTRASECT data section");
    }
    if (sections > 1)
        s.notes.push_back("the file holds " + std::to_string(sections) + " data sections; the first " +
                          (mt < lexed.blocks.size() ? ">=MTSECT" : ">=SPECTRASECT") + " was read");
    if (!lexed.sawEnd) s.notes.push_back("no >END line: the file may have been cut short");
    s.kind = rows.kind;
    s.varianceConvention = rows.varianceConvention;
    s.tensor = std::move(rows.tensor);
    s.rhoPhase = std::move(rows.rhoPhase);
    s.notes.insert(s.notes.end(), rows.notes.begin(), rows.notes.end());
    NormalizeSounding(s);
    return s;
}

}  // namespace mt1d::sounding
