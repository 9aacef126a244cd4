#pragma once

#include "platform/Updater/UpdaterController.h"

// Tells the user how a requested update check went, offering the download
// when a newer version exists.
class UpdateAlert : public UpdateAlertPresenter {
public:
    void present(const UpdateCheckResult& result) override;
};
