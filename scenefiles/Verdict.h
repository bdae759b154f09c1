#pragma once

#include <QString>

namespace scenefiles {

// What the guard knows about a file. Unchecked: no helper could be asked, so the file is read
// in the editor's own process as before.
struct Verdict {
  enum State { Good, Bad, Unchecked };
  State state = Unchecked;
  // For Bad: a message naming the file.
  QString message;
  // For Good files of kinds whose readers may corrupt memory without crashing: the copy the
  // helper wrote in OpenSceneGraph's own binary format, to be read in place of the file.
  QString readInstead;

  bool isBad() const { return state == Bad; }
};

}  // namespace scenefiles
