#include <QtTest>

#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLShaderProgram>

#include "viewer/Shaders.h"
#include "viewer/Viridis.h"

using namespace qvx::viewer;

class ShadersTest : public QObject {
  Q_OBJECT

 private:
  QOpenGLContext context_;
  QOffscreenSurface surface_;

  void compileAndLink(const std::string& vertex, const std::string& fragment) {
    QOpenGLShaderProgram program;
    QVERIFY2(program.addShaderFromSourceCode(QOpenGLShader::Vertex, QByteArray::fromStdString(vertex)),
             qPrintable(program.log()));
    QVERIFY2(program.addShaderFromSourceCode(QOpenGLShader::Fragment, QByteArray::fromStdString(fragment)),
             qPrintable(program.log()));
    program.bindAttributeLocation("vertexFlags", shaders::kVertexFlagsAttribute);
    program.bindAttributeLocation("tileFlags", shaders::kTileFlagsAttribute);
    QVERIFY2(program.link(), qPrintable(program.log()));
  }

 private slots:
  void initTestCase() {
    surface_.create();
    QVERIFY(context_.create());
    QVERIFY(context_.makeCurrent(&surface_));
  }

  void colorProgramLinks() { compileAndLink(shaders::colorVertexSource(), shaders::colorFragmentSource()); }
  void meshProgramLinks() { compileAndLink(shaders::meshVertexSource(), shaders::meshFragmentSource()); }
  void stationProgramLinks() { compileAndLink(shaders::meshVertexSource(), shaders::stationFragmentSource()); }
  void editingProgramLinks() { compileAndLink(shaders::editingVertexSource(), shaders::editingFragmentSource()); }

  void meshShaderCarriesTheWholeViridisTable() {
    const QString source = QString::fromStdString(shaders::meshFragmentSource());
    QCOMPARE(source.count("    vec3("), 256);
    QVERIFY(source.contains("vec3(0.267004, 0.004874, 0.329415)"));
    QVERIFY(source.contains("vec3(0.993248, 0.906157, 0.143936)"));
    QVERIFY(source.contains("vec3(0.127568, 0.566949, 0.550556)"));
    QCOMPARE(kViridis[128][0], 0.127568f);
  }

  void programsAreNamedAndBindFlags() {
    QCOMPARE(QString::fromStdString(shaders::createMeshProgram()->getName()), QString("meshProgram"));
    QCOMPARE(shaders::createMeshProgram()->getNumShaders(), 2u);
    const auto editing = shaders::createEditingMeshProgram();
    QCOMPARE(editing->getAttribBindingList().at("vertexFlags"), shaders::kVertexFlagsAttribute);
    QCOMPARE(editing->getAttribBindingList().at("tileFlags"), shaders::kTileFlagsAttribute);
  }
};

QTEST_MAIN(ShadersTest)
#include "ShadersTest.moc"
