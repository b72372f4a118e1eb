#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTcpServer>
#include <QTcpSocket>

#include <gtest/gtest.h>

#include "base/VirtualDispatch.h"
#include "support/LogCapture.h"
#include "telemetry/HttpActivityUploader.h"
#include "telemetry/TelemetryEndpoint.h"

using namespace vantrel;

namespace {

// A one-request-per-connection HTTP peer on the loopback interface that answers with a
// scripted reply, or holds the connection open without answering.
class ScriptedHttpServer {
public:
    ScriptedHttpServer()
    {
        server_.listen(QHostAddress::LocalHost);
        QObject::connect(&server_, &QTcpServer::newConnection, [this] {
            while (QTcpSocket* socket = server_.nextPendingConnection()) {
                QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] { onData(socket); });
            }
        });
    }
    QUrl url() const { return QUrl(QStringLiteral("http://127.0.0.1:%1/v1/activity").arg(server_.serverPort())); }

    QByteArray reply; // empty: never answer
    QByteArray requestHead;
    QByteArray requestBody;
    bool requestComplete = false;

private:
    void onData(QTcpSocket* socket)
    {
        buffer_ += socket->readAll();
        const qsizetype headEnd = buffer_.indexOf("\r\n\r\n");
        if (headEnd < 0)
            return;
        requestHead = buffer_.left(headEnd);
        qsizetype length = 0;
        for (const QByteArray& line : requestHead.split('\n')) {
            if (line.toLower().startsWith("content-length:"))
                length = line.mid(15).trimmed().toLongLong();
        }
        if (buffer_.size() < headEnd + 4 + length)
            return;
        requestBody = buffer_.mid(headEnd + 4, length);
        requestComplete = true;
        if (!reply.isEmpty()) {
            socket->write(reply);
            socket->disconnectFromHost();
        }
    }

    QTcpServer server_;
    QByteArray buffer_;
};

QByteArray response(const QByteArray& statusLine, const QByteArray& body = {}, const QByteArray& extra = {})
{
    return "HTTP/1.1 " + statusLine + "\r\nContent-Length: " + QByteArray::number(body.size()) + "\r\n" + extra
        + "Connection: close\r\n\r\n" + body;
}

struct Outcome {
    bool done = false;
    bool success = false;
};

// Submits one batch; network events run on the real event loop, the deadline on virtual time.
std::shared_ptr<Outcome> submit(VirtualDispatch& dispatch, HttpActivityUploader& uploader, const QJsonArray& batch)
{
    auto outcome = std::make_shared<Outcome>();
    uploader.submit(batch, [outcome](bool success) {
        EXPECT_FALSE(outcome->done) << "completion ran twice";
        outcome->done = true;
        outcome->success = success;
    });
    dispatch.runUntilIdle();
    return outcome;
}

// Runs the event loop until the condition holds; the bound only guards a broken test run.
template <class F> bool pumpUntil(F condition)
{
    QDeadlineTimer guard(20000);
    while (!condition() && !guard.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return condition();
}

const QJsonArray batch = QJsonArray({QJsonObject({{"event_id", "e1"}, {"kind", "process_started"}, {"sequence", 1}})});

} // namespace

TEST(HttpActivityUploader, PostsTheBatchAndSucceedsOnlyOn2xx)
{
    VirtualDispatch dispatch;
    test::LogCapture log;
    ScriptedHttpServer server;
    auto uploader = std::make_shared<HttpActivityUploader>(dispatch, server.url());

    server.reply = response("204 No Content");
    auto outcome = submit(dispatch, *uploader, batch);
    ASSERT_TRUE(pumpUntil([&] { return outcome->done; }));
    EXPECT_TRUE(outcome->success);
    EXPECT_TRUE(server.requestHead.startsWith("POST /v1/activity HTTP/1.1"));
    EXPECT_TRUE(server.requestHead.toLower().contains("content-type: application/json"));
    EXPECT_EQ(QJsonDocument::fromJson(server.requestBody).array(), batch);

    for (const QByteArray& status :
         {QByteArray("500 Internal Server Error"), QByteArray("404 Not Found"), QByteArray("302 Found")}) {
        ScriptedHttpServer failing;
        failing.reply = response(
            status, {}, status.startsWith("302") ? "Location: " + server.url().toEncoded() + "\r\n" : QByteArray());
        auto other = std::make_shared<HttpActivityUploader>(dispatch, failing.url());
        auto failed = submit(dispatch, *other, batch);
        ASSERT_TRUE(pumpUntil([&] { return failed->done; })) << status.constData();
        EXPECT_FALSE(failed->success) << status.constData();
    }
    EXPECT_TRUE(log.contains("[ActivityTelemetry] Upload failed: HTTP status 500"));
}

