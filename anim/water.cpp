// SPDX-License-Identifier: GPL-3.0-or-later
#include "anim/water.h"

#include <cmath>

#include "engine/KivEngine.h"

WaterSurface::WaterSurface(KScene* owner) : scene(owner) {}

void WaterSurface::build(int columns, int rows, float extentX, float extentZ) {
    nx = columns;
    nz = rows;
    sizeX = extentX;
    sizeZ = extentZ;
    const size_t count = size_t(nx) * size_t(nz);
    base.assign(count, 0.0f);
    displacement.assign(count, 0.0f);
    velocity.assign(count, 0.0f);

    // Vertex colours, smooth normals recomputed on every upload, highlights, streamed mesh;
    // lit, so the swell reads as a surface.
    material = GetMatByName(scene, "water");
    if (material) {
        material->SetOption(KMAT_VERTEXCOLOR | KMAT_AUTONORMALS | KMAT_SPECULAR | KMAT_DYNAMIC,
                            true);
        material->SetOption(KMAT_UNLIT, false);
    }

    mesh = new KMesh(scene, int(count), 2 * (nx - 1) * (nz - 1));
    mesh->DeleteRapidModel();
    mesh->isStatic = 0;

    const KColor white{1, 1, 1, 1};
    for (int r = 0; r < nz; ++r) {
        for (int c = 0; c < nx; ++c) {
            const int i = r * nx + c;
            const float x = c * sizeX / nx - sizeX / 2;
            const float z = r * sizeZ / nz - sizeZ / 2;
            // A gentle egg-box swell between 0 and 0.6.
            base[i] = 0.3f * (std::cos(6.283f * c / nx) * std::cos(6.283f * r / nz) + 1.0f);
            mesh->addVert(KVector(x, base[i], z), KVector(0, 0, 0), white, white);
        }
    }

    KFace face;
    face.initFace();
    face.SetMaterial(material);
    for (int r = 0; r + 1 < nz; ++r) {
        for (int c = 0; c + 1 < nx; ++c) {
            const int k = r * nx + c;
            const float u0 = float(c) / nx, u1 = float(c + 1) / nx;
            const float v0 = float(r) / nz, v1 = float(r + 1) / nz;
            face.SetVertsRef(k, k + 1, k + nx + 1);
            face.SetUV(0, u0, v0);
            face.SetUV(1, u1, v0);
            face.SetUV(2, u1, v1);
            mesh->addFace(face);
            face.SetVertsRef(k, k + nx + 1, k + nx);
            face.SetUV(0, u0, v0);
            face.SetUV(1, u1, v1);
            face.SetUV(2, u0, v1);
            mesh->addFace(face);
        }
    }

    node = new KObject(scene);
    node->SetMesh(mesh);
    for (size_t i = 0; i < count; ++i)
        displacement[i] = mesh->verts[i].pos.y - base[i];
}

void WaterSurface::drop(int x, int y, int single) {
    if (nx <= 0 || nz <= 0) return;
    if (single != 0) {
        // Checked: the single form takes any grid point and must not write outside the grid.
        if (x >= 0 && x < nx && y >= 0 && y < nz) velocity[size_t(y) * nx + x] = -strength;
        return;
    }
    if (ringRadius <= 1) return;
    for (int r = 1; r < ringRadius; ++r) {
        for (int a = 0; a < 360; a += 10) {
            const float px = x + r * std::cos(a * 0.017452778f);
            const float py = y - r * std::sin(a * 0.017452778f);
            if (px >= 0 && px < nx - 1 && py >= 0 && py < nz - 1) {
                // Indices cut toward zero; the value is set, not added.
                velocity[size_t(int(py)) * nx + size_t(int(px))] = strength / r;
            }
        }
    }
}

void WaterSurface::step() {
    if (!mesh || nx < 3 || nz < 3) return;
    KVertex* v = mesh->verts.data();
    // 1. Interior vertices: pulled towards the mean of their 8 neighbours (as of the last
    //    step), a constant pull towards rest, damping, then moved.
    for (int r = 1; r < nz - 1; ++r) {
        for (int c = 1; c < nx - 1; ++c) {
            const int i = r * nx + c;
            const float* d = displacement.data();
            const float around = d[i - nx - 1] + d[i - nx] + d[i - nx + 1] + d[i - 1] + d[i + 1] +
                                 d[i + nx - 1] + d[i + nx] + d[i + nx + 1];
            float vel = velocity[i] + around * 0.125f - d[i];
            // A surface exactly at rest gets no pull: pulling it would set a still pool moving.
            if (d[i] != 0.0f) vel -= d[i] > 0 ? 0.001f : -0.001f;
            vel *= damping;
            velocity[i] = vel;
            v[i].pos.y += vel;
        }
    }
    // 2. New displacements and colours: darker where raised, brighter where lowered.
    const int count = nx * nz;
    for (int i = 0; i < count; ++i) {
        const float d = v[i].pos.y - base[i];
        displacement[i] = d;
        v[i].color = KColor{0.6f - d, 0.6f - d, 0.8f - d, 1.0f};
    }
    // 3. Re-sent to the GPU before the next draw.
    mesh->changed = 1;
}

void WaterSurface::startDrops() {
    for (int k = 0; k < 10; ++k)
        drop(10 + 2 * k, 10 + 3 * k, 0);
    for (int k = 0; k < 10; ++k)
        drop(50 - 2 * k, 50 - 3 * k, 0);
    for (int k = 0; k < 10; ++k)
        drop(70, 70 - 6 * k, 0);
}
