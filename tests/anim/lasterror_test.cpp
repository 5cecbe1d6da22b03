#include "anim/lasterror.h"

#include "platform/base/syserror.h"
#include "platform/msgbox/msgbox.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {
std::vector<std::string> g_hookCalls;
int g_hookResult = 1;

int RecordingHook(int fOK, const char* expression, const char* file, unsigned long line)
{
    g_hookCalls.push_back(std::string(expression) + "|" + file + "|" + std::to_string(line) + "|" +
                          std::to_string(fOK));
    return g_hookResult;
}

// Captures system message boxes for the length of a test.
struct BoxCapture {
    std::vector<msgbox::Request> boxes;
    msgbox::Handler previous;
    BoxCapture()
    {
        previous = msgbox::SetHandler([this](const msgbox::Request& r) {
            boxes.push_back(r);
            return IDOK;
        });
    }
    ~BoxCapture() { msgbox::SetHandler(previous); }
};

int g_restores = 0;
void CountRestore() { ++g_restores; }
}  // namespace

TEST(LastError, HelpersStoreTheCodeAndReturnTheirFailureValue)
{
    EXPECT_EQ(TRUE_SetLastError(errNotFound), 1);
    EXPECT_EQ(ZephaneGetLastError(), errNotFound);
    EXPECT_EQ(FALSE_SetLastError(errNoWindow), 0);
    EXPECT_EQ(ZephaneGetLastError(), errNoWindow);
    EXPECT_EQ(ZERO_SetLastError(8), 0);
    EXPECT_EQ(ZephaneGetLastError(), 8);
    EXPECT_EQ(MINUSONE_SetLastError(87), -1);
    EXPECT_EQ(static_cast<unsigned short>(MINUSONE_SetLastError(87)), 0xFFFF);
    EXPECT_EQ(HINVALID_SetLastError(122), -1);
    EXPECT_EQ(ZephaneGetLastError(), 122);
    EXPECT_EQ(clrOPAQUE_SetLastError(errNoTransparentColor), 0xFFFFFFFFul);
    EXPECT_EQ(ZephaneGetLastError(), errNoTransparentColor);
}

TEST(LastError, MinusOneTakesTheSystemsLastError)
{
    SetLastError(ERROR_BAD_FORMAT);
    ZephaneSetLastError(-1);
    EXPECT_EQ(ZephaneGetLastError(), 11);
    SetLastError(0);
    ZephaneSetLastError(-1);
    EXPECT_EQ(ZephaneGetLastError(), 0);
}

TEST(LastError, CodesSpanTheLibraryRange)
{
    EXPECT_EQ(errNoPalette, 0x20AA0001);
    EXPECT_EQ(errNoCollision, 0x20AA0010);
    EXPECT_EQ(errChildTexture, 0x20AA0017);
}

TEST(Assertions, HookReceivesEveryCallAndItsResultPassesThrough)
{
    BoxCapture capture;
    g_hookCalls.clear();
    ZephaneSetAssertFunction(RecordingHook);
    g_hookResult = 1;
    EXPECT_EQ(ZephaneAssertFunction(0, "!!pFrame", ".\\animwin.cpp", 42), 1);
    g_hookResult = 0;
    EXPECT_EQ(ZephaneAssertFunction(1, "!!ok", ".\\display.cpp", 7), 0);
    g_hookResult = 5;
    EXPECT_EQ(ZephaneAssertFunction(0, "!!x", "f", 1), 5);
    ZephaneSetAssertFunction(nullptr);
    ASSERT_EQ(g_hookCalls.size(), 3u);
    EXPECT_EQ(g_hookCalls[0], "!!pFrame|.\\animwin.cpp|42|0");
    EXPECT_EQ(g_hookCalls[1], "!!ok|.\\display.cpp|7|1");
    EXPECT_TRUE(capture.boxes.empty());
}

TEST(Assertions, WithoutHookAHoldingCheckReturnsItsValueSilently)
{
    BoxCapture capture;
    EXPECT_EQ(ZephaneAssertFunction(1, "!!a", "f", 1), 1);
    EXPECT_EQ(ZephaneAssertFunction(3, "!!a", "f", 1), 3);
    EXPECT_TRUE(capture.boxes.empty());
}

TEST(Assertions, WithoutHookAFailedCheckRestoresTheVideoModeReportsAndFails)
{
    BoxCapture capture;
    g_restores = 0;
    ZephaneSetAssertVideoRestore(CountRestore);
    const int beeps = msgbox::BeepCount();
    EXPECT_EQ(ZephaneAssertFunction(0, "!!g.Avatar.pFrameArmL", ".\\animobj.cpp", 314), 0);
    ZephaneSetAssertVideoRestore(nullptr);
    EXPECT_EQ(g_restores, 1);
    EXPECT_EQ(msgbox::BeepCount(), beeps + 1);
    ASSERT_EQ(capture.boxes.size(), 1u);
    EXPECT_EQ(capture.boxes[0].caption, "Assertion Failed");
    EXPECT_EQ(capture.boxes[0].type, 0x1030u);
    EXPECT_EQ(capture.boxes[0].text,
              "A logical assertion in this application has failed. Please write down this error and contact this "
              "application's vendor.\n\nExpression: !!g.Avatar.pFrameArmL\nLine 314 of .\\animobj.cpp\n");
}

TEST(Assertions, OverlongReportIsBoundedToItsBuffer)
{
    BoxCapture capture;
    const std::string longExpr(1000, 'x');
    EXPECT_EQ(ZephaneAssertFunction(0, longExpr.c_str(), "f", 1), 0);
    ASSERT_EQ(capture.boxes.size(), 1u);
    EXPECT_EQ(capture.boxes[0].text.size(), 255u);
}

TEST(Assertions, InternalCheckMacroTakesTheFailurePathUnlessTheHookAllowsIt)
{
    BoxCapture capture;
    int* missing = nullptr;
    g_hookCalls.clear();
    ZephaneSetAssertFunction(RecordingHook);
    g_hookResult = 1;
    EXPECT_TRUE(ZASSERT(missing, ".\\graphic.cpp"));
    g_hookResult = 0;
    EXPECT_FALSE(ZASSERT(missing, ".\\graphic.cpp"));
    ZephaneSetAssertFunction(nullptr);
    ASSERT_EQ(g_hookCalls.size(), 2u);
    EXPECT_EQ(g_hookCalls[0].substr(0, 10), "!!missing|");
    EXPECT_FALSE(ZASSERT(missing, ".\\graphic.cpp"));
    EXPECT_EQ(capture.boxes.size(), 1u);
}

TEST(Assertions, AssertFnIgnoresTheHookAndFormatsTextAndCaption)
{
    BoxCapture capture;
    g_restores = 0;
    ZephaneSetAssertVideoRestore(CountRestore);
    ZephaneSetAssertFunction(RecordingHook);
    g_hookCalls.clear();
    EXPECT_EQ(AssertFn(7, "!!a", 1, "m"), 1);
    EXPECT_EQ(AssertFn(0, "!!pExp", 99, "game"), 0);
    ZephaneSetAssertFunction(nullptr);
    ZephaneSetAssertVideoRestore(nullptr);
    EXPECT_TRUE(g_hookCalls.empty());
    EXPECT_EQ(g_restores, 0);
    ASSERT_EQ(capture.boxes.size(), 1u);
    EXPECT_EQ(capture.boxes[0].text, "Assertion failed: \"!!pExp\"");
    EXPECT_EQ(capture.boxes[0].caption, "Line 99 of module game.");
    EXPECT_EQ(capture.boxes[0].type, 0x30u);
}
