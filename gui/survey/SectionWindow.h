#pragma once
// The window of a survey's section: the section, the notes about sites left out, and a button
// that saves the figure. Clicking a site's column opens its sounding in a sounding window of
// the workspace: the file the batch was given, found as given, or beside the output folder
// or inside it; a file that is nowhere is named in a message. A second tab shows the sites'
// phase tensors as a pseudo-section (DimsSectionView.h).

#include "section/Section.h"

#include <QString>
#include <QWidget>

#include <filesystem>
#include <functional>

class QLabel;
class QTabWidget;

namespace mt1d::gui::field {
class FieldWorkspace;
}

namespace mt1d::gui::survey {

class DimsSectionView;
class SectionView;

class SectionWindow : public QWidget {
    Q_OBJECT

public:
    struct Seams {
        std::function<QString(QWidget* parent, const QString& suggested)> chooseFigureFile;
        std::function<void(QWidget* parent, const QString& title, const QString& text)> message;
    };

    SectionWindow(section::Section section, std::filesystem::path folder, field::FieldWorkspace* workspace,
                  QWidget* parent = nullptr);

    Seams seams;
    SectionView* View() const { return view_; }
    DimsSectionView* DimsView() const { return dims_; }
    QTabWidget* Tabs() const { return tabs_; }
    const std::filesystem::path& Folder() const { return folder_; }

    // Opens the sounding of the site (an index into the section's sites), as a click does.
    void OpenSite(std::size_t site);
    void SaveFigure();

protected:
    void changeEvent(QEvent* event) override;  // title and site count in the new language

private:
    std::filesystem::path SoundingFile(const section::SectionSite& site) const;
    void ShowTexts();

    QLabel* summary_ = nullptr;
    std::size_t siteCount_ = 0;

    SectionView* view_ = nullptr;
    DimsSectionView* dims_ = nullptr;
    QTabWidget* tabs_ = nullptr;
    std::filesystem::path folder_;
    field::FieldWorkspace* workspace_ = nullptr;
};

}  // namespace mt1d::gui::survey
