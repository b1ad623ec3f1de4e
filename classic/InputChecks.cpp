#include "classic/InputChecks.h"

#include "numerics/Capacity.h"
#include "classic/NumberText.h"

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

// Layer i (1-based) and what a slot of Model, indexed by k, describes, with its unit and the
// accepted ranges of its values and of its bounds.
struct SlotName {
    int layer;
    const char* zh;
    const char* en;
    const char* unit;
    float min;
    float max;
    float minBound;
    float maxBound;
};

SlotName NameOfSlot(int k, int layerCount)
{
    if (k < layerCount) {
        return {k + 1,           "电阻率",           "resistivity",        "ohm-m",
                kMinResistivity, kMaxResistivity, kMinResistivityBound, kMaxResistivityBound};
    }
    return {k - layerCount + 1, "厚度",          "thickness",        "m",
            kMinThickness,      kMaxThickness, kMinThicknessBound, kMaxThicknessBound};
}

// " 1e-04 到 1e+08 " and "between 1e-04 and 1e+08 ohm-m" for a refusal.
struct RangeText {
    std::string zh;
    std::string en;
};

RangeText DescribeRange(float min, float max, const char* unit)
{
    const std::string lo = FormatLimit(min);
    const std::string hi = FormatLimit(max);
    return {lo + " 到 " + hi + " " + unit, "between " + lo + " and " + hi + " " + unit};
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
        const SlotName name = NameOfSlot(k, layerCount);
        const std::string layer = std::to_string(name.layer);
        const std::string value = ValueText(model[k]);
        if (!IsPositiveFinite(model[k])) {
            throw InputError("第 " + layer + " 层的" + name.zh + "必须是正数，现为 " + value +
                             " (the " + name.en + " of layer " + layer +
                             " must be a positive number, not " + value + ")");
        }
        if (model[k] < name.min || model[k] > name.max) {
            const RangeText range = DescribeRange(name.min, name.max, name.unit);
            throw InputError("第 " + layer + " 层的" + name.zh + "必须在 " + range.zh + " 之间，现为 " +
                             value + " (the " + name.en + " of layer " + layer + " must lie " +
                             range.en + ", not " + value + ")");
        }
    }
}

void CheckResponse(const float* frequencies, const float* appRes, const float* phase, int count)
{
    constexpr int kNamed = 5;  // frequencies a refusal lists before it says "…"
    int failed = 0;
    std::string list;
    for (int k = 0; k < count; ++k) {
        if (std::isfinite(appRes[k]) && std::isfinite(phase[k])) continue;
        ++failed;
        if (failed <= kNamed) list += (failed > 1 ? ", " : "") + FormatListing(frequencies[k]);
        if (failed == kNamed + 1) list += ", …";
    }
    if (failed == 0) return;
    const std::string n = std::to_string(failed);
    const std::string of = std::to_string(count);
    throw InputError("模型在 " + n + " 个频率上（共 " + of + " 个）的响应不是有限数：" + list +
                     " Hz (the response of the model is not a finite number at " + n + " of " +
                     of + " frequencies: " + list + " Hz)");
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
        const auto checkBound = [&](const char* zh, const char* en, float value) {
            if (!IsPositiveFinite(value)) refuseBound(zh, en, value);
            if (value >= name.minBound && value <= name.maxBound) return;
            const RangeText range = DescribeRange(name.minBound, name.maxBound, name.unit);
            const std::string v = ValueText(value);
            throw InputError(what_zh + zh + "必须在 " + range.zh + " 之间，现为 " + v + " (the " + en +
                             " of the " + what_en + " must lie " + range.en + ", not " + v + ")");
        };
        checkBound("下限", "lower bound", lower[k]);
        checkBound("上限", "upper bound", upper[k]);
        if (lower[k] > upper[k]) {
            const std::string lo = ValueText(lower[k]);
            const std::string hi = ValueText(upper[k]);
            throw InputError(what_zh + "下限 " + lo + " 高于上限 " + hi + " (the lower bound " + lo +
                             " of the " + what_en + " is above its upper bound " + hi + ")");
        }
    }
}

}  // namespace mt1d
