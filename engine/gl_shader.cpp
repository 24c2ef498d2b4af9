// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/gl_shader.h"

#include "engine/log.h"

#include <string>

namespace {

// Per-pixel Blinn-Phong over up to MAX_LIGHTS point, spot and directional lights. Texture and
// vertex colour modulate both the ambient and the diffuse colour; specular is added on top.
// gl_ClipDistance[0] keeps only what lies on the right side of the mirror plane.
//
// Each program is built for one combination of the KPROG_* features (as #defines), so a pixel
// runs only the work its material needs: a software renderer evaluates both sides of a branch
// on a uniform, so features switched by uniforms would cost every pixel all of them.
const char* const MESH_VS = R"(
layout(location = 0) in vec3 aPos;
layout(location = 1) in vec3 aNormal;
layout(location = 2) in vec2 aUV;
layout(location = 3) in vec4 aColor;
uniform mat4 uModel;
uniform mat4 uViewProj;
uniform vec4 uClipPlane;
#ifndef UNLIT
out vec3 vWorld;
out vec3 vNormal;
#endif
#ifdef TEXTURE
out vec2 vUV;
#endif
#ifdef VERTEX_COLOR
out vec4 vColor;
#endif
void main() {
    vec4 w = uModel * vec4(aPos, 1.0);
#ifndef UNLIT
    vWorld = w.xyz;
    vNormal = mat3(uModel) * aNormal; // uniform scale and mirrors only: no inverse needed
#endif
#ifdef TEXTURE
    vUV = aUV;
#endif
#ifdef VERTEX_COLOR
    vColor = aColor;
#endif
    gl_ClipDistance[0] = dot(w, uClipPlane);
    gl_Position = uViewProj * w;
}
)";

