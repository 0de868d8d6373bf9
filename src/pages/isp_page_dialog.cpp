#include "pages/isp_page_dialog.h"

#include <QMessageBox>
#include <QString>

namespace pages {

void ShowIspDialog(const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Dialog"), text, QMessageBox::Ok);
    box.setObjectName(QStringLiteral("IspDialog"));
    box.exec();
}

}  // namespace pages
