// Animated objects: their services, order, geometry, user data; the
// window's hooks and data area.
#include "animwin_support.h"

#include "anim/collision.h"

#include <memory>

using namespace animtest;

namespace {
std::vector<int>* g_objectCalls = nullptr;

int ObjectCallback(ANIMOBJECT*, svcAnimObject code, long)
{
    if (g_objectCalls)
        g_objectCalls->push_back(code);
    return 1;
}

std::vector<int> g_hookOrder;
LRESULT HookA(HWND, UINT msg, WPARAM, LPARAM)
{
    g_hookOrder.push_back(static_cast<int>(msg == WM_KEYDOWN ? 'a' : 'A'));
    return 0;
}
LRESULT HookB(HWND, UINT, WPARAM, LPARAM)
{
    g_hookOrder.push_back('B');
    return 0;
}
LRESULT HookStop(HWND, UINT msg, WPARAM, LPARAM)
{
    g_hookOrder.push_back('S');
    return msg == WM_KEYDOWN ? 1 : 0;
}
LRESULT HookMouse(HWND, UINT, WPARAM, LPARAM)
{
    g_hookOrder.push_back('M');
    return 0;
}
} // namespace

TEST_F(AnimWindowTest, CallbackObjectsAreToldOfTheirLifeAndMovedEveryFrame)
{
    std::vector<int> calls;
    g_objectCalls = &calls;
    {
        ANIMOBJECT o(aw, 10, &ObjectCallback, 1234);
        EXPECT_EQ(calls, std::vector<int>{svcaoCreate});
        EXPECT_EQ(o.GetLong(static_cast<unsigned>(-4)), 1234);
        EXPECT_EQ(o.GetLong(0), 0);
        aw->RenderFrame();
        aw->RenderFrame();
        EXPECT_EQ(std::count(calls.begin(), calls.end(), svcaoMove), 2);
        // Host codes pass through.
        EXPECT_EQ(o.CallService(static_cast<svcAnimObject>(256), 0), 1);
    }
    EXPECT_EQ(calls.back(), svcaoDestroy);
    g_objectCalls = nullptr;
}

TEST_F(AnimWindowTest, GraphicsSizeTheirObjectsAndCallbacksMayTakeOverTheDrawing)
{
    auto g = std::unique_ptr<GRAPHIC>(SolidGraphic(32, 16, RGB(9, 9, 9)));
    ANIMOBJECT o(aw, 10, static_cast<ANIMOBJECTCALLBACK>(nullptr), 0);
    o.SetPosition(10, 10);
    ASSERT_EQ(o.SetGraphic(g.get(), 1), 1);
    RECT r;
    o.GetRect(&r);
    EXPECT_EQ(r.left, 10);
    EXPECT_EQ(r.top, 10);
    EXPECT_EQ(r.right, 42);
    EXPECT_EQ(r.bottom, 26);
    o.SetCallback(&ObjectCallback, 0);
    EXPECT_EQ(o.fUseGraphic(), 1);
    o.SetCallback(&ObjectCallback, 1);
    EXPECT_EQ(o.fUseGraphic(), 0);
    o.SetGraphic(nullptr, 1);
    EXPECT_EQ(o.fUseGraphic(), 0);

    ANIMOBJECT fromGraphic(aw, 10, g.get(), 5);
    EXPECT_EQ(fromGraphic.GetWidth(), 32);
    EXPECT_EQ(fromGraphic.GetHeight(), 16);
    EXPECT_EQ(fromGraphic.GetLong(static_cast<unsigned>(-4)), 5);
}

TEST_F(AnimWindowTest, FixedObjectsRefuseToMoveOrChangeTheirPlace)
{
    ANIMOBJECT o(aw, 10, &ObjectCallback, 0);
    ANIMOBJECT other(aw, 10, &ObjectCallback, 0);
    RECT r{5, 5, 15, 15};
    o.SetRect(&r);
    o.SetFixState(1);
    for (int result : {o.SetPosition(50, 50), o.SetSize(3, 3), o.SetDepth(11), o.SetAnimWindow(nullptr),
                       o.SetZOrder(zoTop, nullptr), o.SetLastRect(&r)}) {
        EXPECT_EQ(result, 0);
        EXPECT_EQ(ZephaneGetLastError(), errObjectFixed);
    }
    RECT now;
    o.GetRect(&now);
    EXPECT_EQ(now.left, 5);
    EXPECT_EQ(o.GetDepth(), 10);
    EXPECT_EQ(o.SetRect(nullptr), 0);
    o.SetFixState(0);
    EXPECT_EQ(o.SetPosition(50, 50), 1);
}

