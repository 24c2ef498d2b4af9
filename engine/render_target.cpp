// SPDX-License-Identifier: GPL-3.0-or-later
// Where a frame is drawn. The 3D scene goes straight into the window, or, where multisampling is
// worth it, into a multisampled buffer of the picture's size that is resolved into the window
// when the frame is complete. A software renderer multisamples on the processor at a cost that
// outweighs the smoother edges (each sample is depth-tested, shaded and stored), so it draws
// without. At a render scale below 1 the 3D scene goes into the scene buffer, a fraction of the
// picture's size (through a multisampled buffer of that size on hardware), and is filtered up
// into the window; what hangs under the camera, the texts and the images are then drawn into
// the window at its own resolution.

#include "engine/log.h"
#include "engine/render_api.h"
#include "engine/render_state.h"
#include "engine/screen_api.h"

#include <SDL2/SDL.h>
#include <algorithm>
#include <cstring>

bool KIsSoftwareRenderer(const char* name) {
    if (!name) return true;
    // Mesa's llvmpipe, softpipe, swrast and OpenSWR; Microsoft's WARP behind D3D12 under WSL.
    static const char* const SOFTWARE[] = {"llvmpipe", "softpipe", "Software Rasterizer", "SWR",
                                           "Basic Render Driver"};
    for (const char* s : SOFTWARE)
        if (std::strstr(name, s)) return true;
    return false;
}

namespace {

void freeMultisampled(KRenderState& rs) {
    if (rs.msFbo) glDeleteFramebuffers(1, &rs.msFbo);
    if (rs.msColor) glDeleteRenderbuffers(1, &rs.msColor);
    if (rs.msDepth) glDeleteRenderbuffers(1, &rs.msDepth);
    rs.msFbo = rs.msColor = rs.msDepth = 0;
    rs.msWidth = rs.msHeight = 0;
}

void freeScene(KRenderState& rs) {
    if (rs.sceneFbo) glDeleteFramebuffers(1, &rs.sceneFbo);
    if (rs.sceneColor) glDeleteTextures(1, &rs.sceneColor);
    if (rs.sceneDepth) glDeleteRenderbuffers(1, &rs.sceneDepth);
    rs.sceneFbo = rs.sceneColor = rs.sceneDepth = 0;
    rs.sceneWidth = rs.sceneHeight = 0;
}

bool complete(GLuint fbo) {
    glBindFramebuffer(GL_FRAMEBUFFER, fbo);
    return glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
}

// The multisampled buffer bound at w x h, made or made again first; false when the driver
// refuses it (the renderer then draws without multisampling from now on).
bool bindMultisampled(KRenderState& rs, int w, int h) {
    if (rs.msFbo && rs.msWidth == w && rs.msHeight == h) {
        glBindFramebuffer(GL_FRAMEBUFFER, rs.msFbo);
        return true;
    }
    freeMultisampled(rs);
    glGenFramebuffers(1, &rs.msFbo);
    glGenRenderbuffers(1, &rs.msColor);
    glGenRenderbuffers(1, &rs.msDepth);
    glBindRenderbuffer(GL_RENDERBUFFER, rs.msColor);
    glRenderbufferStorageMultisample(GL_RENDERBUFFER, rs.samples, GL_RGBA8, w, h);
    glBindRenderbuffer(GL_RENDERBUFFER, rs.msDepth);
    glRenderbufferStorageMultisample(GL_RENDERBUFFER, rs.samples, GL_DEPTH24_STENCIL8, w, h);
    glBindRenderbuffer(GL_RENDERBUFFER, 0);
    glBindFramebuffer(GL_FRAMEBUFFER, rs.msFbo);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, rs.msColor);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER,
                              rs.msDepth);
    if (!complete(rs.msFbo)) {
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        freeMultisampled(rs);
        rs.samples = 0;
        return false;
    }
    rs.msWidth = w;
    rs.msHeight = h;
    return true;
}

// The scene buffer at w x h, made or made again first: a colour texture the filter reads and a
// depth buffer. False when the driver refuses it.
bool makeScene(KRenderState& rs, int w, int h) {
    if (rs.sceneFbo && rs.sceneWidth == w && rs.sceneHeight == h) return true;
    freeScene(rs);
    glGenFramebuffers(1, &rs.sceneFbo);
    glGenTextures(1, &rs.sceneColor);
    glBindTexture(GL_TEXTURE_2D, rs.sceneColor);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, w, h, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glBindTexture(GL_TEXTURE_2D, 0);
    rs.boundTexture = 0;
    glBindFramebuffer(GL_FRAMEBUFFER, rs.sceneFbo);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, rs.sceneColor, 0);
    glGenRenderbuffers(1, &rs.sceneDepth);
    glBindRenderbuffer(GL_RENDERBUFFER, rs.sceneDepth);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, w, h);
    glBindRenderbuffer(GL_RENDERBUFFER, 0);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, rs.sceneDepth);
    if (!complete(rs.sceneFbo)) {
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        freeScene(rs);
        return false;
    }
    rs.sceneWidth = w;
    rs.sceneHeight = h;
    return true;
}

