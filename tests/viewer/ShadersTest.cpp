#include <QtTest>

#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLShaderProgram>

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

 private slots:
  void initTestCase() {
    surface_.create();
    QVERIFY(context_.create());
    QVERIFY(context_.makeCurrent(&surface_));
  }

  void programsCompileAndLink() {
    QCOMPARE(linkLog(shaders::colorVertexSource(), shaders::colorFragmentSource()), QString());
    QCOMPARE(linkLog(shaders::meshVertexSource(), shaders::meshFragmentSource()), QString());
    QCOMPARE(linkLog(shaders::meshVertexSource(), shaders::stationFragmentSource()), QString());
    QCOMPARE(linkLog(shaders::editingVertexSource(), shaders::editingFragmentSource()), QString());
  }
};

QTEST_MAIN(ShadersTest)
#include "ShadersTest.moc"
