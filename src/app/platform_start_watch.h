#pragma once

#include <QString>

namespace app {

// Watches Qt's messages while QApplication connects to the display. Without
// a display, Qt's platform plugin fails with a fatal message (several lines
// ending in "Reinstalling the application may fix this problem") and aborts
// the process (status 134). Under this watch such a failure ends the process
// instead with one line on stderr saying that no display was found and how
// to go on, and exit status 1, the tool's "could not start".
//
// Qt's other messages of the start are held back meanwhile (its warnings
// before the fatal one would only repeat it) and handed on unchanged when
// the watch ends.
class PlatformStartWatch {
public:
    // `platform`: the Qt platform asked for, if any (named in the line).
    explicit PlatformStartWatch(QString platform);
    ~PlatformStartWatch();
    PlatformStartWatch(const PlatformStartWatch&) = delete;
    PlatformStartWatch& operator=(const PlatformStartWatch&) = delete;
};

// The line for a platform that could not start: what is missing and what to
// do, after the program's name.
QString NoDisplayLine(const QString& platform);

}  // namespace app