// Clears the bound target's viewport (drawX, drawY, viewportW x viewportH): the whole of it
// at once, which a renderer does far faster than a part of it, and then, when the window's
// bars lie beside the picture, the bars alone black again.
void clearTarget(KRenderState& rs, bool keepColor, int targetW, int targetH) {
    glViewport(0, 0, targetW, targetH);
    glDisable(GL_SCISSOR_TEST);
    const KVector& c = rs.clearColor;
    glClearColor(c.x, c.y, c.z, 1.0f);
    glClearDepth(1.0);
    glClearStencil(0);
    glDepthMask(GL_TRUE);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glStencilMask(0xFF);
    glClear((keepColor ? 0 : GL_COLOR_BUFFER_BIT) | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    const bool bars = rs.viewportW < targetW || rs.viewportH < targetH;
    if (bars && !keepColor) {
        glClearColor(0, 0, 0, 1);
        glEnable(GL_SCISSOR_TEST);
        // Left and right (or bottom and top) of the picture.
        const int x1 = rs.drawX + rs.viewportW, y1 = rs.drawY + rs.viewportH;
        const int rects[4][4] = {{0, 0, rs.drawX, targetH},
                                 {x1, 0, targetW - x1, targetH},
                                 {0, 0, targetW, rs.drawY},
                                 {0, y1, targetW, targetH - y1}};
        for (const auto& r : rects) {
            if (r[2] <= 0 || r[3] <= 0) continue;
            glScissor(r[0], r[1], r[2], r[3]);
            glClear(GL_COLOR_BUFFER_BIT);
        }
        glDisable(GL_SCISSOR_TEST);
    }
    glViewport(rs.drawX, rs.drawY, rs.viewportW, rs.viewportH);
}

// The upscale filter's program, built on first use; false when the driver refuses it.
bool upscaleReady(KRenderState& rs) {
    static bool refused = false;
    if (!rs.upscale.id && !refused && !KBuildUpscaleProgram(rs.upscale)) {
        Log("Renderer: the upscale filter is refused; the scene is drawn at full size\n");
        refused = true;
    }
    return rs.upscale.id != 0;
}

} // namespace

void KFreeFrameTarget(KRenderState& rs) {
    freeMultisampled(rs);
    freeScene(rs);
}

void KChooseScale(KRenderState& rs) {
    // 1. The time since the last frame began: the whole pass of the caller's frame loop.
    const unsigned long long now = SDL_GetPerformanceCounter();
    double seconds = rs.lastFrameCounter
                         ? double(now - rs.lastFrameCounter) / double(SDL_GetPerformanceFrequency())
                         : 0.0;
    // The loop's rests and the passes that drew nothing are no frame's time.
    seconds = std::max(0.0, seconds - rs.pausedSeconds);
    rs.pausedSeconds = 0;
    rs.lastFrameCounter = now;
    if (rs.givenFrameSeconds > 0) seconds = rs.givenFrameSeconds;
    // 2. The scale asked for, or the automatic one (which sees every frame, to keep measuring).
    const float automatic =
        rs.scaler.Step(seconds, long(rs.pictureW) * long(rs.pictureH), rs.holdScale);
    rs.scale = rs.fixedScale > 0 ? rs.fixedScale : automatic;
    rs.worldW = std::max(1, int(float(rs.pictureW) * rs.scale + 0.5f));
    rs.worldH = std::max(1, int(float(rs.pictureH) * rs.scale + 0.5f));
    if ((rs.worldW >= rs.pictureW && rs.worldH >= rs.pictureH) || !upscaleReady(rs)) {
        rs.scale = 1;
        rs.worldW = rs.pictureW;
        rs.worldH = rs.pictureH;
    }
}

