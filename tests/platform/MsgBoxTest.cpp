// Every box goes through one function: the script sees text, title and style.
#include "support/MsgBoxScript.h"

#include <gtest/gtest.h>

TEST(MsgBox, UntitledBoxCarriesTheApplicationTitle) {
    MsgBoxScript script;
    script.answer(vbNo);
    EXPECT_EQ(MsgBox("Delete?", vbYesNo | vbQuestion | vbDefaultButton2), vbNo);
    ASSERT_EQ(script.count(), 1);
    EXPECT_EQ(script.last().title, "Odomark");
    EXPECT_EQ(MsgBoxIcon(script.last().style), vbQuestion);
    EXPECT_EQ(MsgBoxDefaultAnswer(script.last().style), vbNo);
}
