#include "viewer/Shaders.h"

#include <cstdio>
#include <string>

#include <osg/Shader>

#include "viewer/Viridis.h"

namespace qvx {
namespace viewer {
namespace shaders {

namespace {

// Values of MESH_BASE and MESH_LIGHTING.
enum MeshBase { kTextureBase = 0, kVertexColorBase = 1, kHeightBase = 2, kWhiteBase = 3 };
enum MeshLighting { kUnlit = 0, kFlatHeadlight = 1, kSmoothHeadlight = 2 };

const char* const kColorVertex = R"(#version 120
void main()
{
    gl_Position = ftransform();
    gl_FrontColor = gl_Color;
}
)";

const char* const kColorFragment = R"(#version 120
void main()
{
    gl_FragColor = gl_Color;
}
)";

// Outputs of every mesh vertex, shared by the mesh program and its editing variant.
const char* const kMeshVertexCommon = R"(
uniform mat4 osg_ViewMatrixInverse;

varying vec3 normal;
varying vec3 viewDirection;
varying vec4 vertexColor;
varying float height;

vec4 writeMeshOutputs()
{
    gl_Position = ftransform();
    gl_TexCoord[0] = gl_MultiTexCoord0;
    vec4 eyePosition = gl_ModelViewMatrix * gl_Vertex;
    normal = gl_NormalMatrix * gl_Normal;
    viewDirection = -eyePosition.xyz;
    vertexColor = gl_Color;
    height = (osg_ViewMatrixInverse * eyePosition).z;
    return eyePosition;
}
)";

const char* const kMeshVertexMain = R"(
void main()
{
    writeMeshOutputs();
}
)";

// Uniforms, varyings and the colour rule shared by the mesh program and its editing variant.
// The viridis table is spliced in between the header and this part. The display modes arrive as
// preprocessor symbols (meshShaderDefines), so only the selected colour path is compiled:
// software rasterizers run every branch of a shader, taken or not.
const char* const kMeshFragmentCommon = R"(
#pragma import_defines(MESH_BASE, MESH_TEXTURE_FALLBACK, MESH_LIGHTING)

uniform sampler2D baseTexture;
uniform float lightLevel;
uniform float minHeight;
uniform float maxHeight;
// Only the editor's transparent scene sets it; opaque until then.
uniform float alpha = 1.0;

varying vec3 normal;
varying vec3 viewDirection;
varying vec4 vertexColor;
varying float height;

vec3 faceNormal()
{
    vec3 n = normalize(cross(dFdx(viewDirection), dFdy(viewDirection)));
    return dot(n, viewDirection) < 0.0 ? -n : n;
}

vec3 heightColor()
{
    float range = maxHeight - minHeight;
    float t = range != 0.0 ? clamp((height - minHeight) / range, 0.0, 1.0) : 0.0;
    return viridis[int(floor(255.0 * t))];
}

vec4 baseColor()
{
#if MESH_BASE == 0
    vec4 texel = texture2D(baseTexture, gl_TexCoord[0].st);
#if MESH_TEXTURE_FALLBACK
    if (texel.rgb == vec3(0.0) && vertexColor.rgb != vec3(0.0))
        return vertexColor;
#endif
    return texel;
#elif MESH_BASE == 1
    return vertexColor;
#elif MESH_BASE == 2
    return vec4(heightColor(), 1.0);
#else
    return vec4(1.0);
#endif
}

vec4 meshColor()
{
    vec4 color = baseColor();
#if MESH_LIGHTING != 0
#if MESH_LIGHTING == 1
    vec3 n = faceNormal();
#else
    vec3 n = normalize(normal);
#endif
    color.rgb *= max(dot(normalize(viewDirection), n), 0.0) * lightLevel;
#endif
    if (alpha < 1.0)
        color.a = alpha;
    return color;
}
)";

const char* const kMeshFragmentMain = R"(
void main()
{
    gl_FragColor = meshColor();
}
)";

const char* const kStationFragment = R"(#version 120
uniform sampler2D baseTexture;
uniform float lightLevel;

varying vec3 normal;
varying vec3 viewDirection;
varying vec4 vertexColor;
varying float height;

void main()
{
    vec3 n = normalize(cross(dFdx(viewDirection), dFdy(viewDirection)));
    if (dot(n, viewDirection) < 0.0)
        n = -n;
    vec4 texel = texture2D(baseTexture, gl_TexCoord[0].st);
    if (texel.rgb != vec3(0.0)) {
        gl_FragColor = vec4(texel.rgb, vertexColor.a);
    } else {
        float shade = clamp(dot(normalize(viewDirection), n), 0.5, 0.8) * lightLevel;
        gl_FragColor = vec4(vertexColor.rgb * shade, vertexColor.a);
    }
}
)";

