#include "gui/survey/SectionWindow.h"

#include "gui/field/FieldWorkspace.h"
#include "render/SectionFigure.h"
#include "gui/survey/SectionView.h"
#include "gui/survey/DimsSectionView.h"
#include "section/DimsSection.h"

#include <QEvent>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>
#include "gui/common/Language.h"

using mt1d::gui::Ui;


namespace mt1d::gui::survey {

namespace fs = std::filesystem;

SectionWindow::SectionWindow(section::Section section, fs::path folder, field::FieldWorkspace* workspace, QWidget* parent)
    : QWidget(parent, Qt::Window), folder_(std::move(folder)), workspace_(workspace)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("SectionWindow"));
    seams.chooseFigureFile = [](QWidget* parent, const QString& suggested) {
        return QFileDialog::getSaveFileName(parent, Ui::tr("保存剖面图"), suggested,
                                            QStringLiteral("PNG (*.png);;SVG (*.svg);;PDF (*.pdf)"));
    };
    seams.message = [](QWidget* parent, const QString& title, const QString& text) {
        QMessageBox::warning(parent, title, text);
    };

    QStringList notes;
    for (const auto& note : section.notes) notes << QString::fromStdString(note);
    const std::size_t count = section.sites.size();
    dims_ = new DimsSectionView(section, folder_);
    view_ = new SectionView(std::move(section), this);
    siteCount_ = count;
    summary_ = new QLabel(this);
    summary_->setObjectName(QStringLiteral("SummaryLabel"));
    auto* summary = summary_;
    ShowTexts();
    auto* save = new QPushButton(Ui::tr("保存图件…"), this);
    save->setObjectName(QStringLiteral("SaveFigureButton"));
    auto* top = new QHBoxLayout;
    top->addWidget(summary, 1);
    top->addWidget(save);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    tabs_ = new QTabWidget(this);
    tabs_->addTab(view_, Ui::tr("电阻率剖面"));
    tabs_->addTab(dims_, Ui::tr("相位张量拟剖面"));
    layout->addWidget(tabs_, 1);
    if (!notes.isEmpty()) {
        auto* noteLabel = new QLabel(notes.join(QLatin1Char('\n')), this);
        noteLabel->setObjectName(QStringLiteral("NotesLabel"));
        noteLabel->setWordWrap(true);
        layout->addWidget(noteLabel);
    }
    resize(1100, 700);
    connect(view_, &SectionView::siteClicked, this, &SectionWindow::OpenSite);
    connect(save, &QPushButton::clicked, this, &SectionWindow::SaveFigure);
}

fs::path SectionWindow::SoundingFile(const section::SectionSite& site) const
{
    return section::LocateSoundingFile(site.sourceFile, folder_);
}

void SectionWindow::ShowTexts()
{
    setWindowTitle(Ui::tr("电阻率剖面 — %1").arg(QString::fromStdString(folder_.filename().string())));
    summary_->setText(Ui::tr("%1 个测点; 点击测点列打开其测深窗口").arg(siteCount_));
}

void SectionWindow::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::LanguageChange) {
        ShowTexts();
        view_->update();  // the section figure draws its texts in the language of the moment
    }
}

void SectionWindow::OpenSite(std::size_t index)
{
    const auto& site = view_->Shown().sites.at(index);
    const fs::path file = SoundingFile(site);
    if (file.empty()) {
        seams.message(this, Ui::tr("打开测点"),
                      Ui::tr("找不到测点 %1 的数据文件 %2 (the sounding file of site %1 cannot be found)")
                          .arg(QString::fromStdString(site.name), QString::fromStdString(site.sourceFile)));
        return;
    }
    workspace_->OpenSoundings({QString::fromStdString(file.string())}, {}, this);
}

void SectionWindow::SaveFigure()
{
    const bool pseudo = tabs_->currentWidget() == dims_;
    const QString file = seams.chooseFigureFile(
        this, QString::fromStdString((folder_ / (pseudo ? "phase-tensor-section.png" : "section.png")).string()));
    if (file.isEmpty()) return;
    const QString problem = pseudo ? dims_->ExportFigure(file) : section::WriteSectionFigure(view_->Shown(), file);
    if (!problem.isEmpty()) seams.message(this, Ui::tr("保存剖面图"), problem);
}

}  // namespace mt1d::gui::survey
