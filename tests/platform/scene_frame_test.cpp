// Frames: hierarchy transforms, orientation, motion per tick and reference
// counting of the scene graph.
#include "scene_support.h"

#include <cmath>

namespace {

using FrameTest = SceneTest;

TEST_F(FrameTest, ChildOfRotatedParentLandsWhereTheParentPointsIt)
{
    IDirect3DRMFrame2* scene = NewFrame(nullptr);
    IDirect3DRMFrame2* parent = NewFrame(scene);
    IDirect3DRMFrame2* child = NewFrame(parent);
    // The parent turns a quarter about y (x turns towards -z) and stands at (10, 0, 0).
    ASSERT_EQ(parent->AddRotation(D3DRMCOMBINE_REPLACE, 0, 1, 0, kPi / 2), S_OK);
    ASSERT_EQ(parent->SetPosition(scene, 10, 0, 0), S_OK);
    ASSERT_EQ(child->SetPosition(parent, 1, 0, 0), S_OK);

    D3DVECTOR p;
    ASSERT_EQ(child->GetPosition(scene, &p), S_OK);
    EXPECT_VEC_NEAR(p, 10, 0, -1, 1e-5f);
    ASSERT_EQ(child->GetPosition(nullptr, &p), S_OK); // null: relative to the parent
    EXPECT_VEC_NEAR(p, 1, 0, 0, 1e-5f);

    // The child's own z axis is the parent's, which points along world +x.
    const D3DVECTOR local{0, 0, 1};
    D3DVECTOR world, back;
    ASSERT_EQ(child->Transform(&world, &local), S_OK);
    EXPECT_VEC_NEAR(world, 11, 0, -1, 1e-5f);
    ASSERT_EQ(child->InverseTransform(&back, &world), S_OK);
    EXPECT_VEC_NEAR(back, 0, 0, 1, 1e-5f);

    // Placing relative to the scene puts it there whatever the parent does.
    ASSERT_EQ(child->SetPosition(scene, 3, 4, 5), S_OK);
    ASSERT_EQ(child->GetPosition(scene, &p), S_OK);
    EXPECT_VEC_NEAR(p, 3, 4, 5, 1e-5f);
    ASSERT_EQ(child->GetPosition(parent, &p), S_OK);
    EXPECT_VEC_NEAR(p, -5, 4, -7, 1e-5f);

    const D3DMATRIX w = child->GetWorldTransform();
    EXPECT_VEC_NEAR((D3DVECTOR{w._41, w._42, w._43}), 3, 4, 5, 1e-5f);

    child->Release();
    parent->Release();
    scene->Release();
}

TEST_F(FrameTest, SetOrientationBuildsALeftHandedBasisAndKeepsThePosition)
{
    IDirect3DRMFrame2* scene = NewFrame(nullptr);
    IDirect3DRMFrame2* frame = NewFrame(scene);
    frame->SetPosition(nullptr, 1, 2, 3);
    // An up that leans towards dir is made perpendicular to it.
    ASSERT_EQ(frame->SetOrientation(nullptr, 1, 0, 0, 1, 1, 0), S_OK);

    D3DVECTOR dir, up, p;
    ASSERT_EQ(frame->GetOrientation(scene, &dir, &up), S_OK);
    EXPECT_VEC_NEAR(dir, 1, 0, 0, 1e-5f);
    EXPECT_VEC_NEAR(up, 0, 1, 0, 1e-5f);
    frame->GetPosition(scene, &p);
    EXPECT_VEC_NEAR(p, 1, 2, 3, 1e-5f);

    // Right = up x dir: with dir +x and up +y, the frame's x axis is -z.
    const D3DVECTOR ax{1, 0, 0};
    D3DVECTOR w;
    frame->Transform(&w, &ax);
    EXPECT_VEC_NEAR(w, 1, 2, 2, 1e-5f);

    // Directions relative to a turned reference frame come back in its terms.
    IDirect3DRMFrame2* ref = NewFrame(scene);
    ref->AddRotation(D3DRMCOMBINE_REPLACE, 1, 1, 0, 0.7f);
    ASSERT_EQ(frame->SetOrientation(ref, 0, 0, 1, 0, 1, 0), S_OK);
    ASSERT_EQ(frame->GetOrientation(ref, &dir, &up), S_OK);
    EXPECT_VEC_NEAR(dir, 0, 0, 1, 1e-5f);
    EXPECT_VEC_NEAR(up, 0, 1, 0, 1e-5f);

    // An up along dir gives no basis and changes nothing.
    const D3DMATRIX before = frame->GetWorldTransform();
    EXPECT_EQ(frame->SetOrientation(nullptr, 0, 2, 0, 0, 1, 0), D3DRMERR_BADVALUE);
    EXPECT_EQ(frame->SetOrientation(nullptr, 0, 0, 0, 0, 1, 0), D3DRMERR_BADVALUE);
    EXPECT_EQ(frame->GetWorldTransform()._31, before._31);

    ref->Release();
    frame->Release();
    scene->Release();
}

TEST_F(FrameTest, MoveAppliesRotationAndVelocityPerTickDownTheTree)
{
    IDirect3DRMFrame2* scene = NewFrame(nullptr);
    IDirect3DRMFrame2* spinner = NewFrame(scene);
    IDirect3DRMFrame2* moon = NewFrame(spinner);
    spinner->SetPosition(nullptr, 5, 0, 0);
    moon->SetPosition(nullptr, 0, 0, 2);
    ASSERT_EQ(spinner->SetRotation(nullptr, 0, 1, 0, kPi / 8), S_OK);

    for (int i = 0; i < 4; ++i)
        ASSERT_EQ(scene->Move(1.0f), S_OK);
    // Four eighths of a half turn: z has turned to +x; the spinner stays put
    // and carries the moon round its own origin.
    D3DVECTOR dir, up, p;
    spinner->GetOrientation(scene, &dir, &up);
    EXPECT_VEC_NEAR(dir, 1, 0, 0, 1e-5f);
    EXPECT_VEC_NEAR(up, 0, 1, 0, 1e-5f);
    spinner->GetPosition(scene, &p);
    EXPECT_VEC_NEAR(p, 5, 0, 0, 1e-5f);
    moon->GetPosition(scene, &p);
    EXPECT_VEC_NEAR(p, 7, 0, 0, 1e-5f);

    // A fractional tick turns by that fraction.
    scene->Move(2.0f);
    spinner->GetOrientation(scene, &dir, &up);
    EXPECT_VEC_NEAR(dir, std::cos(kPi / 4), 0, -std::sin(kPi / 4), 1e-5f);

    // The axis is taken in the reference frame's terms: x of a frame turned a
    // quarter about z is the world's y.
    IDirect3DRMFrame2* ref = NewFrame(scene);
    ref->AddRotation(D3DRMCOMBINE_REPLACE, 0, 0, 1, kPi / 2);
    ASSERT_EQ(moon->SetRotation(ref, 1, 0, 0, 0.25f), S_OK);
    D3DVECTOR axis;
    D3DVALUE theta = 0;
    ASSERT_EQ(moon->GetRotation(scene, &axis, &theta), S_OK);
    EXPECT_VEC_NEAR(axis, 0, 1, 0, 1e-5f);
    EXPECT_FLOAT_EQ(theta, 0.25f);

    // Velocity moves the position by its amount per tick.
    spinner->SetRotation(nullptr, 0, 1, 0, 0);
    ASSERT_EQ(spinner->SetVelocity(scene, 0, -0.5f, 0), S_OK);
    spinner->Move(3.0f);
    spinner->GetPosition(scene, &p);
    EXPECT_VEC_NEAR(p, 5, -1.5f, 0, 1e-5f);

    ref->Release();
    moon->Release();
    spinner->Release();
    scene->Release();
}

TEST_F(FrameTest, CombineTypesApplyInTheFrameOrInTheParent)
{
    IDirect3DRMFrame2* frame = NewFrame(nullptr);
    D3DVECTOR p;
    frame->SetPosition(nullptr, 5, 0, 0);
    // Before: turns the frame about its own origin.
    ASSERT_EQ(frame->AddRotation(D3DRMCOMBINE_BEFORE, 0, 1, 0, kPi / 2), S_OK);
    frame->GetPosition(nullptr, &p);
    EXPECT_VEC_NEAR(p, 5, 0, 0, 1e-5f);
    // After: turns it about the parent's origin, position included.
    ASSERT_EQ(frame->AddRotation(D3DRMCOMBINE_AFTER, 0, 1, 0, kPi / 2), S_OK);
    frame->GetPosition(nullptr, &p);
    EXPECT_VEC_NEAR(p, 0, 0, -5, 1e-5f);
    ASSERT_EQ(frame->AddTranslation(D3DRMCOMBINE_AFTER, 1, 1, 1), S_OK);
    frame->GetPosition(nullptr, &p);
    EXPECT_VEC_NEAR(p, 1, 1, -4, 1e-5f);
    // A scale before the placement stretches the frame's own axes only.
    ASSERT_EQ(frame->AddScale(D3DRMCOMBINE_BEFORE, 2, 2, 2), S_OK);
    const D3DVECTOR one{0, 0, 1};
    D3DVECTOR w;
    frame->Transform(&w, &one);
    EXPECT_VEC_NEAR(w, 1, 1, -6, 1e-5f); // z now points along world -z after two quarter turns
    // Replace starts afresh.
    ASSERT_EQ(frame->AddTranslation(D3DRMCOMBINE_REPLACE, 0, 7, 0), S_OK);
    frame->Transform(&w, &one);
    EXPECT_VEC_NEAR(w, 0, 7, 1, 1e-5f);
    EXPECT_EQ(frame->AddRotation(static_cast<D3DRMCOMBINETYPE>(9), 0, 1, 0, 1), D3DRMERR_BADTYPE);
    EXPECT_EQ(frame->AddRotation(D3DRMCOMBINE_AFTER, 0, 0, 0, 1), D3DRMERR_BADVALUE);
    frame->Release();
}

TEST_F(FrameTest, ParentHoldsItsChildrenAndVisuals)
{
    IDirect3DRMMesh* mesh = nullptr;
    ASSERT_EQ(rm->CreateMesh(&mesh), S_OK);
    IDirect3DRMLight* light = nullptr;
    ASSERT_EQ(rm->CreateLightRGB(D3DRMLIGHT_POINT, 1, 1, 1, &light), S_OK);

    IDirect3DRMFrame2* parent = NewFrame(nullptr);
    IDirect3DRMFrame2* child = NewFrame(parent);
    EXPECT_EQ(child->GetRefCount(), 2u); // ours and the parent's
    ASSERT_EQ(child->AddVisual(mesh), S_OK);
    ASSERT_EQ(child->AddLight(light), S_OK);
    EXPECT_EQ(mesh->GetRefCount(), 2u);

    IDirect3DRMFrame2* found = nullptr;
    ASSERT_EQ(child->GetParent(&found), S_OK);
    EXPECT_EQ(found, parent);
    EXPECT_EQ(parent->GetRefCount(), 2u); // GetParent hands out a reference
    found->Release();

    // Our reference goes; the parent's keeps the child and its visual alive.
    EXPECT_EQ(child->Release(), 1u);
    EXPECT_EQ(parent->GetChildren().size(), 1u);
    EXPECT_EQ(mesh->GetRefCount(), 2u);

    // Freeing the parent frees the child, which lets go of its mesh and light.
    EXPECT_EQ(parent->Release(), 0u);
    EXPECT_EQ(mesh->GetRefCount(), 1u);
    EXPECT_EQ(light->GetRefCount(), 1u);
    EXPECT_EQ(mesh->Release(), 0u);
    EXPECT_EQ(light->Release(), 0u);
}

TEST_F(FrameTest, ChildHeldElsewhereOutlivesItsParentAsARoot)
{
    IDirect3DRMFrame2* parent = NewFrame(nullptr);
    IDirect3DRMFrame2* child = NewFrame(parent);
    child->SetPosition(nullptr, 1, 2, 3);
    parent->Release();
    EXPECT_EQ(child->GetParentFrame(), nullptr);
    EXPECT_EQ(child->GetRefCount(), 1u);
    EXPECT_EQ(child->GetScene(), child);
    D3DVECTOR p;
    child->GetPosition(nullptr, &p);
    EXPECT_VEC_NEAR(p, 1, 2, 3, 0);
    EXPECT_EQ(child->Release(), 0u);
}

TEST_F(FrameTest, AddChildMovesBetweenParentsAndRefusesLoops)
{
    IDirect3DRMFrame2* a = NewFrame(nullptr);
    IDirect3DRMFrame2* b = NewFrame(nullptr);
    IDirect3DRMFrame2* child = NewFrame(a);
    IDirect3DRMFrame2* grandchild = NewFrame(child);

    ASSERT_EQ(b->AddChild(child), S_OK);
    EXPECT_EQ(child->GetParentFrame(), b);
    EXPECT_TRUE(a->GetChildren().empty());
    EXPECT_EQ(child->GetRefCount(), 2u); // one parent's reference, not two
    EXPECT_EQ(b->AddChild(child), S_OK); // already there: nothing changes
    EXPECT_EQ(b->GetChildren().size(), 1u);

    EXPECT_EQ(grandchild->AddChild(b), D3DRMERR_BADVALUE);
    EXPECT_EQ(child->AddChild(child), D3DRMERR_BADVALUE);
    EXPECT_EQ(a->DeleteChild(child), D3DRMERR_NOTFOUND);

    ASSERT_EQ(b->DeleteChild(child), S_OK);
    EXPECT_EQ(child->GetParentFrame(), nullptr);
    EXPECT_EQ(child->GetRefCount(), 1u);

    grandchild->Release();
    child->Release();
    b->Release();
    a->Release();
}

TEST_F(FrameTest, VisualsAreMeshesCountedPerOccurrence)
{
    IDirect3DRMFrame2* frame = NewFrame(nullptr);
    IDirect3DRMMesh* mesh = nullptr;
    rm->CreateMesh(&mesh);
    IDirect3DRMMeshBuilder* builder = nullptr;
    rm->CreateMeshBuilder(&builder);

    EXPECT_EQ(frame->AddVisual(builder), D3DRMERR_BADOBJECT);
    EXPECT_EQ(frame->AddVisual(nullptr), D3DRMERR_BADOBJECT);
    ASSERT_EQ(frame->AddVisual(mesh), S_OK);
    ASSERT_EQ(frame->AddVisual(mesh), S_OK);
    EXPECT_EQ(frame->GetVisuals().size(), 2u);
    EXPECT_EQ(mesh->GetRefCount(), 3u);
    ASSERT_EQ(frame->DeleteVisual(mesh), S_OK);
    EXPECT_EQ(frame->GetVisuals().size(), 1u);
    ASSERT_EQ(frame->DeleteVisual(mesh), S_OK);
    EXPECT_EQ(frame->DeleteVisual(mesh), D3DRMERR_NOTFOUND);
    EXPECT_EQ(mesh->GetRefCount(), 1u);

    IDirect3DRMLight* light = nullptr;
    rm->CreateLightRGB(D3DRMLIGHT_AMBIENT, 0.01f, 0.01f, 0.01f, &light);
    EXPECT_EQ(frame->DeleteLight(light), D3DRMERR_NOTFOUND);
    frame->AddLight(light);
    ASSERT_EQ(frame->DeleteLight(light), S_OK);
    EXPECT_EQ(light->GetRefCount(), 1u);

    light->Release();
    builder->Release();
    mesh->Release();
    frame->Release();
}

TEST_F(FrameTest, FrameLooksAreKept)
{
    IDirect3DRMFrame2* frame = NewFrame(nullptr);
    ASSERT_EQ(frame->SetColorRGB(1, 0, 0), S_OK);
    EXPECT_EQ(frame->GetColor(), 0xFFFF0000u);
    ASSERT_EQ(frame->SetMaterialMode(D3DRMMATERIAL_FROMFRAME), S_OK);
    EXPECT_EQ(frame->GetMaterialMode(), D3DRMMATERIAL_FROMFRAME);
    EXPECT_EQ(frame->SetMaterialMode(static_cast<D3DRMMATERIALMODE>(7)), D3DRMERR_BADTYPE);
    ASSERT_EQ(frame->SetSceneBackgroundRGB(0, 0, 1), S_OK);
    EXPECT_EQ(frame->GetSceneBackground(), 0xFF0000FFu);
    frame->Release();
}

} // namespace
