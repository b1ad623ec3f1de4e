#pragma once
// A section as a figure file: PNG (an image of the given size in pixels), SVG (the same size,
// vector) or PDF (one page of the figure's proportions, vector), chosen by the file's suffix.
// The file is written whole or not at all (QSaveFile: a temporary file renamed at the end), so
// a failure never leaves a partial figure or harms a file already there.
//
// Needs a QGuiApplication (fonts); GuiForFigures makes one when the program has none.

#include "section/Section.h"

#include <QGuiApplication>
#include <QImage>
#include <QSize>
#include <QString>

#include <memory>
#include <optional>

namespace mt1d::section {

enum class FigureFormat { kPng, kSvg, kPdf };

// By the suffix, in any case; empty for any other.
std::optional<FigureFormat> FigureFormatOf(const QString& file);

inline constexpr QSize kDefaultFigureSize{1200, 720};

QImage RenderSectionImage(const Section& section, QSize size = kDefaultFigureSize);

// Returns an error message naming the file, or an empty string when it was written.
QString WriteSectionFigure(const Section& section, const QString& file, QSize size = kDefaultFigureSize);

// A QGuiApplication for drawing figures when none exists yet (null when one does). Without a
// display it uses the offscreen platform, so that the command line works anywhere.
std::unique_ptr<QGuiApplication> GuiForFigures();

}  // namespace mt1d::section
