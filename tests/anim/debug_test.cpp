#include "anim/debug.h"
#include "platform/base/syserror.h"
#include "platform/window/toolctl.h"
#include "platform/window/toolwin.h"
#include "platform/window/window.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {
void Pump()
{
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&m);
        DispatchMessageA(&m);
    }
}

// Writes one thing to a fresh output and returns what the window shows.
template <typename T>
std::string Written(const T& value, bool angles = false)
{
    Debug d;
    if (angles)
        d << "[AnglesOn]";
    d << value;
    Pump();
    std::string text = d.GetText();
    return text;
}

class DebugOutput : public ::testing::Test {
protected:
    void TearDown() override { window_system::Reset(); }
};
}  // namespace

TEST_F(DebugOutput, DoublesPrintWithoutAPointWhenWhole)
{
    EXPECT_EQ(Written(2.5), "2.5");
    EXPECT_EQ(Written(3.0), "3");
    EXPECT_EQ(Written(-2.5), "-2.5");
    EXPECT_EQ(Written(-0.25), "-0.25");
    EXPECT_EQ(Written(0.1), "0.1");
    EXPECT_EQ(Written(0.3), "0.3");
    EXPECT_EQ(Written(123456.000001), "123456.000001");
    EXPECT_EQ(Written(1e-9), "0");
    EXPECT_EQ(Written(1e20), "100000000000000000000");
}

TEST_F(DebugOutput, AnglesAreDegreesInAFullTurnAndNeverNegative)
{
    const std::string quarter = Written(-M_PI / 2, true);
    const double v = std::atof(quarter.c_str());
    EXPECT_GE(v, 269.99);
    EXPECT_LE(v, 270.0);
    EXPECT_EQ(quarter.find('-'), std::string::npos);
    EXPECT_EQ(Written(M_PI, true), "180");
    EXPECT_EQ(Written(2 * M_PI, true), "0");
    EXPECT_EQ(Written(-7 * M_PI, true), "180");
    EXPECT_EQ(Written(-1e-12, true), "0");
    char out[64];
    for (double a = -20.0; a < 20.0; a += 0.37) {
        const double shown = std::atof(FormatDebugDouble(a, true, out));
        EXPECT_GE(shown, 0.0) << a;
        EXPECT_LT(shown, 360.0) << a;
    }
    // The tags print nothing, and angles can be switched off again.
    Debug d;
    d << "[AnglesOn]";
    EXPECT_TRUE(d.fAnglesOn());
    d << "[AnglesOff]" << M_PI;
    Pump();
    EXPECT_STREQ(d.GetText(), "3.141593");
}

TEST_F(DebugOutput, PointersShowFourOrEightDigits)
{
    EXPECT_EQ(Written(reinterpret_cast<const void*>(0x1234)), "0x1234");
    EXPECT_EQ(Written(reinterpret_cast<const void*>(0xFFFF)), "0xFFFF");
    EXPECT_EQ(Written(reinterpret_cast<const void*>(0x10000)), "0x00010000");
    EXPECT_EQ(Written(reinterpret_cast<const void*>(0xABCDEF12)), "0xABCDEF12");
    EXPECT_EQ(Written(static_cast<const void*>(nullptr)), "0x0000");
}

TEST_F(DebugOutput, NumbersCharactersAndRectangles)
{
    EXPECT_EQ(Written(-5L), "-5");
    EXPECT_EQ(Written(4000000000UL), "4000000000");
    EXPECT_EQ(Written(static_cast<short>(-2)), "-2");
    EXPECT_EQ(Written(static_cast<unsigned short>(65535)), "65535");
    EXPECT_EQ(Written('A'), "A");
    EXPECT_EQ(Written(static_cast<unsigned char>('z')), "z");
    EXPECT_EQ(Written(RECT{1, -2, 30, 40}), "{ x=1..30, y=-2..40 }");
    EXPECT_EQ(Written(static_cast<const char*>(nullptr)), "(null)");
    Debug d;
    d << "n=" << 7 << ", " << 1.5;
    Pump();
    EXPECT_STREQ(d.GetText(), "n=7, 1.5");
}

TEST_F(DebugOutput, LastErrorShowsTheNumberAndItsText)
{
    SetLastError(2);
    EXPECT_EQ(Written("[LastError]"), "#2 (The file was not found.)");
    EXPECT_EQ(GetLastError(), 2u);
    SetLastError(987654);
    EXPECT_EQ(Written("[LastError]"), "#987654 ()");
}

