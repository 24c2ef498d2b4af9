// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Vectors, matrices, quaternions and the node transform record (KPRS).
//
// Conventions held everywhere in the engine:
// - right-handed world, y up; column vectors; matrices stored column-major as OpenGL reads
//   them (m[col * 4 + row]), so the translation sits in m[12], m[13], m[14];
// - a node's orientation from its angles (x, y, z) in degrees is Ry(y) * Rx(x) * Rz(z) with the
//   usual right-handed elementary rotations: positive yaw turns a view looking along -z
//   towards -x, positive pitch looks up; cameras look along their local -z;
// - quaternions are the usual unit quaternions of those rotation matrices (x, y, z, w).

struct KVector {
    float x = 0, y = 0, z = 0;

    KVector() = default;
    KVector(float ax, float ay, float az) : x(ax), y(ay), z(az) {}
    KVector operator+(const KVector& o) const { return {x + o.x, y + o.y, z + o.z}; }
    KVector operator-(const KVector& o) const { return {x - o.x, y - o.y, z - o.z}; }
    KVector operator*(float s) const { return {x * s, y * s, z * s}; }
    float Dot(const KVector& o) const { return x * o.x + y * o.y + z * o.z; }
    KVector Cross(const KVector& o) const {
        return {y * o.z - z * o.y, z * o.x - x * o.z, x * o.y - y * o.x};
    }
    float Length() const;
    KVector Normalized() const; // zero vector stays zero
};

struct KColor {
    float r = 0, g = 0, b = 0, a = 1;
};

// Texture coordinate; v = 0 is the bottom row of the picture as seen (pixel buffers are
// bottom-up).
struct KUV {
    float u = 0, v = 0;
};

class KQuat;

class KMatrix {
public:
    float m[16]; // column-major, m[col * 4 + row]

    KMatrix(); // identity
    void Identity();

    // Sets this to the rotation Ry(y) * Rx(x) * Rz(z); angles in radians. A node's matrix is
    // RotateYXZMatrix(angles * 0.017453292) * ScaleMatrix(scale), then SetTrans(position).
    void RotateYXZMatrix(float x, float y, float z);

    // Elementary rotations (radians), each replacing this matrix. X and Z are the usual
    // right-handed ones. RotateYMatrix turns clockwise seen from above, that is Ry(-a): the
    // angle-to-quaternion recipe of the animations (Z by z, then X by x, then Y by -y, each
    // multiplied in front) therefore yields exactly the node's own Ry(y) * Rx(x) * Rz(z).
    void RotateXMatrix(float a);
    void RotateYMatrix(float a);
    void RotateZMatrix(float a);

    // Multiplies this by a uniform scale on the right (this = this * S(s)); on a fresh
    // (identity) matrix it simply makes the scale matrix.
    void ScaleMatrix(float s);

    // Writes the translation column; the rotation and scale part are kept.
    void SetTrans(float x, float y, float z);
    void SetTrans(const KVector& t) { SetTrans(t.x, t.y, t.z); }
    KVector GetTrans() const { return {m[12], m[13], m[14]}; }

    // Quaternion of the rotation part (scale divided out).
    KQuat GetQuat() const;

    KMatrix operator*(const KMatrix& o) const;
    KVector TransformPoint(const KVector& p) const; // w = 1
    KVector TransformDir(const KVector& d) const;   // w = 0
    KMatrix Inverse() const;                        // affine inverse (last row 0 0 0 1)
};

class KQuat {
public:
    float x = 0, y = 0, z = 0, w = 1;

    KQuat() = default;
    KQuat(float ax, float ay, float az, float aw) : x(ax), y(ay), z(az), w(aw) {}

    // Angles (x, y, z) in degrees with Ry(y) * Rx(x) * Rz(z) equal to this rotation; x in
    // -90..90. A zero quaternion counts as no rotation.
    KVector GetAnglesYXZ() const;

    KMatrix GetMatrix() const; // rotation matrix; a zero quaternion gives identity
    KQuat Normalized() const;  // a zero quaternion gives identity

    // Spherical interpolation along the shorter arc; t in 0..1.
    static KQuat Slerp(const KQuat& a, const KQuat& b, float t);
};

// The animations' angle-to-quaternion conversion from angles in degrees: the rotation about Z by
// z, then about X by x, then about Y by -y (RotateYMatrix), each multiplied in front, turned
// into a quaternion. Gives the same orientation as a node with these angles.
KQuat KAnglesToQuat(float xDeg, float yDeg, float zDeg);

// A node's local transform: position, angles in degrees, uniform scale, the changed flag and
// the matrix built from them. Whoever stores new values first rebuilds a stale matrix
// (Refresh), then stores, then sets `changed`; the renderer and picking rebuild what is still
// stale before they use it.
class KPRS {
public:
    KVector pos;               // local position
    KVector rot;               // angles in degrees (x pitch, y yaw, z roll)
    float scale = 1.0f;        // uniform scale
    unsigned char changed = 1; // values stored since `matrix` was last built
    KMatrix matrix;            // local matrix from pos, rot, scale

    // Builds `matrix` from pos, rot and scale and clears `changed`.
    void CreateMatrix();
    // Rebuilds the matrix only when `changed` is set.
    void Refresh() {
        if (changed) CreateMatrix();
    }
    // The transform refresh followed by the store: Refresh(), store, set `changed`.
    void SetPosition(float x, float y, float z);
    void SetAngles(float x, float y, float z);
    void SetScale(float s);
};
