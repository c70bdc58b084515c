// Which container a profile syncs through when the command line names none: the cloud setting,
// shared by the program and the command line, else the shared file.
#include "ProcessTestSupport.h"

#include "cloud/Container.h"

namespace {

class CloudSetting : public ProcessTest {
protected:
    // The program as a desktop launcher starts it: without --cloud.
    Typed runWithoutCloud(const QStringList& words) {
        QProcess process;
        process.start(QStringLiteral(TALLYBIRD_EXECUTABLE),
                      QStringList{"--profile", dir.path()} + words);
        process.closeWriteChannel();
        EXPECT_TRUE(process.waitForFinished(60'000));
        return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
                QString::fromUtf8(process.readAllStandardError())};
    }
    qsizetype zonesIn(const QString& container) {
        auto opened = cloud::Container::openFile(container);
        EXPECT_TRUE(opened.ok());
        auto zones = opened.value()->zones();
        return zones.ok() ? zones.value().size() : -1;
    }
};

TEST_F(CloudSetting, TheSettingNamesTheContainerAndTheCommandLineWinsOverIt) {
    const QString setting = dir.filePath(QStringLiteral("from-setting.sqlite"));
    FileDefaults(QDir(dir.path()).filePath(QStringLiteral("defaults.json")))
        .setString(QStringLiteral("cloudContainer"), setting);
    ASSERT_EQ(runWithoutCloud({"start", "Packing"}).code, 0);
    EXPECT_EQ(zonesIn(setting), 1);

    // --cloud names another container for this run; the setting's gets nothing new.
    ASSERT_EQ(run({"start", "Groceries"}).code, 0);
    EXPECT_EQ(zonesIn(setting), 1);
    EXPECT_GE(zonesIn(cloudFile()), 1);
}

} // namespace
