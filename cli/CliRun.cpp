#include "CliRun.h"

#include <algorithm>
#include <memory>

namespace mt1d::cli {

namespace {

std::vector<LayerValues> ForwardModel(const ModelStore& store)
{
    const int n = store.LayerCount;
    std::vector<LayerValues> layers;
    for (int i = 0; i < n; ++i) layers.push_back({store.Model[i], store.Model[n + i]});
    return layers;
}

std::vector<ResponseRow> ResponseRows(const ModelStore& store, const ResponseView& view)
{
    std::vector<ResponseRow> rows;
    for (std::size_t k = 0; k < view.appResCurve.size(); ++k) {
        rows.push_back({view.appResCurve[k].x, store.Freq[k], store.AppRes[k], view.phaseCurve[k].y});
    }
    return rows;
}

std::vector<LayerValues> ReportedModel(const ModelStore& store, int paramCount)
{
    const int layers = std::clamp(paramCount / 2 + 1, 0, kStoreSlots);
    std::vector<LayerValues> model;
    for (int i = 0; i < layers; ++i) model.push_back({store.InvRes[i], store.InvThick[i]});
    return model;
}

}  // namespace

CliResult RunCommandLine(const CliOptions& options)
{
    // The store lives on the heap: it is a few kilobytes of arrays.
    auto store = std::make_unique<ModelStore>();
    const ResponseView view = RunForward(*store, options.layerCountText, options.layers);

    CliResult result;
    result.model = ForwardModel(*store);
    result.listing = view.listing;
    result.response = ResponseRows(*store, view);
    if (options.command != Command::kInvert) return result;

    if (options.hasBounds) {
        ApplyBoundsTable(*store, BoundsRows(options.bounds, store->LayerCount));
    }
    for (int k = 0; k < options.repeat; ++k) {
        InversionRun run;
        run.outcome = RunInversion(*store, options.source, options.method);
        run.model = ReportedModel(*store, run.outcome.paramCount);
        result.inversions.push_back(std::move(run));
    }
    return result;
}

}  // namespace mt1d::cli
