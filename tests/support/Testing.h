#pragma once

// What nearly every test file needs, and the small helpers several share.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QTest>
#include <gtest/gtest.h>
#include <optional>
#include <unistd.h>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace testenv {

// How long a test waits for something that must happen, in milliseconds:
// long enough that a loaded machine or a sanitizer build is never taken for a
// fault. Only a failing test waits this long.
constexpr int kPatience = 30'000;

// Writes `bytes` to `path`, making its folder; returns the path.
inline QString writeFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write(bytes);
    return path;
}

// The whole file, or nothing when it cannot be read.
inline QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// What `run` writes to standard error, through the file descriptor, so that
// writes from outside Qt's logging are caught too.
template <typename Run> QByteArray capturedStderr(Run run) {
    QTemporaryFile capture;
    EXPECT_TRUE(capture.open());
    std::fflush(stderr);
    const int saved = dup(STDERR_FILENO);
    dup2(capture.handle(), STDERR_FILENO);
    run();
    std::fflush(stderr);
    dup2(saved, STDERR_FILENO);
    close(saved);
    return readFile(capture.fileName());
}

// Waits for a callback to fill `result`; fails the test when it does not come.
template <typename T> std::optional<T> awaited(std::optional<T>& result, int ms = 5000) {
    EXPECT_TRUE(QTest::qWaitFor([&] { return result.has_value(); }, ms)) << "no answer";
    return result;
}

} // namespace testenv
