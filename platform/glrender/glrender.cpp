// The OpenGL renderer: walks a scene, draws it into the viewport's
// framebuffer and copies the picture out.
#include "platform/glrender/glrender.h"
#include "platform/d3drm/rmmath.h"
#include "platform/glrender/glcache.h"
#include "platform/glrender/glcontext.h"
#include "platform/glrender/glprogram.h"

#include <algorithm>
#include <string>
#include <vector>

using namespace rmmath;

namespace {

// A framebuffer holding one viewport's picture (colour and depth).
struct VIEWTARGET {
    std::uint64_t viewportId = 0;
    GLuint fbo = 0, colour = 0, depth = 0;
    int width = 0, height = 0;
    std::uint64_t lastUse = 0;
    bool fDrawn = false;
};
// Viewports are made anew after display changes and never announce their
// end, so only the most recently used few keep a framebuffer.
constexpr std::size_t kMaxTargets = 4;

// One mesh group to draw, with everything resolved from its frame.
struct DRAWITEM {
    const IDirect3DRMMesh* pMesh;
    GLMESH* pBuffers;
    unsigned group;
    D3DMATRIX world;
    D3DCOLOR color;
    bool fUseVertexColor;
    D3DRMRENDERQUALITY quality;
    D3DVALUE depth; // of the group's centre, in camera coordinates
};

// The lower of two render qualities, part by part.
D3DRMRENDERQUALITY LowerQuality(D3DRMRENDERQUALITY a, D3DRMRENDERQUALITY b)
{
    return std::min(a & D3DRMSHADE_MASK, b & D3DRMSHADE_MASK) | std::min(a & D3DRMLIGHT_MASK, b & D3DRMLIGHT_MASK) |
           std::min(a & D3DRMFILL_MASK, b & D3DRMFILL_MASK);
}

// The inverse of a matrix's 3x3 part, row by row (identity when singular):
// normals transform by its transpose.
void NormalMatrix(const D3DMATRIX& m, float out[9])
{
    const float a = m._11, b = m._12, c = m._13, d = m._21, e = m._22, f = m._23, g = m._31, h = m._32, i = m._33;
    const float c0 = e * i - f * h, c1 = f * g - d * i, c2 = d * h - e * g;
    const float det = a * c0 + b * c1 + c * c2;
    if (det == 0) {
        const float identity[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
        std::copy(identity, identity + 9, out);
        return;
    }
    const float k = 1.0f / det;
    const float inverse[9] = {c0 * k, (c * h - b * i) * k, (b * f - c * e) * k,
                              c1 * k, (a * i - c * g) * k, (c * d - a * f) * k,
                              c2 * k, (b * g - a * h) * k, (a * e - b * d) * k};
    std::copy(inverse, inverse + 9, out);
}

// Device coordinates of the viewport (x right, y down, depth 0 to 1) to GL
// clip coordinates of a framebuffer of the viewport's size, its first row
// the viewport's top row, so that reading it back gives rows from the top.
D3DMATRIX DeviceToClip(const IDirect3DRMViewport* viewport)
{
    const float w = static_cast<float>(viewport->GetWidth()), h = static_cast<float>(viewport->GetHeight());
    D3DMATRIX n{};
    n._11 = 2.0f / w;
    n._41 = -2.0f * static_cast<float>(viewport->GetX()) / w - 1.0f;
    n._22 = 2.0f / h;
    n._42 = -2.0f * static_cast<float>(viewport->GetY()) / h - 1.0f;
    n._33 = 2.0f;
    n._43 = -1.0f;
    n._44 = 1.0f;
    return n;
}

class GLRENDERER final : public D3DRMRENDERER {
public:
    HRESULT Clear(IDirect3DRMViewport* viewport) override;
    HRESULT Render(IDirect3DRMViewport* viewport, IDirect3DRMFrame2* scene) override;
    HRESULT ForceUpdate(IDirect3DRMViewport*, const RECT&) override { return S_OK; }
    HRESULT Update(IDirect3DRMDevice2*) override { return S_OK; }
    void Freed(IDirect3DRMObject* object) override;

    bool Start(std::string* pError);
    void Stop();
    HRESULT Read(const IDirect3DRMViewport* viewport, const GLRENDERTARGET& target, int x, int y);
    GLRENDERSTATS Stats() const;

private:
    VIEWTARGET* Target(const IDirect3DRMViewport* viewport);
    static void DestroyTarget(VIEWTARGET& target);
    void Collect(IDirect3DRMFrame2* frame, const D3DMATRIX& parentWorld, const D3DCOLOR* pParentColor);
    void SetFrameUniforms(const D3DMATRIX& viewProj, const D3DVECTOR& eye);
    void Draw(const DRAWITEM& item, bool fBlend);

    GLPROGRAM m_program;
    GLuint m_samplers[D3DRMTEXTURE_LINEARMIPLINEAR + 1] = {};
    GLMESHCACHE m_meshes;
    GLTEXTURECACHE m_textures;
    std::vector<VIEWTARGET> m_targets;
    std::uint64_t m_useClock = 0;

    // Per render, kept to avoid allocating every frame.
    const IDirect3DRMDevice2* m_pDevice = nullptr;
    D3DMATRIX m_view{};
    std::vector<DRAWITEM> m_opaque;
    std::vector<DRAWITEM> m_translucent;
    D3DVECTOR m_ambient{};
    int m_nLights = 0;
    float m_lightPos[GLMAXLIGHTS * 4] = {};
    float m_lightColor[GLMAXLIGHTS * 4] = {};
    float m_lightAtt[GLMAXLIGHTS * 3] = {};
};

bool GLRENDERER::Start(std::string* pError)
{
    if (!m_program.Create(pError))
        return false;
    static const GLint kMin[] = {GL_NEAREST, GL_LINEAR, GL_NEAREST_MIPMAP_NEAREST, GL_NEAREST_MIPMAP_LINEAR,
                                 GL_LINEAR_MIPMAP_NEAREST, GL_LINEAR_MIPMAP_LINEAR};
    static const GLint kMag[] = {GL_NEAREST, GL_LINEAR, GL_NEAREST, GL_NEAREST, GL_LINEAR, GL_LINEAR};
    glGenSamplers(static_cast<GLsizei>(std::size(m_samplers)), m_samplers);
    for (std::size_t i = 0; i < std::size(m_samplers); ++i) {
        glSamplerParameteri(m_samplers[i], GL_TEXTURE_MIN_FILTER, kMin[i]);
        glSamplerParameteri(m_samplers[i], GL_TEXTURE_MAG_FILTER, kMag[i]);
        glSamplerParameteri(m_samplers[i], GL_TEXTURE_WRAP_S, GL_REPEAT);
        glSamplerParameteri(m_samplers[i], GL_TEXTURE_WRAP_T, GL_REPEAT);
    }
    return true;
}

void GLRENDERER::Stop()
{
    if (!glcontext::MakeCurrent())
        return;
    m_meshes.Clear();
    m_textures.Clear();
    for (VIEWTARGET& target : m_targets)
        DestroyTarget(target);
    m_targets.clear();
    glDeleteSamplers(static_cast<GLsizei>(std::size(m_samplers)), m_samplers);
    std::fill(std::begin(m_samplers), std::end(m_samplers), 0u);
    m_program.Destroy();
}

void GLRENDERER::Freed(IDirect3DRMObject* object)
{
    if (!glcontext::MakeCurrent())
        return;
    // Ids are unique across every kind of object.
    m_meshes.Free(object->GetId());
    m_textures.Free(object->GetId());
}

GLRENDERSTATS GLRENDERER::Stats() const
{
    return GLRENDERSTATS{m_meshes.Count(), m_textures.Count(), m_targets.size(), m_meshes.Uploads(),
                         m_textures.Uploads()};
}

void GLRENDERER::DestroyTarget(VIEWTARGET& target)
{
    glDeleteFramebuffers(1, &target.fbo);
    const GLuint buffers[] = {target.colour, target.depth};
    glDeleteRenderbuffers(2, buffers);
    target = VIEWTARGET{};
}

VIEWTARGET* GLRENDERER::Target(const IDirect3DRMViewport* viewport)
{
    const int width = static_cast<int>(viewport->GetWidth()), height = static_cast<int>(viewport->GetHeight());
    if (width <= 0 || height <= 0)
        return nullptr;
    auto it = std::find_if(m_targets.begin(), m_targets.end(),
                           [&](const VIEWTARGET& t) { return t.viewportId == viewport->GetId(); });
    if (it == m_targets.end() && m_targets.size() >= kMaxTargets) {
        it = std::min_element(m_targets.begin(), m_targets.end(),
                              [](const VIEWTARGET& a, const VIEWTARGET& b) { return a.lastUse < b.lastUse; });
        DestroyTarget(*it);
    } else if (it == m_targets.end()) {
        it = m_targets.insert(m_targets.end(), VIEWTARGET{});
    }
    VIEWTARGET& target = *it;
    if (target.fbo && (target.width != width || target.height != height))
        DestroyTarget(target);
    if (!target.fbo) {
        GLint maxSize = 0;
        glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &maxSize);
        if (width > maxSize || height > maxSize)
            return nullptr;
        glGenFramebuffers(1, &target.fbo);
        glGenRenderbuffers(1, &target.colour);
        glGenRenderbuffers(1, &target.depth);
        glBindRenderbuffer(GL_RENDERBUFFER, target.colour);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width, height);
        glBindRenderbuffer(GL_RENDERBUFFER, target.depth);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, width, height);
        glBindFramebuffer(GL_FRAMEBUFFER, target.fbo);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, target.colour);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, target.depth);
        if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
            DestroyTarget(target);
            return nullptr;
        }
        target.viewportId = viewport->GetId();
        target.width = width;
        target.height = height;
        // A new picture starts black and empty.
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
        glDepthMask(GL_TRUE);
        glClearColor(0, 0, 0, 0);
        glClearDepth(1.0);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }
    target.lastUse = ++m_useClock;
    glBindFramebuffer(GL_FRAMEBUFFER, target.fbo);
    glViewport(0, 0, width, height);
    return &target;
}

