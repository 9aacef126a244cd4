#include "Corvina/App/UpdateAlert.h"

#include "platform/Widgets/Alert.h"

#include <QApplication>
#include <QDesktopServices>
#include <QPushButton>

void UpdateAlert::present(const UpdateCheckResult& result) {
    const bool offer =
        result.status == UpdateCheckResult::Status::updateAvailable && result.latest.url.isValid();
    const Alert::Icon icon = result.status == UpdateCheckResult::Status::failed
                                 ? Alert::Icon::warning
                                 : Alert::Icon::information;
    Alert box(icon, result.title(), result.informativeText(), QApplication::activeWindow());
    box.setDetailedText(result.detailedText());
    QPushButton* download = nullptr;
    if (offer) {
        download = box.addButton(QCoreApplication::translate("UpdateAlert", "Download"));
        box.addButton(QCoreApplication::translate("UpdateAlert", "Cancel"),
                      Alert::ButtonRole::cancel);
        box.setDefaultButton(download);
    } else {
        box.setDefaultButton(box.addButton(QCoreApplication::translate("UpdateAlert", "OK")));
    }
    box.exec();
    if (download && box.clickedButton() == download)
        QDesktopServices::openUrl(result.latest.url);
}
