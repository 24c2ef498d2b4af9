# Camera geometry shared by the end-to-end scripts (sourced): where a world point shows in the
# game's window, and how the camera turns after a click.
# Window pixel of the world point (x, y, z) seen by a camera at (cx, cy, cz) turned by pitch
# (about x) and yaw (about y) in degrees, 60-degree vertical field of view, 800 x 600 window.
# The camera looks along its own -z; its rotation is yaw applied after pitch.
AWK_GEOMETRY='
function rad(d) { return d * 3.14159265358979 / 180 }
function deg(r) { return r * 57.295776 }
function project(px, py, pz, cx, cy, cz, pitch, yaw,    vx, vy, vz, c, s, x1, z1, y2, z2, f) {
    vx = px - cx; vy = py - cy; vz = pz - cz
    c = cos(rad(yaw)); s = sin(rad(yaw))
    x1 = c * vx - s * vz; z1 = s * vx + c * vz
    c = cos(rad(pitch)); s = sin(rad(pitch))
    y2 = c * vy + s * z1; z2 = -s * vy + c * z1
    f = 300 * cos(rad(30)) / sin(rad(30))
    return sprintf("%d %d", int(400 + x1 / -z2 * f + 0.5), int(300 - y2 / -z2 * f + 0.5))
}
# Yaw and pitch of a direction, as the camera turn towards a clicked point computes them.
function dirYaw(x, z,    y) {
    if ((z < 0 ? -z : z) < 0.0001) return x > 0 ? -90 : 90
    y = deg(atan2(x / z, 1)); if (z > 0) y += (y <= 0 ? 180 : -180)
    return y
}
function dirPitch(x, y, z) { return deg(atan2(y / sqrt(x * x + z * z), 1)) }
# The angles the camera at (cx, cy, cz) turns to after a click at (px, py, pz): one third of
# the way from the board centre (3.5, 0, 3.5) towards the point.
function lookAngles(px, py, pz, cx, cy, cz,    y1, p1, y2, p2) {
    y1 = dirYaw(px - cx, pz - cz); p1 = dirPitch(px - cx, py - cy, pz - cz)
    y2 = dirYaw(3.5 - cx, 3.5 - cz); p2 = dirPitch(3.5 - cx, -cy, 3.5 - cz)
    if (y2 - y1 > 180 || y1 - y2 > 180) { if (y2 >= 0) y1 += 360; else y2 += 360 }
    return sprintf("%.4f %.4f", (2 * p2 + p1) * 0.3333, (y1 + 2 * y2) * 0.3333)
}
'
