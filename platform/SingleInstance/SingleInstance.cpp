#include "platform/SingleInstance/SingleInstance.h"

#include <QByteArray>
#include <QDataStream>
#include <QDeadlineTimer>
#include <QDir>
#include <QLocalSocket>
#include <QTimer>
#include <unistd.h>

namespace {

// A message is its length (quint32, big-endian) and a QDataStream of the
// argument list; the answer is one byte.
constexpr char kReceipt = 'k';

QByteArray frame(const QStringList& arguments) {
    QByteArray payload;
    QDataStream stream(&payload, QIODevice::WriteOnly);
    stream.setVersion(QDataStream::Qt_6_0);
    stream << arguments;
    QByteArray framed;
    QDataStream header(&framed, QIODevice::WriteOnly);
    header << quint32(payload.size());
    return framed + payload;
}

// One connection of a later start: reads its message, answers, closes.
class Incoming : public QObject {
public:
    Incoming(QLocalSocket* socket, SingleInstance* instance)
        : QObject(instance)
        , m_socket(socket)
        , m_instance(instance) {
        socket->setParent(this);
        connect(socket, &QLocalSocket::readyRead, this, &Incoming::read);
        connect(socket, &QLocalSocket::disconnected, this, &QObject::deleteLater);
        // A peer that never finishes its message is not waited for.
        QTimer::singleShot(SingleInstance::kDefaultTimeout * 5, this, &QObject::deleteLater);
        read();
    }

private:
    void read() {
        m_buffer += m_socket->readAll();
        if (m_buffer.size() < 4)
            return;
        QDataStream header(m_buffer);
        quint32 length = 0;
        header >> length;
        if (length > SingleInstance::kMaxMessageBytes) {
            m_socket->abort();
            return;
        }
        if (m_buffer.size() < qsizetype(4 + length))
            return;
        QDataStream stream(m_buffer.mid(4, length));
        stream.setVersion(QDataStream::Qt_6_0);
        QStringList arguments;
        stream >> arguments;
        if (stream.status() != QDataStream::Ok) {
            m_socket->abort();
            return;
        }
        m_socket->write(&kReceipt, 1);
        m_socket->flush();
        m_socket->disconnectFromServer();
        disconnect(m_socket, &QLocalSocket::readyRead, this, nullptr);
        Q_EMIT m_instance->argumentsReceived(arguments);
    }

    QLocalSocket* m_socket;
    SingleInstance* m_instance;
    QByteArray m_buffer;
};

} // namespace

QString SingleInstance::serverName(const QString& application) {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QDir(runtime).exists())
        return QDir(runtime).filePath(application + QStringLiteral(".socket"));
    return QDir(QDir::tempPath())
        .filePath(QStringLiteral("%1-%2.socket").arg(application).arg(::getuid()));
}

bool SingleInstance::handOff(const QString& name, const QStringList& arguments,
                             std::chrono::milliseconds timeout,
                             std::chrono::milliseconds answerTimeout) {
    QLocalSocket socket;
    socket.connectToServer(name);
    if (!socket.waitForConnected(int(timeout.count())))
        return false;
    const QDeadlineTimer deadline(answerTimeout);
    socket.write(frame(arguments));
    while (socket.bytesToWrite() > 0) {
        if (!socket.waitForBytesWritten(int(deadline.remainingTime())))
            return false;
    }
    while (socket.bytesAvailable() < 1) {
        if (deadline.hasExpired() || !socket.waitForReadyRead(int(deadline.remainingTime())))
            return false;
    }
    char answer = 0;
    return socket.read(&answer, 1) == 1 && answer == kReceipt;
}

SingleInstance::SingleInstance(QObject* parent)
    : QObject(parent) {
    // Only this user may hand the running instance anything.
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&m_server, &QLocalServer::newConnection, this, &SingleInstance::accept);
}

bool SingleInstance::listen(const QString& name) {
    if (m_server.listen(name))
        return true;
    // The socket of an instance that crashed, or of one that hangs: the
    // caller found it unanswering, so it is replaced.
    QLocalServer::removeServer(name);
    return m_server.listen(name);
}

void SingleInstance::accept() {
    while (QLocalSocket* socket = m_server.nextPendingConnection())
        new Incoming(socket, this);
}