HRESULT GLRENDERER::Clear(IDirect3DRMViewport* viewport)
{
    if (!viewport)
        return D3DRMERR_BADOBJECT;
    if (!glcontext::MakeCurrent())
        return E_FAIL;
    VIEWTARGET* target = Target(viewport);
    if (!target)
        return viewport->GetWidth() && viewport->GetHeight() ? E_FAIL : S_OK;
    // The picture's alpha stays 0, so that read-back pixels are 0x00RRGGBB:
    // drawing never writes it.
    const D3DCOLOR background = viewport->GetCameraFrame()->GetScene()->GetSceneBackground();
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glDepthMask(GL_TRUE);
    glClearColor(D3DRMColorGetRed(background), D3DRMColorGetGreen(background), D3DRMColorGetBlue(background), 0);
    glClearDepth(1.0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    target->fDrawn = true;
    return S_OK;
}

void GLRENDERER::Collect(IDirect3DRMFrame2* frame, const D3DMATRIX& parentWorld, const D3DCOLOR* pParentColor)
{
    D3DMATRIX local;
    frame->GetTransform(&local);
    const D3DMATRIX world = Multiply(local, parentWorld);

    // The colour a frame imposes on its visuals, if any.
    D3DCOLOR frameColor = frame->GetColor();
    const D3DCOLOR* pColor = nullptr;
    if (frame->GetMaterialMode() == D3DRMMATERIAL_FROMFRAME)
        pColor = &frameColor;
    else if (frame->GetMaterialMode() == D3DRMMATERIAL_FROMPARENT)
        pColor = pParentColor;

    for (const IDirect3DRMLight* light : frame->GetLights()) {
        const D3DVECTOR color = Vec(light->GetRed(), light->GetGreen(), light->GetBlue());
        if (light->GetType() == D3DRMLIGHT_AMBIENT) {
            m_ambient = Add(m_ambient, color);
            continue;
        }
        if (m_nLights >= GLMAXLIGHTS)
            continue;
        float* pos = &m_lightPos[m_nLights * 4];
        float* rgbRange = &m_lightColor[m_nLights * 4];
        float* att = &m_lightAtt[m_nLights * 3];
        if (light->GetType() == D3DRMLIGHT_POINT) {
            const D3DVECTOR at = Row(world, 3);
            pos[0] = at.x, pos[1] = at.y, pos[2] = at.z, pos[3] = 1;
            rgbRange[3] = light->GetRange();
            att[0] = light->GetConstantAttenuation();
            att[1] = light->GetLinearAttenuation();
            att[2] = light->GetQuadraticAttenuation();
        } else if (light->GetType() == D3DRMLIGHT_DIRECTIONAL) {
            // It shines along its frame's z axis; the shader wants the way
            // back to the light.
            const D3DVECTOR towards = Normalize(Mul(Row(world, 2), -1.0f));
            pos[0] = towards.x, pos[1] = towards.y, pos[2] = towards.z, pos[3] = 0;
            rgbRange[3] = 0;
            att[0] = 1, att[1] = 0, att[2] = 0;
        } else {
            continue; // spot and parallel-point lights are not drawn
        }
        rgbRange[0] = color.x, rgbRange[1] = color.y, rgbRange[2] = color.z;
        ++m_nLights;
    }

    const bool fBlend = (m_pDevice->GetRenderMode() & D3DRMRENDERMODE_BLENDEDTRANSPARENCY) != 0;
    for (IDirect3DRMVisual* visual : frame->GetVisuals()) {
        const IDirect3DRMMesh* mesh = visual->AsMesh();
        if (!mesh)
            continue;
        GLMESH& buffers = m_meshes.Get(mesh);
        for (unsigned g = 0; g < buffers.aGroups.size(); ++g) {
            const GLGROUP& b = buffers.aGroups[g];
            if (b.nTriangleIndices == 0)
                continue;
            const IDirect3DRMMesh::GROUP& group = *mesh->GetGroupData(static_cast<D3DRMGROUPINDEX>(g));
            DRAWITEM item{mesh, &buffers, g, world, pColor ? *pColor : group.color, false,
                          LowerQuality(m_pDevice->GetQuality(), group.quality), 0};
            item.fUseVertexColor = !pColor && group.color == 0xFFFFFFFF;
            const bool fTranslucent = item.fUseVertexColor ? b.fVertexAlpha : (item.color >> 24) != 0xFF;
            if (fBlend && fTranslucent) {
                item.depth = TransformPoint(m_view, TransformPoint(world, b.centre)).z;
                m_translucent.push_back(item);
            } else {
                m_opaque.push_back(item);
            }
        }
    }
    for (IDirect3DRMFrame2* child : frame->GetChildren())
        Collect(child, world, pColor ? pColor : &frameColor);
}

void GLRENDERER::SetFrameUniforms(const D3DMATRIX& viewProj, const D3DVECTOR& eye)
{
    const GLPROGRAM& p = m_program;
    glUseProgram(p.program);
    glUniformMatrix4fv(p.uViewProj, 1, GL_FALSE, &viewProj._11);
    glUniform3f(p.uEye, eye.x, eye.y, eye.z);
    glUniform3f(p.uAmbient, m_ambient.x, m_ambient.y, m_ambient.z);
    glUniform1i(p.uLightCount, m_nLights);
    if (m_nLights > 0) {
        glUniform4fv(p.uLightPos, m_nLights, m_lightPos);
        glUniform4fv(p.uLightColor, m_nLights, m_lightColor);
        glUniform3fv(p.uLightAtt, m_nLights, m_lightAtt);
    }
}

void GLRENDERER::Draw(const DRAWITEM& item, bool fBlend)
{
    const GLPROGRAM& p = m_program;
    const IDirect3DRMMesh::GROUP& group = *item.pMesh->GetGroupData(static_cast<D3DRMGROUPINDEX>(item.group));
    GLGROUP& b = item.pBuffers->aGroups[item.group];
    const DWORD fill = item.quality & D3DRMFILL_MASK;
    const bool fFlat = fill == D3DRMFILL_SOLID && (item.quality & D3DRMSHADE_MASK) == D3DRMSHADE_FLAT;

    glUniformMatrix4fv(p.uModel, 1, GL_FALSE, &item.world._11);
    float normal[9];
    NormalMatrix(item.world, normal);
    glUniformMatrix3fv(p.uNormalMatrix, 1, GL_TRUE, normal);
    glUniform4f(p.uBaseColor, D3DRMColorGetRed(item.color), D3DRMColorGetGreen(item.color),
                D3DRMColorGetBlue(item.color), fBlend ? D3DRMColorGetAlpha(item.color) : 1.0f);
    glUniform1i(p.uUseVertexColor, item.fUseVertexColor);
    glUniform1i(p.uLighting, (item.quality & D3DRMLIGHT_MASK) == D3DRMLIGHT_ON);
    glUniform1i(p.uFlat, fFlat);
    D3DVALUE emissive[3] = {0, 0, 0}, specular[3] = {0, 0, 0}, power = 0;
    if (group.pMaterial) {
        group.pMaterial->GetEmissive(&emissive[0], &emissive[1], &emissive[2]);
        group.pMaterial->GetSpecular(&specular[0], &specular[1], &specular[2]);
        power = group.pMaterial->GetPower();
    }
    glUniform3fv(p.uEmissive, 1, emissive);
    glUniform3fv(p.uSpecular, 1, specular);
    glUniform1f(p.uPower, power);
    const GLuint texture = group.pTexture ? m_textures.Get(group.pTexture) : 0;
    glUniform1i(p.uTextured, texture != 0);
    if (texture) {
        glActiveTexture(GL_TEXTURE0);
        glBindTexture(GL_TEXTURE_2D, texture);
        glBindSampler(0, m_samplers[m_pDevice->GetTextureQuality()]);
    }

    if (fill == D3DRMFILL_SOLID) {
        glEnable(GL_CULL_FACE);
        if (fFlat) {
            m_meshes.PrepareFlat(b, group);
            glBindVertexArray(b.flatVao);
            glDrawArrays(GL_TRIANGLES, 0, b.nFlatVertices);
        } else {
            glBindVertexArray(b.vao);
            glDrawElements(GL_TRIANGLES, b.nTriangleIndices, GL_UNSIGNED_INT, nullptr);
        }
    } else if (fill == D3DRMFILL_WIREFRAME) {
        glDisable(GL_CULL_FACE);
        glBindVertexArray(b.vao);
        glDrawElements(GL_LINES, b.nEdgeIndices, GL_UNSIGNED_INT,
                       reinterpret_cast<const void*>(static_cast<std::size_t>(b.nTriangleIndices) * sizeof(GLuint)));
    } else {
        glDisable(GL_CULL_FACE);
        glBindVertexArray(b.vao);
        glDrawArrays(GL_POINTS, 0, b.nVertices);
    }
}

HRESULT GLRENDERER::Render(IDirect3DRMViewport* viewport, IDirect3DRMFrame2* scene)
{
    if (!viewport || !scene)
        return D3DRMERR_BADOBJECT;
    if (!glcontext::MakeCurrent())
        return E_FAIL;
    VIEWTARGET* target = Target(viewport);
    if (!target)
        return viewport->GetWidth() && viewport->GetHeight() ? E_FAIL : S_OK;
    target->fDrawn = true;

    const D3DMATRIX cameraWorld = viewport->GetCameraFrame()->GetWorldTransform();
    if (!InverseAffine(cameraWorld, &m_view))
        return D3DRMERR_BADVALUE;
    const D3DMATRIX viewProj = Multiply(Multiply(m_view, viewport->GetProjection()), DeviceToClip(viewport));

    m_pDevice = viewport->GetDeviceObject();
    m_opaque.clear();
    m_translucent.clear();
    m_ambient = Vec(0, 0, 0);
    m_nLights = 0;
    D3DMATRIX parentWorld = Identity();
    if (IDirect3DRMFrame2* parent = scene->GetParentFrame())
        parentWorld = parent->GetWorldTransform();
    Collect(scene, parentWorld, nullptr);

    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_FALSE);
    glDisable(GL_DITHER);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glFrontFace(GL_CCW); // clockwise on the device, whose y runs down
    glCullFace(GL_BACK);
    glProvokingVertex(GL_FIRST_VERTEX_CONVENTION);
    glPointSize(1.0f);
    SetFrameUniforms(viewProj, Row(cameraWorld, 3));

    glDisable(GL_BLEND);
    glDepthMask(GL_TRUE);
    for (const DRAWITEM& item : m_opaque)
        Draw(item, false);
    if (!m_translucent.empty()) {
        if (m_pDevice->GetRenderMode() & D3DRMRENDERMODE_SORTEDTRANSPARENCY)
            std::stable_sort(m_translucent.begin(), m_translucent.end(),
                             [](const DRAWITEM& a, const DRAWITEM& b) { return a.depth > b.depth; });
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glDepthMask(GL_FALSE);
        for (const DRAWITEM& item : m_translucent)
            Draw(item, true);
        glDepthMask(GL_TRUE);
        glDisable(GL_BLEND);
    }
    glBindVertexArray(0);
    glBindSampler(0, 0);
    return S_OK;
}

