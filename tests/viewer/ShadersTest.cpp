#include <QtTest>

#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLShaderProgram>
#include <QSet>

#include "viewer/Shaders.h"

using namespace qvx::viewer;

class ShadersTest : public QObject {
  Q_OBJECT

 private:
  QOpenGLContext context_;
  QOffscreenSurface surface_;

 // Empty when the program compiles and links, else the compiler's log.
  static QString linkLog(const std::string& vertex, const std::string& fragment) {
    QOpenGLShaderProgram program;
    program.bindAttributeLocation("vertexFlags", shaders::kVertexFlagsAttribute);
    program.bindAttributeLocation("tileFlags", shaders::kTileFlagsAttribute);
    const bool ok = program.addShaderFromSourceCode(QOpenGLShader::Vertex, QByteArray::fromStdString(vertex)) &&
                    program.addShaderFromSourceCode(QOpenGLShader::Fragment, QByteArray::fromStdString(fragment)) &&
                    program.link();
    return ok ? QString() : program.log() + " ";
  }

 static std::string withDefines(std::string source, const std::string& defines) {
    return source.insert(source.find('\n') + 1, defines);
  }

 private slots:
  void initTestCase() {
    surface_.create();
    QVERIFY(context_.create());
    QVERIFY(context_.makeCurrent(&surface_));
  }

  void programsCompileAndLink() {
    QCOMPARE(linkLog(shaders::colorVertexSource(), shaders::colorFragmentSource()), QString());
    QCOMPARE(linkLog(shaders::meshVertexSource(), shaders::stationFragmentSource()), QString());
  }

  // Every display mode gives the mesh programs a variant of their own, as OpenSceneGraph builds
  // it: the symbols right after the version line.
  void meshProgramsCompileInEveryDisplayMode() {
    QSet<QString> variants;
    for (int textureMode = 0; textureMode < 4; ++textureMode)
      for (int shadingMode = 0; shadingMode < 2; ++shadingMode)
        for (int flags = 0; flags < 8; ++flags) {
          shaders::MeshDisplayModes modes;
          modes.textureMode = textureMode;
          modes.shadingMode = shadingMode;
          modes.hasTexture = flags & 1;
          modes.hasVertexColors = flags & 2;
          modes.polygonModeFill = flags & 4;
          std::string defines;
          for (const auto& define : shaders::meshShaderDefines(modes))
            defines += "#define " + define.first + " " + define.second + "\n";
          if (variants.contains(QString::fromStdString(defines))) continue;
          variants.insert(QString::fromStdString(defines));
          const std::string fragment = shaders::meshFragmentSource();
          QCOMPARE(linkLog(shaders::meshVertexSource(), withDefines(fragment, defines)), QString());
          QCOMPARE(linkLog(shaders::editingVertexSource(), withDefines(shaders::editingFragmentSource(), defines)),
                   QString());
        }
    // texture with and without fallback, vertex colour, height, white; each unlit, flat or smooth
    QCOMPARE(variants.size(), 15);
  }
};

QTEST_MAIN(ShadersTest)
#include "ShadersTest.moc"
