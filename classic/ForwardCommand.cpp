// The forward calculation: model table → store → response, listing and curves.

#include "classic/Commands.h"
#include "classic/InputChecks.h"
#include "numerics/MTSounding.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <memory>

namespace mt1d {

namespace {

// 1/π as the phase chart converts radians to degrees.
constexpr double kInversePi = 0.3183098861837907;

// The shortest text that reads back as the value: 1000, 500, 10.
std::string ShortestText(float value)
{
    std::array<char, 32> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    return std::string(buffer.data(), result.ptr);
}

}  // namespace

std::vector<LayerText> DefaultTable()
{
    std::vector<LayerText> rows;
    for (int i = 0; i < kDefaultLayerCount; ++i) {
        rows.push_back({ShortestText(kDefaultModel[i]),
                        ShortestText(kDefaultModel[kDefaultLayerCount + i])});
    }
    return rows;
}

ResponseView RunForward(ModelStore& store, const std::string& layerCountText,
                        const std::vector<LayerText>& rows)
{
    // Everything is converted and checked on a copy first: a refused command leaves the
    // store as it was.
    const int n = ParseInt(layerCountText);
    CheckLayerCount(n);
    CheckTableRowCount(rows.size());

    // Row r's resistivity goes to slot r − 1 and its thickness N slots further, by the typed
    // N; slots that no row reaches keep the store's values.
    std::array<float, kStoreSlots> model{};
    std::copy(std::begin(store.Model), std::end(store.Model), model.begin());
    for (std::size_t r = 0; r < rows.size(); ++r) {
        model[r] = ParseFloat(rows[r].resistivity);
        model[n + r] = ParseFloat(rows[r].thickness);
    }
    CheckModelValues(model.data(), n);

    const int freqCount = std::clamp(store.FreqCount, 1, kFreqCount);
    const int sizes[1] = {freqCount};
    auto sounding = std::make_unique<TMTRes>();
    sounding->SetData(1, sizes, store.Freq, store.AppRes);
    sounding->SetParameters(2 * n, model.data());
    std::array<float, 2 * kFreqCount> response{};  // resistivities, then phases
    sounding->GetResponse(response.data());
    sounding.reset();
    CheckResponse(store.Freq, response.data(), response.data() + freqCount, freqCount);

    store.LayerCount = n;
    std::copy(model.begin(), model.end(), store.Model);
    std::copy_n(response.begin(), freqCount, store.AppRes);
    std::copy_n(response.begin() + freqCount, freqCount, store.Phase);
    store.ApplyDefaultInversionSetup();
    return DescribeResponse(store);
}

ResponseView DescribeResponse(const ModelStore& store)
{
    const int freqCount = std::clamp(store.FreqCount, 0, kFreqCount);
    ResponseView view;
    view.listing.reserve(freqCount);
    view.appResCurve.reserve(freqCount);
    view.phaseCurve.reserve(freqCount);
    for (int k = 0; k < freqCount; ++k) {
        view.listing.push_back(FormatListing(store.Freq[k]) + " " + FormatListing(store.AppRes[k]) +
                               " " + FormatListing(store.Phase[k]));
        const double period = 1.0 / static_cast<double>(store.Freq[k]);
        view.appResCurve.push_back({period, static_cast<double>(store.AppRes[k])});
        view.phaseCurve.push_back({period, static_cast<double>(store.Phase[k]) * kInversePi * 180.0});
    }
    return view;
}

}  // namespace mt1d
