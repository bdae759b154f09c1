#pragma once

// Makes every conversion between wide and narrow strings UTF-8: the process-wide locale becomes
// a copy of the current one with a UTF-8 codecvt facet for wchar_t.
void installUtf8Locale();

// Forwards SIGTERM, SIGSEGV, SIGINT, SIGILL, SIGABRT, SIGFPE (and SIGBREAK where it exists) to
// vx::handleFatalSignal, then ends the process the way the signal would have.
void installFatalSignalHandlers();

// Sends OpenSceneGraph's messages (a tile file the pager cannot read, a shader log) to the debug
// log instead of standard error, so they land where the editor's other diagnostics go; a message
// repeated word for word is logged once.
void routeSceneGraphMessagesToDebugLog();