TEST(HttpActivityUploader, FailsCleanlyWhenNothingAnswers)
{
    VirtualDispatch dispatch;
    test::LogCapture log;

    // Nobody listening (offline): a prompt failure.
    QUrl closed;
    {
        ScriptedHttpServer gone;
        closed = gone.url();
    }
    auto uploader = std::make_shared<HttpActivityUploader>(dispatch, closed);
    auto refused = submit(dispatch, *uploader, batch);
    ASSERT_TRUE(pumpUntil([&] { return refused->done; }));
    EXPECT_FALSE(refused->success);

    // A server that takes the request and never answers is cut off at the deadline.
    ScriptedHttpServer stalled;
    auto slow = std::make_shared<HttpActivityUploader>(dispatch, stalled.url(), seconds(60));
    auto pending = submit(dispatch, *slow, batch);
    ASSERT_TRUE(pumpUntil([&] { return stalled.requestComplete; }));
    dispatch.advanceSeconds(59);
    QCoreApplication::processEvents();
    EXPECT_FALSE(pending->done);
    dispatch.advanceSeconds(1);
    ASSERT_TRUE(pumpUntil([&] { return pending->done; }));
    EXPECT_FALSE(pending->success);
    EXPECT_TRUE(log.contains("[ActivityTelemetry] Upload failed: timed out"));
    // The abort that follows does not report a second time (checked in the completion).
    QCoreApplication::processEvents();
}

TEST(HttpActivityUploader, RejectsAnOversizedAnswer)
{
    VirtualDispatch dispatch;
    ScriptedHttpServer server;
    server.reply = response("200 OK", QByteArray(HttpActivityUploader::maximumResponseBytes + 1, 'x'));
    auto uploader = std::make_shared<HttpActivityUploader>(dispatch, server.url());
    auto outcome = submit(dispatch, *uploader, batch);
    ASSERT_TRUE(pumpUntil([&] { return outcome->done; }));
    EXPECT_FALSE(outcome->success);

    // An answer announcing no length is counted as it arrives.
    ScriptedHttpServer unannounced;
    unannounced.reply = "HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n"
        + QByteArray(HttpActivityUploader::maximumResponseBytes + 10, 'y');
    auto other = std::make_shared<HttpActivityUploader>(dispatch, unannounced.url());
    auto counted = submit(dispatch, *other, batch);
    ASSERT_TRUE(pumpUntil([&] { return counted->done; }));
    EXPECT_FALSE(counted->success);
}

TEST(TelemetryEndpoint, ConfiguredOrOverriddenInDevelopmentAndOnlySafeSchemes)
{
    test::LogCapture log;
    EXPECT_FALSE(TelemetryEndpoint::resolve("", "", true));
    EXPECT_EQ(TelemetryEndpoint::resolve("https://t.example/v1", "", false)->toString(), "https://t.example/v1");
    // The override counts only where allowed.
    EXPECT_EQ(TelemetryEndpoint::resolve("https://t.example/v1", "http://127.0.0.1:8080/x", true)->port(), 8080);
    EXPECT_EQ(TelemetryEndpoint::resolve("https://t.example/v1", "http://127.0.0.1:8080/x", false)->host(),
              "t.example");
    EXPECT_FALSE(TelemetryEndpoint::resolve("", "http://127.0.0.1:8080/x", false));
    // Plain HTTP leaves the machine never; other schemes and credentials are refused.
    EXPECT_FALSE(TelemetryEndpoint::resolve("http://t.example/v1", "", false));
    EXPECT_TRUE(TelemetryEndpoint::resolve("http://localhost:9/v1", "", false));
    EXPECT_FALSE(TelemetryEndpoint::resolve("ftp://t.example/v1", "", false));
    EXPECT_FALSE(TelemetryEndpoint::resolve("https://user:pw@t.example/v1", "", false));
    EXPECT_FALSE(TelemetryEndpoint::resolve("not a url", "", false));
    EXPECT_TRUE(log.contains("[ActivityTelemetry] Ignoring unacceptable endpoint: ftp://t.example/v1"));
}