HRESULT GLRENDERER::Read(const IDirect3DRMViewport* viewport, const GLRENDERTARGET& target, int x, int y)
{
    if (!viewport)
        return D3DRMERR_BADOBJECT;
    if (!target.pPixels || target.width < 0 || target.height < 0 || target.pitch < target.width)
        return D3DRMERR_BADVALUE;
    auto it = std::find_if(m_targets.begin(), m_targets.end(), [&](const VIEWTARGET& t) {
        return t.viewportId == viewport->GetId() && t.fDrawn;
    });
    if (it == m_targets.end())
        return D3DRMERR_NOTFOUND;
    if (!glcontext::MakeCurrent())
        return E_FAIL;
    // The part of the picture that lands inside the target.
    const int left = std::max(x, 0), top = std::max(y, 0);
    const int right = std::min(x + it->width, target.width), bottom = std::min(y + it->height, target.height);
    if (left >= right || top >= bottom)
        return S_OK;
    glBindFramebuffer(GL_READ_FRAMEBUFFER, it->fbo);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glPixelStorei(GL_PACK_ROW_LENGTH, target.pitch);
    glReadPixels(left - x, top - y, right - left, bottom - top, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV,
                 target.pPixels + static_cast<std::size_t>(top) * static_cast<std::size_t>(target.pitch) + left);
    glPixelStorei(GL_PACK_ROW_LENGTH, 0);
    return glGetError() == GL_NO_ERROR ? S_OK : E_FAIL;
}

