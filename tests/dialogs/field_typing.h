#pragma once

// Typing into a dialog's numeric field as a user does: focus, the old text
// selected and typed over, Tab to leave, so that the field takes the value
// on leaving as it does for a real user. Shared by the dialog tests and
// the host's tests of the dialogs it opens.

#include "ui/zun_edit.h"

#include <QString>
#include <QTest>

#include <gtest/gtest.h>

inline void typeAndLeave(CZunEdit* edit, const QString& text)
{
    ASSERT_NE(edit, nullptr);
    edit->setFocus();
    QTest::qWaitFor([edit] { return edit->hasFocus(); }, 2000);
    edit->selectAll();
    QTest::keyClicks(edit, text);
    QTest::keyClick(edit, Qt::Key_Tab);
}
