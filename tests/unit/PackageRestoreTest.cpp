// The restore of a backup and the Device Console commands it runs.
#include "backup/PackageRestore.h"
#include "text/CodePage.h"

#include "BackupFixture.h"
#include "FakeRunner.h"

#include <gtest/gtest.h>

namespace {

const std::string kAdded = "Driver package 'oem0.inf' added.\r\n";
const std::string kFiles =
    "PCI\\VEN_8086&DEV_3E9B\\3&1\r\n    Name: Intel\r\n"
    "    Driver installed from C:\\Windows\\INF\\oem0.inf [s]. The driver is not using any files.\r\n"
    "1 matching device(s) found.\r\n";
const std::string kNodes = "PCI\\VEN_8086&DEV_3E9B\\3&1\r\n    Name: Intel\r\nDriver node #0:\r\n"
                           "    Inf file is C:\\Windows\\INF\\oem0.inf\r\n    Driver version is 26.20.100.7985\r\n"
                           "1 matching device(s) found.\r\n";

class Restore : public Backup {
protected:
    void SetUp() override {
        Backup::SetUp();
        const BackupOutcome outcome = Make().Backup(request_);
        folder_ = outcome.folder;
        manifest_ = *ParseManifest(disk_.files[folder_ + L"\\manifest.txt"]);
        // The package was deleted.
        disk_.files.erase(L"C:\\Windows\\INF\\oem12.inf");
    }

    // The store as the tool changes it: a dp_add publishes the package as oem0.inf.
    struct StoreRunner : ICommandRunner {
        StoreRunner(FakeRunner& inner, FakeBackupFiles& disk) : inner(inner), disk(disk) {}
        CommandOutcome RunConsoleCommand(const ConsoleCommand& command, std::string& output) override {
            const CommandOutcome outcome = inner.RunConsoleCommand(command, output);
            if (command.text.find(L"dp_add") != std::wstring::npos && output.find("added.") != std::string::npos)
                disk.files[L"C:\\Windows\\INF\\oem0.inf"] = kInf;
            return outcome;
        }
        FakeRunner& inner;
        FakeBackupFiles& disk;
    };

    RestoreResult Run(FakeRunner& runner) {
        StoreRunner store(runner, disk_);
        const DeviceConsole console(store, L"C:\\Tools", false);
        return RestoreBackup(disk_, console, folder_, manifest_);
    }

    std::wstring folder_;
    BackupManifest manifest_;
};

} // namespace

TEST_F(Restore, AddsByFullPathRescansMakesCurrentAndChecks) {
    FakeRunner runner({kAdded, "", "", kFiles, kNodes});
    const RestoreResult result = Run(runner);
    EXPECT_TRUE(result.success) << result.message;
    EXPECT_EQ(result.publishedName, "oem0.inf");
    EXPECT_TRUE(result.current);
    const std::wstring inf = L"\"" + folder_ + L"\\iigd_dch.inf_amd64_1c2b\\iigd_dch.inf\"";
    const std::wstring prefix = L".\\devcon.exe ";
    ASSERT_EQ(runner.commands.size(), 5u);
    EXPECT_EQ(runner.commands[0], prefix + L"dp_add " + inf);
    EXPECT_EQ(runner.commands[1], prefix + L"rescan");
    EXPECT_EQ(runner.commands[2], prefix + L"update " + inf + L" PCI\\VEN_8086^&DEV_3E9B");
}

TEST_F(Restore, RefusesABackupChangedByHand) {
    disk_.files[folder_ + L"\\iigd_dch.inf_amd64_1c2b\\sub\\igdkmd64.sys"] += "!";
    FakeRunner runner({});
    const RestoreResult result = Run(runner);
    EXPECT_FALSE(result.success);
    EXPECT_NE(result.message.find(L"igdkmd64.sys 已被修改"), std::wstring::npos);
    EXPECT_TRUE(runner.commands.empty());

    disk_.files[folder_ + L"\\iigd_dch.inf_amd64_1c2b\\sub\\igdkmd64.sys"].pop_back();
    disk_.files[folder_ + L"\\iigd_dch.inf_amd64_1c2b\\extra.dll"] = "added by hand";
    EXPECT_NE(Run(runner).message.find(L"清单之外"), std::wstring::npos);
    disk_.files.erase(folder_ + L"\\iigd_dch.inf_amd64_1c2b\\iigd_dch.cat");
    EXPECT_NE(Run(runner).message.find(L"备份缺少文件"), std::wstring::npos);
    EXPECT_TRUE(runner.commands.empty());
}

