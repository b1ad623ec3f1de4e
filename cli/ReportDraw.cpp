// mt1d report's drawing, run by mt1d-section (see ReportDrawing.h): the pages made from the fit
// files, written as a PDF with Qt Gui.

#include "cli/ReportDrawing.h"
#include "cli/Subcommand.h"

#include "render/ReportPainter.h"
#include "render/SectionFigure.h"

#include <QFileInfo>

namespace mt1d::cli {

int DrawReportHere(const ReportRequest& request, std::ostream& out, std::ostream& err)
{
    const QString file = QString::fromStdString(request.out);
    if (QFileInfo(file).suffix().toLower() != QLatin1String("pdf")) {
        RefuseUsage("--out 应以 .pdf 结尾", "--out must end in .pdf");
    }
    const report::ReportPage page = ReportPageOfFiles(request.fits);
    const auto app = section::GuiForFigures();
    const QString problem = render::WriteReportPdf(page, file);
    if (!problem.isEmpty()) {
        err << "mt1d: 无法写出报告 (" << problem.toStdString() << ")\n";
        return kRunFailed;
    }
    out << request.out << ": " << page.pageCount << " pages, " << page.fits.size() << " fit"
        << (page.fits.size() == 1 ? "" : "s") << (page.rho.empty() ? ", no data drawn" : "") << "\n";
    return kSuccess;
}

}  // namespace mt1d::cli
