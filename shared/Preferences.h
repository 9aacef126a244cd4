#pragma once

#include "platform/Defaults/UserDefaults.h"

#include <QObject>
#include <QString>
#include <memory>

// The three user preferences, kept in the suite shared by both programs.
// A key that has never been written reads as its default.
class Preferences : public QObject {
    Q_OBJECT
public:
    static inline const QString kShowDescriptions = QStringLiteral("pref.showDescriptions");
    static inline const QString kAutofillFromClipboard =
        QStringLiteral("pref.autofillFromClipboard");
    static inline const QString kAutoFetchMetadata = QStringLiteral("pref.autoFetchMetadata");

    static constexpr bool kShowDescriptionsDefault = false;
    static constexpr bool kAutofillFromClipboardDefault = true;
    static constexpr bool kAutoFetchMetadataDefault = true;

    // The process's preferences over the shared suite, opened on first use and
    // kept for the process's lifetime; the program's own defaults when the
    // shared suite cannot be opened.
    static Preferences& shared();

    // For tests and for callers that bring their own store.
    explicit Preferences(std::unique_ptr<UserDefaults> defaults, QObject* parent = nullptr);

    bool showDescriptions() const;
    void setShowDescriptions(bool on);
    bool autofillFromClipboard() const;
    void setAutofillFromClipboard(bool on);
    bool autoFetchMetadata() const;
    void setAutoFetchMetadata(bool on);

    // Whether the values are the shared suite (false after a fallback).
    bool isShared() const { return m_isShared; }
    UserDefaults& defaults() { return *m_defaults; }

    static std::unique_ptr<Preferences> openShared(const QString& suiteName);

Q_SIGNALS:
    void showDescriptionsChanged(bool on);
    void autofillFromClipboardChanged(bool on);
    void autoFetchMetadataChanged(bool on);

private:
    std::unique_ptr<UserDefaults> m_defaults;
    bool m_isShared = true;
};
