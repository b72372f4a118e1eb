#include "update/LocalHttpsServer.h"

#include <QFile>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslKey>
#include <QSslSocket>

namespace vantrel::test {

namespace {

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QByteArray reason(int status)
{
    switch (status) {
    case 200:
        return "OK";
    case 302:
        return "Found";
    case 404:
        return "Not Found";
    default:
        return "Status";
    }
}

} // namespace

QString LocalHttpsServer::certificateFile() { return QStringLiteral(VANTREL_TEST_DATA_DIR "/localhost-cert.pem"); }

LocalHttpsServer::LocalHttpsServer()
{
    QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
    tls.setLocalCertificate(QSslCertificate(readAll(certificateFile()), QSsl::Pem));
    tls.setPrivateKey(QSslKey(readAll(QStringLiteral(VANTREL_TEST_DATA_DIR "/localhost-key.pem")), QSsl::Rsa));
    tls.setPeerVerifyMode(QSslSocket::VerifyNone);
    server_.setSslConfiguration(tls);
    connect(&server_, &QTcpServer::pendingConnectionAvailable, this, [this] {
        while (auto* socket = qobject_cast<QSslSocket*>(server_.nextPendingConnection()))
            serve(socket);
    });
}

bool LocalHttpsServer::listen() { return server_.listen(QHostAddress::LocalHost, 0); }

QString LocalHttpsServer::url(const QString& path) const
{
    return QStringLiteral("https://127.0.0.1:%1%2").arg(port()).arg(path);
}

void LocalHttpsServer::serve(QSslSocket* socket)
{
    auto buffer = std::make_shared<QByteArray>();
    connect(socket, &QSslSocket::disconnected, socket, &QObject::deleteLater);
    connect(socket, &QSslSocket::readyRead, this, [this, socket, buffer] {
        buffer->append(socket->readAll());
        if (!buffer->contains("\r\n\r\n"))
            return;
        const QList<QByteArray> requestLine = buffer->left(buffer->indexOf("\r\n")).split(' ');
        buffer->clear();
        const QString path = requestLine.size() > 1 ? QString::fromLatin1(requestLine[1]) : QString();
        hits_[path] += 1;
        const ScriptedResponse r = routes_.value(path, ScriptedResponse{404, "missing"});
        QByteArray head = "HTTP/1.1 " + QByteArray::number(r.status) + ' ' + reason(r.status) + "\r\n";
        if (!r.location.isEmpty())
            head += "Location: " + r.location + "\r\n";
        if (r.contentLength == -1)
            head += "Content-Length: " + QByteArray::number(r.body.size()) + "\r\n";
        else if (r.contentLength >= 0)
            head += "Content-Length: " + QByteArray::number(r.contentLength) + "\r\n";
        head += "Connection: close\r\n\r\n";
        socket->write(head);
        if (r.stallAfter >= 0) {
            socket->write(r.body.left(r.stallAfter));
            return; // held open until the client gives up
        }
        socket->write(r.body);
        socket->disconnectFromHost();
    });
}

} // namespace vantrel::test
