// Section figures as files: each format written whole and readable, holding every site, and
// nothing written when the file cannot be.

#include "tests/render/RenderFixture.h"

#include <QFile>
#include <QImage>
#include <QXmlStreamReader>

#include <filesystem>
#include <random>

namespace {

using namespace render_testing;
namespace fs = std::filesystem;

class FigureTest : public RenderTest {
protected:
    void SetUp() override
    {
        std::random_device seed;
        folder_ = fs::temp_directory_path() / ("mt1d-figure-" + std::to_string(seed()));
        fs::create_directories(folder_);
    }
    void TearDown() override
    {
        std::error_code ec;
        fs::remove_all(folder_, ec);
    }
    QString File(const char* name) const { return QString::fromStdString((folder_ / name).string()); }
    static QByteArray Bytes(const QString& file)
    {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    fs::path folder_;
};

TEST_F(FigureTest, PngHasItsSignatureAndTheFigureSize)
{
    const QString file = File("s.png");
    ASSERT_EQ(WriteSectionFigure(ThreeSites(), file, QSize(900, 500)), QString());
    EXPECT_TRUE(Bytes(file).startsWith(QByteArray("\x89PNG\r\n\x1a\n", 8)));
    const QImage image(file);
    EXPECT_EQ(image.size(), QSize(900, 500));
}

TEST_F(FigureTest, SvgParsesAndHoldsEverySiteNameEscaped)
{
    // Names with the characters XML must escape.
    const QString file = File("s.SVG");
    ASSERT_EQ(WriteSectionFigure(ThreeSites({"A&B", "<M2>", "E\"3"}), file), QString());
    QXmlStreamReader xml(Bytes(file));
    QString text;
    bool sawSvg = false;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == QLatin1String("svg")) sawSvg = true;
        if (xml.isCharacters()) text += xml.text();
    }
    ASSERT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    EXPECT_TRUE(sawSvg);
    for (const char* name : {"A&B", "<M2>", "E\"3"}) EXPECT_TRUE(text.contains(QString::fromUtf8(name))) << name;
}

TEST_F(FigureTest, PdfHasItsHeaderAndOnePage)
{
    const QString file = File("s.pdf");
    ASSERT_EQ(WriteSectionFigure(ThreeSites(), file), QString());
    const QByteArray pdf = Bytes(file);
    EXPECT_TRUE(pdf.startsWith("%PDF-"));
    // Page objects are "/Type /Page" not followed by "s" (the /Pages tree).
    int pages = 0;
    for (qsizetype at = pdf.indexOf("/Type /Page"); at >= 0; at = pdf.indexOf("/Type /Page", at + 1)) {
        if (pdf.mid(at + 11, 1) != "s") ++pages;
    }
    EXPECT_EQ(pages, 1);
}

TEST_F(FigureTest, NothingIsWrittenWhenTheFileCannotBe)
{
    const Section section = ThreeSites();
    const QString jpeg = File("s.jpg");
    EXPECT_TRUE(WriteSectionFigure(section, jpeg).contains(QStringLiteral(".png, .svg or .pdf")));
    EXPECT_FALSE(QFile::exists(jpeg));
    const QString nowhere = File("missing/s.png");
    EXPECT_TRUE(WriteSectionFigure(section, nowhere).contains(QStringLiteral("cannot be written")));
    EXPECT_FALSE(QFile::exists(nowhere));
    EXPECT_TRUE(fs::is_empty(folder_));
}

TEST_F(FigureTest, FormatIsChosenByTheSuffixInAnyCase)
{
    EXPECT_EQ(FigureFormatOf(QStringLiteral("a/b.PNG")), FigureFormat::kPng);
    EXPECT_EQ(FigureFormatOf(QStringLiteral("b.svg")), FigureFormat::kSvg);
    EXPECT_EQ(FigureFormatOf(QStringLiteral("b.Pdf")), FigureFormat::kPdf);
    EXPECT_FALSE(FigureFormatOf(QStringLiteral("png")));
    EXPECT_FALSE(FigureFormatOf(QStringLiteral("b.png.txt")));
}

}  // namespace
