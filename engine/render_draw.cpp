// SPDX-License-Identifier: GPL-3.0-or-later
// The mesh programs' per-frame and per-draw state: lights, material, transform. Uniforms are
// sent only when they differ from what the program in use already holds: a frame's lights and
// view once per program, a material's colours once per run of draws with that material.

#include "engine/log.h"
#include "engine/material.h"
#include "engine/node.h"
#include "engine/render_state.h"
#include "engine/texture.h"

#include <cmath>

namespace {

// Texture units: 0 the material's texture, 1 the mirrored scene, 2 a texture's colour when it
// comes apart from its brightness.
constexpr GLint CHROMA_UNIT = 2;

// The fixed-function default: a little light everywhere, so an unlit corner is not black.
constexpr float GLOBAL_AMBIENT = 0.2f;

float toRadians(float deg) {
    return deg * 0.017453292f;
}

bool hasSpecular(const KMaterial* mat) {
    return mat && (mat->specular.r > 0 || mat->specular.g > 0 || mat->specular.b > 0);
}

// The features a material needs drawn with texture `tex` (0: none).
unsigned featuresOf(const KMaterial* mat, GLuint tex, bool sprite) {
    unsigned f = 0;
    if (mat && (mat->options & KMAT_ALPHATEST)) f |= KPROG_ALPHATEST;
    if (tex) f |= KPROG_TEXTURE;
    if (tex && mat->texture->chromaGlId) f |= KPROG_LUMACHROMA; // sent as brightness and colour
    if (mat && (mat->options & KMAT_VERTEXCOLOR)) f |= KPROG_VERTEXCOLOR;
    if (sprite || (mat && (mat->options & KMAT_UNLIT)))
        f |= KPROG_UNLIT;
    else if (hasSpecular(mat))
        f |= mat->shininess >= 8 ? KPROG_SPECULAR | KPROG_SHARP : KPROG_SPECULAR;
    return f;
}

void sendFrameUniforms(const KRenderState& rs, const KMeshProgram& p) {
    const int n = rs.lightCount;
    if (n > 0) {
        glUniform4fv(p.lightPos, n, rs.lightPos);
        glUniform3fv(p.lightSpotDir, n, rs.lightSpotDir);
        glUniform3fv(p.lightDiffuse, n, rs.lightDiffuse);
        glUniform3fv(p.lightSpecular, n, rs.lightSpecular);
        glUniform3fv(p.lightParams, n, rs.lightParams);
    }
    glUniform3f(p.camPos, rs.camPos.x, rs.camPos.y, rs.camPos.z);
    glUniformMatrix4fv(p.viewProj, 1, GL_FALSE, rs.viewProj.m);
    glUniform4fv(p.clipPlane, 1, rs.clipPlane);
    glUniform1i(p.tex, 0);
    if (p.chroma >= 0) glUniform1i(p.chroma, CHROMA_UNIT);
}

bool isLit(unsigned features) {
    return !(features & KPROG_UNLIT);
}

// The slot of the program for `features` with the frame's lights (unlit programs use no lights:
// one slot each).
int programSlot(unsigned features, const KLightSet& lights) {
    const bool lit = isLit(features);
    const int count = lit ? lights.count : 0;
    const int point = lit && lights.pointOnly ? 1 : 0;
    return (static_cast<int>(features) * (MAX_LIGHTS + 1) + count) * 2 + point;
}

// Makes the program of `features` current (built on first use; the plain unlit program stands
// in for one the driver refuses) with this frame's uniforms.
KMeshProgram& useProgram(KRenderState& rs, unsigned features) {
    int slot = programSlot(features, rs.lightSet);
    if (!rs.programs[slot] && !rs.programFailed[slot]) {
        auto built = std::make_unique<KMeshProgram>();
        if (KBuildMeshProgram(*built, features, isLit(features) ? rs.lightSet : KLightSet{})) {
            rs.programs[slot] = std::move(built);
        } else {
            Log("Renderer: mesh program %u for %d lights refused; drawn unlit\n", features,
                rs.lightSet.count);
            rs.programFailed[slot] = true;
        }
    }
    if (!rs.programs[slot]) slot = programSlot(KPROG_UNLIT, rs.lightSet);
    KMeshProgram& p = *rs.programs[slot];
    if (rs.active != &p) {
        glUseProgram(p.id);
        rs.active = &p;
    }
    if (p.frameSerial != rs.frameSerial) {
        sendFrameUniforms(rs, p);
        p.frameSerial = rs.frameSerial;
    }
    return p;
}

void setCulling(KRenderState& rs, bool on) {
    if (rs.cullFace == (on ? 1 : 0)) return;
    if (on)
        glEnable(GL_CULL_FACE);
    else
        glDisable(GL_CULL_FACE);
    rs.cullFace = on ? 1 : 0;
}

void bindTexture(KRenderState& rs, GLuint tex) {
    if (rs.boundTexture == tex) return;
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, tex);
    rs.boundTexture = tex;
}

