#include "demo/PhotoWriter.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <fstream>
#include <mutex>
#include <stdexcept>
#include <thread>

#include <osg/Image>
#include <osgDB/Options>
#include <osgDB/Registry>

#include "demo/OutputFolder.h"

namespace demo {

namespace {

osgDB::ReaderWriter& jpegWriter() {
  osgDB::ReaderWriter* writer = osgDB::Registry::instance()->getReaderWriterForExtension("jpg");
  if (!writer) throw std::runtime_error("The JPEG plug-in of OpenSceneGraph is missing; the photos cannot be written.");
  return *writer;
}

// Runs `work(index)` for indices 0 .. count-1 on the calling thread and helper threads; `done` is
// called on the calling thread after each of its items with the number finished so far.
class WorkQueue {
 public:
  WorkQueue(int count, std::function<void(int)> work) : count_(count), work_(std::move(work)) {}

  void run(const std::function<void(int)>& done) {
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    const int helpers = std::max(0, std::min(static_cast<int>(cores), count_) - 1);
    std::vector<std::thread> threads;
    for (int k = 0; k < helpers; ++k) threads.emplace_back([this] { loop(); });
    try {
      while (!stop_) {
        const int index = next_++;
        if (index >= count_) break;
        work_(index);
        const int finished = ++finished_;
        if (done) done(finished);
      }
    } catch (...) {
      remember(std::current_exception());
    }
    // The helpers' items still count towards progress once the calling thread has run out of work.
    for (std::thread& thread : threads) thread.join();
    if (failure_) std::rethrow_exception(failure_);
    if (done && finished_ == count_) done(count_);
  }

 private:
  void loop() {
    try {
      while (!stop_) {
        const int index = next_++;
        if (index >= count_) return;
        work_(index);
        ++finished_;
      }
    } catch (...) {
      remember(std::current_exception());
    }
  }

  void remember(std::exception_ptr error) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!failure_) failure_ = error;
    stop_ = true;
  }

  int count_;
  std::function<void(int)> work_;
  std::atomic<int> next_{0};
  std::atomic<int> finished_{0};
  std::atomic<bool> stop_{false};
  std::mutex mutex_;
  std::exception_ptr failure_;
};

}  // namespace

void writeJpeg(const Photo& photo, const std::filesystem::path& file) {
  // The plug-in writes the image's last row first, so the photo goes in bottom row first.
  osg::ref_ptr<osg::Image> image = new osg::Image;
  image->allocateImage(photo.width, photo.height, 1, GL_RGB, GL_UNSIGNED_BYTE);
  const size_t rowBytes = 3 * static_cast<size_t>(photo.width);
  for (int row = 0; row < photo.height; ++row)
    std::copy_n(photo.pixel(0, row), rowBytes, image->data(0, photo.height - 1 - row));
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  if (!out) throw std::runtime_error("Could not create " + toUtf8(file) + ".");
  osg::ref_ptr<osgDB::Options> options = new osgDB::Options("JPEG_QUALITY 95");
  const osgDB::ReaderWriter::WriteResult result = jpegWriter().writeImage(*image, out, options.get());
  out.close();
  if (!result.success() || !out)
    throw std::runtime_error("Could not write the photo " + toUtf8(file) + (result.message().empty() ? "" : ": " + result.message()) + ".");
}

void writePhotos(const PhotoRenderer& renderer, const std::vector<vx::ImageOrientation>& cameras,
                 const std::filesystem::path& folder, const PhotoProgress& progress) {
  jpegWriter();  // load the plug-in before the threads ask for it
  const int count = static_cast<int>(cameras.size());
  WorkQueue queue(count, [&](int index) {
    const vx::ImageOrientation& camera = cameras[static_cast<size_t>(index)];
    writeJpeg(renderer.render(camera), folder / fromUtf8(camera.imageName()));
  });
  int reported = -1;
  queue.run([&](int finished) {
    if (progress && finished != reported) progress(reported = finished, count);
  });
}

}  // namespace demo
