#include <QTemporaryDir>
#include <QtTest>

#include <osg/Geometry>
#include <osg/Texture2D>
#include <osgDB/ReadFile>
#include <osgDB/WriteFile>

#include "scenefiles/SceneFileGuard.h"
#include "viewer/MipmapReadCallback.h"

namespace {

// Counts the reads that reach it, to show that a callback installed before is kept in the chain.
struct CountingCallback : osgDB::Registry::ReadFileCallback {
  int reads = 0;
  osgDB::ReaderWriter::ReadResult readNode(const std::string& file, const osgDB::Options* options) override {
    ++reads;
    return ReadFileCallback::readNode(file, options);
  }
};

}  // namespace

class MipmapReadCallbackTest : public QObject {
  Q_OBJECT

 private slots:
  void filesReadThroughTheRegistryArriveMipmapped() {
    QTemporaryDir folder;
    const std::string file = QDir(folder.path()).filePath("tile.osgb").toStdString();
    osg::ref_ptr<osg::Image> image = new osg::Image;
    image->allocateImage(16, 16, 1, GL_RGB, GL_UNSIGNED_BYTE);
    osg::ref_ptr<osg::Texture2D> texture = new osg::Texture2D(image);
    texture->setFilter(osg::Texture::MIN_FILTER, osg::Texture::LINEAR_MIPMAP_LINEAR);
    osg::ref_ptr<osg::Geometry> geometry = new osg::Geometry;
    geometry->getOrCreateStateSet()->setTextureAttribute(0, texture);
    osg::ref_ptr<osgDB::Options> write = new osgDB::Options("WriteImageHint=IncludeData");
    QVERIFY(osgDB::writeNodeFile(*geometry, file, write.get()));

    osg::ref_ptr<CountingCallback> before = new CountingCallback;
    osgDB::Registry::instance()->setReadFileCallback(before);
    qvx::viewer::MipmapReadCallback::install();
    qvx::viewer::MipmapReadCallback::install();

    osg::ref_ptr<osg::Node> read = osgDB::readRefNodeFile(file);
    QVERIFY(read);
    auto* readTexture = dynamic_cast<osg::Texture2D*>(
        read->getStateSet()->getTextureAttribute(0, osg::StateAttribute::TEXTURE));
    QVERIFY(readTexture && readTexture->getImage());
    QCOMPARE(readTexture->getImage()->getNumMipmapLevels(), 5u);
    QCOMPARE(before->reads, 1);

    // The scene file guard chains in front: a bad file stops there, a good one is still mipmapped.
    scenefiles::SceneFileGuard::Settings settings;
    settings.helpers = 1;
    scenefiles::SceneFileGuard guard(settings);
    scenefiles::SceneFileGuard::install(&guard);
    const QString bad = QDir(folder.path()).filePath("noise.osgb");
    QFile noise(bad);
    QVERIFY(noise.open(QIODevice::WriteOnly) && noise.write(QByteArray(4000, '\x7f')) == 4000);
    noise.close();
    QVERIFY(!osgDB::readRefNodeFile(bad.toStdString()));
    QCOMPARE(before->reads, 1);
    read = osgDB::readRefNodeFile(file);
    readTexture = dynamic_cast<osg::Texture2D*>(read->getStateSet()->getTextureAttribute(0, osg::StateAttribute::TEXTURE));
    QCOMPARE(readTexture->getImage()->getNumMipmapLevels(), 5u);
    QCOMPARE(before->reads, 2);
    scenefiles::SceneFileGuard::install(nullptr);
  }
};

QTEST_MAIN(MipmapReadCallbackTest)
#include "MipmapReadCallbackTest.moc"
