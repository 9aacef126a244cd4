#include "extension/App/Dropslip.h"

#include "extension/Controller/ShareViewController.h"
#include "extension/Sheet/ShareSheet.h"
#include "platform/Core/SystemLog.h"
#include "platform/Extension/HostCommandLine.h"
#include "shared/Preferences.h"

#include <QApplication>
#include <cstdio>

Dropslip::Dropslip(std::unique_ptr<ExtensionContext> context, Preferences& preferences,
                   QObject* parent)
    : QObject(parent)
    , m_context(std::move(context))
    , m_controller(std::make_unique<ShareViewController>(m_context.get(), m_fetcher, preferences))
    , m_sheet(std::make_unique<ShareSheet>(*m_controller)) {
    // Queued: the status is reported after the call that ended the request
    // has returned, by which time a save has written its entry.
    connect(
        m_context.get(), &ExtensionContext::requestCompleted, this,
        [this] { Q_EMIT finished(kCompleted); }, Qt::QueuedConnection);
    connect(
        m_context.get(), &ExtensionContext::requestCancelled, this,
        [this] { Q_EMIT finished(kCancelled); }, Qt::QueuedConnection);
}

Dropslip::~Dropslip() {
    // The sheet and the controller refer to the context; they go first.
    m_sheet.reset();
    m_controller.reset();
}

void Dropslip::show() {
    m_sheet->show();
    m_sheet->raise();
    m_sheet->activateWindow();
}

int runDropslip(const QStringList& arguments) {
    const Result<HostRequest, QString> request = parseHostArguments(arguments);
    if (!request) {
        standardErrorLine(QStringLiteral("dropslip: ") + request.error());
        standardErrorLine(hostUsage());
        return Dropslip::kUsageError;
    }
    if (request->helpRequested) {
        const QByteArray usage = hostUsage().toLocal8Bit();
        std::fwrite(usage.constData(), 1, static_cast<size_t>(usage.size()), stdout);
        return Dropslip::kCompleted;
    }
    Dropslip dropslip(makeExtensionContext(*request), Preferences::shared());
    QObject::connect(&dropslip, &Dropslip::finished, qApp, &QCoreApplication::exit);
    dropslip.show();
    return QApplication::exec();
}
