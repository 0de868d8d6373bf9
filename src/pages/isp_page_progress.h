#pragma once

#include <QObject>
#include <QString>

#include "flash/flash_progress.h"

class QLabel;

namespace pages {

// The ISP page's side of the flash operations: step texts, the address in
// progress and the status register go to the page's three labels, and the
// event loop runs between blocks so the window repaints and stays clickable.
// Each text is also announced, since a label alone keeps only the last one
// and a run passes through many between two repaints.
class IspPageProgress final : public QObject, public flash::FlashProgress {
    Q_OBJECT

public:
    IspPageProgress(QLabel* stepLabel, QLabel* addressLabel, QLabel* statusRegisterLabel,
                    QObject* parent = nullptr);

    void SetStepText(std::string_view text) override;
    void SetAddressText(std::string_view text) override;
    void SetStatusRegisterText(std::string_view text) override;
    void PumpEvents() override;
    // The page has no progress bar; the addresses already tell how far a loop is.
    void SetShareDone(double) override {}

signals:
    void stepTextShown(const QString& text);
    void addressTextShown(const QString& text);
    void statusRegisterTextShown(const QString& text);

private:
    QLabel* stepLabel_;
    QLabel* addressLabel_;
    QLabel* statusRegisterLabel_;
};

}  // namespace pages
