#pragma once
// Finding a dialog's controls by their ids and moving the focus the way a
// user does.
#include <gtest/gtest.h>

#include <QApplication>
#include <QColor>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <string>

#include "codecs/PictureFiles.h"
#include "support/TestPictures.h"

using namespace stampora;

template <typename Control>
Control* ById(const QWidget& dialog, int id) {
    auto* control = dialog.findChild<Control*>(QStringLiteral("id%1").arg(id));
    EXPECT_NE(control, nullptr) << "no control id" << id;
    return control;
}

// Shows the dialog as the active window, so focus changes behave as on screen.
inline void ShowActive(QWidget& dialog) {
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
}

// Replaces the edit's text as a user would: focus it, select all, type.
inline void TypeInto(QLineEdit& edit, const QString& text) {
    edit.setFocus(Qt::MouseFocusReason);
    edit.selectAll();
    QTest::keyClicks(&edit, text);
}

// Moves the focus from the edit to the next control with the Tab key.
inline void TabAway(QLineEdit& edit) {
    QTest::keyClick(&edit, Qt::Key_Tab);
}

// Runs `work` on the modal dialog that the next call opens, once its own
// event loop runs.
template <typename Dialog>
void WhenOpened(std::function<void(Dialog&)> work) {
    QTimer::singleShot(0, [work] {
        auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        work(*dialog);
    });
}

// Writes a 24-bit picture of one colour.
inline void WriteFilledPicture(const std::string& path, int32_t width, int32_t height, const QColor& colour) {
    ASSERT_TRUE(UniformImage(width, height, 24, colour.rgb()).Save(path));
}
