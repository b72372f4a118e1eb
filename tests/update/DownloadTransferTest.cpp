#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>

#include "base/VirtualDispatch.h"
#include "support/TempDir.h"
#include "update/LocalHttpsServer.h"
#include "update/UpdateDownloadTransfer.h"

using namespace vantrel;
using test::LocalHttpsServer;
using test::ScriptedResponse;

namespace {

class DownloadTransferTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(server_.listen()); }

    // Runs one transfer to its end (the event loop carries the network, virtual time the watchdog).
    UpdateTransferResult run(UpdateTransferRequest request, const QString& caFile = LocalHttpsServer::certificateFile(),
                             std::function<void(qint64)> onProgress = {})
    {
        UpdateDownloadTransfer transfer(std::move(request), dispatch_,
                                        UpdateDownloadTransfer::tlsConfiguration(caFile));
        std::optional<UpdateTransferResult> result;
        int completions = 0;
        transfer.start(
            [&](const UpdateTransferResult& r) {
            result = r;
            ++completions;
            },
            [&](qint64 received, qint64) {
            if (onProgress)
                onProgress(received);
        });
        pumpUntil([&] { return result.has_value(); });
        pumpUntil([] { return false; }, 50); // a second completion would arrive now
        EXPECT_EQ(completions, 1);
        return result.value_or(UpdateDownloadFailure{UpdateDownloadError::cancelled, 0, false, "never completed"});
    }

    // A guard against a hang, not a timing: the local server answers in milliseconds.
    static void pumpUntil(const std::function<bool()>& done, int limitMs = 10000)
    {
        QElapsedTimer t;
        t.start();
        while (!done() && t.elapsed() < limitMs)
            QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 20);
    }

    UpdateTransferRequest memory(const QString& path, qint64 maximum = 1048576)
    {
        UpdateTransferRequest r;
        r.url = QUrl(server_.url(path));
        r.maximumBytes = maximum;
        return r;
    }

    UpdateTransferRequest file(const QString& path, qint64 size)
    {
        UpdateTransferRequest r;
        r.url = QUrl(server_.url(path));
        r.maximumBytes = size;
        r.exactBytes = size;
        r.destination = dir_.file("Updates/Vantrel-owned-x-Vantrel-1.3.0.41.pkg");
        return r;
    }

    QStringList leftovers() const { return QDir(dir_.file("Updates")).entryList(QDir::Files | QDir::Hidden); }

    static UpdateDownloadFailure failure(const UpdateTransferResult& r)
    {
        if (const auto* f = std::get_if<UpdateDownloadFailure>(&r))
            return *f;
        ADD_FAILURE() << "the transfer succeeded";
        return {};
    }

    LocalHttpsServer server_;
    VirtualDispatch dispatch_;
    test::TempDir dir_;
};

} // namespace

TEST_F(DownloadTransferTest, DownloadsIntoMemoryAndIntoAFile)
{
    server_.route("/downloads/latest.json", ScriptedResponse{200, R"({"ok":true})"});
    const auto inMemory = run(memory("/downloads/latest.json"));
    ASSERT_TRUE(std::holds_alternative<UpdateDownloadPayload>(inMemory));
    EXPECT_EQ(std::get<UpdateDownloadPayload>(inMemory).data, R"({"ok":true})");

    const QByteArray package(200000, 'p');
    server_.route("/downloads/p.pkg", ScriptedResponse{200, package});
    qint64 lastProgress = 0;
    const auto onDisk = run(file("/downloads/p.pkg", package.size()), LocalHttpsServer::certificateFile(),
                            [&](qint64 received) { lastProgress = received; });
    ASSERT_TRUE(std::holds_alternative<UpdateDownloadPayload>(onDisk));
    const QString path = std::get<UpdateDownloadPayload>(onDisk).file;
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), package);
    EXPECT_EQ(lastProgress, package.size());
    EXPECT_EQ(leftovers(), QStringList{"Vantrel-owned-x-Vantrel-1.3.0.41.pkg"});
}