// Binds the program for the material (with `extra` features) and sends the material's uniforms
// unless the program already holds them.
KMeshProgram& bindMaterial(KRenderState& rs, const KMaterial* mat, float alphaFactor, bool sprite,
                           unsigned extra = 0) {
    const GLuint tex = mat ? KUploadTexture(mat->texture) : 0;
    KMeshProgram& p = useProgram(rs, featuresOf(mat, tex, sprite) | extra);
    if (tex) bindTexture(rs, tex);
    if (tex && mat->texture->chromaGlId) {
        glActiveTexture(GL_TEXTURE0 + CHROMA_UNIT);
        glBindTexture(GL_TEXTURE_2D, mat->texture->chromaGlId);
        glActiveTexture(GL_TEXTURE0);
    }
    setCulling(rs, !sprite && !(mat && (mat->options & KMAT_DOUBLESIDED)));
    if (p.material == mat && p.materialAlpha == alphaFactor &&
        p.materialSerial == rs.materialSerial)
        return p;
    p.material = mat;
    p.materialAlpha = alphaFactor;
    p.materialSerial = rs.materialSerial;
    static const KColor DEFAULT_DIFFUSE{0.8f, 0.8f, 0.8f, 1};
    const KColor d = mat ? mat->diffuse : DEFAULT_DIFFUSE;
    const KColor a = mat ? mat->ambient : KColor{0.16f, 0.16f, 0.16f, 1};
    const KColor s = mat ? mat->specular : KColor{0, 0, 0, 1};
    const KColor e = mat ? mat->emissive : KColor{0, 0, 0, 1};
    glUniform4f(p.diffuse, d.r, d.g, d.b, d.a);
    // Ambient light is the same at every pixel: its product with the material's ambient colour
    // is worked out here once rather than per pixel.
    const float* amb = rs.ambientLight;
    glUniform3f(p.ambientTerm, a.r * amb[0], a.g * amb[1], a.b * amb[2]);
    glUniform3f(p.specular, s.r, s.g, s.b);
    glUniform3f(p.emissive, e.r, e.g, e.b);
    glUniform1f(p.shininess, mat && mat->shininess > 0 ? mat->shininess : 1.0f);
    // Opacity counts only for blended materials; an opaque one is fully opaque.
    const float opacity = mat && mat->IsBlended() ? mat->opacity : 1.0f;
    glUniform1f(p.alpha, opacity * alphaFactor);
    glUniform1f(p.alphaCutoff, mat && (mat->options & KMAT_ALPHATEST) ? mat->alphaCutoff : -1.0f);
    return p;
}

void setModel(const KMeshProgram& p, const KDrawItem& item, const KMatrix* mirror) {
    if (mirror) {
        const KMatrix m = *mirror * item.model;
        glUniformMatrix4fv(p.model, 1, GL_FALSE, m.m);
    } else {
        glUniformMatrix4fv(p.model, 1, GL_FALSE, item.model.m);
    }
}

void drawMesh(KRenderState& rs, const KDrawItem& item) {
    // A mesh sent without its colours (all white) reads the colour attribute's constant value,
    // which a draw with colours in an array may leave undefined: set again before it.
    const bool coloured = item.mesh->stride == FLOATS_PER_VERTEX;
    if (!coloured && !rs.constantWhite) {
        glVertexAttrib4f(3, 1, 1, 1, 1);
        rs.constantWhite = true;
    } else if (coloured) {
        rs.constantWhite = false;
    }
    glBindVertexArray(item.mesh->vao);
    glDrawElements(
        GL_TRIANGLES, item.count, item.mesh->indexType,
        reinterpret_cast<const void*>(static_cast<size_t>(item.first) * KIndexBytes(*item.mesh)));
    rs.drawnTriangles += item.count / 3;
}

} // namespace

bool KBuildBasePrograms(KRenderState& rs) {
    auto base = std::make_unique<KMeshProgram>();
    if (!KBuildMeshProgram(*base, KPROG_UNLIT, KLightSet{})) return false;
    rs.programs[programSlot(KPROG_UNLIT, KLightSet{})] = std::move(base);
    return true;
}

void KDeletePrograms(KRenderState& rs) {
    for (auto& p : rs.programs) {
        if (p) glDeleteProgram(p->id);
        p.reset();
    }
}

