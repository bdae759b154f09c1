#include "tests/fuzz/FuzzRun.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>

#include <cstdio>
#include <stdexcept>

#include "tests/fuzz/ChildProcess.h"
#include "tests/fuzz/Corpus.h"
#include "tests/fuzz/Mutator.h"
#include "tests/fuzz/Readers.h"

namespace fuzz {

namespace {

QByteArray readAll(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) throw std::runtime_error("Could not read the seed file " + path.toStdString());
  return file.readAll();
}

void writeAll(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
    throw std::runtime_error("Could not write " + path.toStdString());
}

void appendLine(const QString& path, const QString& line) {
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Append)) throw std::runtime_error("Could not write " + path.toStdString());
  file.write(line.toUtf8() + "\n");
}

void copyTree(const QString& from, const QString& to) {
  QDirIterator it(from, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
  while (it.hasNext()) {
    const QString source = it.next();
    const QString target = QDir(to).filePath(QDir(from).relativeFilePath(source));
    QDir().mkpath(QFileInfo(target).absolutePath());
    if (!QFile::copy(source, target)) throw std::runtime_error("Could not copy " + source.toStdString());
  }
}

void recreate(const QString& folder) {
  QDir dir(folder);
  if (dir.exists() && !dir.removeRecursively()) throw std::runtime_error("Could not clear " + folder.toStdString());
  if (!QDir().mkpath(folder)) throw std::runtime_error("Could not create " + folder.toStdString());
}

// Keeps a crashing or hanging input for reproduction.
void keepInput(const QString& folder, int index, const QString& seedPath, const QByteArray& bytes,
               const QString& description, const QString& detail) {
  QDir().mkpath(folder);
  const QString name = QString("%1-%2").arg(index, 6, 10, QChar('0')).arg(QFileInfo(seedPath).fileName());
  writeAll(QDir(folder).filePath(name), bytes);
  appendLine(QDir(folder).filePath("inputs.txt"),
             QString("%1 input=%2 seed=%3 mutations=%4 (%5)").arg(name).arg(index).arg(seedPath, description, detail));
}

Tally fuzzReader(const Reader& reader, const RunOptions& options, const QString& corpus, const QString& scratch,
                 const QString& found) {
  QList<QByteArray> seeds;
  for (const QString& seed : reader.seeds) seeds << readAll(QDir(corpus).filePath(seed));
  ChildProcess child(options.childProgram, {"--child", reader.name});
  Tally tally;
  for (int index = options.first; index < options.first + options.inputs; ++index) {
    Random random(inputSeed(options.seed, reader.name, index));
    const int chosen = int(random.below(seeds.size()));
    const QByteArray& donor = seeds[int(random.below(seeds.size()))];
    QString description;
    const QByteArray bytes = mutate(seeds[chosen], donor, random, &description);
    // Only the mutated file differs from the corpus for every input.
    for (int i = 0; i < seeds.size(); ++i)
      writeAll(QDir(scratch).filePath(reader.seeds[i]), i == chosen ? bytes : seeds[i]);
    const QString entry = QDir(scratch).filePath(reader.entry.isEmpty() ? reader.seeds[chosen] : reader.entry);

    QString detail;
    const ChildProcess::Result result = child.run(entry, options.timeoutMs, &detail);
    ++tally.inputs;
    switch (result) {
      case ChildProcess::Result::Accepted:
        ++tally.accepted;
        break;
      case ChildProcess::Result::Rejected:
        ++tally.rejected;
        break;
      case ChildProcess::Result::Crashed: {
        ++tally.crashes;
        // Damage left by an earlier input could be what crashed; a fresh child tells.
        QString again;
        const bool alone = child.run(entry, options.timeoutMs, &again) == ChildProcess::Result::Crashed;
        keepInput(QDir(found).filePath("crashes/" + reader.name), index, reader.seeds[chosen], bytes, description,
                  detail + (alone ? ", again in a fresh child" : ", not again in a fresh child"));
        break;
      }
      case ChildProcess::Result::Hung:
        ++tally.hangs;
        keepInput(QDir(found).filePath("hangs/" + reader.name), index, reader.seeds[chosen], bytes, description, detail);
        break;
    }
  }
  return tally;
}

}  // namespace

QString tallyLine(const Tally& tally) {
  return QString("inputs=%1 crashes=%2 hangs=%3 rejected=%4 accepted=%5")
      .arg(tally.inputs)
      .arg(tally.crashes)
      .arg(tally.hangs)
      .arg(tally.rejected)
      .arg(tally.accepted);
}

Tally runFuzz(const RunOptions& options) {
  QList<const Reader*> chosen;
  for (const Reader& reader : readers()) {
    if (options.readers.isEmpty() || options.readers.contains(reader.name)) chosen << &reader;
  }
  for (const QString& name : options.readers) {
    if (!findReader(name)) throw std::runtime_error("Unknown reader: " + name.toStdString());
  }

  const QDir work(QFileInfo(options.workFolder).absoluteFilePath());
  const QString corpus = work.filePath("corpus");
  const QString found = work.filePath("found");
  recreate(corpus);
  recreate(found);
  recreate(work.filePath("scratch"));
  writeCorpus(corpus, options.demoProgram);
  std::printf("corpus written to %s\n", qPrintable(QDir::toNativeSeparators(corpus)));
  std::fflush(stdout);

  Tally total;
  for (const Reader* reader : chosen) {
    const QString scratch = work.filePath("scratch/" + reader->name);
    copyTree(corpus, scratch);
    const Tally tally = fuzzReader(*reader, options, corpus, scratch, found);
    std::printf("reader=%s %s\n", qPrintable(reader->name), qPrintable(tallyLine(tally)));
    std::fflush(stdout);
    total.inputs += tally.inputs;
    total.accepted += tally.accepted;
    total.rejected += tally.rejected;
    total.crashes += tally.crashes;
    total.hangs += tally.hangs;
  }
  std::printf("total %s\n", qPrintable(tallyLine(total)));
  if (total.crashes + total.hangs > 0)
    std::printf("crashing and hanging inputs kept in %s\n", qPrintable(QDir::toNativeSeparators(found)));
  return total;
}

}  // namespace fuzz
