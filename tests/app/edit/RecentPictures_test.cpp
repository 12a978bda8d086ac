// The File menu offers the eight pictures opened last, newest first, from
// one session to the next; one gone since is told and taken off the list.
#include <QMenu>

#include "app/EditorTestSupport.h"
#include "app/MainFrame.h"

using namespace stampora;

TEST(RecentPicturesTest, TheLastEightAreOfferedNewestFirstAndOneGoneIsDropped) {
    EditorSession session;
    const auto name = [](int i) { return "p" + std::to_string(i) + ".bmp"; };
    const auto picture = [&](int i) { return QString::fromStdString(session.dir.File(name(i))); };
    {
        MainFrame frame;
        EXPECT_FALSE(frame.Action(CommandId::kRecentPictures)->isEnabled());
        for (int i : {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 3}) {
            ASSERT_TRUE(
                frame.OpenPath(QString::fromStdString(WritePicture(session.dir, name(i), 20 + i, 10))));
        }
    }
    MainFrame frame;
    QMenu& menu = *frame.Action(CommandId::kRecentPictures)->menu();
    const auto entries = [&menu] {
        QStringList texts;
        for (QAction* entry : menu.actions()) texts << entry->text();
        return texts.join(' ');
    };
    EXPECT_EQ(entries(), "&1 p3.bmp &2 p9.bmp &3 p8.bmp &4 p7.bmp &5 p6.bmp &6 p5.bmp &7 p4.bmp &8 p2.bmp");
    EXPECT_EQ(menu.actions()[1]->statusTip(), picture(9));
    menu.actions()[1]->trigger();
    EXPECT_EQ(frame.Canvas()->Document().fileName, "p9.bmp");

    std::filesystem::remove(picture(8).toStdString());
    menu.actions()[2]->trigger();
    ASSERT_EQ(session.messages.messages.size(), 1u);
    EXPECT_NE(session.messages.messages[0].text.find("p8.bmp\" is no longer there"), std::string::npos);
    EXPECT_EQ(entries(), "&1 p9.bmp &2 p3.bmp &3 p7.bmp &4 p6.bmp &5 p5.bmp &6 p4.bmp &7 p2.bmp");
    EXPECT_EQ(frame.Canvas()->Document().fileName, "p9.bmp");
}
