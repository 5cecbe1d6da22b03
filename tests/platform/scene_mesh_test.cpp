// Meshes, mesh builders, lights, materials and textures of the scene graph.
#include "scene_support.h"

namespace {

using MeshTest = SceneTest;
using LookTest = SceneTest;

D3DRMVERTEX Vertex(float x, float y, float z, float u = 0, float v = 0)
{
    return D3DRMVERTEX{{x, y, z}, {0, 0, -1}, u, v, 0xFF102030};
}

TEST_F(MeshTest, GroupDataRoundTrips)
{
    IDirect3DRMMesh* mesh = nullptr;
    ASSERT_EQ(rm->CreateMesh(&mesh), S_OK);
    const unsigned faces[] = {0, 1, 2, 0, 2, 3};
    D3DRMGROUPINDEX id = -1;
    ASSERT_EQ(mesh->AddGroup(4, 2, 3, faces, &id), S_OK);
    EXPECT_EQ(id, 0);
    const D3DRMVERTEX verts[] = {Vertex(0, 0, 0, 0, 1), Vertex(0, 1, 0, 0, 0), Vertex(1, 1, 0, 1, 0),
                                 Vertex(1, 0, 0, 1, 1)};
    ASSERT_EQ(mesh->SetVertices(id, 0, 4, verts), S_OK);
    const D3DRMVERTEX moved = Vertex(2, 2, 2, 0.5f, 0.5f);
    ASSERT_EQ(mesh->SetVertices(id, 3, 1, &moved), S_OK);

    D3DRMVERTEX out[4];
    ASSERT_EQ(mesh->GetVertices(id, 0, 4, out), S_OK);
    EXPECT_VEC_NEAR(out[2].position, 1, 1, 0, 0);
    EXPECT_VEC_NEAR(out[3].position, 2, 2, 2, 0);
    EXPECT_FLOAT_EQ(out[3].tu, 0.5f);
    EXPECT_EQ(out[0].color, 0xFF102030u);
    EXPECT_EQ(mesh->SetVertices(id, 3, 2, verts), D3DRMERR_BADVALUE); // past the end
    EXPECT_EQ(mesh->GetVertices(id, 5, 0, out), D3DRMERR_BADVALUE);
    EXPECT_EQ(mesh->SetVertices(7, 0, 1, verts), D3DRMERR_NOTFOUND);

    unsigned vc = 0, fc = 0, vpf = 0;
    DWORD size = 0;
    ASSERT_EQ(mesh->GetGroup(id, &vc, &fc, &vpf, &size, nullptr), S_OK);
    EXPECT_EQ(vc, 4u);
    EXPECT_EQ(fc, 2u);
    EXPECT_EQ(vpf, 3u);
    EXPECT_EQ(size, 6u);
    unsigned data[6] = {};
    DWORD small = 5;
    EXPECT_EQ(mesh->GetGroup(id, nullptr, nullptr, nullptr, &small, data), D3DRMERR_BADVALUE);
    ASSERT_EQ(mesh->GetGroup(id, nullptr, nullptr, nullptr, &size, data), S_OK);
    EXPECT_EQ(std::vector<unsigned>(data, data + 6), std::vector<unsigned>(faces, faces + 6));

    // Bad groups are refused and leave the mesh as it was.
    const unsigned outOfRange[] = {0, 1, 4};
    EXPECT_EQ(mesh->AddGroup(4, 1, 3, outOfRange, &id), D3DRMERR_BADVALUE);
    EXPECT_EQ(mesh->AddGroup(4, 1, 2, faces, &id), D3DRMERR_BADVALUE);
    EXPECT_EQ(mesh->AddGroup(4, 1, 3, nullptr, &id), D3DRMERR_BADVALUE);
    EXPECT_EQ(mesh->GetGroupCount(), 1u);
    mesh->Release();
}

TEST_F(MeshTest, GroupLooksHoldTheirMaterialAndTexture)
{
    IDirect3DRMMesh* mesh = nullptr;
    rm->CreateMesh(&mesh);
    const unsigned tri[] = {0, 1, 2};
    D3DRMGROUPINDEX id;
    mesh->AddGroup(3, 1, 3, tri, &id);
    IDirect3DRMMaterial* material = nullptr;
    rm->CreateMaterial(150.0f, &material);
    const D3DCOLOR pixels[4] = {0xFFFFFFFF, 0xFF000000, 0xFF000000, 0xFFFFFFFF};
    const D3DRMIMAGE image{2, 2, pixels};
    IDirect3DRMTexture* texture = nullptr;
    ASSERT_EQ(rm->CreateTexture(&image, &texture), S_OK);

    const std::uint64_t before = mesh->GetVersion();
    ASSERT_EQ(mesh->SetGroupColorRGB(id, 1, 0.5f, 0), S_OK);
    EXPECT_EQ(mesh->GetGroupColor(id), 0xFFFF8000u);
    EXPECT_GT(mesh->GetVersion(), before);
    ASSERT_EQ(mesh->SetGroupMaterial(id, material), S_OK);
    ASSERT_EQ(mesh->SetGroupTexture(id, texture), S_OK);
    ASSERT_EQ(mesh->SetGroupQuality(id, D3DRMRENDER_FLAT), S_OK);
    EXPECT_EQ(mesh->GetGroupQuality(id), D3DRMRENDER_FLAT);
    EXPECT_EQ(material->GetRefCount(), 2u);
    EXPECT_EQ(texture->GetRefCount(), 2u);

    IDirect3DRMTexture* got = nullptr;
    ASSERT_EQ(mesh->GetGroupTexture(id, &got), S_OK);
    EXPECT_EQ(got, texture);
    got->Release();
    IDirect3DRMMaterial* gotMaterial = nullptr;
    ASSERT_EQ(mesh->GetGroupMaterial(id, &gotMaterial), S_OK);
    EXPECT_EQ(gotMaterial, material);
    gotMaterial->Release();

    // Taking the texture off lets go of it; freeing the mesh lets go of the material.
    ASSERT_EQ(mesh->SetGroupTexture(id, nullptr), S_OK);
    EXPECT_EQ(texture->GetRefCount(), 1u);
    ASSERT_EQ(mesh->GetGroupTexture(id, &got), S_OK);
    EXPECT_EQ(got, nullptr);
    EXPECT_EQ(mesh->SetGroupColor(3, 0), D3DRMERR_NOTFOUND);
    EXPECT_EQ(mesh->GetGroupColor(3), 0u);

    {
        ScopedRenderer scoped;
        const std::uint64_t meshId = mesh->GetId();
        EXPECT_EQ(mesh->Release(), 0u);
        EXPECT_EQ(scoped.renderer.freed, std::vector<std::uint64_t>{meshId});
    }
    EXPECT_EQ(material->Release(), 0u);
    EXPECT_EQ(texture->Release(), 0u);
}

TEST_F(MeshTest, GroupWithoutVerticesSpeaksForTheWholeMesh)
{
    IDirect3DRMMesh* mesh = nullptr;
    rm->CreateMesh(&mesh);
    const unsigned quad[] = {0, 1, 2, 3};
    D3DRMGROUPINDEX a, b, whole;
    mesh->AddGroup(4, 1, 4, quad, &a);
    mesh->AddGroup(4, 1, 4, quad, &b);
    mesh->SetGroupColor(b, 0xFF00FF00);
    // No vertices; face data that refers to the mesh's faces in order.
    const unsigned all[] = {0, 1, 2, 3, 4, 5, 6, 7};
    ASSERT_EQ(mesh->AddGroup(0, 2, 4, all, &whole), S_OK);

    IDirect3DRMTexture* texture = nullptr;
    const D3DCOLOR pixel = 0xFFFFFFFF;
    const D3DRMIMAGE image{1, 1, &pixel};
    rm->CreateTexture(&image, &texture);
    ASSERT_EQ(mesh->SetGroupColor(whole, 0xFF123456), S_OK);
    ASSERT_EQ(mesh->SetGroupTexture(whole, texture), S_OK);
    for (D3DRMGROUPINDEX id : {a, b, whole}) {
        EXPECT_EQ(mesh->GetGroupColor(id), 0xFF123456u);
        EXPECT_EQ(mesh->GetGroupData(id)->pTexture, texture);
    }
    EXPECT_EQ(texture->GetRefCount(), 4u);
    // A change to an ordinary group stays in that group.
    mesh->SetGroupColor(a, 0xFF000000);
    EXPECT_EQ(mesh->GetGroupColor(b), 0xFF123456u);

    mesh->Release();
    EXPECT_EQ(texture->Release(), 0u);
}

TEST_F(MeshTest, TranslateScaleAndBox)
{
    IDirect3DRMMesh* mesh = NewQuad({-0.5f, 0, -0.5f}, {-0.5f, 0, 0.5f}, {0.5f, 0, 0.5f}, {0.5f, 0, -0.5f});
    D3DRMBOX box;
    ASSERT_EQ(mesh->GetBox(&box), S_OK);
    EXPECT_VEC_NEAR(box.min, -0.5f, 0, -0.5f, 0);
    EXPECT_VEC_NEAR(box.max, 0.5f, 0, 0.5f, 0);

    ASSERT_EQ(mesh->Scale(2, 1, 4), S_OK);
    ASSERT_EQ(mesh->Translate(1, 0.015f, -1), S_OK);
    mesh->GetBox(&box);
    EXPECT_VEC_NEAR(box.min, 0, 0.015f, -3, 1e-6f);
    EXPECT_VEC_NEAR(box.max, 2, 0.015f, 1, 1e-6f);
    // A flat surface keeps a unit normal under a non-uniform scale.
    EXPECT_VEC_NEAR(mesh->GetGroupData(0)->aVertices[0].normal, 0, 1, 0, 1e-6f);

    IDirect3DRMMesh* empty = nullptr;
    rm->CreateMesh(&empty);
    empty->GetBox(&box);
    EXPECT_VEC_NEAR(box.min, 0, 0, 0, 0);
    EXPECT_VEC_NEAR(box.max, 0, 0, 0, 0);
    EXPECT_EQ(empty->GetBox(nullptr), D3DRMERR_BADVALUE);
    empty->Release();
    mesh->Release();
}

TEST_F(MeshTest, BuilderGroupsFacesByLookIntoAMesh)
{
    IDirect3DRMMeshBuilder* builder = nullptr;
    ASSERT_EQ(rm->CreateMeshBuilder(&builder), S_OK);
    const D3DCOLOR pixel = 0xFFFFFFFF;
    const D3DRMIMAGE image{1, 1, &pixel};
    IDirect3DRMTexture* texture = nullptr;
    rm->CreateTexture(&image, &texture);

    // A unit box's front (z = -0.5) and top faces in red, its bottom textured,
    // and one triangle in red: three groups.
    auto addQuad = [&](std::initializer_list<D3DVECTOR> corners, D3DCOLOR color, IDirect3DRMTexture* tex) {
        IDirect3DRMFace* face = nullptr;
        ASSERT_EQ(builder->CreateFace(&face), S_OK);
        for (const D3DVECTOR& c : corners)
            face->AddVertex(c.x, c.y, c.z);
        const float uv[4][2] = {{0, 1}, {0, 0}, {1, 0}, {1, 1}};
        for (DWORD i = 0; i < corners.size(); ++i)
            face->SetTextureCoordinates(i, uv[i][0], uv[i][1]);
        face->SetColor(color);
        face->SetTexture(tex);
        face->Release();
    };
    addQuad({{-0.5f, -0.5f, -0.5f}, {-0.5f, 0.5f, -0.5f}, {0.5f, 0.5f, -0.5f}, {0.5f, -0.5f, -0.5f}}, 0xFFFF0000,
            nullptr);
    addQuad({{-0.5f, -0.5f, 0.5f}, {-0.5f, -0.5f, -0.5f}, {0.5f, -0.5f, -0.5f}, {0.5f, -0.5f, 0.5f}}, 0xFFFFFFFF,
            texture);
    addQuad({{-0.5f, 0.5f, -0.5f}, {-0.5f, 0.5f, 0.5f}, {0.5f, 0.5f, 0.5f}, {0.5f, 0.5f, -0.5f}}, 0xFFFF0000, nullptr);
    addQuad({{0, 0, 0}, {0, 1, 0}, {1, 0, 0}}, 0xFFFF0000, nullptr);
    IDirect3DRMFace* unfinished = nullptr;
    builder->CreateFace(&unfinished); // two corners only: left out
    unfinished->AddVertex(0, 0, 0);
    unfinished->AddVertex(1, 1, 1);
    unfinished->Release();
    EXPECT_EQ(builder->GetFaceCount(), 5);
    EXPECT_EQ(builder->GetVertexCount(), 17);
    ASSERT_EQ(builder->GenerateNormals(), S_OK);

    IDirect3DRMMesh* mesh = nullptr;
    ASSERT_EQ(builder->CreateMesh(&mesh), S_OK);
    ASSERT_EQ(mesh->GetGroupCount(), 3u);
    const auto* red = mesh->GetGroupData(0);
    EXPECT_EQ(red->color, 0xFFFF0000u);
    EXPECT_EQ(red->nFaces, 2u);
    EXPECT_EQ(red->nVertexPerFace, 4u);
    EXPECT_EQ(red->aFaceData, (std::vector<unsigned>{0, 1, 2, 3, 4, 5, 6, 7}));
    // Normals point out of the box: the front face towards -z, the top up.
    EXPECT_VEC_NEAR(red->aVertices[0].normal, 0, 0, -1, 1e-6f);
    EXPECT_VEC_NEAR(red->aVertices[4].normal, 0, 1, 0, 1e-6f);
    EXPECT_FLOAT_EQ(red->aVertices[2].tu, 1);
    EXPECT_FLOAT_EQ(red->aVertices[2].tv, 0);
    const auto* textured = mesh->GetGroupData(1);
    EXPECT_EQ(textured->pTexture, texture);
    EXPECT_VEC_NEAR(textured->aVertices[0].normal, 0, -1, 0, 1e-6f);
    EXPECT_EQ(mesh->GetGroupData(2)->nVertexPerFace, 3u);

    // The mesh is independent of the builder from now on.
    builder->Translate(5, 5, 5);
    D3DRMBOX box;
    mesh->GetBox(&box);
    EXPECT_VEC_NEAR(box.max, 1, 1, 0.5f, 0);
    builder->GetBox(&box);
    EXPECT_VEC_NEAR(box.min, 4.5f, 4.5f, 4.5f, 0);

    builder->Release();
    mesh->Release();
    EXPECT_EQ(texture->Release(), 0u);
}

TEST_F(MeshTest, BuilderTakesSharedVertexListsAndLooseFaces)
{
    IDirect3DRMMeshBuilder* builder = nullptr;
    rm->CreateMeshBuilder(&builder);
    const D3DVECTOR v[] = {{0, 0, 0}, {0, 1, 0}, {1, 1, 0}, {1, 0, 0}};
    const D3DVECTOR n[] = {{0, 0, -1}};
    const DWORD data[] = {3, 0, 0, 1, 0, 2, 0, 3, 0, 0, 2, 0, 3, 0, 0};
    ASSERT_EQ(builder->AddFaces(4, v, 1, n, data), S_OK);
    EXPECT_EQ(builder->GetFaceCount(), 2);
    const DWORD bad[] = {3, 0, 1, 9, 0};
    EXPECT_EQ(builder->AddFaces(4, v, 0, nullptr, bad), D3DRMERR_BADVALUE);
    EXPECT_EQ(builder->GetFaceCount(), 2);

    IDirect3DRMFace* loose = nullptr;
    ASSERT_EQ(rm->CreateFace(&loose), S_OK);
    loose->AddVertex(0, 0, 1);
    loose->AddVertex(0, 1, 1);
    loose->AddVertex(1, 1, 1);
    ASSERT_EQ(builder->AddFace(loose), S_OK);
    EXPECT_EQ(builder->AddFace(loose), D3DRMERR_FACEUSED);
    builder->SetColorRGB(0, 0, 1);
    EXPECT_EQ(loose->GetColor(), 0xFF0000FFu);
    loose->Release();

    IDirect3DRMMesh* mesh = nullptr;
    builder->CreateMesh(&mesh);
    ASSERT_EQ(mesh->GetGroupCount(), 1u);
    EXPECT_EQ(mesh->GetGroupData(0)->nFaces, 3u);
    EXPECT_VEC_NEAR(mesh->GetGroupData(0)->aVertices[1].normal, 0, 0, -1, 0);
    // The loose face had no normals: it takes its face normal.
    EXPECT_VEC_NEAR(mesh->GetGroupData(0)->aVertices[6].normal, 0, 0, -1, 1e-6f);
    mesh->Release();
    builder->Release();
}

TEST_F(LookTest, LightsKeepColourRangeAndAttenuation)
{
    IDirect3DRMLight* light = nullptr;
    // A strong red point light, as a lone mine glows.
    ASSERT_EQ(rm->CreateLightRGB(D3DRMLIGHT_POINT, 2.0f, 0, 0, &light), S_OK);
    EXPECT_EQ(light->GetType(), D3DRMLIGHT_POINT);
    EXPECT_FLOAT_EQ(light->GetRed(), 2.0f);
    EXPECT_EQ(light->GetColor(), 0xFFFF0000u); // clamped when packed
    ASSERT_EQ(light->SetColorRGB(0.5f, 0.5f, 0.5f), S_OK);
    EXPECT_FLOAT_EQ(light->GetGreen(), 0.5f);

    ASSERT_EQ(light->SetRange(10), S_OK);
    ASSERT_EQ(light->SetConstantAttenuation(1), S_OK);
    ASSERT_EQ(light->SetLinearAttenuation(0.5f), S_OK);
    ASSERT_EQ(light->SetQuadraticAttenuation(0.25f), S_OK);
    EXPECT_FLOAT_EQ(light->GetRange(), 10);
    EXPECT_FLOAT_EQ(light->GetQuadraticAttenuation(), 0.25f);
    EXPECT_FLOAT_EQ(light->Attenuation(2), 1.0f / (1 + 1 + 1));
    EXPECT_FLOAT_EQ(light->Attenuation(11), 0);
    EXPECT_EQ(light->SetRange(-1), D3DRMERR_BADVALUE);
    EXPECT_EQ(light->SetLinearAttenuation(-1), D3DRMERR_BADVALUE);
    EXPECT_EQ(light->SetType(static_cast<D3DRMLIGHTTYPE>(12)), D3DRMERR_BADTYPE);

    IDirect3DRMLight* ambient = nullptr;
    ASSERT_EQ(rm->CreateLight(D3DRMLIGHT_AMBIENT, 0xFF808080, &ambient), S_OK);
    EXPECT_NEAR(ambient->GetRed(), 0.502f, 0.001f);
    EXPECT_FLOAT_EQ(ambient->Attenuation(1000), 1);
    EXPECT_EQ(rm->CreateLightRGB(static_cast<D3DRMLIGHTTYPE>(-1), 1, 1, 1, &ambient), D3DRMERR_BADTYPE);

    ambient->Release();
    light->Release();
}

TEST_F(LookTest, MaterialsKeepPowerSpecularAndEmissive)
{
    IDirect3DRMMaterial* material = nullptr;
    ASSERT_EQ(rm->CreateMaterial(150.0f, &material), S_OK);
    EXPECT_FLOAT_EQ(material->GetPower(), 150.0f);
    ASSERT_EQ(material->SetEmissive(0.2f, 0.2f, 0.2f), S_OK);
    ASSERT_EQ(material->SetSpecular(0.1f, 0.2f, 0.3f), S_OK);
    D3DVALUE r, g, b;
    ASSERT_EQ(material->GetSpecular(&r, &g, &b), S_OK);
    EXPECT_FLOAT_EQ(r, 0.1f);
    EXPECT_FLOAT_EQ(b, 0.3f);
    ASSERT_EQ(material->GetEmissive(&r, &g, &b), S_OK);
    EXPECT_FLOAT_EQ(g, 0.2f);
    EXPECT_EQ(material->GetEmissive(&r, nullptr, &b), D3DRMERR_BADVALUE);
    EXPECT_EQ(material->SetPower(-1), D3DRMERR_BADVALUE);
    EXPECT_EQ(rm->CreateMaterial(-2, &material), D3DRMERR_BADVALUE);
    material->Release();
}

TEST_F(LookTest, TexturesCopyTheirPixelsAndKeyOutTheTransparentColour)
{
    std::vector<D3DCOLOR> pixels = {0xFFFFFFFF, 0xFF102030, 0x00FFFFFF, 0xFF000000, 0xFF010203, 0xFFFFFFFF};
    const D3DRMIMAGE image{3, 2, pixels.data()};
    ASSERT_EQ(rm->SetDefaultTextureShades(256), S_OK);
    IDirect3DRMTexture* texture = nullptr;
    ASSERT_EQ(rm->CreateTexture(&image, &texture), S_OK);
    pixels[1] = 0; // the texture has its own copy
    EXPECT_EQ(texture->GetWidth(), 3);
    EXPECT_EQ(texture->GetHeight(), 2);
    EXPECT_EQ(texture->GetPixels()[1], 0xFF102030u);
    EXPECT_EQ(texture->GetShades(), 256u);

    EXPECT_TRUE(texture->IsTexelOpaque(0, 0));
    ASSERT_EQ(texture->SetDecalTransparentColor(0x00FFFFFF), S_OK);
    ASSERT_EQ(texture->SetDecalTransparency(TRUE), S_OK);
    EXPECT_TRUE(texture->GetDecalTransparency());
    // White is keyed out whatever its alpha byte; other colours stay.
    EXPECT_FALSE(texture->IsTexelOpaque(0, 0));
    EXPECT_FALSE(texture->IsTexelOpaque(2, 0));
    EXPECT_FALSE(texture->IsTexelOpaque(2, 1));
    EXPECT_TRUE(texture->IsTexelOpaque(1, 1));
    EXPECT_FALSE(texture->IsTexelOpaque(3, 0));
    texture->SetDecalTransparency(FALSE);
    EXPECT_TRUE(texture->IsTexelOpaque(0, 0));

    EXPECT_EQ(texture->SetShades(3), D3DRMERR_BADVALUE);
    ASSERT_EQ(texture->SetShades(4), S_OK);
    const D3DRMIMAGE empty{0, 2, pixels.data()};
    IDirect3DRMTexture* none = nullptr;
    EXPECT_EQ(rm->CreateTexture(&empty, &none), D3DRMERR_BADVALUE);
    EXPECT_EQ(rm->CreateTexture(nullptr, &none), D3DRMERR_BADVALUE);
    EXPECT_EQ(none, nullptr);
    texture->Release();
}

} // namespace