const char* const kEditingVertex = R"(
attribute float vertexFlags;
attribute float tileFlags;

uniform vec3 selectionStart;
uniform bool selectionStartValid;
uniform vec3 mousePick;
uniform vec3 selectionAxis;
uniform float selectionRadius;
uniform float selectionExtrusion;
uniform float selectionMode;
uniform bool markModifiedVertices;
uniform mat4 inverseViewMatrix;
uniform float numPrismPoints;
uniform vec3 prismPlaneOrigin;
uniform vec3 prismPlaneNormal;
uniform vec2 prismPoints[50];
uniform mat3 prismPlaneLocalCoordinateTransformationMatrix;

varying vec4 markerColor;

const vec4 kBlue = vec4(0.0, 0.0, 1.0, 1.0);
const vec4 kGreen = vec4(0.0, 1.0, 0.0, 1.0);
const vec4 kYellow = vec4(1.0, 1.0, 0.0, 1.0);
const vec4 kMagenta = vec4(1.0, 0.0, 1.0, 1.0);
const vec4 kLightCyan = vec4(0.5, 1.0, 1.0, 1.0);

bool flagSet(float flags, float flag)
{
    return mod(floor(flags / flag), 2.0) != 0.0;
}

// Even-odd rule over the first `count` prism points.
bool insidePolygon(vec2 p, int count)
{
    bool inside = false;
    for (int i = 0; i < 50; ++i) {
        if (i >= count)
            break;
        vec2 a = prismPoints[i];
        vec2 b = prismPoints[i == 0 ? count - 1 : i - 1];
        if ((a.y > p.y) != (b.y > p.y) && p.x < (b.x - a.x) * (p.y - a.y) / (b.y - a.y) + a.x)
            inside = !inside;
    }
    return inside;
}

float distanceToSegment(vec2 p, vec2 a, vec2 b)
{
    vec2 ab = b - a;
    float lengthSquared = dot(ab, ab);
    float t = lengthSquared > 0.0 ? clamp(dot(p - a, ab) / lengthSquared, 0.0, 1.0) : 0.0;
    return length(p - (a + t * ab));
}

// Within `radius` of an edge of the polygon (closed from three points on, else one segment).
bool nearPolygonEdges(vec2 p, int count, float radius)
{
    for (int i = 1; i < 50; ++i) {
        if (i >= count)
            break;
        if (distanceToSegment(p, prismPoints[i - 1], prismPoints[i]) < radius)
            return true;
    }
    return count >= 3 && distanceToSegment(p, prismPoints[count - 1], prismPoints[0]) < radius;
}

void main()
{
    vec4 eyePosition = writeMeshOutputs();
    vec3 world = (inverseViewMatrix * eyePosition).xyz;
    int mode = int(selectionMode + 0.5);
    int count = int(numPrismPoints + 0.5);
    bool selected = false;
    bool atMousePick = false;

    if (mode == 1) {
        float axisLength = length(selectionAxis);
        if (axisLength > 0.0) {
            vec3 axis = selectionAxis / axisLength;
            vec3 d = world - mousePick;
            selected = length(d - dot(d, axis) * axis) < selectionRadius;
        }
    } else if (mode == 2) {
        if (selectionStartValid) {
            vec3 axis = mousePick - selectionStart;
            float axisLength = length(axis);
            if (axisLength > 0.0) {
                axis /= axisLength;
                vec3 d = world - selectionStart;
                float along = dot(d, axis);
                selected = along >= 0.0 && along <= axisLength &&
                           length(d - along * axis) < selectionRadius;
            }
        }
        atMousePick = distance(world, mousePick) < 0.001;
    } else if (mode == 3) {
        selected = count >= 3 && insidePolygon(world.xy, count);
    } else if ((mode == 8 && count >= 3) || (mode == 9 && count >= 2)) {
        vec3 relative = world - prismPlaneOrigin;
        vec3 local = prismPlaneLocalCoordinateTransformationMatrix * relative;
        bool inArea = (count >= 3 && insidePolygon(local.xy, count)) ||
                      nearPolygonEdges(local.xy, count, selectionRadius);
        float planeNormalLength = length(prismPlaneNormal);
        float offPlane = planeNormalLength > 0.0 ? abs(dot(relative, prismPlaneNormal)) / planeNormalLength
                                                 : abs(local.z);
        selected = inArea && offPlane <= selectionExtrusion;
    } else if (mode == 10) {
        selected = distance(world, mousePick) < selectionRadius;
    }

    markerColor = vec4(1.0);
    if (markModifiedVertices) {
        if (flagSet(vertexFlags, 4.0))
            markerColor = kBlue;
        else if (flagSet(vertexFlags, 2.0))
            markerColor = kGreen;
        else if (flagSet(vertexFlags, 1.0))
            markerColor = kYellow;
        else if (flagSet(tileFlags, 1.0))
            markerColor = kLightCyan;
    }
    if (selected)
        markerColor = mode == 2 ? kMagenta : kBlue;
    if (atMousePick)
        markerColor = kBlue;
}
)";

