#pragma once

// What the tests of the numeric fields share: a dialog with the fields
// promoted in its template, a watcher that reads and dismisses message
// boxes, typing into a field, a message language for one test.

#include "tests/ui/ui_test_util.h"

#include "contracts/data/zun_msg.h"
#include "ui/zun_combo_box.h"
#include "ui/zun_dlg_template.h"
#include "ui/zun_edit.h"

#include "ui_test_dlg_9006.h"

#include <QAbstractButton>
#include <QMessageBox>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

// 9006 "Werte": CZunEdit 1101, 1102, 1103, CZunComboBox 1104, a plain
// QLineEdit 1105, OK and Cancel.
inline constexpr int kTplEditFields = 9006;

// Every message box shown while it lives is recorded once it is active and
// then dismissed with its OK button.
class CBoxWatcher : public QObject {
public:
    struct Box {
        QString text;
        QString title;
        QMessageBox::Icon icon;
        QWidget* owner;
    };
    std::vector<Box> seen;

    CBoxWatcher() { qApp->installEventFilter(this); }
    ~CBoxWatcher() override { qApp->removeEventFilter(this); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* box = qobject_cast<QMessageBox*>(watched);
        if (box && event->type() == QEvent::Show) {
            QTimer::singleShot(0, box, [this, box] {
                if (!QTest::qWaitForWindowActive(box))
                    qWarning("the message box did not become active");
                seen.push_back({box->text(), box->windowTitle(), box->icon(), box->parentWidget()});
                if (QAbstractButton* ok = box->button(QMessageBox::Ok))
                    ok->click();
                else
                    box->reject();
            });
        }
        return false;
    }
};

// The message language for one test.
class CMsgLanguage {
public:
    explicit CMsgLanguage(const wchar_t* language) : m_previous(ZUN::msgLangSet(language)) {}
    ~CMsgLanguage() { ZUN::msgLangSet(m_previous); }

private:
    CZunString m_previous;
};

// Focuses a field and types text over its whole contents; an empty text
// deletes the contents.
inline void typeInto(QLineEdit* field, const QString& text)
{
    field->setFocus();
    if (!QTest::qWaitFor([field] { return field->hasFocus(); }, 2000))
        qWarning("the field did not take the focus");
    field->selectAll();
    if (text.isEmpty())
        QTest::keyClick(field, Qt::Key_Delete);
    else
        QTest::keyClicks(field, text);
}

// Template 9006 open and active, its fields at hand.
class CFieldsDlgTest : public ::testing::Test {
public:
    static void registerTemplate()
    {
        if (!ZUN::dlgTemplateExists(kTplEditFields))
            ZUN::dlgTemplateRegister(kTplEditFields, &ZUN::dlgTemplateFrom<Ui::TestDlg9006>);
    }

protected:
    void SetUp() override
    {
        registerTemplate();
        dlg = std::make_unique<CTestDlg>(kTplEditFields, nullptr);
        ASSERT_TRUE(dlg->Create());
        ASSERT_TRUE(showActive(dlg.get()));
        length = qobject_cast<CZunEdit*>(dlg->GetDlgItem(1101));
        angle = qobject_cast<CZunEdit*>(dlg->GetDlgItem(1102));
        count = qobject_cast<CZunEdit*>(dlg->GetDlgItem(1103));
        combo = qobject_cast<CZunComboBox*>(dlg->GetDlgItem(1104));
        plain = qobject_cast<QLineEdit*>(dlg->GetDlgItem(1105));
        ASSERT_TRUE(length && angle && count && combo && plain);
    }
    void TearDown() override
    {
        dlg->DestroyWindow();
        dlg.reset();
    }

    CTestSettings settings;
    std::unique_ptr<CTestDlg> dlg;
    CZunEdit* length = nullptr;
    CZunEdit* angle = nullptr;
    CZunEdit* count = nullptr;
    CZunComboBox* combo = nullptr;
    QLineEdit* plain = nullptr;
};
