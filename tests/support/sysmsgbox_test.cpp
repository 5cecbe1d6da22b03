#include "support/sysmsgbox.h"
#include "support/textres.h"

#include "platform/msgbox/msgbox.h"

#include <gtest/gtest.h>

#include <future>
#include <memory>
#include <thread>
#include <vector>

namespace {

class MessageBoxIds_ : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetLanguage(LANG_ENGLISH_TEXTS);
        msgbox::SetHandler([this](const msgbox::Request& r) {
            m_shown.push_back(r);
            return m_answer;
        });
    }
    void TearDown() override { msgbox::SetHandler({}); }

    std::vector<msgbox::Request> m_shown;
    int m_answer = IDOK;
};

TEST_F(MessageBoxIds_, IconRule)
{
    // No icon: question for boxes with other buttons than OK alone, else information.
    EXPECT_EQ(MessageBoxStyle(MB_OK), MB_OK | MB_ICONINFORMATION);
    EXPECT_EQ(MessageBoxStyle(MB_YESNO), MB_YESNO | MB_ICONQUESTION);
    EXPECT_EQ(MessageBoxStyle(MB_OKCANCEL | MB_DEFBUTTON2), MB_OKCANCEL | MB_DEFBUTTON2 | MB_ICONQUESTION);
    EXPECT_EQ(MessageBoxStyle(MB_OK | MB_SYSTEMMODAL), MB_OK | MB_SYSTEMMODAL | MB_ICONINFORMATION);
    // A chosen icon stays.
    EXPECT_EQ(MessageBoxStyle(MB_OK | MB_ICONERROR), MB_OK | MB_ICONERROR);
    EXPECT_EQ(MessageBoxStyle(MB_YESNO | MB_ICONWARNING), MB_YESNO | MB_ICONWARNING);
    // The thread bit never reaches the box.
    EXPECT_EQ(MessageBoxStyle(MB_SUPPORT_ASYNC | MB_OK), MB_OK | MB_ICONINFORMATION);
}

TEST_F(MessageBoxIds_, CaptionAndTextShareTheArguments)
{
    m_answer = IDCANCEL;
    EXPECT_EQ(MessageBoxIds(MB_OK | MB_ICONERROR, 44, 60, "%lu%e", 2u, 2u), IDCANCEL);
    ASSERT_EQ(m_shown.size(), 1u);
    EXPECT_EQ(m_shown[0].caption, "Error - Varno");
    EXPECT_EQ(m_shown[0].text, "The file you specified either could not be read or could not be re-written.\n\n"
                               "Error 2; The file was not found.");
    EXPECT_EQ(m_shown[0].type, MB_OK | MB_ICONERROR);

    m_answer = IDNO;
    EXPECT_EQ(MessageBoxIds(MB_YESNO, 46, 34, "%lu%lu", 800u, 600u), IDNO);
    ASSERT_EQ(m_shown.size(), 2u);
    EXPECT_EQ(m_shown[1].caption, "Varno");
    EXPECT_EQ(m_shown[1].text, "  Higher Resolution (Now 800x600)   ");
    EXPECT_EQ(m_shown[1].type, MB_YESNO | MB_ICONQUESTION);
}

TEST_F(MessageBoxIds_, ThreadBitReturnsAtOnceAndShowsTheBoxElsewhere)
{
    // The box's thread owns a copy of the handler and with it this state.
    struct Shared {
        std::promise<void> release;
        std::shared_future<void> released = release.get_future().share();
        std::promise<std::pair<std::thread::id, msgbox::Request>> seen;
        std::promise<void> closed;
    };
    auto shared = std::make_shared<Shared>();
    msgbox::SetHandler([shared](const msgbox::Request& r) {
        shared->seen.set_value({std::this_thread::get_id(), r});
        shared->released.wait(); // the box stays open until the test has checked the return
        shared->closed.set_value();
        return IDOK;
    });
    EXPECT_EQ(MessageBoxIds(MB_SUPPORT_ASYNC | MB_OK, 46, 47, nullptr), -1);
    shared->release.set_value();
    const auto [thread, request] = shared->seen.get_future().get();
    EXPECT_NE(thread, std::this_thread::get_id());
    EXPECT_EQ(request.caption, "Varno");
    EXPECT_EQ(request.text, "The file you specified has been encrypted.");
    EXPECT_EQ(request.type, MB_OK | MB_ICONINFORMATION);
    shared->closed.get_future().wait();
}

TEST_F(MessageBoxIds_, InTheCurrentLanguage)
{
    SetLanguage(LANG_ESPERANTO_TEXTS);
    MessageBoxIds(MB_OK, 44, 45, nullptr);
    ASSERT_EQ(m_shown.size(), 1u);
    EXPECT_EQ(m_shown[0].caption, "Eraro - Varno");
    EXPECT_EQ(m_shown[0].text, "La komandlinio, kiun vi donis, ne validas.");
}

} // namespace
