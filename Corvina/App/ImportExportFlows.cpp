#include "Corvina/App/ImportExportFlows.h"

#include "Corvina/ImportExport/BookmarksDocument.h"
#include "Corvina/ImportExport/ImporterRouter.h"
#include "Corvina/Library/LibraryStore.h"
#include "platform/Core/BackgroundTask.h"
#include "platform/Widgets/Alert.h"

#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QProgressDialog>
#include <QPushButton>
#include <QStandardPaths>

using namespace Qt::StringLiterals;

namespace {

// What a pool thread hands back after reading a file.
struct ReadOutcome {
    std::optional<QString> error;
    PendingImport pending;
};

QString nameFilter(const QStringList& mimeTypes) {
    QStringList patterns;
    const QMimeDatabase database;
    for (const QString& type : mimeTypes) {
        for (const QString& pattern : database.mimeTypeForName(type).globPatterns()) {
            if (!patterns.contains(pattern))
                patterns << pattern;
        }
    }
    return QCoreApplication::translate("ImportExportFlows", "Bookmark files (%1)")
        .arg(patterns.join(u' '));
}

} // namespace

ImportExportFlows::ImportExportFlows(store::ModelContext& context, QObject* parent)
    : QObject(parent)
    , m_context(context) {}

Alert* ImportExportFlows::openAlert() const {
    return m_alert;
}

QProgressDialog* ImportExportFlows::progress() const {
    return m_progress;
}

void ImportExportFlows::startImport(QWidget& window) {
    auto* panel =
        new QFileDialog(&window, tr("Import Bookmarks"),
                        QStandardPaths::writableLocation(QStandardPaths::DownloadLocation));
    panel->setAttribute(Qt::WA_DeleteOnClose);
    panel->setAcceptMode(QFileDialog::AcceptOpen);
    panel->setFileMode(QFileDialog::ExistingFile);
    panel->setNameFilter(nameFilter(ImporterRouter::allowedContentTypes()));
    QPointer<QWidget> target(&window);
    connect(panel, &QFileDialog::fileSelected, this, [this, target](const QString& path) {
        if (target)
            importFile(*target, path);
    });
    panel->open();
}

void ImportExportFlows::importFile(QWidget& window, const QString& path) {
    showProgress(window, tr("Reading \u201c%1\u201d\u2026").arg(QFileInfo(path).fileName()));
    QPointer<QWidget> target(&window);
    // The file is read, parsed and checked against the library's addresses
    // as they are now on a pool thread; the window stays responsive.
    background::run(
        this,
        [path, urls = importflow::libraryUrls(m_context)] {
            ReadOutcome outcome;
            auto payloads = ImporterRouter::readFile(path);
            if (!payloads) {
                outcome.error = describe(payloads.error());
                return outcome;
            }
            outcome.pending.payloads = std::move(*payloads);
            outcome.pending.duplicateCount = importflow::countDuplicates(
                outcome.pending.payloads, importflow::duplicateKeys(urls));
            return outcome;
        },
        [this, target](ReadOutcome outcome) {
            hideProgress();
            if (!target)
                return;
            if (outcome.error) {
                finishImport(*target, ImportResult::error(*outcome.error));
                return;
            }
            if (outcome.pending.duplicateCount > 0) {
                askAboutDuplicates(*target, std::move(outcome.pending));
                return;
            }
            addToLibrary(*target, std::move(outcome.pending.payloads));
        });
}

void ImportExportFlows::askAboutDuplicates(QWidget& window, PendingImport pending) {
    auto* question = new Alert(Alert::Icon::question, tr("Duplicate Bookmarks Found"),
                               pending.message(), &window);
    question->setAttribute(Qt::WA_DeleteOnClose);
    question->setWindowModality(Qt::WindowModal);
    QPushButton* skip = question->addButton(tr("Skip Duplicates"));
    QPushButton* all = question->addButton(tr("Import All"));
    question->addButton(tr("Cancel"), Alert::ButtonRole::cancel);
    question->setDefaultButton(skip);
    m_alert = question;
    QPointer<QWidget> target(&window);
    connect(question, &QDialog::finished, this,
            [this, question, skip, all, target, pending = std::move(pending)]() mutable {
                QAbstractButton* chosen = question->clickedButton();
                if (!target || (chosen != skip && chosen != all)) {
                    Q_EMIT importCancelled();
                    return;
                }
                if (chosen == all) {
                    addToLibrary(*target, std::move(pending.payloads));
                    return;
                }
                // The library may have changed while the question was open,
                // so its addresses are taken again; their keys are worked out
                // on the pool, as when the file was read.
                showProgress(*target, tr("Leaving out duplicates\u2026"));
                background::run(
                    this,
                    [payloads = std::move(pending.payloads),
                     urls = importflow::libraryUrls(m_context)]() mutable {
                        return importflow::withoutDuplicates(std::move(payloads),
                                                             importflow::duplicateKeys(urls));
                    },
                    [this, target](std::vector<BookmarkPayload> payloads) {
                        if (target)
                            addToLibrary(*target, std::move(payloads));
                        else
                            hideProgress();
                    });
            });
    question->open();
}

