// The batch review: thumbnails made in the background, and a mark moved on
// one picture, undone and reset.
#include <gmock/gmock.h>

#include <QGraphicsItem>
#include <QGraphicsView>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <filesystem>

#include "app/dialogs/DialogTestSupport.h"
#include "app/review/PictureReviewDialog.h"
#include "app/review/ReviewMarks.h"
#include "app/review/ThumbnailStrip.h"
#include "support/TestPaths.h"

using namespace stampora;

namespace {

class PictureReviewTest : public ::testing::Test {
protected:
    PictureReviewTest() {
        std::filesystem::create_directories(scratch.Path() / "in");
        for (const char* name : {"a.bmp", "b.bmp", "c.png"})
            WriteFilledPicture((scratch.Path() / "in" / name).string(), 400, 300, Qt::white);
        WriteFilledPicture(scratch.File("logo.bmp"), 40, 20, Qt::red);
        job.sourceDirectory = (scratch.Path() / "in").string();
        job.outputDirectory = scratch.File("out");
        job.typeFlags.allImages = 1;
        EXPECT_TRUE(job.imageMark.source.Load(scratch.File("logo.bmp")));
        job.imageMark.base.enabled = true;
        job.imageMark.base.alignment = RightBottom;
    }

    ScratchDir scratch;
    CBatchJob job;
};

// The reddest pixel's place in an image, scaled to the picture's pixels.
QPoint RedAt(const QImage& image, double scale) {
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.red() > 200 && c.green() < 80) return QPoint(int(x * scale), int(y * scale));
        }
    }
    return QPoint(-1, -1);
}

TEST_F(PictureReviewTest, ThumbnailsShowTheMarksWhereTheRunStampsThem) {
    ThumbnailStrip strip;
    strip.ShowPictures(job);
    QTRY_COMPARE_WITH_TIMEOUT(strip.MadeCount(), 3, 10000);
    EXPECT_EQ(strip.NameAt(2), "c.png");
    const QImage first = strip.item(0)->icon().pixmap(160, 120).toImage();
    // The mark's top-left lies at 400 - 40 - 10, 300 - 20 - 10, as the run puts it.
    const QPoint red = RedAt(first, 400.0 / first.width());
    EXPECT_NEAR(red.x(), 350, 4);
    EXPECT_NEAR(red.y(), 270, 4);

    // A moved mark is drawn at its place, and the thumbnail carries the sign.
    PicturePlacement moved;
    moved.image = MarkPoint{20, 30};
    strip.Remake(0, moved);
    QTRY_COMPARE_WITH_TIMEOUT(strip.MadeCount(), 4, 10000);
    const QImage again = strip.item(0)->icon().pixmap(160, 120).toImage();
    EXPECT_EQ(RedAt(again, 400.0 / again.width()), QPoint(20, 30));
    EXPECT_THAT(strip.item(0)->toolTip().toStdString(), ::testing::HasSubstr("moved"));
}

TEST_F(PictureReviewTest, AMovedMarkIsUndoneAndReset) {
    ThumbnailStrip strip;
    strip.ShowPictures(job);
    QTRY_VERIFY_WITH_TIMEOUT(strip.Marks() && strip.count() == 3, 10000);
    PictureReviewDialog review(strip.Marks(), strip.PathAt(1), 2, {});
    ShowActive(review);
    QTRY_VERIFY_WITH_TIMEOUT(review.PictureShown(), 10000);
    const auto markAt = [&review] {
        for (QGraphicsItem* item : review.findChild<QGraphicsView*>("reviewView")->scene()->items())
            if (item->flags() & QGraphicsItem::ItemIsMovable) return item->pos().toPoint();
        return QPoint(-1, -1);
    };
    EXPECT_EQ(markAt(), QPoint(350, 270));

    review.MoveMark(MarkKind::Image, QPoint(25, 35));
    EXPECT_EQ(review.Placement().image, (MarkPoint{25, 35}));
    EXPECT_EQ(markAt(), QPoint(25, 35));
    QTest::keyClick(&review, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_TRUE(review.Placement().Empty());
    EXPECT_EQ(markAt(), QPoint(350, 270));
    review.History().redo();
    QTest::mouseClick(review.findChild<QPushButton*>("reset"), Qt::LeftButton);
    EXPECT_TRUE(review.Placement().Empty());
    review.History().undo();
    EXPECT_EQ(review.Placement().image, (MarkPoint{25, 35}));
}

}  // namespace

// A mark placed automatically is shown where the run will choose it: on a
// picture noisy on the left and flat on the right, in the flat half.
TEST_F(PictureReviewTest, AnAutomaticallyPlacedMarkIsShownWhereTheRunPutsIt) {
    job.imageMark.base.alignment = AutoPlace;
    ReducedPicture picture;
    picture.pixels = QImage(200, 100, QImage::Format_ARGB32);
    picture.pixels.fill(Qt::gray);
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 100; ++x)
            picture.pixels.setPixel(x, y, (x * 7 + y * 13) % 5 ? 0xFF000000 : 0xFFFFFFFF);
    picture.width = 2000;
    picture.height = 1000;
    ReviewMarks marks(job);
    const std::vector<ShownMark> shown = marks.ForPicture("p.bmp", picture, 1, {});
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_GT(shown[0].places.at(0).x(), 1000);
}
