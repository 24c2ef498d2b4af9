// SPDX-License-Identifier: GPL-3.0-or-later
// Window-space drawing: the scene's 2D images and texts, in pixels from the top-left corner,
// over the 3D scene. Quads go through one stream buffer that is refilled during the frame.

#include "engine/material.h"
#include "engine/render_state.h"
#include "engine/scene.h"
#include "engine/text2d.h"
#include "engine/texture.h"

namespace {

constexpr int FLOATS_PER_CORNER = 4; // x, y, u, v

void pushQuad(std::vector<float>& out, float x0, float y0, float x1, float y1, float u0, float v0,
              float u1, float v1) {
    // (x0, y0) is the top-left corner on screen; v0 is the texture row shown at the top.
    const float c[6][4] = {{x0, y0, u0, v0}, {x0, y1, u0, v1}, {x1, y1, u1, v1},
                           {x0, y0, u0, v0}, {x1, y1, u1, v1}, {x1, y0, u1, v0}};
    for (const auto& corner : c)
        out.insert(out.end(), corner, corner + FLOATS_PER_CORNER);
}

// Sends the quads and draws them; returns false when they do not fit the stream at all.
bool drawQuads(KRenderState& rs, const std::vector<float>& quads) {
    const long bytes = static_cast<long>(quads.size() * sizeof(float));
    if (bytes == 0 || bytes > rs.streamCapacity) return false;
    glBindVertexArray(rs.streamVao);
    glBindBuffer(GL_ARRAY_BUFFER, rs.streamVbo);
    if (rs.streamUsed + bytes > rs.streamCapacity) {
        // Full: orphan the buffer so the driver need not wait for the draws still using it.
        glBufferData(GL_ARRAY_BUFFER, rs.streamCapacity, nullptr, GL_STREAM_DRAW);
        rs.streamUsed = 0;
    }
    glBufferSubData(GL_ARRAY_BUFFER, rs.streamUsed, bytes, quads.data());
    const GLint first = static_cast<GLint>(rs.streamUsed / (FLOATS_PER_CORNER * sizeof(float)));
    const GLsizei corners = static_cast<GLsizei>(quads.size() / FLOATS_PER_CORNER);
    glDrawArrays(GL_TRIANGLES, first, corners);
    ++rs.drawCalls;
    rs.drawnTriangles += corners / 3;
    rs.streamUsed += bytes;
    return true;
}

void bindTexture(KRenderState& rs, KTexture* tex) {
    const GLuint id = KUploadTexture(tex);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, id ? id : rs.whiteTex);
    rs.boundTexture = id ? id : rs.whiteTex;
    glUniform1i(rs.overlay.useTexture, id ? 1 : 0);
}

void drawText(KRenderState& rs, const KTexte& t) {
    const KFont* font = t.font;
    if (!t.visible || !font || t.texte[0] == 0) return;
    const float size = font->size * t.size;
    rs.textScratch.clear();
    float pen = static_cast<float>(t.x);
    const float top = static_cast<float>(t.y);
    for (const char* p = t.texte; *p && p < t.texte + KTexte::MAX_LEN; ++p) {
        const KGlyph& g = font->glyphs[static_cast<unsigned char>(*p)];
        // Characters outside the font's grid have no cell (advance 0): nothing to draw.
        if (*p != ' ' && g.advance > 0)
            pushQuad(rs.textScratch, pen, top, pen + size, top + size, g.u0, g.v1, g.u1, g.v0);
        pen += g.advance * t.size;
    }
    if (rs.textScratch.empty()) return;
    if (t.blend)
        glEnable(GL_BLEND);
    else
        glDisable(GL_BLEND);
    bindTexture(rs, font->texture);
    glUniform4f(rs.overlay.color, t.r, t.g, t.b, 1.0f);
    drawQuads(rs, rs.textScratch);
}

void drawImage(KRenderState& rs, const KImage2D& img) {
    if (img.hidden || !img.mat || img.width <= 0 || img.height <= 0) return;
    const KMaterial& m = *img.mat;
    const float alpha = m.diffuse.a * (m.IsBlended() ? m.opacity : 1.0f);
    rs.textScratch.clear();
    const float x0 = static_cast<float>(img.x), y0 = static_cast<float>(img.y);
    // Pixel buffers are bottom-up: the top of the picture is v = 1.
    pushQuad(rs.textScratch, x0, y0, x0 + img.width, y0 + img.height, 0, 1, 1, 0);
    glEnable(GL_BLEND);
    if (m.options & KMAT_ADDITIVE)
        glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    else
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    bindTexture(rs, m.texture);
    glUniform4f(rs.overlay.color, m.diffuse.r + m.emissive.r, m.diffuse.g + m.emissive.g,
                m.diffuse.b + m.emissive.b, alpha);
    drawQuads(rs, rs.textScratch);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
}

void beginOverlay(KRenderState& rs, float depth) {
    glUseProgram(rs.overlay.id);
    rs.active = nullptr;
    rs.cullFace = 0;
    glUniform2f(rs.overlay.screen, static_cast<float>(rs.viewportW),
                static_cast<float>(rs.viewportH));
    glUniform1f(rs.overlay.depth, depth);
    glUniform1i(rs.overlay.tex, 0);
    glDisable(GL_CULL_FACE);
}

} // namespace

void KDrawOverlay(KRenderState& rs, KScene* scene) {
    beginOverlay(rs, 0.0f);
    glDisable(GL_DEPTH_TEST);
    glDepthMask(GL_FALSE);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    // Window pixels are the game's; the viewport may be larger on a scaled display. With bars
    // beside the picture the whole window is the target, the picture's corner still (0, 0).
    if (rs.bars) {
        KTargetWholeWindow(rs);
        glUniform2f(rs.overlay.screen, float(rs.windowW), float(rs.windowH));
        glUniform2f(rs.overlay.origin, float(rs.barsOriginX), float(rs.barsOriginY));
    } else {
        glUniform2f(rs.overlay.screen, static_cast<float>(scene->screenWidth),
                    static_cast<float>(scene->screenHeight));
        glUniform2f(rs.overlay.origin, 0.0f, 0.0f);
    }
    // Panels, then texts, then the other images: the game's own mouse cursor is an image and
    // must stay above the texts.
    for (const KImage2D* img : scene->images)
        if (img && img->underTexts) drawImage(rs, *img);
    for (const KTexte* t : scene->textes)
        if (t) drawText(rs, *t);
    for (const KImage2D* img : scene->images)
        if (img && !img->underTexts) drawImage(rs, *img);
    glDepthMask(GL_TRUE);
    glEnable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
}
