#version 120
// The shadow maps of one light (up to three: the cascades of a directional light, a spot map,
// or three faces of a point light) into that light's channel of the mask: 1 lit, 0 shadowed.
// The other channels are left at 1 (the mask is blended by multiplication). The maps compare
// depths themselves with a bilinear filter (hardware PCF); soft shadows spread four of them.
uniform sampler2DShadow texture0;  // first map
uniform sampler2DShadow texture1;  // second map
uniform sampler2DShadow texture2;  // third map
uniform sampler2D texture3;        // the camera's depth pre-pass
uniform vec4 targetMask;           // one-hot: the light's channel
uniform vec4 zLimits[3];           // per map: eye distances it covers, depth bias, texel size
uniform mat4 shadowMatrix[3];      // per map: camera eye space -> map coordinates and depth
uniform float mapCount;
uniform float depthA;
uniform float depthB;
uniform float softness;            // 0: the bilinear filter alone, 1: four of them spread on a turned cross
varying vec3 eyeDir;
varying vec2 screenUV;

// Where the point falls in a map: coordinates and depth, or w < 0 outside it. The point is
// first moved off its surface by about a map texel along the normal n, so that surfaces do not
// shadow themselves where the light grazes them.
vec4 Place(int i, vec3 p, vec3 n, float z)
{
    if (z < zLimits[i].x || z >= zLimits[i].y) return vec4(-1.0);
    vec3 across = vec3(shadowMatrix[i][0][0], shadowMatrix[i][1][0], shadowMatrix[i][2][0]);
    float texel = zLimits[i].w / max(length(across), 1e-6);
    vec4 shadow = shadowMatrix[i] * vec4(p + n * texel * 1.5, 1.0);
    if (shadow.w <= 0.0) return vec4(-1.0);
    vec3 c = shadow.xyz / shadow.w;
    if (c.x < 0.0 || c.x > 1.0 || c.y < 0.0 || c.y > 1.0) return vec4(-1.0);
    // Beyond the casters' depth range nothing can be in front of the point but the casters.
    return vec4(c.xy, min(c.z, 1.0) - zLimits[i].z, 1.0);
}

float Lookup(int i, vec3 c)
{
    if (i == 0) return shadow2D(texture0, c).r;
    if (i == 1) return shadow2D(texture1, c).r;
    return shadow2D(texture2, c).r;
}

float Filter(int i, vec3 c)
{
    if (softness < 0.5) return Lookup(i, c);
    // The cross turns by a quarter of its arms' spacing from pixel to pixel in a 2 x 2 pattern;
    // the half-size mask's filtering then blends four turns: sixteen directions, no noise.
    vec2 cell = mod(floor(gl_FragCoord.xy), 2.0);
    float angle = (cell.x + 2.0 * cell.y) * 0.3926991;
    vec2 a = vec2(cos(angle), sin(angle)) * zLimits[i].w * 2.2;
    vec2 b = vec2(-a.y, a.x) * 0.55;
    float sum = Lookup(i, c + vec3(a, 0.0)) + Lookup(i, c - vec3(a, 0.0)) + Lookup(i, c + vec3(b, 0.0)) +
                Lookup(i, c - vec3(b, 0.0));
    return sum * 0.25;
}

void main()
{
    float windowDepth = texture2D(texture3, screenUV).r;
    float z = depthB / (windowDepth - depthA);
    vec3 p = eyeDir * z;
    // The surface normal from the neighbouring pixels (taken before any pixel leaves the quad).
    vec3 n = cross(dFdx(p), dFdy(p));
    n = dot(n, n) > 0.0 ? normalize(n) : vec3(0.0, 0.0, 1.0);
    if (dot(n, p) > 0.0) n = -n;
    if (windowDepth >= 1.0) discard;  // background
    int map = -1;
    vec4 c = Place(0, p, n, z);
    if (c.w > 0.0) {
        map = 0;
    } else if (mapCount > 1.5) {
        c = Place(1, p, n, z);
        if (c.w > 0.0) {
            map = 1;
        } else if (mapCount > 2.5) {
            c = Place(2, p, n, z);
            if (c.w > 0.0) map = 2;
        }
    }
    if (map < 0) discard;
    float lit = Filter(map, c.xyz);
    gl_FragColor = vec4(1.0) - targetMask * (1.0 - lit);
}