TEST_F(AnimWindowTest, ZOrderPlacesWithinTheDepth)
{
    ANIMOBJECT a(aw, 10, &ObjectCallback, 0);
    ANIMOBJECT b(aw, 10, &ObjectCallback, 0);
    ANIMOBJECT c(aw, 10, &ObjectCallback, 0);
    ANIMOBJECT elsewhere(aw, 11, &ObjectCallback, 0);
    // Chain: c, b, a (each new object becomes the head).
    ASSERT_EQ(aw->FindObjectByDepth(10, nullptr), &c);
    ASSERT_EQ(a.SetZOrder(zoBelow, &c), 1); // below the head: the new head
    EXPECT_EQ(aw->FindObjectByDepth(10, nullptr), &a);
    EXPECT_EQ(aw->FindObjectByDepth(10, &a), &c);
    EXPECT_EQ(aw->FindObjectByDepth(10, &c), &b);
    ASSERT_EQ(a.SetZOrder(zoTop, nullptr), 1);
    EXPECT_EQ(aw->FindObjectByDepth(10, &b), &a);
    ASSERT_EQ(b.SetZOrder(zoAbove, &a), 1);
    EXPECT_EQ(aw->FindObjectByDepth(10, &a), &b);
    ASSERT_EQ(b.SetZOrder(zoBottom, nullptr), 1);
    EXPECT_EQ(aw->FindObjectByDepth(10, nullptr), &b);

    EXPECT_EQ(a.SetZOrder(zoAbove, &elsewhere), 0);
    EXPECT_EQ(ZephaneGetLastError(), errBadReference);
    EXPECT_EQ(a.SetZOrder(zoBelow, nullptr), 0);
    EXPECT_EQ(ZephaneGetLastError(), errBadReference);
    EXPECT_EQ(aw->FindObjectByDepth(10, nullptr), &b); // unchanged
    ANIMOBJECT loose(nullptr, 10, &ObjectCallback, 0);
    EXPECT_EQ(loose.SetZOrder(zoTop, nullptr), 0);
    EXPECT_EQ(ZephaneGetLastError(), errNotInWindow);
}

TEST_F(AnimWindowTest, ObjectsMoveBetweenWindowsAndDepthsAsTheBackmost)
{
    ANIMOBJECT a(aw, 10, &ObjectCallback, 0);
    ANIMOBJECT b(nullptr, 20, &ObjectCallback, 0);
    EXPECT_EQ(b.GetAnimWindow(), nullptr);
    ASSERT_EQ(b.SetAnimWindow(aw), 1);
    ASSERT_EQ(b.SetDepth(10), 1);
    EXPECT_EQ(aw->FindObjectByDepth(10, nullptr), &b);
    EXPECT_EQ(aw->FindObjectByDepth(20, nullptr), nullptr);
    ASSERT_EQ(a.SetAnimWindow(nullptr), 1);
    EXPECT_EQ(aw->FindObjectByDepth(10, &b), nullptr);
}

TEST_F(AnimWindowTest, UserDataGrowsZeroFilledAndKeepsTheConstructorsValueApart)
{
    ANIMOBJECT o(aw, 10, &ObjectCallback, static_cast<long>(0x123456789AL));
    EXPECT_EQ(o.GetLong(static_cast<unsigned>(-4)), 0x123456789AL);
    EXPECT_EQ(o.GetLong(0), 0);
    EXPECT_EQ(o.SetLong(200, -5), 1);
    EXPECT_EQ(o.GetLong(200), -5);
    EXPECT_EQ(o.GetLong(100), 0);
    char text[] = "moved";
    ASSERT_EQ(o.SetData(8, text, sizeof text), 1);
    EXPECT_STREQ(static_cast<char*>(o.GetData(8, sizeof text)), "moved");
    EXPECT_EQ(o.GetData(0xFFFFFF00u, 16), nullptr);
}

TEST_F(AnimWindowTest, WindowDataStartsEmptyAndGrowsInSteps)
{
    EXPECT_EQ(aw->GetLong(0), 0);
    ASSERT_EQ(aw->SetLong(100, 0x7EADBEEF), 1);
    EXPECT_GE(AnimWindowProbe::DataBytes(aw), 112u);
    EXPECT_EQ(AnimWindowProbe::DataBytes(aw) % 128, 0u);
    EXPECT_EQ(aw->GetLong(100), 0x7EADBEEF);
    EXPECT_EQ(aw->GetLong(96), 0);
    // The reserved head lies before offset 0.
    auto* head = static_cast<char*>(aw->GetData(static_cast<unsigned>(-8), 8));
    EXPECT_EQ(static_cast<char*>(aw->GetData(0, 4)) - head, 8);
    EXPECT_EQ(aw->GetData(0xFFFFFFF0u, 4), nullptr);
}