void KBeginProgramFrame(KRenderState& rs) {
    ++rs.materialSerial;
    rs.constantWhite = false;
    rs.active = nullptr;
    rs.boundTexture = 0;
    rs.cullFace = -1;
}

void KSetLights(KRenderState& rs, bool mirrored, float planeY) {
    const int n = static_cast<int>(rs.lights.size()) < MAX_LIGHTS
                      ? static_cast<int>(rs.lights.size())
                      : MAX_LIGHTS;
    rs.ambientLight[0] = rs.ambientLight[1] = rs.ambientLight[2] = GLOBAL_AMBIENT;
    rs.lightSet.pointOnly = true;
    for (int i = 0; i < n; ++i) {
        const KLight* l = rs.lights[i];
        const KMatrix& w = l->world;
        // Directional and spot lights shine along their local -z.
        KVector dir = w.TransformDir(KVector(0, 0, -1)).Normalized();
        KVector at = w.GetTrans();
        if (mirrored) {
            // The mirrored scene is lit by the mirrored lights.
            at.y = 2 * planeY - at.y;
            dir.y = -dir.y;
        }
        float* pos = &rs.lightPos[i * 4];
        if (l->kind == KLIGHT_DIRECTIONAL) {
            pos[0] = -dir.x, pos[1] = -dir.y, pos[2] = -dir.z, pos[3] = 0;
        } else {
            pos[0] = at.x, pos[1] = at.y, pos[2] = at.z, pos[3] = 1;
        }
        float* spot = &rs.lightSpotDir[i * 3];
        spot[0] = dir.x, spot[1] = dir.y, spot[2] = dir.z;
        const float k = l->intensity;
        float* diffuse = &rs.lightDiffuse[i * 3];
        diffuse[0] = l->diffuse.r * k, diffuse[1] = l->diffuse.g * k, diffuse[2] = l->diffuse.b * k;
        float* specular = &rs.lightSpecular[i * 3];
        specular[0] = l->specular.r * k, specular[1] = l->specular.g * k;
        specular[2] = l->specular.b * k;
        const bool isSpot = l->kind == KLIGHT_SPOT;
        float inner = std::cos(toRadians(l->innerCone));
        const float outer = std::cos(toRadians(l->outerCone));
        if (inner <= outer) inner = outer + 1e-4f; // smoothstep needs a non-empty edge
        float* params = &rs.lightParams[i * 3];
        params[0] = isSpot ? inner : 1.0f;
        params[1] = isSpot ? outer : -2.0f;
        params[2] = l->range;
        rs.ambientLight[0] += l->ambient.r;
        rs.ambientLight[1] += l->ambient.g;
        rs.ambientLight[2] += l->ambient.b;
        if (l->kind != KLIGHT_POINT || l->range > 0) rs.lightSet.pointOnly = false;
    }
    rs.lightCount = n;
    rs.lightSet.count = n;
    ++rs.frameSerial;
    ++rs.materialSerial; // the materials' ambient terms change with the lights
}

void KSetClipPlane(KRenderState& rs, float a, float b, float c, float d) {
    rs.clipPlane[0] = a, rs.clipPlane[1] = b, rs.clipPlane[2] = c, rs.clipPlane[3] = d;
    ++rs.frameSerial;
}

void KDrawItemNow(KRenderState& rs, const KDrawItem& item, const KMatrix* mirror, float alpha) {
    // Sprites: a quad seen from both sides, lit by nothing but its material.
    const bool sprite = !item.mesh;
    const KMeshProgram& p = bindMaterial(rs, item.mat, alpha, sprite);
    setModel(p, item, mirror);
    if (!sprite) {
        drawMesh(rs, item);
    } else {
        glBindVertexArray(rs.quadVao);
        glDrawArrays(GL_TRIANGLES, 0, 6);
        rs.constantWhite = false;
        rs.drawnTriangles += 2;
    }
    ++rs.drawCalls;
}

void KDrawReflectiveNow(KRenderState& rs, const KDrawItem& item, float alpha) {
    const KMeshProgram& p = bindMaterial(rs, item.mat, alpha, false, KPROG_REFLECT);
    // The reflection covers the 3D scene's viewport, whatever the target.
    glActiveTexture(GL_TEXTURE1);
    glBindTexture(GL_TEXTURE_2D, rs.reflectColor);
    glActiveTexture(GL_TEXTURE0);
    glUniform1i(p.reflectTex, 1);
    glUniform2f(p.reflectOrigin, float(rs.drawX), float(rs.drawY));
    glUniform2f(p.reflectInvSize, 1.0f / float(rs.viewportW), 1.0f / float(rs.viewportH));
    setModel(p, item, nullptr);
    drawMesh(rs, item);
    ++rs.drawCalls;
}
