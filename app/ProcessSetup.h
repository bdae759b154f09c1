#pragma once

// Makes every conversion between wide and narrow strings UTF-8: the process-wide locale becomes
// a copy of the current one with a UTF-8 codecvt facet for wchar_t.
void installUtf8Locale();

// Forwards SIGTERM, SIGSEGV, SIGINT, SIGILL, SIGABRT, SIGFPE (and SIGBREAK where it exists) to
// vx::handleFatalSignal, then ends the process the way the signal would have.
void installFatalSignalHandlers();