const char* const MESH_FS = R"(
#define MAX_LIGHTS 8
#ifndef UNLIT
in vec3 vWorld;
in vec3 vNormal;
#endif
#ifdef TEXTURE
in vec2 vUV;
uniform sampler2D uTex;
#endif
#ifdef LUMA_CHROMA
uniform sampler2D uChroma; // Cb and Cr at half the size of uTex, whose red is the brightness
#endif
#ifdef VERTEX_COLOR
in vec4 vColor;
#endif
#ifdef REFLECT
uniform sampler2D uReflect;   // the mirrored scene, over the whole 3D scene at a lower size
uniform vec2 uReflectOrigin;  // the 3D scene's lower left corner in the framebuffer, pixels
uniform vec2 uReflectInvSize; // 1 / the 3D scene's size in pixels
#endif
out vec4 fragColor;
uniform vec4 uDiffuse;
uniform vec3 uAmbientTerm;
uniform vec3 uSpecular;
uniform vec3 uEmissive;
uniform float uShininess;
uniform float uAlpha;
uniform float uAlphaCutoff;
uniform vec3 uCamPos;
uniform vec4 uLightPos[MAX_LIGHTS];     // w 0: direction towards the light; w 1: position
uniform vec3 uLightDiffuse[MAX_LIGHTS]; // intensity included
uniform vec3 uLightSpecular[MAX_LIGHTS];
uniform vec3 uLightSpotDir[MAX_LIGHTS];  // direction the spot shines to
uniform vec3 uLightParams[MAX_LIGHTS];   // cos inner, cos outer (-2: no cone), range (0: none)
#ifdef SPECULAR
// The highlight's falloff x^shininess for x = n . h in [0, 1].
float highlight(float x) {
#ifdef SHARP
    // x^s = e^(s ln x), and ln x = -(u + u^2 / 2 + u^3 / 3 + ...) with u = 1 - x. With a
    // shininess of 8 or more x^s is nil (below a tenth of a level of 255) before u grows
    // large, and three terms keep it within a third of a level, at a fraction of the cost of
    // the general logarithm a software renderer evaluates for pow(). Then e^-a is taken as
    // (1 - a / 32)^32, never more than 0.009 (two levels of 255) from it: five squarings in
    // place of the exponential, which a software renderer splits into a power of two and a
    // polynomial for every pixel and light.
    float u = 1.0 - x;
    float y = max(1.0 - uShininess * (1.0 / 32.0) * (u + u * u * (0.5 + u * (1.0 / 3.0))), 0.0);
    y *= y;
    y *= y;
    y *= y;
    y *= y;
    return y * y;
#else
    return pow(x, uShininess);
#endif
}
#endif
void main() {
    vec4 texel = vec4(1.0);
#if defined(LUMA_CHROMA)
    // Brightness and colour differences back to red, green and blue (JPEG's own conversion).
    float luma = texture(uTex, vUV).r;
    vec2 cbcr = texture(uChroma, vUV).rg - 128.0 / 255.0;
    texel = vec4(luma + 1.402 * cbcr.y, luma - 0.344136 * cbcr.x - 0.714136 * cbcr.y,
                 luma + 1.772 * cbcr.x, 1.0);
#elif defined(TEXTURE)
    texel *= texture(uTex, vUV);
#endif
#ifdef VERTEX_COLOR
    texel *= vColor;
#endif
    float alpha = uDiffuse.a * texel.a * uAlpha;
#ifdef ALPHA_TEST
    if (alpha < uAlphaCutoff) discard;
#endif
#ifdef UNLIT
    vec3 c = uDiffuse.rgb * texel.rgb + uEmissive;
#else
    // The normal and the direction to the eye stay unnormalised: their lengths are divided out
    // of the dot products (one scalar each), which a software renderer works out per pixel far
    // more cheaply than normalising three-component vectors; likewise the half vector's length.
    vec3 n = gl_FrontFacing ? vNormal : -vNormal;
    float rn = inversesqrt(dot(n, n));
#ifdef SPECULAR
    vec3 e = uCamPos - vWorld;
    float re = inversesqrt(dot(e, e));
    float nv = dot(n, e) * (rn * re); // n . v, v the unit vector towards the eye
    vec3 spe = vec3(0.0);
#endif
    vec3 dif = vec3(0.0);
    for (int i = 0; i < LIGHT_COUNT; ++i) { // a constant: the loop is unrolled
        float nl; // n . l, l the unit vector towards the light
        float lv; // l . v
        float att = 1.0;
#ifdef POINT_LIGHTS
        vec3 d = uLightPos[i].xyz - vWorld;
        float rd = inversesqrt(dot(d, d));
        nl = dot(n, d) * (rn * rd);
#ifdef SPECULAR
        lv = dot(d, e) * (rd * re);
#endif
#else
        vec3 l;
        if (uLightPos[i].w == 0.0) {
            l = normalize(uLightPos[i].xyz);
        } else {
            vec3 d = uLightPos[i].xyz - vWorld;
            float dist = length(d);
            l = d / max(dist, 1e-5);
            if (uLightParams[i].z > 0.0) {
                float f = clamp(1.0 - dist / uLightParams[i].z, 0.0, 1.0);
                att = f * f;
            }
            if (uLightParams[i].y > -1.5)
                att *= smoothstep(uLightParams[i].y, uLightParams[i].x,
                                  dot(-l, uLightSpotDir[i]));
        }
        nl = dot(n, l) * rn;
#ifdef SPECULAR
        lv = dot(l, e) * re;
#endif
#endif
        dif += uLightDiffuse[i] * (max(nl, 0.0) * att);
#ifdef SPECULAR
        if (nl > 0.0) {
            // n . h for the half vector h = (l + v) / |l + v|, where |l + v|^2 = 2 + 2 l . v.
            float nh = (nl + nv) * inversesqrt(max(2.0 + 2.0 * lv, 1e-8));
            spe += uLightSpecular[i] * (highlight(max(nh, 0.0)) * att);
        }
#endif
    }
    // uAmbientTerm: the material's ambient colour times all the ambient light, a constant.
    vec3 c = (uAmbientTerm + dif * uDiffuse.rgb) * texel.rgb + uEmissive;
#ifdef SPECULAR
    c += spe * uSpecular;
#endif
#endif
#ifdef REFLECT
    // What the surface mirrors shows through where its own colour lets it: the blend of a
    // surface drawn with `alpha` over its reflection, done here in one pass.
    vec3 mirrored = texture(uReflect, (gl_FragCoord.xy - uReflectOrigin) * uReflectInvSize).rgb;
    fragColor = vec4(mix(mirrored, c, alpha), 1.0);
#else
    fragColor = vec4(c, alpha);
#endif
}
)";

// The 3D scene filtered up to the picture (the filter is described in the fragment shader).
// Drawn as one triangle over the viewport, whose corners map the scene's texture onto it.
const char* const UPSCALE_VS = R"(
out vec2 vAt;
uniform vec2 uSceneSize; // pixels
void main() {
    vec2 corner = vec2(gl_VertexID == 1 ? 3.0 : -1.0, gl_VertexID == 2 ? 3.0 : -1.0);
    vAt = (corner * 0.5 + 0.5) * uSceneSize; // in the scene's pixels
    gl_Position = vec4(corner, 0.0, 1.0);
}
)";

const char* const UPSCALE_FS = R"(
in vec2 vAt;
uniform sampler2D uScene;
uniform vec2 uSceneSize; // pixels
out vec4 fragColor;
void main() {
    // One bilinear fetch, its weights bent by smoothstep: a window pixel near a scene pixel's
    // centre takes that pixel, and the blend is kept to the space between centres. Nearly as
    // sharp as a cubic filter of five fetches, which on a software renderer cost a quarter
    // of a full-HD frame; no ringing around the pieces' bright edges.
    vec2 at = vAt - 0.5;
    vec2 base = floor(at);
    vec2 f = at - base;
    f = f * f * (3.0 - 2.0 * f);
    fragColor = vec4(texture(uScene, (base + f + 0.5) / uSceneSize).rgb, 1.0);
}
)";

