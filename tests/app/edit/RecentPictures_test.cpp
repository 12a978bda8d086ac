// The File menu offers the eight pictures opened last, newest first, from
// one session to the next; one gone since is told and taken off the list.
#include <QMenu>

#include "app/EditorTestSupport.h"
#include "app/MainFrame.h"

using namespace stampora;

namespace {

class RecentTest : public ::testing::Test, protected EditorSession {
protected:
    QString Picture(int i) { return QString::fromStdString(dir.File("p" + std::to_string(i) + ".bmp")); }
    static QStringList Entries(const MainFrame& frame) {
        QStringList entries;
        for (QAction* entry : frame.Action(CommandId::kRecentPictures)->menu()->actions())
            entries << entry->text();
        return entries;
    }
    static QAction* Entry(const MainFrame& frame, int index) {
        return frame.Action(CommandId::kRecentPictures)->menu()->actions().value(index);
    }
};

}  // namespace

TEST_F(RecentTest, TheLastEightPicturesAreOfferedNewestFirstAndOneGoneIsDropped) {
    {
        MainFrame frame;
        EXPECT_FALSE(frame.Action(CommandId::kRecentPictures)->isEnabled());
        for (int i = 0; i < 10; ++i) WritePicture(dir, "p" + std::to_string(i) + ".bmp", 20 + i, 10);
        for (int i : {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 3}) ASSERT_TRUE(frame.OpenPath(Picture(i)));
    }
    MainFrame frame;
    EXPECT_EQ(Entries(frame), (QStringList{"&1 p3.bmp", "&2 p9.bmp", "&3 p8.bmp", "&4 p7.bmp", "&5 p6.bmp",
                                           "&6 p5.bmp", "&7 p4.bmp", "&8 p2.bmp"}));
    EXPECT_EQ(Entry(frame, 1)->statusTip(), Picture(9));

    Entry(frame, 1)->trigger();
    EXPECT_EQ(frame.Canvas()->Document().fileName, "p9.bmp");
    EXPECT_EQ(Entries(frame).value(0), "&1 p9.bmp");

    std::filesystem::remove(Picture(8).toStdString());
    Entry(frame, 2)->trigger();
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_NE(messages.messages[0].text.find("p8.bmp\" is no longer there"), std::string::npos);
    EXPECT_EQ(Entries(frame).size(), 7);
    EXPECT_FALSE(Entries(frame).join(' ').contains("p8"));
    EXPECT_EQ(frame.Canvas()->Document().fileName, "p9.bmp");
}
