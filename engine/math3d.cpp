// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/math3d.h"

#include <cmath>

namespace {

constexpr float DEG_TO_RAD = 0.017453292f;
constexpr float RAD_TO_DEG = 57.295779513f;

// Element at row r, column c of a column-major matrix.
inline float& at(KMatrix& a, int r, int c) {
    return a.m[c * 4 + r];
}
inline float at(const KMatrix& a, int r, int c) {
    return a.m[c * 4 + r];
}

// Sets the upper 3x3 of `a` to the given rows and the rest to identity.
void setRotation(KMatrix& a, float r00, float r01, float r02, float r10, float r11, float r12,
                 float r20, float r21, float r22) {
    a.Identity();
    at(a, 0, 0) = r00, at(a, 0, 1) = r01, at(a, 0, 2) = r02;
    at(a, 1, 0) = r10, at(a, 1, 1) = r11, at(a, 1, 2) = r12;
    at(a, 2, 0) = r20, at(a, 2, 1) = r21, at(a, 2, 2) = r22;
}

} // namespace

float KVector::Length() const {
    return std::sqrt(x * x + y * y + z * z);
}

KVector KVector::Normalized() const {
    float l = Length();
    return l > 0 ? KVector(x / l, y / l, z / l) : KVector();
}

KMatrix::KMatrix() {
    Identity();
}

void KMatrix::Identity() {
    for (int i = 0; i < 16; ++i)
        m[i] = (i % 5 == 0) ? 1.0f : 0.0f;
}

void KMatrix::RotateXMatrix(float a) {
    float c = std::cos(a), s = std::sin(a);
    setRotation(*this, 1, 0, 0, 0, c, -s, 0, s, c);
}

void KMatrix::RotateYMatrix(float a) {
    // Ry(-a): clockwise seen from above (see the header for why).
    float c = std::cos(a), s = std::sin(a);
    setRotation(*this, c, 0, -s, 0, 1, 0, s, 0, c);
}

void KMatrix::RotateZMatrix(float a) {
    float c = std::cos(a), s = std::sin(a);
    setRotation(*this, c, -s, 0, s, c, 0, 0, 0, 1);
}

void KMatrix::RotateYXZMatrix(float x, float y, float z) {
    // Ry(y) * Rx(x) * Rz(z), expanded.
    float cx = std::cos(x), sx = std::sin(x);
    float cy = std::cos(y), sy = std::sin(y);
    float cz = std::cos(z), sz = std::sin(z);
    setRotation(*this, cy * cz + sy * sx * sz, -cy * sz + sy * sx * cz, sy * cx, cx * sz, cx * cz,
                -sx, -sy * cz + cy * sx * sz, sy * sz + cy * sx * cz, cy * cx);
}

void KMatrix::ScaleMatrix(float s) {
    for (int i = 0; i < 12; ++i)
        m[i] *= s;
}

void KMatrix::SetTrans(float x, float y, float z) {
    m[12] = x;
    m[13] = y;
    m[14] = z;
}

KMatrix KMatrix::operator*(const KMatrix& o) const {
    KMatrix r;
    for (int c = 0; c < 4; ++c)
        for (int rw = 0; rw < 4; ++rw) {
            float s = 0;
            for (int k = 0; k < 4; ++k)
                s += at(*this, rw, k) * at(o, k, c);
            at(r, rw, c) = s;
        }
    return r;
}

KVector KMatrix::TransformPoint(const KVector& p) const {
    return {m[0] * p.x + m[4] * p.y + m[8] * p.z + m[12],
            m[1] * p.x + m[5] * p.y + m[9] * p.z + m[13],
            m[2] * p.x + m[6] * p.y + m[10] * p.z + m[14]};
}

KVector KMatrix::TransformDir(const KVector& d) const {
    return {m[0] * d.x + m[4] * d.y + m[8] * d.z, m[1] * d.x + m[5] * d.y + m[9] * d.z,
            m[2] * d.x + m[6] * d.y + m[10] * d.z};
}

KMatrix KMatrix::Inverse() const {
    // Inverse of the upper 3x3 by cofactors, then the translation moved back through it.
    float a = at(*this, 0, 0), b = at(*this, 0, 1), c = at(*this, 0, 2);
    float d = at(*this, 1, 0), e = at(*this, 1, 1), f = at(*this, 1, 2);
    float g = at(*this, 2, 0), h = at(*this, 2, 1), i = at(*this, 2, 2);
    float A = e * i - f * h, B = -(d * i - f * g), C = d * h - e * g;
    float det = a * A + b * B + c * C;
    KMatrix r;
    if (std::fabs(det) < 1e-30f) return r;
    float k = 1.0f / det;
    setRotation(r, A * k, -(b * i - c * h) * k, (b * f - c * e) * k, B * k, (a * i - c * g) * k,
                -(a * f - c * d) * k, C * k, -(a * h - b * g) * k, (a * e - b * d) * k);
    KVector t = r.TransformDir(GetTrans());
    r.SetTrans(-t.x, -t.y, -t.z);
    return r;
}

