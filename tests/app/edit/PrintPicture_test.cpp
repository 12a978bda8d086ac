// Print sends the composed picture (marks included, every pixel) to the
// printer, fitted to the printable area, centred and turned the way it fits;
// checked by printing to a PDF file and reading it back with poppler's tools.
#include <QProcess>

#include "app/EditorTestSupport.h"
#include "app/MainFrame.h"

using namespace stampora;

namespace {

class PrintTest : public ::testing::Test, protected EditorSession {
protected:
    // Runs one of poppler's tools in the scratch folder.
    void Run(const QString& command) {
        QProcess tool;
        tool.setWorkingDirectory(QString::fromStdString(dir.Path().string()));
        const QStringList words = QProcess::splitCommand(command);
        tool.start(words.first(), words.mid(1));
        ASSERT_TRUE(tool.waitForFinished(30000) && tool.exitCode() == 0)
            << command.toStdString() << " (poppler-utils): " << tool.readAllStandardError().toStdString();
    }
    MainFrame frame;
};

}  // namespace

TEST_F(PrintTest, TheComposedPictureIsPrintedWholeFittedCentredAndTurnedToFit) {
    ASSERT_TRUE(frame.OpenPath(QString::fromStdString(WritePicture(dir, "wide.bmp", 360, 160))));
    ImageWatermark logo;
    logo.source = UniformImage(40, 20, 24, 0xC02020);
    logo.base.width = 40;
    logo.base.height = 20;
    logo.base.enabled = true;
    frame.Canvas()->TakeImageMark(logo, MarkFit{});
    const CRasterImage composed = frame.Canvas()->ComposeForSave();

    // Cancelled, nothing is printed.
    frame.Action(CommandId::kPrint)->trigger();
    EXPECT_EQ(choosers.printerRequests, 1);
    EXPECT_FALSE(std::filesystem::exists(dir.File("page.pdf")));

    choosers.printFile = QString::fromStdString(dir.File("page.pdf"));
    frame.Action(CommandId::kPrint)->trigger();
    EXPECT_TRUE(messages.messages.empty());

    // The page holds the composed picture itself, pixel for pixel.
    Run("pdfimages -png page.pdf image");
    CRasterImage printed;
    ASSERT_TRUE(printed.Load(dir.File("image-000.png")));
    EXPECT_EQ(DifferenceOf(printed, composed).worst, 0);

    // Drawn on a landscape page as wide as the printable area, centred.
    Run("pdftoppm -r 24 -png -singlefile page.pdf page");
    CRasterImage page;
    ASSERT_TRUE(page.Load(dir.File("page.png")));
    ASSERT_GT(page.Width(), page.Height());
    QRect drawn;
    EachPixel(page, [&](int32_t x, int32_t y, const uint8_t*) {
        if (PixelOf(page, x, y).g <= 200) drawn |= QRect(x, y, 1, 1);
    });
    EXPECT_NEAR(drawn.left(), page.Width() - 1 - drawn.right(), 2);
    EXPECT_NEAR(drawn.top(), page.Height() - 1 - drawn.bottom(), 2);
    EXPECT_GT(drawn.width(), page.Width() * 8 / 10);
    EXPECT_NEAR(static_cast<double>(drawn.width()) / drawn.height(), 360.0 / 160.0, 0.15);
}
