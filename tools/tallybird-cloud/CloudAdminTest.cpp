#include "CloudAdmin.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct AdminRun {
    int status;
    QString out;
    QString err;
};

class CloudAdminTest : public ::testing::Test {
protected:
    AdminRun run(QStringList arguments) {
        arguments.prepend(dir.filePath("container.sqlite"));
        arguments.prepend("--cloud");
        QString out;
        QString err;
        QTextStream outStream(&out);
        QTextStream errStream(&err);
        const int status = runCloudAdmin(arguments, outStream, errStream);
        outStream.flush();
        errStream.flush();
        return {status, out, err};
    }

    QTemporaryDir dir;
};

TEST_F(CloudAdminTest, BadArgumentsExitWithTwoAndSayWhy) {
    const QStringList cases[] = {
        {},
        {"bogus"},
        {"create-user"},
        {"sign-in", "/tmp/device"},
        {"share", "ann", "TB-1", "bob", "sometimes"},
        {"fault", "abc"},
        {"fault", "--times", "x", "14"},
        {"offline"},
    };
    for (const QStringList& arguments : cases) {
        const AdminRun result = run(arguments);
        EXPECT_EQ(result.status, 2) << arguments.join(' ').toStdString();
        EXPECT_FALSE(result.err.isEmpty()) << arguments.join(' ').toStdString();
    }
}

TEST_F(CloudAdminTest, UsersAndDevicesAreKeptInTheContainer) {
    ASSERT_EQ(run({"create-user", "ann", "Ann", "Lee"}).status, 0);
    const QString device = dir.filePath("profile-a");
    ASSERT_EQ(run({"sign-in", device, "ann"}).status, 0);
    ASSERT_EQ(run({"offline", device}).status, 0);

    const AdminRun users = run({"users"});
    EXPECT_TRUE(users.out.contains("ann\tAnn Lee")) << users.out.toStdString();
    const AdminRun devices = run({"devices"});
    EXPECT_TRUE(devices.out.contains("ann\toffline")) << devices.out.toStdString();

    ASSERT_EQ(run({"online", device}).status, 0);
    ASSERT_EQ(run({"sign-out", device}).status, 0);
    EXPECT_FALSE(run({"devices"}).out.contains("ann\t"));
}

TEST_F(CloudAdminTest, RefusalsExitWithOne) {
    ASSERT_EQ(run({"create-user", "ann"}).status, 0);
    ASSERT_EQ(run({"create-user", "bob"}).status, 0);
    // Nobody saved that zone, so it cannot be shared.
    const AdminRun share = run({"share", "ann", "TB-1", "bob", "read-only"});
    EXPECT_EQ(share.status, 1);
    EXPECT_TRUE(share.err.contains("26")) << share.err.toStdString();
    EXPECT_EQ(run({"sign-in", dir.filePath("p"), "nobody"}).status, 1);
}

TEST_F(CloudAdminTest, UnreadableContainerIsAnErrorNotACrash) {
    QFile file(dir.filePath("container.sqlite"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(4096, '\x5a'));
    file.close();
    const AdminRun result = run({"users"});
    EXPECT_EQ(result.status, 1);
    EXPECT_FALSE(result.err.isEmpty());
}

} // namespace
