#pragma once

#include "platform/Url/Url.h"
#include "shared/Metadata/MetadataFetcher.h"

#include <QObject>
#include <QSize>
#include <QString>
#include <optional>

class ExtensionContext;
class Preferences;

// The share sheet's logic, without widgets: what the Link, Title and
// Description fields hold, whether Save is enabled, the duplicate warning,
// the spinner and the sheet's size. The sheet (ShareSheet) shows these and
// reports the user's edits; tests drive it directly.
//
// Filled from the share request when the sheet appears: the URL found in the
// shared items, a title from the items or the host, then the page's own title
// and description when fetching is on, never over what the user typed.
// Save queues one entry in the shared inbox and completes the request.
// Main thread only.
class ShareViewController : public QObject {
    Q_OBJECT
public:
    static constexpr QSize kSheetSize{480, 304};
    static constexpr QSize kSheetSizeWithWarning{480, 332};

    // `context` may be null (nothing was shared). All three must outlive the
    // controller.
    ShareViewController(ExtensionContext* context, const MetadataFetcher& fetcher,
                        Preferences& preferences, QObject* parent = nullptr);
    ~ShareViewController() override;

    QString urlText() const { return m_urlText; }
    QString titleText() const { return m_titleText; }
    QString descriptionText() const { return m_descriptionText; }
    // "Already saved as “…”" while shown, nullopt while hidden.
    std::optional<QString> duplicateWarning() const { return m_duplicateWarning; }
    bool isSaveEnabled() const { return m_saveEnabled; }
    bool isSpinning() const { return m_spinning; }
    QSize preferredContentSize() const { return m_preferredContentSize; }
    // Set when the last Save could not queue the page; the sheet stays open.
    std::optional<QString> saveFailure() const { return m_saveFailure; }

    // The Link field as a web address: trimmed of spaces and tabs, parsed,
    // and only with a scheme that begins "http".
    std::optional<Url> currentURL() const;
    // "pref.autoFetchMetadata" of the shared suite; true when never written.
    bool autoFetchEnabled() const;

    // The sheet was shown: starts loading the shared items, once, while the
    // Link field is empty.
    void viewDidAppear();
    // The user changed a field.
    void urlTextEdited(const QString& text);
    void titleTextEdited(const QString& text);
    void descriptionTextEdited(const QString& text);
    // Queues the page and completes the request. When the inbox cannot take
    // it, the failure is logged and shown, and the sheet stays open so the
    // user can try again or cancel.
    void save();
    // Ends the request; nothing is written.
    void cancel();

    // The steps of loading, open for tests.
    void loadSharedItems();
    void applyFoundURL(const std::optional<Url>& found);
    void applyMetadata(const std::optional<PageMetadata>& result);
    void updateSaveEnabled();
    void checkDuplicate();

Q_SIGNALS:
    void urlTextChanged(const QString& text);
    void titleTextChanged(const QString& text);
    void descriptionTextChanged(const QString& text);
    void duplicateWarningChanged(const std::optional<QString>& warning);
    void saveEnabledChanged(bool enabled);
    void spinningChanged(bool spinning);
    void preferredContentSizeChanged(QSize size);
    void saveFailureChanged(const std::optional<QString>& failure);
    // The shared items were searched and the fields filled from them; a page
    // fetch may still be running.
    void sharedItemsLoaded();
    // A page fetch came back (with or without a result) and was applied.
    void metadataFetchFinished();

private:
    void continueLoading();
    void finishLoading(const std::optional<Url>& found);
    void takeTitle(const std::optional<QString>& text);
    void setUrlText(const QString& text);
    void setTitleText(const QString& text);
    void setDescriptionText(const QString& text);
    void setSpinning(bool spinning);
    void setPreferredContentSize(QSize size);
    void setSaveFailure(const std::optional<QString>& failure);

    ExtensionContext* m_context;
    const MetadataFetcher& m_fetcher;
    Preferences& m_preferences;

    QString m_urlText;
    QString m_titleText;
    QString m_descriptionText;
    std::optional<QString> m_duplicateWarning;
    bool m_saveEnabled = false;
    bool m_spinning = false;
    QSize m_preferredContentSize = kSheetSize;
    std::optional<QString> m_saveFailure;

    // Set at most once, only to a non-empty title or content text of an item.
    std::optional<QString> m_foundTitle;
    bool m_loadStarted = false;
    bool m_finished = false;
    size_t m_itemIndex = 0;
    size_t m_attachmentIndex = 0;
    MetadataFetch m_fetch;
};
