#include "app/InstanceLock.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <gtest/gtest.h>

#include "app/TestFiles.h"
#include "support/TempDir.h"

namespace vantrel {
namespace {

using test::modeOf;
// Another process taking the same lock file, as a second copy of the app would.
class LockHolder {
public:
    explicit LockHolder(const QString& path)
    {
        process_.start(QStringLiteral(VANTREL_LOCK_HOLDER), {path});
        process_.waitForStarted();
        process_.waitForReadyRead(10000);
        answer_ = QString::fromUtf8(process_.readLine()).trimmed();
    }
    ~LockHolder() { stop(); }
    QString answer() const { return answer_; }
    void stop()
    {
        process_.closeWriteChannel();
        process_.waitForFinished(10000);
    }

private:
    QProcess process_;
    QString answer_;
};

TEST(InstanceLock, MakesPrivateFolderAndFileAndExcludesOtherProcesses)
{
    test::TempDir tmp;
    const QString folder = tmp.file(QStringLiteral("home/.local/share/Vantrel"));
    InstanceLock lock(folder, QStringLiteral("production-instance.lock"));

    ASSERT_EQ(lock.acquire(), InstanceLock::Result::Acquired) << lock.error().toStdString();
    EXPECT_GE(lock.fd(), 0);
    EXPECT_EQ(modeOf(folder), 0700u);
    EXPECT_EQ(modeOf(tmp.file(QStringLiteral("home/.local"))), 0700u) << "intermediate folders made here too";
    EXPECT_EQ(modeOf(lock.path()), 0600u);

    {
        LockHolder other(lock.path());
        EXPECT_EQ(other.answer(), QStringLiteral("busy"));
    }
    lock.release();
    EXPECT_EQ(lock.fd(), -1);
    {
        LockHolder other(lock.path());
        ASSERT_EQ(other.answer(), QStringLiteral("locked"));
        EXPECT_EQ(lock.acquire(), InstanceLock::Result::HeldElsewhere);
        EXPECT_EQ(lock.fd(), -1);
        // The development build's lock is a different file and is free.
        InstanceLock debug(folder, QStringLiteral("debug-instance.lock"));
        EXPECT_EQ(debug.acquire(), InstanceLock::Result::Acquired);
    }
    // Once the other process is gone, the lock is free again.
    EXPECT_EQ(lock.acquire(), InstanceLock::Result::Acquired);
}

TEST(InstanceLock, ExistingFolderKeepsItsModeAndUnusableFolderFails)
{
    test::TempDir tmp;
    const QString folder = tmp.file(QStringLiteral("existing"));
    ASSERT_TRUE(QDir().mkpath(folder));
    QFile::setPermissions(folder,
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup
                              | QFile::ReadOther | QFile::ExeOther);
    InstanceLock kept(folder, QStringLiteral("production-instance.lock"));
    ASSERT_EQ(kept.acquire(), InstanceLock::Result::Acquired);
    EXPECT_EQ(modeOf(folder), 0755u);

    // A plain file where the folder should be: the lock cannot be taken, and says why.
    const QString blocker = tmp.write(QStringLiteral("blocker"), "x");
    InstanceLock lock(blocker + QStringLiteral("/Vantrel"), QStringLiteral("production-instance.lock"));
    EXPECT_EQ(lock.acquire(), InstanceLock::Result::Failed);
    EXPECT_FALSE(lock.error().isEmpty());
    EXPECT_FALSE(lock.isHeld());

    // A symlink planted where the lock file goes is not followed: its target keeps its mode.
    const QString target = tmp.write(QStringLiteral("elsewhere"), "keep");
    QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther);
    const QString planted = tmp.file(QStringLiteral("planted"));
    ASSERT_TRUE(QDir().mkpath(planted));
    ASSERT_TRUE(QFile::link(target, planted + QStringLiteral("/production-instance.lock")));
    InstanceLock viaLink(planted, QStringLiteral("production-instance.lock"));
    EXPECT_EQ(viaLink.acquire(), InstanceLock::Result::Failed);
    EXPECT_EQ(modeOf(target), 0604u);
}

} // namespace
} // namespace vantrel