void KBeginWorld(KRenderState& rs, bool keepColor) {
    rs.viewportW = rs.worldW;
    rs.viewportH = rs.worldH;
    rs.drawX = rs.drawY = 0;
    rs.worldMultisampled = false;
    if (rs.scale < 1 && makeScene(rs, rs.worldW, rs.worldH)) {
        rs.worldMultisampled = rs.samples > 0 && bindMultisampled(rs, rs.worldW, rs.worldH);
        if (!rs.worldMultisampled) glBindFramebuffer(GL_FRAMEBUFFER, rs.sceneFbo);
        clearTarget(rs, keepColor, rs.worldW, rs.worldH);
        return;
    }
    rs.scale = 1;
    rs.viewportW = rs.worldW = rs.pictureW;
    rs.viewportH = rs.worldH = rs.pictureH;
    rs.worldMultisampled = rs.samples > 0 && bindMultisampled(rs, rs.pictureW, rs.pictureH);
    if (rs.worldMultisampled) {
        clearTarget(rs, keepColor, rs.pictureW, rs.pictureH);
        return;
    }
    // Straight into the window, the picture at its place.
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    rs.drawX = rs.pictureX;
    rs.drawY = rs.pictureY;
    clearTarget(rs, keepColor, rs.drawableW, rs.drawableH);
}

void KEndWorld(KRenderState& rs) {
    if (rs.scale >= 1) return;
    // 1. Multisampled on hardware: resolved into the scene buffer.
    if (rs.worldMultisampled) {
        glBindFramebuffer(GL_READ_FRAMEBUFFER, rs.msFbo);
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, rs.sceneFbo);
        glBlitFramebuffer(0, 0, rs.worldW, rs.worldH, 0, 0, rs.worldW, rs.worldH,
                          GL_COLOR_BUFFER_BIT, GL_NEAREST);
    }
    // 2. The window: bars black, depth cleared for the heads-up objects, the scene filtered up
    //    over the picture (no depth test: it covers every pixel of it).
    rs.viewportW = rs.pictureW;
    rs.viewportH = rs.pictureH;
    rs.drawX = rs.pictureX;
    rs.drawY = rs.pictureY;
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glViewport(0, 0, rs.drawableW, rs.drawableH);
    glDisable(GL_SCISSOR_TEST);
    glClearColor(0, 0, 0, 1);
    glClearDepth(1.0);
    glDepthMask(GL_TRUE);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    glViewport(rs.drawX, rs.drawY, rs.viewportW, rs.viewportH);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
    glDisable(GL_CULL_FACE);
    rs.cullFace = 0;
    glUseProgram(rs.upscale.id);
    rs.active = nullptr;
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, rs.sceneColor);
    rs.boundTexture = rs.sceneColor;
    glUniform1i(rs.upscale.scene, 0);
    glUniform2f(rs.upscale.sceneSize, float(rs.worldW), float(rs.worldH));
    glBindVertexArray(rs.quadVao);
    glDrawArrays(GL_TRIANGLES, 0, 3);
    rs.constantWhite = false; // the quad's colours are an array
    ++rs.drawCalls;
    rs.drawnTriangles += 1;
    glEnable(GL_DEPTH_TEST);
}

void KEndFrameTarget(KRenderState& rs) {
    if (rs.scale < 1 || !rs.worldMultisampled) return;
    glBindFramebuffer(GL_READ_FRAMEBUFFER, rs.msFbo);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    if (rs.pictureX != 0 || rs.pictureY != 0) {
        // Full screen with bars beside the picture: the bars black.
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
    }
    glBlitFramebuffer(0, 0, rs.pictureW, rs.pictureH, rs.pictureX, rs.pictureY,
                      rs.pictureX + rs.pictureW, rs.pictureY + rs.pictureH, GL_COLOR_BUFFER_BIT,
                      GL_NEAREST);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
}

void KTargetWholeWindow(KRenderState& rs) {
    if (rs.scale >= 1 && rs.worldMultisampled) {
        KEndFrameTarget(rs);
        rs.worldMultisampled = false; // resolved: the frame's end has nothing left to do
    }
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    rs.drawX = rs.drawY = 0;
    rs.viewportW = rs.drawableW;
    rs.viewportH = rs.drawableH;
    glViewport(0, 0, rs.drawableW, rs.drawableH);
}

void SetRenderScale(KScreen* screen, float scale) {
    if (!screen || !screen->render) return;
    KRenderState& rs = *screen->render;
    rs.fixedScale = scale <= KRENDER_SCALE_AUTO
                        ? KRENDER_SCALE_AUTO
                        : std::clamp(scale, KRENDER_SCALE_MIN, KRENDER_SCALE_MAX);
    // The automatic scale starts again from full size.
    rs.scaler.Reset(KRENDER_SCALE_MAX);
}

float GetRenderScaleSetting(const KScreen* screen) {
    return screen && screen->render ? screen->render->fixedScale : 1.0f;
}

float GetRenderScale(const KScreen* screen) {
    return screen && screen->render ? screen->render->scale : 1.0f;
}

void HoldRenderScale(KScreen* screen, bool hold) {
    if (screen && screen->render) screen->render->holdScale = hold;
}

void KNotePause(KScreen* screen, double seconds) {
    if (screen && screen->render && seconds > 0) screen->render->pausedSeconds += seconds;
}