GLRENDERER g_renderer;
std::string g_error;

} // namespace

namespace {
bool g_fSimulateUnavailable = false;
}

void GlRenderSimulateUnavailable(bool f)
{
    g_fSimulateUnavailable = f;
}

bool GlRenderInstall()
{
    if (GlRenderIsInstalled())
        return true;
    if (g_fSimulateUnavailable) {
        g_error = "no OpenGL (simulated)";
        return false;
    }
    std::string error;
    if (!glcontext::Ensure(&error) || !glcontext::MakeCurrent() || !g_renderer.Start(&error)) {
        g_error = error.empty() ? "the OpenGL context cannot be made current" : error;
        return false;
    }
    g_error.clear();
    D3DRMSetRenderer(&g_renderer);
    return true;
}

void GlRenderUninstall()
{
    if (!GlRenderIsInstalled())
        return;
    D3DRMSetRenderer(nullptr);
    g_renderer.Stop();
}

bool GlRenderIsInstalled()
{
    return D3DRMGetRenderer() == &g_renderer;
}

const char* GlRenderGetError()
{
    return g_error.c_str();
}

HRESULT GlReadViewport(IDirect3DRMViewport* viewport, const GLRENDERTARGET& target, int x, int y)
{
    if (!GlRenderIsInstalled()) {
        g_error = "the OpenGL renderer is not installed";
        return E_FAIL;
    }
    return g_renderer.Read(viewport, target, x, y);
}

HRESULT GlRenderViewport(IDirect3DRMViewport* viewport, const GLRENDERTARGET& target, int x, int y)
{
    if (!GlRenderIsInstalled()) {
        g_error = "the OpenGL renderer is not installed";
        return E_FAIL;
    }
    if (!viewport)
        return D3DRMERR_BADOBJECT;
    HRESULT hr = g_renderer.Clear(viewport);
    if (SUCCEEDED(hr))
        hr = g_renderer.Render(viewport, viewport->GetCameraFrame()->GetScene());
    if (SUCCEEDED(hr))
        hr = g_renderer.Read(viewport, target, x, y);
    return hr;
}

GLRENDERSTATS GlRenderGetStats()
{
    return g_renderer.Stats();
}
