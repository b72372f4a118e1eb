#pragma once
// A small HTTPS server for the update tests: it listens on 127.0.0.1 with the test
// certificate and answers each path as scripted (status, headers, body, or a stall).
#include <QByteArray>
#include <QMap>
#include <QObject>
#include <QSslServer>
#include <QString>

namespace vantrel::test {

struct ScriptedResponse {
    ScriptedResponse() = default;
    ScriptedResponse(int status, QByteArray body, QByteArray location = {}, qint64 contentLength = -1,
                     qint64 stallAfter = -1)
        : status(status)
        , body(std::move(body))
        , location(std::move(location))
        , contentLength(contentLength)
        , stallAfter(stallAfter)
    { }

    int status = 200;
    QByteArray body;
    QByteArray location; // for redirects
    // Announce this length; -1 announces the body's size; -2 announces none (the end is the close).
    qint64 contentLength = -1;
    // Send only this many body bytes and then hold the connection open (-1: send all).
    qint64 stallAfter = -1;
};

class LocalHttpsServer final : public QObject {
    Q_OBJECT
public:
    LocalHttpsServer();
    bool listen();
    quint16 port() const { return server_.serverPort(); }
    QString url(const QString& path) const;
    void route(const QString& path, ScriptedResponse response) { routes_.insert(path, std::move(response)); }
    int requestCount(const QString& path) const { return hits_.value(path); }

    static QString certificateFile();

private:
    void serve(QSslSocket* socket);

    QSslServer server_;
    QMap<QString, ScriptedResponse> routes_;
    QMap<QString, int> hits_;
};

} // namespace vantrel::test
