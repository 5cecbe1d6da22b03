// The renderer's shaders. Lighting is computed in world coordinates for each
// vertex; flat faces carry their face normal and their centre in every
// corner, so all corners of a face get the same colour.
#include "platform/glrender/glprogram.h"

namespace {

const char* const kVertexShader = R"(#version 330 core
layout(location = 0) in vec3 aPosition;
layout(location = 1) in vec3 aNormal;
layout(location = 2) in vec2 aTexCoord;
layout(location = 3) in vec4 aColor;
layout(location = 4) in vec3 aLitAt;

const int MAXLIGHTS = 16;
uniform mat4 uViewProj;
uniform vec3 uEye;
uniform vec3 uAmbient;
uniform int uLightCount;
uniform vec4 uLightPos[MAXLIGHTS];   // w 1: a point light's position; w 0: towards a directional light
uniform vec4 uLightColor[MAXLIGHTS]; // w: range
uniform vec3 uLightAtt[MAXLIGHTS];   // constant, linear, quadratic

uniform mat4 uModel;
uniform mat3 uNormalMatrix;
uniform vec4 uBaseColor;
uniform bool uUseVertexColor;
uniform bool uLighting;
uniform bool uFlat;
uniform vec3 uEmissive;
uniform vec3 uSpecular;
uniform float uPower;

out vec4 vColor;
flat out vec4 vFlatColor;
out vec2 vTexCoord;

void main()
{
    vec4 world = uModel * vec4(aPosition, 1.0);
    gl_Position = uViewProj * world;
    vTexCoord = aTexCoord;
    vec4 base = uUseVertexColor ? aColor : uBaseColor;
    vec4 color = base;
    if (uLighting) {
        vec3 at = uFlat ? (uModel * vec4(aLitAt, 1.0)).xyz : world.xyz;
        vec3 n = uNormalMatrix * aNormal;
        float len = length(n);
        n = len > 0.0 ? n / len : vec3(0.0);
        vec3 toEye = normalize(uEye - at);
        vec3 diffuse = uAmbient;
        vec3 highlight = vec3(0.0);
        for (int i = 0; i < uLightCount; ++i) {
            vec3 l = uLightPos[i].xyz;
            float att = 1.0;
            if (uLightPos[i].w != 0.0) {
                vec3 d = uLightPos[i].xyz - at;
                float dist = length(d);
                if (dist > uLightColor[i].w)
                    continue;
                float k = uLightAtt[i].x + uLightAtt[i].y * dist + uLightAtt[i].z * dist * dist;
                att = k > 0.0 ? 1.0 / k : 1.0;
                l = dist > 0.0 ? d / dist : n;
            }
            float ndl = max(dot(n, l), 0.0);
            diffuse += uLightColor[i].rgb * (ndl * att);
            if (uPower > 0.0 && ndl > 0.0) {
                vec3 h = normalize(l + toEye);
                highlight += uLightColor[i].rgb * (pow(max(dot(n, h), 0.0), uPower) * att);
            }
        }
        color = vec4(base.rgb * diffuse + uEmissive + uSpecular * highlight, base.a);
    }
    color = clamp(color, 0.0, 1.0);
    vColor = color;
    vFlatColor = color;
}
)";

const char* const kFragmentShader = R"(#version 330 core
in vec4 vColor;
flat in vec4 vFlatColor;
in vec2 vTexCoord;

uniform bool uFlat;
uniform bool uTextured;
uniform sampler2D uTexture;

out vec4 fragColor;

void main()
{
    vec4 c = uFlat ? vFlatColor : vColor;
    if (uTextured) {
        vec4 t = texture(uTexture, vTexCoord);
        if (t.a < 0.5)
            discard; // a decal's transparent texel
        c.rgb *= t.rgb;
    }
    fragColor = c;
}
)";

GLuint Compile(GLenum kind, const char* source, std::string* pError)
{
    const GLuint shader = glCreateShader(kind);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    GLint ok = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (ok == GL_TRUE)
        return shader;
    char log[1024] = {};
    glGetShaderInfoLog(shader, sizeof log, nullptr, log);
    *pError = std::string(kind == GL_VERTEX_SHADER ? "vertex" : "fragment") + " shader: " + log;
    glDeleteShader(shader);
    return 0;
}

} // namespace

bool GLPROGRAM::Create(std::string* pError)
{
    const GLuint vs = Compile(GL_VERTEX_SHADER, kVertexShader, pError);
    if (!vs)
        return false;
    const GLuint fs = Compile(GL_FRAGMENT_SHADER, kFragmentShader, pError);
    if (!fs) {
        glDeleteShader(vs);
        return false;
    }
    program = glCreateProgram();
    glAttachShader(program, vs);
    glAttachShader(program, fs);
    glLinkProgram(program);
    glDeleteShader(vs);
    glDeleteShader(fs);
    GLint ok = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &ok);
    if (ok != GL_TRUE) {
        char log[1024] = {};
        glGetProgramInfoLog(program, sizeof log, nullptr, log);
        *pError = std::string("shader program: ") + log;
        Destroy();
        return false;
    }
    auto at = [&](const char* name) { return glGetUniformLocation(program, name); };
    uViewProj = at("uViewProj");
    uEye = at("uEye");
    uAmbient = at("uAmbient");
    uLightCount = at("uLightCount");
    uLightPos = at("uLightPos");
    uLightColor = at("uLightColor");
    uLightAtt = at("uLightAtt");
    uModel = at("uModel");
    uNormalMatrix = at("uNormalMatrix");
    uBaseColor = at("uBaseColor");
    uUseVertexColor = at("uUseVertexColor");
    uLighting = at("uLighting");
    uEmissive = at("uEmissive");
    uSpecular = at("uSpecular");
    uPower = at("uPower");
    uFlat = at("uFlat");
    uTextured = at("uTextured");
    uTexture = at("uTexture");
    glUseProgram(program);
    glUniform1i(uTexture, 0);
    return true;
}

void GLPROGRAM::Destroy()
{
    if (program)
        glDeleteProgram(program);
    *this = GLPROGRAM{};
}