namespace {

// Knows one 2 x 1 bitmap, number 104 of type 2; number 105 claims a size
// its pixels do not fill.
bool FakeLoader(HMODULE, const char* name, const char* type, int* pWidth, int* pHeight, std::vector<D3DCOLOR>* pPixels)
{
    const auto id = reinterpret_cast<std::uintptr_t>(name);
    if (reinterpret_cast<std::uintptr_t>(type) != 2 || (id != 104 && id != 105))
        return false;
    *pWidth = 2;
    *pHeight = id == 104 ? 1 : 3;
    *pPixels = {0xFF0000FF, 0xFFFF0000};
    return true;
}

const char* ResourceId(std::uintptr_t id)
{
    return reinterpret_cast<const char*>(id);
}

TEST_F(LookTest, TexturesLoadFromResourcesThroughTheInstalledLoader)
{
    IDirect3DRMTexture* texture = nullptr;
    EXPECT_EQ(rm->LoadTextureFromResource(nullptr, ResourceId(104), ResourceId(2), &texture), D3DRMERR_NOTFOUND);
    D3DRMSetResourceImageLoader(FakeLoader);
    ASSERT_EQ(rm->LoadTextureFromResource(nullptr, ResourceId(104), ResourceId(2), &texture), S_OK);
    EXPECT_EQ(texture->GetWidth(), 2);
    EXPECT_EQ(texture->GetPixels()[1], 0xFFFF0000u);
    texture->Release();
    texture = nullptr;
    EXPECT_EQ(rm->LoadTextureFromResource(nullptr, ResourceId(106), ResourceId(2), &texture), D3DRMERR_NOTFOUND);
    EXPECT_EQ(rm->LoadTextureFromResource(nullptr, ResourceId(105), ResourceId(2), &texture), D3DRMERR_BADVALUE);
    EXPECT_EQ(texture, nullptr);
    D3DRMSetResourceImageLoader(nullptr);
}

} // namespace