TEST_F(DebugOutput, TheWindowSitsOverTheRightThirdWithoutTakingTheFocus)
{
    const HWND active = GetActiveWindow();
    Debug d;
    EXPECT_EQ(d.GetWindow(), nullptr);
    d << "first";
    const HWND w = d.GetWindow();
    ASSERT_NE(w, nullptr);
    char text[32] = "", cls[32] = "";
    GetWindowTextA(w, text, sizeof text);
    GetClassNameA(w, cls, sizeof cls);
    EXPECT_STREQ(text, "debug++");
    EXPECT_STREQ(cls, "DebugClass");
    EXPECT_TRUE(IsWindowVisible(w));
    EXPECT_EQ(GetActiveWindow(), active);
    EXPECT_TRUE(toolwin::IsAttached(w));
    RECT area{}, rc{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    GetWindowRect(w, &rc);
    EXPECT_EQ(rc.right, area.right);
    EXPECT_EQ(rc.right - rc.left, (area.right - area.left) / 3);
    EXPECT_EQ(rc.top, area.top);
    EXPECT_EQ(rc.bottom, area.bottom);
    // The text view fills the client area.
    RECT client{}, view{};
    GetClientRect(w, &client);
    GetClientRect(d.GetTextView(), &view);
    EXPECT_EQ(view.right, client.right);
    EXPECT_EQ(view.bottom, client.bottom);
}

TEST_F(DebugOutput, BareLineFeedsBecomeLineEndsAndTheViewFollowsTheEnd)
{
    Debug d;
    d << "one\ntwo\r\nthree\n";
    for (int i = 0; i < 200; ++i)
        d << "line " << static_cast<long>(i) << "\n";
    Pump();
    EXPECT_EQ(std::string(d.GetText()).rfind("one\r\ntwo\r\nthree\r\nline 0\r\n", 0), 0u);
    const HWND view = d.GetTextView();
    const auto lines = SendMessageA(view, TVM_GETLINECOUNT, 0, 0);
    EXPECT_EQ(lines, 203);
    const auto first = SendMessageA(view, TVM_GETFIRSTVISIBLE, 0, 0);
    const auto visible = SendMessageA(view, TVM_GETVISIBLELINES, 0, 0);
    EXPECT_GT(first, 0);
    EXPECT_EQ(first + visible, lines);
}

TEST_F(DebugOutput, TheOldestLinesGoAndTheNewTextStaysWhole)
{
    Debug d;
    std::string line(99, 'x');
    for (int i = 0; i < 400; ++i) {
        char head[16];
        std::snprintf(head, sizeof head, "%04d", i);
        d << (std::string(head) + line.substr(4) + "\n").c_str();  // 100 characters and a line feed
    }
    const std::string last = "the newest line, which must arrive whole\n" + std::string(500, 'y');
    d << last.c_str();
    Pump();
    const std::string text = d.GetText();
    EXPECT_LT(text.size(), static_cast<std::size_t>(Debug::cchLimit));
    // It ends with the newest text, line feeds made line ends.
    const std::string expectedEnd = "the newest line, which must arrive whole\r\n" + std::string(500, 'y');
    ASSERT_GE(text.size(), expectedEnd.size());
    EXPECT_EQ(text.substr(text.size() - expectedEnd.size()), expectedEnd);
    // It begins with a whole line: only whole old lines were dropped.
    ASSERT_GE(text.size(), 4u);
    const int firstLine = std::atoi(text.substr(0, 4).c_str());
    EXPECT_GT(firstLine, 100);
    EXPECT_EQ(text.substr(4, 95), std::string(95, 'x'));
    EXPECT_EQ(text.find("0000"), std::string::npos);
    EXPECT_NE(text.find("0399"), std::string::npos);
}

TEST_F(DebugOutput, TextLongerThanTheWindowHoldsKeepsItsEnd)
{
    Debug d;
    d << "old line\n";
    std::string huge;
    for (int i = 0; i < 4000; ++i)
        huge += "row " + std::to_string(i) + "\n";
    d << huge.c_str();
    Pump();
    const std::string text = d.GetText();
    EXPECT_LT(text.size(), static_cast<std::size_t>(Debug::cchLimit));
    EXPECT_EQ(text.find("old line"), std::string::npos);
    EXPECT_EQ(text.rfind("row 3999\r\n"), text.size() - 10);
    EXPECT_EQ(text.rfind("row ", 0), 0u);
}

TEST_F(DebugOutput, AfterTheUserClosesTheWindowOutputIsDropped)
{
    Debug d;
    d << "before";
    Pump();
    const HWND w = d.GetWindow();
    ASSERT_NE(w, nullptr);
    d << "in flight";
    SendMessageA(w, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(w));
    Pump();
    const int windows = window_system::WindowCount();
    d << "after";
    Pump();
    EXPECT_EQ(d.GetWindow(), nullptr);
    EXPECT_EQ(window_system::WindowCount(), windows);
    EXPECT_STREQ(d.GetText(), "before");
}
