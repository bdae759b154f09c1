#pragma once

#include "tools/inputs/DataInputField.h"

namespace qvx {
namespace tool {

// A path field that browses for a folder; a file chosen in the dialog stands for its folder.
class DataInputFolder : public DataInputField {
  Q_OBJECT

 public:
  explicit DataInputFolder(const QString& label, bool optional = false, QWidget* parent = nullptr);

 public slots:
  void slot_open() override;
};

}  // namespace tool
}  // namespace qvx
