#pragma once
// The models the sounding window draws, each in its own colour in every plot.

#include "gui/common/Language.h"

#include <QColor>
#include <QString>

#include <array>

namespace mt1d::gui::field {

enum class ModelLine { kLayered = 0, kOccam = 1, kEdited = 2 };

inline constexpr std::array<ModelLine, 3> kModelLines = {ModelLine::kLayered, ModelLine::kOccam, ModelLine::kEdited};

inline QString ModelLineName(ModelLine line)
{
    switch (line) {
    case ModelLine::kLayered: return Ui::tr("层状反演");
    case ModelLine::kOccam: return Ui::tr("光滑反演");
    case ModelLine::kEdited: return Ui::tr("手动模型");
    }
    return {};
}

inline QColor ModelLineColour(ModelLine line)
{
    switch (line) {
    case ModelLine::kLayered: return QColor(20, 90, 200);
    case ModelLine::kOccam: return QColor(0, 140, 70);
    case ModelLine::kEdited: return QColor(210, 60, 20);
    }
    return Qt::black;
}

}  // namespace mt1d::gui::field
