#pragma once

#include <QString>

// "H:MM:SS" with two digits per field; hours above 99 keep all their digits.
// Negative seconds stand for an unknown time: "--:--:--".
QString timeText(qint64 seconds);
