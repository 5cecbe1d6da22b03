#include "platform/msgbox/msgbox.h"

#include <gtest/gtest.h>

TEST(MessageBoxes, ButtonSetsAndDefaults)
{
    auto b = msgbox::ButtonsFor(MB_YESNOCANCEL | MB_DEFBUTTON2);
    EXPECT_EQ(b.count, 3);
    EXPECT_EQ(b.ids[0], IDYES);
    EXPECT_EQ(b.ids[2], IDCANCEL);
    EXPECT_EQ(b.defaultId, IDNO);
    b = msgbox::ButtonsFor(MB_OK | MB_DEFBUTTON3);  // out of range falls back to the first
    EXPECT_EQ(b.count, 1);
    EXPECT_EQ(b.defaultId, IDOK);
    b = msgbox::ButtonsFor(MB_OKCANCEL | MB_ICONHAND);
    EXPECT_EQ(b.defaultId, IDOK);
    EXPECT_EQ(b.ids[1], IDCANCEL);
}

TEST(MessageBoxes, WithoutADisplayTheTextGoesToStandardErrorAndTheDefaultAnswers)
{
    // The test environment runs with the offscreen video driver.
    testing::internal::CaptureStderr();
    const int answer = MessageBoxA(nullptr, "Level file damaged", "Varno", MB_YESNO | MB_DEFBUTTON2);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(answer, IDNO);
    EXPECT_NE(err.find("Varno: Level file damaged"), std::string::npos);
}

TEST(MessageBoxes, HandlerSeesTheRequestAndAnswers)
{
    msgbox::Request seen;
    auto previous = msgbox::SetHandler([&](const msgbox::Request& r) {
        seen = r;
        return IDRETRY;
    });
    EXPECT_EQ(MessageBoxA(nullptr, "text", nullptr, MB_RETRYCANCEL | MB_ICONQUESTION), IDRETRY);
    msgbox::SetHandler(previous);
    EXPECT_EQ(seen.text, "text");
    EXPECT_EQ(seen.caption, "Error");
    EXPECT_EQ(seen.type, MB_RETRYCANCEL | MB_ICONQUESTION);
}
