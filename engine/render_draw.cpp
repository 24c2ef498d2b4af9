// The mesh program's per-frame and per-draw state: lights, material, transform.

#include "engine/material.h"
#include "engine/node.h"
#include "engine/render_state.h"
#include "engine/texture.h"

#include <cmath>

namespace {

// The fixed-function default: a little light everywhere, so an unlit corner is not black.
constexpr float GLOBAL_AMBIENT = 0.2f;

float toRadians(float deg) {
    return deg * 0.017453292f;
}

} // namespace

void KSetLights(KRenderState& rs, bool mirrored, float planeY) {
    float pos[MAX_LIGHTS * 4], spot[MAX_LIGHTS * 3];
    float diffuse[MAX_LIGHTS * 3], specular[MAX_LIGHTS * 3], ambient[MAX_LIGHTS * 3];
    float params[MAX_LIGHTS * 3];
    const int n = static_cast<int>(rs.lights.size()) < MAX_LIGHTS
                      ? static_cast<int>(rs.lights.size())
                      : MAX_LIGHTS;
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
        if (l->kind == KLIGHT_DIRECTIONAL) {
            pos[i * 4 + 0] = -dir.x, pos[i * 4 + 1] = -dir.y, pos[i * 4 + 2] = -dir.z;
            pos[i * 4 + 3] = 0;
        } else {
            pos[i * 4 + 0] = at.x, pos[i * 4 + 1] = at.y, pos[i * 4 + 2] = at.z;
            pos[i * 4 + 3] = 1;
        }
        spot[i * 3 + 0] = dir.x, spot[i * 3 + 1] = dir.y, spot[i * 3 + 2] = dir.z;
        const float k = l->intensity;
        diffuse[i * 3 + 0] = l->diffuse.r * k, diffuse[i * 3 + 1] = l->diffuse.g * k;
        diffuse[i * 3 + 2] = l->diffuse.b * k;
        specular[i * 3 + 0] = l->specular.r * k, specular[i * 3 + 1] = l->specular.g * k;
        specular[i * 3 + 2] = l->specular.b * k;
        ambient[i * 3 + 0] = l->ambient.r, ambient[i * 3 + 1] = l->ambient.g;
        ambient[i * 3 + 2] = l->ambient.b;
        const bool isSpot = l->kind == KLIGHT_SPOT;
        float inner = std::cos(toRadians(l->innerCone));
        const float outer = std::cos(toRadians(l->outerCone));
        if (inner <= outer) inner = outer + 1e-4f; // smoothstep needs a non-empty edge
        params[i * 3 + 0] = isSpot ? inner : 1.0f;
        params[i * 3 + 1] = isSpot ? outer : -2.0f;
        params[i * 3 + 2] = l->range;
    }
    for (const KMeshProgram& p : rs.mesh) {
        glUseProgram(p.id);
        glUniform1i(p.lightCount, n);
        if (n > 0) {
            glUniform4fv(p.lightPos, n, pos);
            glUniform3fv(p.lightSpotDir, n, spot);
            glUniform3fv(p.lightDiffuse, n, diffuse);
            glUniform3fv(p.lightSpecular, n, specular);
            glUniform3fv(p.lightAmbient, n, ambient);
            glUniform3fv(p.lightParams, n, params);
        }
        glUniform3f(p.globalAmbient, GLOBAL_AMBIENT, GLOBAL_AMBIENT, GLOBAL_AMBIENT);
        glUniform3f(p.camPos, rs.camPos.x, rs.camPos.y, rs.camPos.z);
        glUniformMatrix4fv(p.viewProj, 1, GL_FALSE, rs.viewProj.m);
        glUniform1i(p.tex, 0);
    }
    rs.active = &rs.mesh[1];
    rs.lightCount = n;
}

void KSetClipPlane(KRenderState& rs, float a, float b, float c, float d) {
    for (const KMeshProgram& p : rs.mesh) {
        glUseProgram(p.id);
        glUniform4f(p.clipPlane, a, b, c, d);
    }
    rs.active = &rs.mesh[1];
}

void KBindMaterial(KRenderState& rs, const KMaterial* mat, float alphaFactor) {
    const KMeshProgram& p = rs.mesh[mat && (mat->options & KMAT_ALPHATEST) ? 1 : 0];
    if (rs.active != &p) {
        glUseProgram(p.id);
        rs.active = &p;
    }
    static const KColor DEFAULT_DIFFUSE{0.8f, 0.8f, 0.8f, 1};
    const KColor d = mat ? mat->diffuse : DEFAULT_DIFFUSE;
    const KColor a = mat ? mat->ambient : KColor{0.16f, 0.16f, 0.16f, 1};
    const KColor s = mat ? mat->specular : KColor{0, 0, 0, 1};
    const KColor e = mat ? mat->emissive : KColor{0, 0, 0, 1};
    glUniform4f(p.diffuse, d.r, d.g, d.b, d.a);
    glUniform3f(p.ambient, a.r, a.g, a.b);
    glUniform3f(p.specular, s.r, s.g, s.b);
    glUniform3f(p.emissive, e.r, e.g, e.b);
    glUniform1f(p.shininess, mat && mat->shininess > 0 ? mat->shininess : 1.0f);
    // Opacity counts only for blended materials; an opaque one is fully opaque.
    const float opacity = mat && mat->IsBlended() ? mat->opacity : 1.0f;
    glUniform1f(p.alpha, opacity * alphaFactor);
    glUniform1f(p.alphaCutoff, mat && (mat->options & KMAT_ALPHATEST) ? mat->alphaCutoff : -1.0f);
    glUniform1i(p.useVertexColor, mat && (mat->options & KMAT_VERTEXCOLOR) ? 1 : 0);
    glUniform1i(p.unlit, mat && (mat->options & KMAT_UNLIT) ? 1 : 0);
    const GLuint tex = mat ? KUploadTexture(mat->texture) : 0;
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, tex ? tex : rs.whiteTex);
    glUniform1i(p.useTexture, tex ? 1 : 0);
    if (mat && (mat->options & KMAT_DOUBLESIDED))
        glDisable(GL_CULL_FACE);
    else
        glEnable(GL_CULL_FACE);
}

void KDrawItemNow(KRenderState& rs, const KDrawItem& item, const KMatrix* mirror, float alpha) {
    KBindMaterial(rs, item.mat, alpha);
    const KMeshProgram& p = *rs.active;
    if (mirror) {
        const KMatrix m = *mirror * item.model;
        glUniformMatrix4fv(p.model, 1, GL_FALSE, m.m);
    } else {
        glUniformMatrix4fv(p.model, 1, GL_FALSE, item.model.m);
    }
    if (item.mesh) {
        glBindVertexArray(item.mesh->vao);
        glDrawArrays(GL_TRIANGLES, item.first, item.count);
        rs.drawnTriangles += item.count / 3;
    } else {
        // Sprites: a quad seen from both sides, lit by nothing but its material.
        glUniform1i(p.unlit, 1);
        glDisable(GL_CULL_FACE);
        glBindVertexArray(rs.quadVao);
        glDrawArrays(GL_TRIANGLES, 0, 6);
        rs.drawnTriangles += 2;
    }
    ++rs.drawCalls;
}
