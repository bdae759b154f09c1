#pragma once

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
