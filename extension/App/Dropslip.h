#pragma once

#include "shared/Metadata/MetadataFetcher.h"

#include <QNetworkAccessManager>
#include <QObject>
#include <QStringList>
#include <memory>

class ExtensionContext;
class Preferences;
class ShareSheet;
class ShareViewController;

// One share, from the request the host built to the program's exit status:
// 0 once the page is queued (or there was nothing to queue), 1 when the user
// cancelled.
class Dropslip : public QObject {
    Q_OBJECT
public:
    static constexpr int kCompleted = 0;
    static constexpr int kCancelled = 1;
    static constexpr int kUsageError = 2;

    Dropslip(std::unique_ptr<ExtensionContext> context, Preferences& preferences,
             QObject* parent = nullptr);
    ~Dropslip() override;

    ShareViewController& controller() { return *m_controller; }
    ShareSheet& sheet() { return *m_sheet; }
    void show();

Q_SIGNALS:
    void finished(int exitCode);

private:
    std::unique_ptr<ExtensionContext> m_context;
    QNetworkAccessManager m_network;
    MetadataFetcher m_fetcher{m_network};
    std::unique_ptr<ShareViewController> m_controller;
    std::unique_ptr<ShareSheet> m_sheet;
};

// The whole program: reads how it was started, shows the sheet and returns
// the exit status. Needs the QApplication to exist.
int runDropslip(const QStringList& arguments);
