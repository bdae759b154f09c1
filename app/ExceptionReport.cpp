#include "app/ExceptionReport.h"

#include "dialogs/MessageDialogs.h"

#include <exception>
#include <iostream>
#include <string>

int reportUncaughtException(bool showDialog) {
  const std::exception_ptr pending = std::current_exception();
  if (!pending) return 0;

  std::string text;
  int code = -1;
  try {
    std::rethrow_exception(pending);
  } catch (const std::exception& e) {
    text = std::string("Runtime error occured.\nDescription: ") + e.what();
  } catch (int n) {
    if (n == 0) return 0;
    text = "Error code: " + std::to_string(n);
    code = n;
  } catch (...) {
    text = "Unexpected error ocurred.\nDescription: uncaught exception.";
  }

  if (showDialog)
    qvx::criticalBox(QString::fromStdString(text));
  else
    std::cout << text << std::endl;
  return code;
}