const char* const OVERLAY_VS = R"(
layout(location = 0) in vec4 aPosUV; // x, y in window pixels from the top left; u, v
uniform vec2 uScreen;
uniform vec2 uOrigin; // where (0, 0) lies in the target, in the same pixels
uniform float uDepth;
out vec2 vUV;
void main() {
    vUV = aPosUV.zw;
    vec2 p = aPosUV.xy + uOrigin;
    gl_Position = vec4(p.x / uScreen.x * 2.0 - 1.0, 1.0 - p.y / uScreen.y * 2.0, uDepth, 1.0);
}
)";

const char* const OVERLAY_FS = R"(
in vec2 vUV;
out vec4 fragColor;
uniform sampler2D uTex;
uniform int uUseTexture;
uniform vec4 uColor;
void main() {
    vec4 c = uColor;
    if (uUseTexture != 0) c *= texture(uTex, vUV);
    fragColor = c;
}
)";

GLuint compile(GLenum kind, const char* source) {
    GLuint s = glCreateShader(kind);
    glShaderSource(s, 1, &source, nullptr);
    glCompileShader(s);
    GLint ok = 0;
    glGetShaderiv(s, GL_COMPILE_STATUS, &ok);
    if (!ok) {
        char msg[1024];
        glGetShaderInfoLog(s, sizeof msg, nullptr, msg);
        Log("Renderer: shader does not compile: %s\n", msg);
        glDeleteShader(s);
        return 0;
    }
    return s;
}

GLuint link(const char* vs, const char* fs, const std::string& defines = "") {
    // The version line, then the feature defines, then the source.
    const std::string head = "#version 330 core\n" + defines;
    const GLuint v = compile(GL_VERTEX_SHADER, (head + vs).c_str());
    const GLuint f = compile(GL_FRAGMENT_SHADER, (head + fs).c_str());
    if (!v || !f) {
        if (v) glDeleteShader(v);
        if (f) glDeleteShader(f);
        return 0;
    }
    GLuint p = glCreateProgram();
    glAttachShader(p, v);
    glAttachShader(p, f);
    glLinkProgram(p);
    glDeleteShader(v);
    glDeleteShader(f);
    GLint ok = 0;
    glGetProgramiv(p, GL_LINK_STATUS, &ok);
    if (!ok) {
        char msg[1024];
        glGetProgramInfoLog(p, sizeof msg, nullptr, msg);
        Log("Renderer: program does not link: %s\n", msg);
        glDeleteProgram(p);
        return 0;
    }
    return p;
}

} // namespace

bool KBuildMeshProgram(KMeshProgram& p, unsigned features, const KLightSet& lights) {
    std::string defines = "#define LIGHT_COUNT " + std::to_string(lights.count) + "\n";
    if (lights.pointOnly) defines += "#define POINT_LIGHTS\n";
    static const char* const NAMES[] = {"ALPHA_TEST", "TEXTURE", "VERTEX_COLOR", "UNLIT",
                                        "SPECULAR",   "REFLECT", "SHARP",        "LUMA_CHROMA"};
    for (unsigned bit = 0; bit < 8; ++bit)
        if (features & (1u << bit)) defines += std::string("#define ") + NAMES[bit] + "\n";
    p.id = link(MESH_VS, MESH_FS, defines);
    if (!p.id) return false;
    auto loc = [&](const char* n) { return glGetUniformLocation(p.id, n); };
    p.model = loc("uModel");
    p.viewProj = loc("uViewProj");
    p.clipPlane = loc("uClipPlane");
    p.camPos = loc("uCamPos");
    p.diffuse = loc("uDiffuse");
    p.ambientTerm = loc("uAmbientTerm");
    p.specular = loc("uSpecular");
    p.emissive = loc("uEmissive");
    p.shininess = loc("uShininess");
    p.alpha = loc("uAlpha");
    p.alphaCutoff = loc("uAlphaCutoff");
    p.lightPos = loc("uLightPos");
    p.lightDiffuse = loc("uLightDiffuse");
    p.lightSpecular = loc("uLightSpecular");
    p.lightSpotDir = loc("uLightSpotDir");
    p.lightParams = loc("uLightParams");
    p.tex = loc("uTex");
    p.chroma = loc("uChroma");
    p.reflectTex = loc("uReflect");
    p.reflectOrigin = loc("uReflectOrigin");
    p.reflectInvSize = loc("uReflectInvSize");
    return true;
}

bool KBuildUpscaleProgram(KUpscaleProgram& p) {
    p.id = link(UPSCALE_VS, UPSCALE_FS);
    if (!p.id) return false;
    p.scene = glGetUniformLocation(p.id, "uScene");
    p.sceneSize = glGetUniformLocation(p.id, "uSceneSize");
    return true;
}

bool KBuildOverlayProgram(KOverlayProgram& p) {
    p.id = link(OVERLAY_VS, OVERLAY_FS);
    if (!p.id) return false;
    p.screen = glGetUniformLocation(p.id, "uScreen");
    p.origin = glGetUniformLocation(p.id, "uOrigin");
    p.color = glGetUniformLocation(p.id, "uColor");
    p.useTexture = glGetUniformLocation(p.id, "uUseTexture");
    p.depth = glGetUniformLocation(p.id, "uDepth");
    p.tex = glGetUniformLocation(p.id, "uTex");
    return true;
}