TEST_F(Restore, StopsWhenTheToolRefusesTheAdd) {
    FakeRunner refusing({"Adding the specified driver package to the machine failed.\r\ndevcon failed.\r\n"});
    const RestoreResult result = Run(refusing);
    EXPECT_FALSE(result.success);
    EXPECT_NE(result.message.find(L"Adding the specified driver package"), std::wstring::npos);
    EXPECT_EQ(refusing.commands.size(), 1u) << "nothing after a refused dp_add";

    // The interpreter's own complaint, in the console's code page, reads as written.
    FakeRunner missing({NarrowGbk(L"'.\\devcon.exe' 不是内部或外部命令，也不是可运行的程序\r\n或批处理文件。\r\n")});
    EXPECT_NE(Run(missing).message.find(L"不是内部或外部命令"), std::wstring::npos);
}

TEST_F(Restore, APackageBackAndCurrentChangesNothingOneBackButIdleIsMadeCurrent) {
    disk_.files[L"C:\\Windows\\INF\\oem0.inf"] = kInf;
    FakeRunner current({kFiles, kNodes});
    RestoreResult result = Run(current);
    EXPECT_TRUE(result.success) << result.message;
    EXPECT_FALSE(result.changed);
    EXPECT_NE(result.message.find(L"没有做任何改动"), std::wstring::npos);
    ASSERT_EQ(current.commands.size(), 2u) << "only the package query";

    FakeRunner idle({"", "", "", "", kFiles, kNodes});
    result = Run(idle);
    EXPECT_TRUE(result.success && result.alreadyInStore && result.current) << result.message;
    EXPECT_EQ(idle.commands[2], L".\\devcon.exe rescan") << "no dp_add";
    EXPECT_NE(result.message.find(L"没有重复添加"), std::wstring::npos);
}

TEST_F(Restore, APackageBackInTheStoreSucceedsAndAnUnpluggedDeviceIsAWarning) {
    FakeRunner runner({kAdded, "", "", "No matching devices found.\r\n", "No matching devices found.\r\n"});
    const RestoreResult result = Run(runner);
    EXPECT_TRUE(result.success) << result.message;
    EXPECT_FALSE(result.current);
    EXPECT_NE(result.warning.find(L"没有列出这个驱动包"), std::wstring::npos);
}

TEST_F(Restore, AnAddTheStoreDoesNotShowIsAFailure) {
    FakeRunner runner({"Driver package 'oem5.inf' added.\r\n"});
    const RestoreResult result = Run(runner);
    EXPECT_FALSE(result.success);
    EXPECT_NE(result.message.find(L"驱动库中没有这个驱动包"), std::wstring::npos);
}

TEST_F(Restore, APathThatWouldExpandGoesByItsShortNameOrIsRefused) {
    const std::wstring old = folder_;
    folder_ = L"C:\\Backups\\%OS% 备份";
    disk_.Rename(old, folder_);
    FakeRunner refused({});
    EXPECT_NE(Run(refused).message.find(L"%"), std::wstring::npos);
    EXPECT_TRUE(refused.commands.empty());

    disk_.shortNames[folder_ + L"\\iigd_dch.inf_amd64_1c2b\\iigd_dch.inf"] = L"C:\\BACKUPS\\OS~1\\IIGD~1.INF";
    FakeRunner runner({kAdded, "", "", kFiles, kNodes});
    EXPECT_TRUE(Run(runner).success);
    EXPECT_EQ(runner.commands[0], L".\\devcon.exe dp_add \"C:\\BACKUPS\\OS~1\\IIGD~1.INF\"");
}
