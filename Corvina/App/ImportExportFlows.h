#pragma once

#include "Corvina/App/ContentView.h"
#include "Corvina/ImportExport/ImportFlow.h"

#include <QObject>
#include <QPointer>

class Alert;
class QProgressDialog;

// The import and export flows of a library window: the open and save
// panels, reading and writing off the main thread with a progress panel
// meanwhile, the duplicates question, and the result alerts. Nothing is
// added to the library before the whole file has been read and the user has
// decided; a file that fails adds nothing.
class ImportExportFlows : public QObject, public LibraryFlows {
    Q_OBJECT
public:
    explicit ImportExportFlows(store::ModelContext& context, QObject* parent = nullptr);

    // LibraryFlows: open a panel, then continue with the file chosen.
    void startImport(QWidget& window) override;
    void startExport(QWidget& window, ExportFormat format) override;

    // The flows after their panels.
    void importFile(QWidget& window, const QString& path);
    void exportToFile(QWidget& window, ExportFormat format, const QString& path);

    // The alert or question on screen, if any (for tests and for keyboard focus).
    Alert* openAlert() const;
    QProgressDialog* progress() const;

Q_SIGNALS:
    // After each import, with what the user was told; a cancelled duplicates
    // question tells nothing.
    void importFinished(const ImportResult& result);
    void importCancelled();
    // After each export; `error` is empty on success.
    void exportFinished(const QString& path, const QString& error);

private:
    void showProgress(QWidget& window, const QString& text);
    void hideProgress();
    void askAboutDuplicates(QWidget& window, PendingImport pending);
    void addToLibrary(QWidget& window, std::vector<BookmarkPayload> payloads);
    void finishImport(QWidget& window, const ImportResult& result);
    void showAlert(QWidget& window, const QString& title, const QString& text, bool warning);

    store::ModelContext& m_context;
    QPointer<QProgressDialog> m_progress;
    QPointer<Alert> m_alert;
};
