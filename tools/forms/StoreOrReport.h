#pragma once

#include <QString>

#include <functional>

// Runs `store`, an action on the project; when it throws, the error box shows "Error: " with the
// reason, or `fallbackError` for anything that is not a std::exception. Returns whether it ran through.
bool storeOrReport(const std::function<void()>& store, const QString& fallbackError);
