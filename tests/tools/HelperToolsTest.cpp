#include <sys/stat.h>

#include <QFile>

#include <gtest/gtest.h>

#include "support/TempDir.h"
#include "tools/helpers/BatteryTool.h"
#include "tools/helpers/SmcTool.h"

using namespace vantrel;
using namespace vantrel::tools;

namespace {

ToolEnvironment stateIn(const test::TempDir& dir)
{
    ToolEnvironment env;
    env.simStateDir = dir.file("state").toStdString();
    return env;
}

} // namespace

TEST(SmcTool, ReadsKeysListsThemAndFailsCleanly)
{
    test::TempDir dir;
    dir.write("state/smc-keys.txt", "# store\nTG0D flt_ 00003d42\nTC0P sp78 2d80\n");
    const ToolEnvironment env = stateIn(dir);

    const auto read = runSmcTool({"-k", "TG0D", "-r"}, env);
    EXPECT_EQ(read.exitCode, 0);
    EXPECT_EQ(read.out, "  TG0D  [flt ]  47.25 (bytes 00 00 3d 42)\n");
    EXPECT_TRUE(read.err.empty());

    const auto list = runSmcTool({"-l"}, env);
    EXPECT_EQ(list.exitCode, 0);
    EXPECT_EQ(list.out, "  TG0D  [flt ]  47.25 (bytes 00 00 3d 42)\n  TC0P  [sp78]  45.5 (bytes 2d 80)\n");

    const auto unknown = runSmcTool({"-k", "ZZZZ", "-r"}, env);
    EXPECT_NE(unknown.exitCode, 0);
    EXPECT_TRUE(unknown.out.empty()) << "nothing the application could mistake for a reading";
    EXPECT_NE(unknown.err.find("ZZZZ"), std::string::npos);

    for (const std::vector<std::string>& bad :
         {std::vector<std::string>{}, {"-k", "TG0D"}, {"-r"}, {"-k"}, {"-l", "-r"}, {"-x"}})
        EXPECT_EQ(runSmcTool(bad, env).exitCode, 64);

    // No store and no sensors under the root: the key is not found, as any missing key.
    ToolEnvironment missing;
    missing.simStateDir = dir.file("nowhere").toStdString();
    missing.root = dir.path().toStdString();
    const auto noStore = runSmcTool({"-k", "TG0D", "-r"}, missing);
    EXPECT_EQ(noStore.exitCode, 1);
    EXPECT_TRUE(noStore.out.empty());

    // A store that is there but cannot be read is an error of its own, not a fall-back to sysfs.
    dir.write("broken/smc-keys.txt/x", "");
    ToolEnvironment broken;
    broken.simStateDir = dir.file("broken").toStdString();
    const auto unreadable = runSmcTool({"-k", "TG0D", "-r"}, broken);
    EXPECT_EQ(unreadable.exitCode, 2);
    EXPECT_TRUE(unreadable.out.empty());
    EXPECT_NE(unreadable.err.find("cannot read the SMC key store"), std::string::npos);
}

TEST(SmcTool, FindsTheStateFolderFromTheEnvironment)
{
    ToolEnvironment env;
    EXPECT_EQ(env.stateDirectory(), "/tmp/vantrel-sim");
    env.root = "/r";
    EXPECT_EQ(env.stateDirectory(), "/r/tmp/vantrel-sim");
    env.simStateDir = "/s";
    EXPECT_EQ(env.stateDirectory(), "/s");
}

TEST(BatteryTool, VisudoWritesTheReRootedPermissionFile)
{
    test::TempDir dir;
    ToolEnvironment env;
    env.root = dir.path().toStdString();
    env.sudoUser = "alice";
    env.user = "root";
    const auto result = runBatteryTool({"visudo"}, env);
    ASSERT_EQ(result.exitCode, 0) << result.err;
    const QString path = dir.file("private/etc/sudoers.d/battery");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(file.readAll());
    EXPECT_TRUE(text.contains("alice ALL = (root) NOPASSWD: VANTREL_HELPERS"));
    EXPECT_TRUE(text.contains(dir.file("usr/local/vantrel/smc")));
    EXPECT_TRUE(text.contains(dir.file("usr/local/vantrel/battery")));
    struct stat st { };
    ASSERT_EQ(::stat(path.toLocal8Bit().constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0440u);

    // Run again for another user: the file is replaced, not appended to.
    ASSERT_EQ(runBatteryTool({"visudo", "bob"}, env).exitCode, 0);
    file.close();
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString again = QString::fromUtf8(file.readAll());
    EXPECT_TRUE(again.contains("bob ALL"));
    EXPECT_FALSE(again.contains("alice"));

    env.sudoUser.clear();
    env.user.clear();
    env.uid = 501;
    ASSERT_EQ(runBatteryTool({"visudo"}, env).exitCode, 0);
    file.close();
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(QString::fromUtf8(file.readAll()).contains("#501 ALL"));

    EXPECT_EQ(runBatteryTool({"visudo", "eve ALL=(ALL) ALL"}, env).exitCode, 65) << "no sudoers syntax smuggled in";
    EXPECT_EQ(runBatteryTool({}, env).exitCode, 64);
    EXPECT_EQ(runBatteryTool({"charge", "80"}, env).exitCode, 64);
}
