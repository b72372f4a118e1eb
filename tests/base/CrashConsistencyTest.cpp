// Files written while the process is killed at a random moment (SIGKILL, no chance to clean
// up): afterwards each file is either the version before or the version being written,
// never a mixture, a truncation or nothing.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <random>

#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include "base/AtomicFile.h"
#include "base/JsonAccess.h"
#include "base/Preferences.h"
#include "support/TempDir.h"

using namespace vantrel;

namespace {

// Generation i, padded so consecutive versions differ in size as well as content.
QByteArray versionText(int generation)
{
    const QJsonObject o{{"generation", generation},
                        {"pad", QString(generation % 2 ? 150000 : 40, QLatin1Char('a' + generation % 26))}};
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

struct KillFigures {
    int kills = 0;
    int strayFiles = 0;
};

// Runs writer(generation) for ever in a child process, kills it at a random moment, checks
// the file with check(lastGeneration), and repeats; each child starts where the last one
// left off.
KillFigures killWritersRepeatedly(int rounds, const QString& folder, const QString& target,
                                  const std::function<void(int)>& writer, const std::function<int(int previous)>& check)
{
    std::mt19937 random(12345);
    std::uniform_int_distribution<int> delayMicros(0, 3000);
    KillFigures figures;
    int generation = 0;
    for (int round = 0; round < rounds; ++round) {
        const pid_t child = ::fork();
        if (child == 0) {
            for (int g = generation + 1;; ++g)
                writer(g);
        }
        if (child < 0)
            break;
        ::usleep(static_cast<useconds_t>(delayMicros(random)));
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
        ++figures.kills;
        generation = check(generation);
        for (const QString& name : QDir(folder).entryList(QDir::Files | QDir::Hidden))
            if (folder + QLatin1Char('/') + name != target) {
                ++figures.strayFiles;
            }
    }
    return figures;
}

// Kills per kind of file: 200 in the suite; VANTREL_CRASH_ROUNDS sets more for a longer run.
int roundsPerKind()
{
    const int rounds = qEnvironmentVariableIntValue("VANTREL_CRASH_ROUNDS");
    return rounds > 0 ? rounds : 200;
}

} // namespace

TEST(CrashConsistency, AtomicWritesAndSettingsSurviveKillsAtRandomMoments)
{
    test::TempDir dir;
    const QString folder = dir.file("atomic");
    const QString file = folder + "/presets.json";
    ASSERT_TRUE(writeFileAtomically(file, versionText(0)));
    const auto atomic = killWritersRepeatedly(
        roundsPerKind(), folder, file, [&](int g) { writeFileAtomically(file, versionText(g)); },
        [&](int previous) {
        const auto object = json::parseObject(readFile(file).value_or(QByteArray()));
        EXPECT_TRUE(object) << "the file is a whole version after every kill";
        const int generation = object ? static_cast<int>(json::integer(*object, "generation").value_or(-1)) : -1;
        EXPECT_GE(generation, previous) << "never an older version than one already seen";
        if (object) {
            EXPECT_EQ(json::compact(*object), versionText(generation));
        }
        return std::max(generation, previous);
        });
    EXPECT_EQ(atomic.kills, roundsPerKind());
    EXPECT_EQ(atomic.strayFiles, 0) << "temporary files left beside the file";

    const QString settingsFolder = dir.file("settings");
    const QString settingsFile = settingsFolder + "/Vantrel.conf";
    {
        SettingsFilePreferences prefs(settingsFile);
        prefs.setValue("generation", 0);
        prefs.sync();
    }
    const auto settings = killWritersRepeatedly(
        roundsPerKind(), settingsFolder, settingsFile,
        [&](int g) {
        SettingsFilePreferences prefs(settingsFile);
        prefs.setValue("generation", g);
        prefs.setValue("pad", QString(g % 2 ? 20000 : 10, QLatin1Char('p')));
        prefs.sync();
        },
        [&](int previous) {
        SettingsFilePreferences prefs(settingsFile);
        bool ok = false;
        const int generation = prefs.value("generation").toInt(&ok);
        EXPECT_TRUE(ok) << "the settings file keeps a readable generation after every kill";
        EXPECT_GE(generation, previous);
        const QString pad = prefs.value("pad").toString();
        if (generation > 0) {
            EXPECT_EQ(pad.size(), generation % 2 ? 20000 : 10) << "the settings are one whole version";
        }
        return std::max(generation, previous);
    });
    EXPECT_EQ(settings.kills, roundsPerKind());
    // A kill can leave the settings' lock file ("Vantrel.conf.lock") behind; the next start's
    // first write takes the stale lock over and removes it.
    {
        SettingsFilePreferences prefs(settingsFile);
        prefs.setValue("started", true);
        prefs.sync();
    }
    EXPECT_EQ(QDir(settingsFolder).entryList(QDir::Files | QDir::Hidden), QStringList{"Vantrel.conf"});
    RecordProperty("atomic_stray_files", atomic.strayFiles);
    RecordProperty("settings_stray_files", settings.strayFiles);
    std::printf(
        "kills: %d atomic (%d stray files), %d settings (%d stale lock files seen, none after the next start)\n",
        atomic.kills, atomic.strayFiles, settings.kills, settings.strayFiles);
}
