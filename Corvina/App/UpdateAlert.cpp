#include "Corvina/App/UpdateAlert.h"

#include <QApplication>
#include <QDesktopServices>
#include <QMessageBox>
#include <QPushButton>

void UpdateAlert::present(const UpdateCheckResult& result) {
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(QApplication::applicationDisplayName());
    box.setText(result.title());
    box.setInformativeText(result.informativeText());
    if (!result.detailedText().isEmpty())
        box.setDetailedText(result.detailedText());
    QPushButton* download = nullptr;
    if (result.status == UpdateCheckResult::Status::updateAvailable &&
        result.latest.url.isValid()) {
        download = box.addButton(QCoreApplication::translate("UpdateAlert", "Download"),
                                 QMessageBox::AcceptRole);
        box.addButton(QMessageBox::Cancel);
        box.setDefaultButton(download);
    } else {
        box.setIcon(result.status == UpdateCheckResult::Status::failed ? QMessageBox::Warning
                                                                       : QMessageBox::Information);
        box.addButton(QMessageBox::Ok);
    }
    box.exec();
    if (download && box.clickedButton() == download)
        QDesktopServices::openUrl(result.latest.url);
}
