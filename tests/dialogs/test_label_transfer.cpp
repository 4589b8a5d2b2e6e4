// The label clipboard between dialogs: copy then paste reproduces every
// non-empty language; a copy forgets what an earlier copy left.
#include "dialogs/zun_label_transfer.h"

#include "contracts/data/zun_msg.h"
#include "contracts/os/zun_registry.h"

#include <gtest/gtest.h>

using namespace ZUN;

TEST(LabelClipboard, CopyThenPasteReproducesTheLanguages)
{
    CZunString label;
    label_set(label, L"Blech\nverzinkt", L"de");
    label_set(label, L"Sheet", L"en");
    label_set(label, L"T\u00F4le", L"fr");
    ASSERT_TRUE(labelClipboardCopy(label));
    EXPECT_TRUE(labelClipboardAvailable());
    EXPECT_TRUE(regKeyExists(kLabelClipboardKey));
    EXPECT_EQ(labelClipboardPaste(true), label);

    // A second copy without French: French is gone from the key.
    CZunString second;
    label_set(second, L"Stab", L"de");
    ASSERT_TRUE(labelClipboardCopy(second));
    const CZunString pasted = labelClipboardPaste(true);
    EXPECT_EQ(label_get(pasted, L"de", false), L"Stab");
    EXPECT_EQ(label_get(pasted, L"fr", false), L"");
    EXPECT_EQ(label_get(pasted, L"en", false), L"");
}

TEST(LabelClipboard, LiteralLineBreaksFollowTheMode)
{
    ASSERT_TRUE(regWrite(kLabelClipboardKey, L"de", CZunString(L"eins\\nzwei\\nd"), true));
    EXPECT_EQ(label_get(labelClipboardPaste(true), L"de", false), L"eins\nzwei\nd");
    EXPECT_EQ(label_get(labelClipboardPaste(false), L"de", false), L"eins zwei d");
}

TEST(LabelClipboard, NoKeyNothingToPaste)
{
    ASSERT_TRUE(regKeyDelete(kLabelClipboardKey));
    EXPECT_FALSE(labelClipboardAvailable());
    EXPECT_EQ(labelClipboardPaste(true), L"");
}
