#pragma once

#include <map>
#include <string>

#include <osg/Program>
#include <osg/ref_ptr>

// GLSL programs of the viewer, written in the fixed-function-compatible dialect (ftransform,
// gl_Color, gl_TexCoord[0], gl_FragColor) so that they run on every OpenGL 2.1 driver.
namespace qvx {
namespace viewer {
namespace shaders {

// Attribute locations of the per-vertex flags of the editing program (clear of the locations
// that drivers alias to the built-in vertex, normal, colour and texture-coordinate arrays).
constexpr unsigned int kVertexFlagsAttribute = 6;
constexpr unsigned int kTileFlagsAttribute = 7;

// The display uniforms that decide a mesh's colour. The uniforms stay the adapter's state; the
// mesh programs read these modes as preprocessor symbols.
struct MeshDisplayModes {
  int textureMode = 0;
  int shadingMode = 0;
  bool hasTexture = true;
  bool hasVertexColors = true;
  bool polygonModeFill = true;
};

// Symbols (name, value) that every state set using the mesh program or its editing variant must
// define: MESH_BASE (texture, vertex colour, height colour, white), MESH_TEXTURE_FALLBACK (vertex
// colour on black texels) and MESH_LIGHTING (unlit, flat or smooth headlight).
std::map<std::string, std::string> meshShaderDefines(const MeshDisplayModes& modes);

// Augments: fixed transform, vertex colour.
std::string colorVertexSource();
std::string colorFragmentSource();
// Meshes: texture, vertex colour, height colour or white, flat headlight or unlit.
std::string meshVertexSource();
std::string meshFragmentSource();
// Camera stations: the photo where it is not black, otherwise the shaded vertex colour.
std::string stationFragmentSource();
// Mesh program of the editor: marks the vertices in the selection and the modified ones.
std::string editingVertexSource();
std::string editingFragmentSource();

osg::ref_ptr<osg::Program> createColorProgram();
osg::ref_ptr<osg::Program> createMeshProgram();
osg::ref_ptr<osg::Program> createStationProgram();
osg::ref_ptr<osg::Program> createEditingMeshProgram();

}  // namespace shaders
}  // namespace viewer
}  // namespace qvx
