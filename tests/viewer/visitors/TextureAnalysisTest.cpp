#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>

#include <osg/Geode>
#include <osg/Geometry>
#include <osg/PagedLOD>
#include <osg/Texture2D>
#include <osgDB/ReadFile>

#include "tests/platform/me/TileFixtures.h"
#include "viewer/visitors/TextureAnalysis.h"

using qvx::viewer::TextureAnalysis;
using qvx::viewer::TextureFindings;

namespace {

osg::ref_ptr<osg::Geode> quad(bool textured) {
  osg::ref_ptr<osg::Geode> geode = new osg::Geode;
  osg::Geometry* geometry = osg::createTexturedQuadGeometry(osg::Vec3(), osg::X_AXIS, osg::Y_AXIS);
  geode->addDrawable(geometry);
  if (textured) {
    osg::ref_ptr<osg::Image> image = new osg::Image;
    image->allocateImage(4, 4, 1, GL_RGB, GL_UNSIGNED_BYTE);
    std::fill(image->data(), image->data() + image->getTotalSizeInBytes(), 200);
    geometry->getOrCreateStateSet()->setTextureAttributeAndModes(0, new osg::Texture2D(image));
  }
  return geode;
}

// A third-party tile set: its root a PagedLOD with a textured coarse level in child 0 and a finer
// level in a file of its own.
QString writeThirdPartyTileSet(const QString& folder) {
  osg::ref_ptr<osg::PagedLOD> root = new osg::PagedLOD;
  root->addChild(quad(true), 100.0f, 1e30f);
  root->setFileName(1, "fine.osgb");
  root->setRange(1, 0.0f, 100.0f);
  metest::writeNode(*quad(true), folder + "/fine.osgb");
  metest::writeNode(*root, folder + "/root.osgb");
  return folder + "/root.osgb";
}

// What the loader puts in the scene for a plain mesh: a wrapper that pages the file in.
osg::ref_ptr<osg::PagedLOD> wrapperOf(const QString& file) {
  osg::ref_ptr<osg::PagedLOD> wrapper = new osg::PagedLOD;
  wrapper->setDatabasePath(QFileInfo(file).absolutePath().toStdString());
  wrapper->setFileName(0, QFileInfo(file).fileName().toStdString());
  wrapper->setRange(0, 0.0f, 1e30f);
  return wrapper;
}

// As the pager leaves a tile set once drawn: paged in, its textures without images.
void pageInAndDraw(osg::PagedLOD& wrapper) {
  osg::ref_ptr<osg::Node> root = osgDB::readRefNodeFile(wrapper.getDatabasePath() + "/" + wrapper.getFileName(0));
  struct Upload : osg::NodeVisitor {
    Upload() : osg::NodeVisitor(TRAVERSE_ALL_CHILDREN) {}
    void apply(osg::Drawable& drawable) override {
      osg::StateSet* state = drawable.getStateSet();
      auto* texture = state ? dynamic_cast<osg::Texture2D*>(state->getTextureAttribute(0, osg::StateAttribute::TEXTURE)) : nullptr;
      if (!texture) return;
      texture->setTextureSize(4, 4);
      texture->setImage(nullptr);
    }
  } upload;
  root->accept(upload);
  wrapper.addChild(root);
}

TextureFindings analyse(osg::Node* scene) {
  TextureAnalysis analysis(scene);
  analysis.readFiles();
  return analysis.findings();
}

}  // namespace

class TextureAnalysisTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    QVERIFY(dir_.isValid());
    for (int i = 0; i < 7; ++i) sets_.append(writeThirdPartyTileSet(dir_.filePath(QString("set%1").arg(i))));
    untextured_ = dir_.filePath("plain/untextured.osgb");
    osg::ref_ptr<osg::Group> plain = new osg::Group;
    for (int i = 0; i < 6; ++i) plain->addChild(quad(false));
    QVERIFY(metest::writeNode(*plain, untextured_));
  }

  // However many tile sets are loaded, in whatever order, drawn or not, the scene is textured;
  // an untextured mesh among them changes nothing.
  void texturedTileSetsStayTexturedTogether() {
    for (int count = 1; count <= sets_.size(); ++count) {
      for (bool reversed : {false, true}) {
        for (int drawn = 0; drawn <= count; drawn += std::max(1, count / 2)) {
          osg::ref_ptr<osg::Group> scene = new osg::Group;
          osg::ref_ptr<osg::Group> plainGroup = new osg::Group;
          plainGroup->addChild(wrapperOf(untextured_));
          scene->addChild(plainGroup);
          for (int i = 0; i < count; ++i) {
            osg::ref_ptr<osg::PagedLOD> wrapper = wrapperOf(sets_[reversed ? count - 1 - i : i]);
            if (i < drawn) pageInAndDraw(*wrapper);
            osg::ref_ptr<osg::Group> group = new osg::Group;  // one group per folder
            group->addChild(wrapper);
            scene->addChild(group);
          }
          QVERIFY2(analyse(scene).hasTexture,
                   qPrintable(QString("%1 sets, %2 drawn, reversed %3").arg(count).arg(drawn).arg(reversed)));
        }
      }
    }
    osg::ref_ptr<osg::Group> onlyPlain = new osg::Group;
    onlyPlain->addChild(wrapperOf(untextured_));
    QVERIFY(!analyse(onlyPlain).hasTexture);
  }

  // Loaded nodes are judged at once; files wait for readFiles().
  void filesAreReadOnlyByReadFiles() {
    osg::ref_ptr<osg::Group> scene = new osg::Group;
    scene->addChild(wrapperOf(sets_[0]));
    TextureAnalysis analysis(scene);
    QVERIFY(!analysis.findings().hasTexture);
    QVERIFY(analysis.needsFiles());
    analysis.readFiles();
    QVERIFY(analysis.findings().hasTexture);

    osg::ref_ptr<osg::PagedLOD> drawn = wrapperOf(sets_[1]);
    pageInAndDraw(*drawn);
    TextureAnalysis loaded(drawn);
    QVERIFY(loaded.findings().hasTexture);
  }

 private:
  QTemporaryDir dir_;
  QStringList sets_;
  QString untextured_;
};

QTEST_GUILESS_MAIN(TextureAnalysisTest)
#include "TextureAnalysisTest.moc"
