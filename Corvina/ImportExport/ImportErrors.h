#pragma once

#include <QCoreApplication>
#include <QString>
#include <variant>

// Why a picked file could not be routed to a reader or read.
class RouteError {
    Q_DECLARE_TR_FUNCTIONS(RouteError)
public:
    enum class Kind { unsupportedExtension, readFailed };

    // The extension as written in the file name, case unchanged.
    static RouteError unsupportedExtension(QString extension) {
        return {Kind::unsupportedExtension, std::move(extension)};
    }
    // The system's own description of the read failure.
    static RouteError readFailed(QString reason) { return {Kind::readFailed, std::move(reason)}; }

    Kind kind() const { return m_kind; }
    const QString& detail() const { return m_detail; }
    QString description() const;

    friend bool operator==(const RouteError&, const RouteError&) = default;

private:
    RouteError(Kind kind, QString detail)
        : m_kind(kind)
        , m_detail(std::move(detail)) {}

    Kind m_kind;
    QString m_detail;
};

// Why a reader rejected the bytes it was given.
class BookmarkImporterError {
    Q_DECLARE_TR_FUNCTIONS(BookmarkImporterError)
public:
    enum class Kind { malformed, unsupportedFormat };

    static BookmarkImporterError malformed(QString reason) {
        return {Kind::malformed, std::move(reason)};
    }
    // For readers that recognise a foreign format they cannot take.
    static BookmarkImporterError unsupportedFormat() { return {Kind::unsupportedFormat, {}}; }

    Kind kind() const { return m_kind; }
    const QString& reason() const { return m_reason; }
    QString description() const;

    friend bool operator==(const BookmarkImporterError&, const BookmarkImporterError&) = default;

private:
    BookmarkImporterError(Kind kind, QString reason)
        : m_kind(kind)
        , m_reason(std::move(reason)) {}

    Kind m_kind;
    QString m_reason;
};

// Either failure of reading a picked file; both are shown by description.
using ImportError = std::variant<RouteError, BookmarkImporterError>;
QString describe(const ImportError& error);