KQuat KMatrix::GetQuat() const {
    // Scale divided out of each column so that scaled nodes give the same rotation.
    float sx = KVector(m[0], m[1], m[2]).Length();
    float sy = KVector(m[4], m[5], m[6]).Length();
    float sz = KVector(m[8], m[9], m[10]).Length();
    if (sx == 0 || sy == 0 || sz == 0) return KQuat();
    float r00 = m[0] / sx, r10 = m[1] / sx, r20 = m[2] / sx;
    float r01 = m[4] / sy, r11 = m[5] / sy, r21 = m[6] / sy;
    float r02 = m[8] / sz, r12 = m[9] / sz, r22 = m[10] / sz;
    float trace = r00 + r11 + r22;
    KQuat q;
    if (trace > 0) {
        float s = std::sqrt(trace + 1.0f) * 2;
        q = KQuat((r21 - r12) / s, (r02 - r20) / s, (r10 - r01) / s, 0.25f * s);
    } else if (r00 > r11 && r00 > r22) {
        float s = std::sqrt(1.0f + r00 - r11 - r22) * 2;
        q = KQuat(0.25f * s, (r01 + r10) / s, (r02 + r20) / s, (r21 - r12) / s);
    } else if (r11 > r22) {
        float s = std::sqrt(1.0f + r11 - r00 - r22) * 2;
        q = KQuat((r01 + r10) / s, 0.25f * s, (r12 + r21) / s, (r02 - r20) / s);
    } else {
        float s = std::sqrt(1.0f + r22 - r00 - r11) * 2;
        q = KQuat((r02 + r20) / s, (r12 + r21) / s, 0.25f * s, (r10 - r01) / s);
    }
    return q.Normalized();
}

KQuat KQuat::Normalized() const {
    float l = std::sqrt(x * x + y * y + z * z + w * w);
    if (l < 1e-12f) return KQuat();
    return KQuat(x / l, y / l, z / l, w / l);
}

KMatrix KQuat::GetMatrix() const {
    KQuat q = Normalized();
    float xx = q.x * q.x, yy = q.y * q.y, zz = q.z * q.z;
    float xy = q.x * q.y, xz = q.x * q.z, yz = q.y * q.z;
    float wx = q.w * q.x, wy = q.w * q.y, wz = q.w * q.z;
    KMatrix r;
    setRotation(r, 1 - 2 * (yy + zz), 2 * (xy - wz), 2 * (xz + wy), 2 * (xy + wz),
                1 - 2 * (xx + zz), 2 * (yz - wx), 2 * (xz - wy), 2 * (yz + wx), 1 - 2 * (xx + yy));
    return r;
}

KVector KQuat::GetAnglesYXZ() const {
    // With R = Ry(y) Rx(x) Rz(z): R12 = -sin x, R02 = sin y cos x, R22 = cos y cos x,
    // R10 = cos x sin z, R11 = cos x cos z.
    KMatrix r = GetMatrix();
    float r12 = at(r, 1, 2);
    if (r12 > 1) r12 = 1;
    if (r12 < -1) r12 = -1;
    float x = std::asin(-r12), y, z;
    if (std::fabs(r12) < 0.99999f) {
        y = std::atan2(at(r, 0, 2), at(r, 2, 2));
        z = std::atan2(at(r, 1, 0), at(r, 1, 1));
    } else {
        // Looking straight up or down: yaw and roll turn about the same axis; put it all in y.
        z = 0;
        y = std::atan2(-at(r, 2, 0), at(r, 0, 0));
    }
    return {x * RAD_TO_DEG, y * RAD_TO_DEG, z * RAD_TO_DEG};
}

KQuat KQuat::Slerp(const KQuat& a0, const KQuat& b0, float t) {
    KQuat a = a0.Normalized(), b = b0.Normalized();
    float cosom = a.x * b.x + a.y * b.y + a.z * b.z + a.w * b.w;
    if (cosom < 0) { // q and -q are the same rotation: take the shorter arc
        cosom = -cosom;
        b = KQuat(-b.x, -b.y, -b.z, -b.w);
    }
    float ka, kb;
    if (cosom > 0.9995f) {
        ka = 1 - t;
        kb = t;
    } else {
        float om = std::acos(cosom), so = std::sin(om);
        ka = std::sin((1 - t) * om) / so;
        kb = std::sin(t * om) / so;
    }
    return KQuat(a.x * ka + b.x * kb, a.y * ka + b.y * kb, a.z * ka + b.z * kb, a.w * ka + b.w * kb)
        .Normalized();
}

KQuat KAnglesToQuat(float xDeg, float yDeg, float zDeg) {
    KMatrix rz, rx, ry;
    rz.RotateZMatrix(zDeg * DEG_TO_RAD);
    rx.RotateXMatrix(xDeg * DEG_TO_RAD);
    ry.RotateYMatrix(-yDeg * DEG_TO_RAD);
    KMatrix m = ry * (rx * rz);
    return m.GetQuat();
}

void KPRS::CreateMatrix() {
    matrix.RotateYXZMatrix(rot.x * DEG_TO_RAD, rot.y * DEG_TO_RAD, rot.z * DEG_TO_RAD);
    matrix.ScaleMatrix(scale);
    matrix.SetTrans(pos);
    changed = 0;
}

void KPRS::SetPosition(float x, float y, float z) {
    Refresh();
    pos = KVector(x, y, z);
    changed = 1;
}

void KPRS::SetAngles(float x, float y, float z) {
    Refresh();
    rot = KVector(x, y, z);
    changed = 1;
}

void KPRS::SetScale(float s) {
    Refresh();
    scale = s;
    changed = 1;
}
