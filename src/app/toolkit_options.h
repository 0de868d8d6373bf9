#pragma once

#include <QString>
#include <QStringList>

namespace app {

// Qt's own command-line options (-style fusion, -platform offscreen,
// -reverse, ...) belong to QApplication, which takes them out of the
// arguments when it is constructed. Our options are read before that (help
// and refusals need no display), so they are set aside here, values
// included; otherwise our parser reads "-style" as the short options s, t,
// y, l, e. Arguments after "--" are left as they are.
//
// `ours` receives every other argument, in order. False, with `error` set,
// when an option that takes a value stands last or with an empty value.
bool SplitToolkitOptions(const QStringList& arguments, QStringList& ours, QStringList& toolkit,
                         QString& error);

// The Qt platform QApplication will try: the value of -platform among
// `toolkit`, else QT_QPA_PLATFORM; empty when neither names one.
QString RequestedPlatform(const QStringList& toolkit);

}  // namespace app