TEST_F(DownloadTransferTest, RefusedResponsesLeaveNoFile)
{
    const QByteArray package(1000, 'p');
    server_.route("/downloads/moved.json", ScriptedResponse{302, "", server_.url("/downloads/latest.json").toLatin1()});
    server_.route("/downloads/latest.json", ScriptedResponse{200, "{}"});
    auto f = failure(run(memory("/downloads/moved.json")));
    EXPECT_EQ(f.error, UpdateDownloadError::untrustedResponse);
    EXPECT_EQ(f.httpStatus, 302);
    EXPECT_EQ(server_.requestCount("/downloads/latest.json"), 0) << "the redirect must not be followed";

    f = failure(run(memory("/downloads/nothing.json")));
    EXPECT_EQ(f.error, UpdateDownloadError::untrustedResponse);
    EXPECT_EQ(f.httpStatus, 404);

    // Larger than 1 MiB: announced, and unannounced (counted as it arrives).
    server_.route("/downloads/big.json", ScriptedResponse{200, QByteArray(1048577, ' ')});
    EXPECT_EQ(failure(run(memory("/downloads/big.json"))).error, UpdateDownloadError::responseTooLarge);
    server_.route("/downloads/big2.json", ScriptedResponse{200, QByteArray(1048577, ' '), {}, -2});
    EXPECT_EQ(failure(run(memory("/downloads/big2.json"))).error, UpdateDownloadError::responseTooLarge);

    // One byte more than the manifest promised, without an announced length.
    server_.route("/downloads/plus1.pkg", ScriptedResponse{200, package + "x", {}, -2});
    EXPECT_EQ(failure(run(file("/downloads/plus1.pkg", package.size()))).error, UpdateDownloadError::sizeMismatch);
    EXPECT_TRUE(leftovers().isEmpty()) << leftovers().join(",").toStdString();

    // A wrong announced length, and a body cut short of the promised size.
    server_.route("/downloads/wrong.pkg", ScriptedResponse{200, package.left(999)});
    EXPECT_EQ(failure(run(file("/downloads/wrong.pkg", package.size()))).error, UpdateDownloadError::sizeMismatch);
    server_.route("/downloads/short.pkg", ScriptedResponse{200, package.left(999), {}, -2});
    EXPECT_EQ(failure(run(file("/downloads/short.pkg", package.size()))).error, UpdateDownloadError::sizeMismatch);
    EXPECT_TRUE(leftovers().isEmpty()) << leftovers().join(",").toStdString();
}

TEST_F(DownloadTransferTest, UntrustedCertificateIsANetworkFailure)
{
    server_.route("/downloads/latest.json", ScriptedResponse{200, "{}"});
    const auto f = failure(run(memory("/downloads/latest.json"), QString()));
    EXPECT_EQ(f.error, UpdateDownloadError::downloadFailed);
    EXPECT_TRUE(f.networkError);

    // Nobody listening at all.
    UpdateTransferRequest closed = memory("/downloads/latest.json");
    closed.url = QUrl(QStringLiteral("https://127.0.0.1:1/downloads/latest.json"));
    const auto g = failure(run(closed));
    EXPECT_EQ(g.error, UpdateDownloadError::downloadFailed);
    EXPECT_TRUE(g.networkError);
}

TEST_F(DownloadTransferTest, AStalledServerIsGivenUpOnAndCancelRemovesTheFile)
{
    const QByteArray package(100000, 'p');
    server_.route("/downloads/stall.pkg", ScriptedResponse{200, package, {}, -1, 40000});
    UpdateDownloadTransfer transfer(file("/downloads/stall.pkg", package.size()), dispatch_,
                                    UpdateDownloadTransfer::tlsConfiguration(LocalHttpsServer::certificateFile()));
    std::optional<UpdateTransferResult> result;
    qint64 received = 0;
    transfer.start([&](const UpdateTransferResult& r) { result = r; }, [&](qint64 n, qint64) { received = n; });
    pumpUntil([&] { return received >= 40000; });
    ASSERT_EQ(received, 40000);
    EXPECT_EQ(leftovers(), QStringList{"Vantrel-owned-x-Vantrel-1.3.0.41.pkg.download"});

    dispatch_.advanceSeconds(29);
    pumpUntil([&] { return result.has_value(); }, 100);
    EXPECT_FALSE(result);
    dispatch_.advanceSeconds(1);
    pumpUntil([&] { return result.has_value(); });
    ASSERT_TRUE(result);
    const auto f = failure(*result);
    EXPECT_EQ(f.error, UpdateDownloadError::downloadFailed);
    EXPECT_TRUE(f.networkError);
    EXPECT_TRUE(leftovers().isEmpty());

    // Cancelled by its owner mid-way.
    server_.route("/downloads/stall2.pkg", ScriptedResponse{200, package, {}, -1, 10000});
    UpdateDownloadTransfer second(file("/downloads/stall2.pkg", package.size()), dispatch_,
                                  UpdateDownloadTransfer::tlsConfiguration(LocalHttpsServer::certificateFile()));
    std::optional<UpdateTransferResult> secondResult;
    received = 0;
    second.start([&](const UpdateTransferResult& r) { secondResult = r; }, [&](qint64 n, qint64) { received = n; });
    pumpUntil([&] { return received >= 10000; });
    second.cancel();
    pumpUntil([&] { return secondResult.has_value(); });
    ASSERT_TRUE(secondResult);
    EXPECT_EQ(failure(*secondResult).error, UpdateDownloadError::cancelled);
    EXPECT_TRUE(leftovers().isEmpty());
}
