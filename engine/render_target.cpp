// Where a frame is drawn: straight into the window, or, where multisampling is worth it, into a
// multisampled buffer of the window's size that is resolved into the window when the frame is
// complete. A software renderer multisamples on the processor at a cost that outweighs the
// smoother edges (each sample is depth-tested, stencilled and stored), so it draws without.

#include "engine/render_api.h"
#include "engine/render_state.h"

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

void KFreeFrameTarget(KRenderState& rs) {
    if (rs.msFbo) glDeleteFramebuffers(1, &rs.msFbo);
    if (rs.msColor) glDeleteRenderbuffers(1, &rs.msColor);
    if (rs.msDepth) glDeleteRenderbuffers(1, &rs.msDepth);
    rs.msFbo = rs.msColor = rs.msDepth = 0;
    rs.msWidth = rs.msHeight = 0;
}

namespace {

// (Re)makes the multisampled buffer at the viewport's size; false when the driver refuses it.
bool makeTarget(KRenderState& rs) {
    KFreeFrameTarget(rs);
    glGenFramebuffers(1, &rs.msFbo);
    glGenRenderbuffers(1, &rs.msColor);
    glGenRenderbuffers(1, &rs.msDepth);
    glBindFramebuffer(GL_FRAMEBUFFER, rs.msFbo);
    glBindRenderbuffer(GL_RENDERBUFFER, rs.msColor);
    glRenderbufferStorageMultisample(GL_RENDERBUFFER, rs.samples, GL_RGBA8, rs.viewportW,
                                     rs.viewportH);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, rs.msColor);
    glBindRenderbuffer(GL_RENDERBUFFER, rs.msDepth);
    glRenderbufferStorageMultisample(GL_RENDERBUFFER, rs.samples, GL_DEPTH24_STENCIL8, rs.viewportW,
                                     rs.viewportH);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER,
                              rs.msDepth);
    glBindRenderbuffer(GL_RENDERBUFFER, 0);
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        KFreeFrameTarget(rs);
        return false;
    }
    rs.msWidth = rs.viewportW;
    rs.msHeight = rs.viewportH;
    return true;
}

} // namespace

void KBeginFrameTarget(KRenderState& rs) {
    if (rs.samples <= 0) return;
    if (rs.msFbo && rs.msWidth == rs.viewportW && rs.msHeight == rs.viewportH) {
        glBindFramebuffer(GL_FRAMEBUFFER, rs.msFbo);
        rs.drawX = rs.drawY = 0;
        return;
    }
    if (!makeTarget(rs)) {
        rs.samples = 0; // drawn straight into the window from now on
        return;
    }
    rs.drawX = rs.drawY = 0;
}

void KEndFrameTarget(KRenderState& rs) {
    if (rs.samples <= 0 || !rs.msFbo) return;
    glBindFramebuffer(GL_READ_FRAMEBUFFER, rs.msFbo);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    if (rs.pictureX != 0 || rs.pictureY != 0) {
        // Full screen with bars beside the picture: the bars black.
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
    }
    glBlitFramebuffer(0, 0, rs.viewportW, rs.viewportH, rs.pictureX, rs.pictureY,
                      rs.pictureX + rs.viewportW, rs.pictureY + rs.viewportH, GL_COLOR_BUFFER_BIT,
                      GL_NEAREST);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
}