void ImportExportFlows::addToLibrary(QWidget& window, std::vector<BookmarkPayload> payloads) {
    const qint64 total = qint64(payloads.size());
    showProgress(window, tr("Adding bookmarks\u2026"));
    m_progress->setRange(0, int(std::min<qint64>(total, INT_MAX)));
    // The store owns the job, so closing the window does not cut an import in half.
    auto* job = new ImportCommit(m_context, std::move(payloads), &m_context);
    connect(job, &ImportCommit::progressed, this, [this](qint64 added) {
        if (m_progress)
            m_progress->setValue(int(std::min<qint64>(added, INT_MAX)));
    });
    QPointer<QWidget> target(&window);
    connect(job, &ImportCommit::finished, this, [this, target](qint64 added) {
        hideProgress();
        if (target)
            finishImport(*target, ImportResult::success(added));
    });
    job->start();
}

void ImportExportFlows::finishImport(QWidget& window, const ImportResult& result) {
    showAlert(window, result.title(), result.message(), result.kind() == ImportResult::Kind::error);
    Q_EMIT importFinished(result);
}

void ImportExportFlows::startExport(QWidget& window, ExportFormat format) {
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    auto* panel = new QFileDialog(
        &window, tr("Export Bookmarks"),
        QDir(folder).filePath(defaultFilename(format, QDateTime::currentDateTime())));
    panel->setAttribute(Qt::WA_DeleteOnClose);
    panel->setAcceptMode(QFileDialog::AcceptSave);
    panel->setMimeTypeFilters({contentType(format)});
    panel->setDefaultSuffix(fileExtension(format));
    QPointer<QWidget> target(&window);
    connect(panel, &QFileDialog::fileSelected, this, [this, target, format](const QString& path) {
        if (target)
            exportToFile(*target, format, path);
    });
    panel->open();
}

void ImportExportFlows::exportToFile(QWidget& window, ExportFormat format, const QString& path) {
    showProgress(window, tr("Exporting to \u201c%1\u201d\u2026").arg(QFileInfo(path).fileName()));
    QPointer<QWidget> target(&window);
    BookmarksDocument document{library::allPayloads(m_context), format};
    background::run(
        this,
        [document = std::move(document), path] {
            const auto written = document.write(path);
            return written ? QString() : written.error();
        },
        [this, target, path](const QString& error) {
            hideProgress();
            // The file is written whole or not at all; a failure is said, so
            // nobody believes in a backup that does not exist.
            if (target && !error.isEmpty())
                showAlert(*target, tr("Export failed"), error, true);
            Q_EMIT exportFinished(path, error);
        });
}

void ImportExportFlows::showProgress(QWidget& window, const QString& text) {
    hideProgress();
    m_progress = new QProgressDialog(text, QString(), 0, 0, &window);
    m_progress->setAttribute(Qt::WA_DeleteOnClose);
    m_progress->setWindowModality(Qt::WindowModal);
    // Quick files finish before the panel would flash up.
    m_progress->setMinimumDuration(400);
    m_progress->setValue(0);
}

void ImportExportFlows::hideProgress() {
    if (m_progress)
        m_progress->close();
}

void ImportExportFlows::showAlert(QWidget& window, const QString& title, const QString& text,
                                  bool warning) {
    auto* alert =
        new Alert(warning ? Alert::Icon::warning : Alert::Icon::information, title, text, &window);
    alert->setDefaultButton(alert->addButton(tr("OK")));
    alert->setAttribute(Qt::WA_DeleteOnClose);
    alert->setWindowModality(Qt::WindowModal);
    m_alert = alert;
    alert->open();
}
