#include "platform/Extension/ExtensionContext.h"

ExtensionContext::ExtensionContext(std::vector<ExtensionItem> inputItems, QObject* parent)
    : QObject(parent)
    , m_inputItems(std::move(inputItems)) {}

void ExtensionContext::completeRequest() {
    if (std::exchange(m_finished, true))
        return;
    Q_EMIT requestCompleted();
}

void ExtensionContext::cancelRequest() {
    if (std::exchange(m_finished, true))
        return;
    Q_EMIT requestCancelled();
}