const char* const kEditingFragmentMain = R"(
uniform float selectionMode;
uniform vec2 mouseScreenPosition;

varying vec4 markerColor;

void main()
{
    vec4 pointColor = vec4(1.0);
    if (int(selectionMode + 0.5) == 4 && distance(gl_FragCoord.xy, mouseScreenPosition) < 8.0)
        pointColor = vec4(0.0, 0.0, 1.0, 1.0);
    gl_FragColor = meshColor() * pointColor * markerColor;
}
)";

std::string viridisTable() {
  std::string table = "const vec3 viridis[256] = vec3[256](\n";
  char entry[64];
  for (int i = 0; i < 256; ++i) {
    std::snprintf(entry, sizeof(entry), "    vec3(%.6f, %.6f, %.6f)%s\n", kViridis[i][0], kViridis[i][1],
                  kViridis[i][2], i < 255 ? "," : "");
    table += entry;
  }
  table += ");\n";
  return table;
}

std::string meshFragmentWith(const char* main) {
  return std::string("#version 120\n") + viridisTable() + kMeshFragmentCommon + main;
}

osg::ref_ptr<osg::Program> makeProgram(const std::string& name, const std::string& vertex,
                                       const std::string& fragment) {
  osg::ref_ptr<osg::Program> program = new osg::Program;
  program->setName(name);
  program->addShader(new osg::Shader(osg::Shader::VERTEX, vertex));
  program->addShader(new osg::Shader(osg::Shader::FRAGMENT, fragment));
  return program;
}

}  // namespace

std::map<std::string, std::string> meshShaderDefines(const MeshDisplayModes& modes) {
  int base = kWhiteBase;
  if (modes.textureMode == 0 && modes.hasTexture)
    base = kTextureBase;
  else if (modes.textureMode == 1 && modes.hasVertexColors)
    base = kVertexColorBase;
  else if (modes.textureMode == 2)
    base = kHeightBase;
  const bool fallback = base == kTextureBase && modes.hasVertexColors;
  const int lighting = modes.shadingMode != 0 ? kUnlit : modes.polygonModeFill ? kFlatHeadlight : kSmoothHeadlight;
  return {{"MESH_BASE", std::to_string(base)},
          {"MESH_TEXTURE_FALLBACK", fallback ? "1" : "0"},
          {"MESH_LIGHTING", std::to_string(lighting)}};
}

std::string colorVertexSource() { return kColorVertex; }
std::string colorFragmentSource() { return kColorFragment; }
std::string meshVertexSource() { return std::string("#version 120\n") + kMeshVertexCommon + kMeshVertexMain; }
std::string meshFragmentSource() { return meshFragmentWith(kMeshFragmentMain); }
std::string stationFragmentSource() { return kStationFragment; }
std::string editingVertexSource() { return std::string("#version 120\n") + kMeshVertexCommon + kEditingVertex; }
std::string editingFragmentSource() { return meshFragmentWith(kEditingFragmentMain); }

osg::ref_ptr<osg::Program> createColorProgram() {
  return makeProgram("colorProgram", colorVertexSource(), colorFragmentSource());
}

osg::ref_ptr<osg::Program> createMeshProgram() {
  return makeProgram("meshProgram", meshVertexSource(), meshFragmentSource());
}

osg::ref_ptr<osg::Program> createStationProgram() {
  return makeProgram("stationProgram", meshVertexSource(), stationFragmentSource());
}

osg::ref_ptr<osg::Program> createEditingMeshProgram() {
  osg::ref_ptr<osg::Program> program =
      makeProgram("editingMeshProgram", editingVertexSource(), editingFragmentSource());
  program->addBindAttribLocation("vertexFlags", kVertexFlagsAttribute);
  program->addBindAttribLocation("tileFlags", kTileFlagsAttribute);
  return program;
}

}  // namespace shaders
}  // namespace viewer
}  // namespace qvx
