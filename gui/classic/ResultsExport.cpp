#include "gui/classic/ResultsExport.h"

#include "report/ResponseOutput.h"
#include "io/Csv.h"
#include "io/TextEncoding.h"

#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>
#include <stdexcept>
#include "gui/common/Language.h"

using mt1d::gui::Ui;


namespace mt1d::gui {

namespace {

using io::Json;

// mt1d invert's words for the data source and the method; an index the inversion treats
// as "both" or as the singular value method is named so.
std::string SourceName(int source)
{
    if (source == kSourceAppRes) return "res";
    if (source == kSourcePhase) return "phase";
    return "both";
}

std::string MethodName(int method)
{
    return method == kMethodConstrained ? "constrained" : "svd";
}

Json RunJson(const InversionRecord& record)
{
    Json model = Json::array();
    for (int i = 0; i < static_cast<int>(record.resistivities.size()); ++i) {
        model.push_back({{"layer", i + 1},
                         {"resistivity", io::JsonNumber(record.resistivities[i])},
                         {"thickness", io::JsonNumber(record.thicknesses[i])}});
    }
    const mt::RunSummary& s = record.outcome.summary;
    return {{"run", record.run},
            {"ending", std::string(mt::EndingName(s.ending))},
            {"message", record.outcome.message},
            {"iterations", s.iterations},
            {"misfit", io::JsonNumber(s.misfit)},
            {"succeeded", s.succeeded},
            {"model", model},
            {"report", record.outcome.report}};
}

}  // namespace

InversionRecord RecordInversion(const ModelStore& store, int run, int source, int method,
                                InversionOutcome outcome)
{
    InversionRecord record;
    record.run = run;
    record.source = source;
    record.method = method;
    // The layers of the report: N = paramCount / 2 + 1.
    const int layers = std::clamp(outcome.paramCount / 2 + 1, 0, kStoreSlots);
    record.resistivities.assign(store.InvRes, store.InvRes + layers);
    record.thicknesses.assign(store.InvThick, store.InvThick + layers);
    record.outcome = std::move(outcome);
    return record;
}

std::string ResultsCsv(const ModelStore& store, const std::optional<InversionRecord>& last)
{
    std::string out = report::ResponseCsv(store);
    if (!last) return out;
    out += "\nrun,iterations,misfit,succeeded,message,layer,resistivity_ohm_m,thickness_m\n";
    // One row per result layer, the run's figures repeated on each.
    const mt::RunSummary& s = last->outcome.summary;
    const std::string head = std::to_string(last->run) + "," + std::to_string(s.iterations) +
                             "," + io::NumberText(s.misfit) + "," +
                             (s.succeeded ? "true" : "false") + "," +
                             io::CsvField(last->outcome.message) + ",";
    for (std::size_t i = 0; i < last->resistivities.size(); ++i) {
        out += head + std::to_string(i + 1) + "," + io::NumberText(last->resistivities[i]) +
               "," + io::NumberText(last->thicknesses[i]) + "\n";
    }
    return out;
}

std::string ResultsJson(const ModelStore& store, const std::optional<InversionRecord>& last)
{
    Json document = {{"model", report::ModelJson(store)}, {"response", report::ResponseJson(store)}};
    if (last) {
        document["source"] = SourceName(last->source);
        document["method"] = MethodName(last->method);
        document["inversions"] = Json::array({RunJson(*last)});
    }
    return io::JsonText(document, 0) + "\n";
}

void ExportResults(const ModelStore& store, const std::optional<InversionRecord>& last,
                   const QString& fileName)
{
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    std::string text;
    if (suffix == QLatin1String("csv")) {
        text = ResultsCsv(store, last);
    } else if (suffix == QLatin1String("json")) {
        text = ResultsJson(store, last);
    } else {
        throw std::runtime_error(
            Ui::tr("结果只能存为 .csv 或 .json 文件，不能存为“%1”。").arg(fileName).toStdString());
    }
    QSaveFile file(fileName);
    const QByteArray bytes = QByteArray::fromStdString(text);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        throw std::runtime_error(Ui::tr("无法写入文件“%1”：%2")
                                     .arg(fileName, file.errorString())
                                     .toStdString());
    }
}

}  // namespace mt1d::gui
