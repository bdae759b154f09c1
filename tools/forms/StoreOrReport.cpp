#include "tools/forms/StoreOrReport.h"

#include <exception>

#include "dialogs/MessageDialogs.h"

bool storeOrReport(const std::function<void()>& store, const QString& fallbackError) {
  QString error;
  try {
    store();
  } catch (const std::exception& e) {
    error = QStringLiteral("Error: ") + QString::fromUtf8(e.what());
  } catch (...) {
    error = fallbackError;
  }
  if (error.isEmpty()) return true;
  qvx::criticalBox(error);
  return false;
}
