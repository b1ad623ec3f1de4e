#include "InputChecks.h"

#include "Commands.h"
#include "Inversion1D.h"
#include "ModelStore.h"
#include "NumberText.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <string>

namespace mt1d {

namespace {

// The shortest text that reads back as the value: 0, -1, 1e-05, inf, nan.
std::string ValueText(float value)
{
    std::array<char, 32> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    return std::string(buffer.data(), result.ptr);
}

bool IsPositiveFinite(float value) { return std::isfinite(value) && value > 0.0f; }

// Layer i (1-based) and what a slot of Model, indexed by k, describes.
struct SlotName {
    int layer;
    const char* zh;
    const char* en;
};

SlotName NameOfSlot(int k, int layerCount)
{
    if (k < layerCount) return {k + 1, "电阻率", "resistivity"};
    return {k - layerCount + 1, "厚度", "thickness"};
}

}  // namespace

void CheckLayerCount(int layerCount)
{
    if (layerCount >= 1 && layerCount <= kMaxStoreLayers) return;
    const std::string n = std::to_string(layerCount);
    const std::string max = std::to_string(kMaxStoreLayers);
    throw InputError("模型层数必须在 1 到 " + max + " 之间，现为 " + n +
                     " (the number of layers must be between 1 and " + max + ", not " + n + ")");
}

void CheckTableRowCount(std::size_t rowCount)
{
    if (rowCount <= static_cast<std::size_t>(kMaxStoreLayers)) return;
    const std::string rows = std::to_string(rowCount);
    const std::string max = std::to_string(kMaxStoreLayers);
    throw InputError("模型表最多 " + max + " 层，现有 " + rows + " 行 (the model table holds at most " +
                     max + " layers, not " + rows + " rows)");
}

void CheckModelValues(const float* model, int layerCount)
{
    for (int k = 0; k < 2 * layerCount; ++k) {
        if (IsPositiveFinite(model[k])) continue;
        const SlotName name = NameOfSlot(k, layerCount);
        const std::string layer = std::to_string(name.layer);
        const std::string value = ValueText(model[k]);
        throw InputError("第 " + layer + " 层的" + name.zh + "必须是正数，现为 " + value + " (the " +
                         name.en + " of layer " + layer + " must be a positive number, not " +
                         value + ")");
    }
}

int MaxInversionLayers(int sourceIndex)
{
    // Each datum and each parameter's damping row take one row of the system; the
    // sensitivity matrix has kMaxParameters columns. P = 2N − 1 parameters.
    const int dataCount = sourceIndex == kSourceAppRes || sourceIndex == kSourcePhase
                              ? kFreqCount
                              : 2 * kFreqCount;
    const int maxParams = std::min(mt::kMaxParameters, mt::kMaxSystemRows - dataCount);
    return (maxParams + 1) / 2;
}

void CheckInversionSize(int layerCount, int sourceIndex)
{
    const int max = MaxInversionLayers(sourceIndex);
    if (layerCount >= 1 && layerCount <= max) return;
    const char* zh = "视电阻率+相位";
    const char* en = "apparent resistivity and phase together";
    if (sourceIndex == kSourceAppRes) {
        zh = "视电阻率";
        en = "apparent resistivity";
    } else if (sourceIndex == kSourcePhase) {
        zh = "相位";
        en = "phase";
    }
    const std::string n = std::to_string(layerCount);
    const std::string m = std::to_string(max);
    throw InputError(std::string(zh) + "反演最多 " + m + " 层，当前模型有 " + n + " 层 (inverting " +
                     en + " allows at most " + m + " layers; the model has " + n + ")");
}

void CheckBounds(const float* lower, const float* upper, int layerCount, int paramCount)
{
    for (int k = 0; k < paramCount; ++k) {
        const SlotName name = NameOfSlot(k, layerCount);
        const std::string layer = std::to_string(name.layer);
        const std::string what_zh = "第 " + layer + " 层" + name.zh + "的";
        const std::string what_en = std::string(name.en) + " of layer " + layer;
        const auto refuseBound = [&](const char* zh, const char* en, float value) {
            const std::string v = ValueText(value);
            throw InputError(what_zh + zh + "必须是正数，现为 " + v + " (the " + en + " of the " +
                             what_en + " must be a positive number, not " + v + ")");
        };
        if (!IsPositiveFinite(lower[k])) refuseBound("下限", "lower bound", lower[k]);
        if (!IsPositiveFinite(upper[k])) refuseBound("上限", "upper bound", upper[k]);
        if (lower[k] > upper[k]) {
            const std::string lo = ValueText(lower[k]);
            const std::string hi = ValueText(upper[k]);
            throw InputError(what_zh + "下限 " + lo + " 高于上限 " + hi + " (the lower bound " + lo +
                             " of the " + what_en + " is above its upper bound " + hi + ")");
        }
    }
}

}  // namespace mt1d
