#pragma once

#include "Corvina/App/QuillanApp.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/Testing.h"

#include <memory>

// A started application whose store and legacy folder live in a fresh
// temporary folder.
struct StartedApp {
    QTemporaryDir folder{testenv::root() + QStringLiteral("/app-XXXXXX")};
    std::unique_ptr<QuillanApp> app;

    StartedApp() {
        AppLocations locations;
        locations.storeFile = folder.filePath(QStringLiteral("Quillan.store"));
        locations.useStandardLegacyFolder = false;
        locations.legacyFolder = folder.path();
        auto started = QuillanApp::start(locations);
        if (started.ok())
            app = std::move(started).value();
        else
            ADD_FAILURE() << started.error().toStdString();
    }
};
