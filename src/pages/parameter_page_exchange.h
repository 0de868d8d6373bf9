#pragma once

// What the parameter page's two files share: the outcome texts of the status line.

#include <QString>

namespace pages::parameter_exchange {

inline const QString kReadDone = QStringLiteral("Read from the device");
inline const QString kWritten = QStringLiteral("Written");
inline const QString kNoAnswer = QStringLiteral("The device did not answer: nothing was changed");

}  // namespace pages::parameter_exchange
