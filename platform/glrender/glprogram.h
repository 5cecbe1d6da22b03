// The shader program of the renderer: per-vertex (Gouraud) or per-face
// (flat) lighting by ambient, point and directional lights, materials,
// vertex or group colours, a texture with decal transparency.
#pragma once

#include <epoxy/gl.h>

#include <string>

// Vertex attribute locations shared by the program and the buffers.
constexpr GLuint GLATTR_POSITION = 0;
constexpr GLuint GLATTR_NORMAL = 1;
constexpr GLuint GLATTR_TEXCOORD = 2;
constexpr GLuint GLATTR_COLOR = 3;
constexpr GLuint GLATTR_LITAT = 4; // where a flat face is lit (its centre)

constexpr int GLMAXLIGHTS = 16; // lights beyond these are left out

struct GLPROGRAM {
    GLuint program = 0;
    // Per frame.
    GLint uViewProj = -1, uEye = -1, uAmbient = -1, uLightCount = -1;
    GLint uLightPos = -1, uLightColor = -1, uLightAtt = -1;
    // Per draw.
    GLint uModel = -1, uNormalMatrix = -1, uBaseColor = -1, uUseVertexColor = -1, uLighting = -1;
    GLint uEmissive = -1, uSpecular = -1, uPower = -1, uFlat = -1, uTextured = -1, uTexture = -1;

    // Compiles and links; false with the compiler's log.
    bool Create(std::string* pError);
    void Destroy();
};
