#include "tools/inputs/DataInputFolder.h"

#include <QDir>
#include <QFileInfo>

#include "dialogs/OmniDialog.h"

namespace qvx {
namespace tool {

DataInputFolder::DataInputFolder(const QString& label, bool optional, QWidget* parent)
    : DataInputField(label, optional, {}, parent) {}

void DataInputFolder::slot_open() {
  omniDialog dialog(browseStart(), toolTip(), {}, this);
  dialog.exec();
  const QString chosen = dialog.text();
  if (chosen.isEmpty()) return;
  const QFileInfo info(chosen);
  // The dialog ends folders with "/"; the field shows them without.
  takeChosen(info.isFile() ? info.absolutePath() : QDir::cleanPath(chosen));
}

}  // namespace tool
}  // namespace qvx