TEST_F(AnimWindowTest, HooksRunByPriorityWithTheNewestFirstAmongEquals)
{
    g_hookOrder.clear();
    ASSERT_EQ(aw->SetHook(&HookA, 0x64FFFF), 1);
    ASSERT_EQ(aw->SetHook(&HookB, 0x64FFFF), 1);
    ASSERT_EQ(aw->SetHook(&HookMouse, 0x630002), 1);
    SendMessageA(m_child, WM_USER, 0, 0);
    EXPECT_EQ(g_hookOrder, (std::vector<int>{'B', 'A'})); // the mouse hook hears no other class
    g_hookOrder.clear();
    SendMessageA(m_child, WM_MOUSEMOVE, 0, 0);
    EXPECT_EQ(g_hookOrder, (std::vector<int>{'M', 'B', 'A'}));

    // Counted: set twice, removed once, still there.
    aw->SetHook(&HookA, 0x64FFFF);
    aw->RemoveHook(&HookA);
    g_hookOrder.clear();
    SendMessageA(m_child, WM_USER, 0, 0);
    EXPECT_EQ(g_hookOrder, (std::vector<int>{'B', 'A'}));
    aw->RemoveHook(&HookA);
    g_hookOrder.clear();
    SendMessageA(m_child, WM_USER, 0, 0);
    EXPECT_EQ(g_hookOrder, (std::vector<int>{'B'}));
    EXPECT_EQ(aw->RemoveHook(&HookA), 0);
}

TEST_F(AnimWindowTest, AHookAnsweringStopsLaterHooksButNotTheWindowsOwnWork)
{
    g_hookOrder.clear();
    aw->SetHook(&HookA, 0x65FFFF);
    aw->SetHook(&HookStop, 0x63FFFF);
    SendMessageA(m_child, WM_KEYDOWN, 'X', 0);
    EXPECT_EQ(g_hookOrder, (std::vector<int>{'S'}));
    g_hookOrder.clear();
    host.calls.clear();
    SendMessageA(m_child, WM_SIZE, 0, 0);
    EXPECT_EQ(g_hookOrder, (std::vector<int>{'S', 'A'}));
    EXPECT_EQ(host.Count(svcawSize), 1);
    // A key answered by a hook still reaches the window's own handling.
    g_hookOrder.clear();
    aw->SetHook(&HookStop, 0x630000 | 0xFFFF); // a second reference, mask unchanged
    aw->SetHook(&HookStop, 0);
    SendMessageA(m_child, WM_KEYDOWN, 'X', 0);
    EXPECT_EQ(g_hookOrder, (std::vector<int>{'S'}));
}

TEST_F(AnimWindowTest, CollisionFlagsAlwaysIncludeOneTestKind)
{
    ANIMOBJECT o(aw, 10, &ObjectCallback, 0);
    o.SetCollisionDetect(4);
    EXPECT_EQ(o.GetCollisionDetect(), 5u);
    o.SetCollisionDetect(2);
    EXPECT_EQ(o.GetCollisionDetect(), 2u);
    o.SetCollisionDetect(0);
    EXPECT_EQ(o.GetCollisionDetect(), 0u);
}

TEST_F(AnimWindowTest, PaletteGroupAndMenuModeFollowTheDisplay)
{
    EXPECT_EQ(aw->fHasPalette(), 0);
    EXPECT_EQ(aw->GetGDIPalette(), nullptr);
    EXPECT_EQ(ZephaneGetLastError(), errNoPalette);
    host.calls.clear();
    EXPECT_EQ(aw->SetPaletteGroup(nullptr), 1);
    EXPECT_EQ(host.Count(svcawBackground), 1);
    EXPECT_EQ(aw->ShowMenu(1), 1);
    EXPECT_EQ(Display->GetMenuCount(), 1);
    EXPECT_EQ(aw->ShowMenu(1), 1);
    EXPECT_EQ(Display->GetMenuCount(), 1);
    EXPECT_EQ(aw->ShowMenu(0), 1);
    EXPECT_EQ(Display->GetMenuCount(), 0);
    EXPECT_EQ(Display->fMenuShown(), 0);
}

TEST_F(AnimWindowTest, TheSceneObjectLiesAtTheBackAndCoversTheWindow)
{
    EXPECT_EQ(aw->Enable3d(1), 1);
    EXPECT_EQ(host.Count(svcaw3dDevice), 1);
    ANIMOBJECT* scene = aw->Get3dObject();
    ASSERT_NE(scene, nullptr);
    EXPECT_EQ(scene->GetDepth(), 0x7FFF);
    ANIMOBJECT label(aw, 100, &ObjectCallback, 0);
    aw->RenderFrame();
    RECT r;
    scene->GetRect(&r);
    EXPECT_EQ(r.right, kWidth);
    EXPECT_EQ(r.bottom, kHeight);
    EXPECT_EQ(aw->FindObject(nullptr), scene);
    EXPECT_EQ(aw->Enable3d(0), 1);
    EXPECT_EQ(aw->Get3dObject(), nullptr);
    EXPECT_EQ(aw->FindObject(nullptr), &label);
}
