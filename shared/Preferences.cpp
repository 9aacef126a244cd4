#include "shared/Preferences.h"

#include "shared/AppGroup.h"

Preferences::Preferences(std::unique_ptr<UserDefaults> defaults, QObject* parent)
    : QObject(parent)
    , m_defaults(std::move(defaults)) {
    connect(m_defaults.get(), &UserDefaults::valueChanged, this, [this](const QString& key) {
        if (key == kShowDescriptions)
            Q_EMIT showDescriptionsChanged(showDescriptions());
        else if (key == kAutofillFromClipboard)
            Q_EMIT autofillFromClipboardChanged(autofillFromClipboard());
        else if (key == kAutoFetchMetadata)
            Q_EMIT autoFetchMetadataChanged(autoFetchMetadata());
    });
}

std::unique_ptr<Preferences> Preferences::openShared(const QString& suiteName) {
    if (auto suite = UserDefaults::openSuite(suiteName))
        return std::make_unique<Preferences>(std::move(suite));
    auto fallback = std::make_unique<Preferences>(UserDefaults::openStandard());
    fallback->m_isShared = false;
    return fallback;
}

Preferences& Preferences::shared() {
    static const std::unique_ptr<Preferences> instance = openShared(appGroupIdentifier());
    return *instance;
}

bool Preferences::showDescriptions() const {
    return m_defaults->boolValue(kShowDescriptions, kShowDescriptionsDefault);
}
void Preferences::setShowDescriptions(bool on) {
    m_defaults->setBool(kShowDescriptions, on);
}
bool Preferences::autofillFromClipboard() const {
    return m_defaults->boolValue(kAutofillFromClipboard, kAutofillFromClipboardDefault);
}
void Preferences::setAutofillFromClipboard(bool on) {
    m_defaults->setBool(kAutofillFromClipboard, on);
}
bool Preferences::autoFetchMetadata() const {
    return m_defaults->boolValue(kAutoFetchMetadata, kAutoFetchMetadataDefault);
}
void Preferences::setAutoFetchMetadata(bool on) {
    m_defaults->setBool(kAutoFetchMetadata, on);
}
