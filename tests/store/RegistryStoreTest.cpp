// The store keeps what it does not write and never leaves a file half written.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <filesystem>
#include <functional>

#include "store/AtomicFile.h"
#include "tests/store/RegistryFiles.h"
#include "tests/support/ScopedConfigHome.h"

namespace stela {
namespace {

using test::readFile;
using test::writeFile;

using Values = std::initializer_list<std::pair<const char*, const char*>>;

// The six values a port setup on COM3 writes, in its order.
const Values kPortSetup = {{"Port", "COM3"},  {"BaudRate", "19200"}, {"StopBits", "1"},
                           {"DataBits", "8"}, {"Parity", "None"},    {"FlowControl", "None"}};

// Writes the values under the port's key and commits them: 0 or the errno.
int save(Values values) {
    RegistryKey key(RegistryRoot::LocalMachine, "Software\\ORVENA\\ComPort");
    for (const auto& [name, value] : values) {
        key.writeString(name, value);
    }
    return key.commit();
}

std::string crlf(std::string text) {
    for (std::size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 2)) {
        text.insert(at, "\r");
    }
    return text;
}

// Exit status of `body` run in a child process; -1 when it did not exit.
int inChild(const std::function<int()>& body) {
    const pid_t pid = fork();
    if (pid == 0) {
        _exit(body());
    }
    int status = 0;
    return waitpid(pid, &status, 0) == pid && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class RegistryStoreTest : public ::testing::Test {
protected:
    RegistryStoreTest() { std::filesystem::create_directories(registryDirectory()); }
    test::ScopedConfigHome home;
    std::string path = test::registryFile(RegistryRoot::LocalMachine);
};

// A hand-edited file: CRLF line ends, comments, spacing, hex values over several
// lines, our key spelled in lower case and no line end at the very end.
const char kBeforeOurKey[] =
    "Windows Registry Editor Version 5.00\n"
    "; written by hand\n"
    "[HKEY_LOCAL_MACHINE\\Software\\Other]\n"
    "\"Blob\"=hex:01,02,\\\n"
    "    03,ff\n"
    "  \"Spaced\"  =  \"a \\\"quoted\\\" \\\\ text\"   \n"
    "@=dword:0000002A\n"
    "\n";
const char kAfterOurKey[] =
    "; after the values\n"
    "\n"
    "[HKEY_CURRENT_USER\\Software\\Elsewhere]\n"
    "\"Port\"=\"COM9\"";
const std::string kHandEdited = crlf(std::string(kBeforeOurKey) +
                                     "[hkey_local_machine\\software\\orvena\\comport]\n"
                                     "\"port\" = \"COM1\"\n"
                                     "\"Mine\"=hex(2):41,00,00,00\n" +
                                     kAfterOurKey);

TEST_F(RegistryStoreTest, SavesChangeOnlyTheirValuesAndAddNoneTwice) {
    writeFile(path, kHandEdited);
    EXPECT_EQ(save(kPortSetup), 0);
    std::string expected = crlf(std::string(kBeforeOurKey) +
                                "[hkey_local_machine\\software\\orvena\\comport]\n"
                                "\"port\"=\"COM3\"\n"
                                "\"Mine\"=hex(2):41,00,00,00\n"
                                "\"BaudRate\"=\"19200\"\n"
                                "\"StopBits\"=\"1\"\n"
                                "\"DataBits\"=\"8\"\n"
                                "\"Parity\"=\"None\"\n"
                                "\"FlowControl\"=\"None\"\n" +
                                kAfterOurKey);
    EXPECT_EQ(readFile(path), expected);

    EXPECT_EQ(save({{"Parity", "Even"}, {"FlowControl", "Hardware"}}), 0);
    expected.replace(expected.find("\"None\""), 6, "\"Even\"");
    expected.replace(expected.find("\"None\""), 6, "\"Hardware\"");
    EXPECT_EQ(readFile(path), expected);
}

TEST_F(RegistryStoreTest, FileItCannotReadIsNeverOverwritten) {
    const char* unreadable[] = {
        "REGEDIT5\n\n[HKEY_LOCAL_MACHINE\\Software]\n",
        "\xFF\xFEW",                                                  // a UTF-16 export cut short
        "Windows Registry Editor Version 5.00\n\"Port\"=\"COM1\"\n",  // value outside a key
        "Windows Registry Editor Version 5.00\n[HKEY_LOCAL_MACHINE\\A]\n\"Port\"=\"COM1\n",
        "Windows Registry Editor Version 5.00\n[HKEY_LOCAL_MACHINE\\A]\n\"P\"=\"a\\qb\"\n",
        "Windows Registry Editor Version 5.00\n[HKEY_LOCAL_MACHINE\\A]\n\"N\"=dword:123456789\n",
        "Windows Registry Editor Version 5.00\n[HKEY_LOCAL_MACHINE\\A]\n\"N\"=dword:\n",
        "Windows Registry Editor Version 5.00\n[HKEY_LOCAL_MACHINE\\A]\n\"B\"=hex:01,zz\n",
        "Windows Registry Editor Version 5.00\n[HKEY_LOCAL_MACHINE\\A]\n\"B\"=hex:01,\\\n",
        "Windows Registry Editor Version 5.00\n[HKEY_LOCAL_MACHINE\\A]\n\"B\"=hex(x):01\n",
        "Windows Registry Editor Version 5.00\n[HKEY_LOCAL_MACHINE\\A\n",
        "Windows Registry Editor Version 5.00\n[]\n",
        "Windows Registry Editor Version 5.00\n[HKEY_LOCAL_MACHINE\\A]\nPort=COM1\n",
        "Windows Registry Editor Version 5.00\n[HKEY_LOCAL_MACHINE\\A]\n\"P\"=\"a\rb\"\n",
    };
    for (const std::string text : unreadable) {
        writeFile(path, text);
        EXPECT_EQ(save(kPortSetup), EBADMSG) << text;
        EXPECT_EQ(readFile(path), text);
    }
    RegistryKey key(RegistryRoot::LocalMachine, "Software\\ORVENA\\ComPort");
    key.writeString("Port", "COM3");
    writeFile(path, "Windows Registry Editor Version 5.00\n[A]\n\n\"Port\"=COM1\n");
    EXPECT_EQ(key.commit(), EBADMSG);
    EXPECT_EQ(key.failure().kind, StoreFailure::Kind::Unreadable);
    EXPECT_EQ(key.failure().path, path);
    EXPECT_EQ(key.failure().parse.line, 4);
}

// A FIFO or a folder in the file's place would hang a reader or be no file to
// replace: refused at once, and the next save is not kept waiting either.
TEST_F(RegistryStoreTest, SomethingElseThanAFileInItsPlaceIsRefusedAtOnce) {
    ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
    for (int attempt = 0; attempt < 2; ++attempt) {
        RegistryKey key(RegistryRoot::LocalMachine, "Software\\ORVENA\\ComPort");
        key.writeString("Port", "COM3");
        EXPECT_EQ(key.commit(), kNotARegularFile);
        EXPECT_EQ(key.failure().kind, StoreFailure::Kind::NotRegularFile);
        EXPECT_EQ(key.failure().path, path);
    }
    std::filesystem::remove(path);
    std::filesystem::create_directory(path);
    EXPECT_EQ(save(kPortSetup), kNotARegularFile);
    EXPECT_TRUE(std::filesystem::is_directory(path));
}

// A settings file kept in a dotfiles folder stays a link; the file it points
// to is replaced, with its mode. A file its owner may not write stays as it is.
TEST_F(RegistryStoreTest, ALinkIsFollowedAndAFilesModeKept) {
    const std::string dotfiles = home.path() + "/dotfiles";
    std::filesystem::create_directories(dotfiles + "/stela");
    writeFile(dotfiles + "/stela/local.reg", kHandEdited);
    chmod((dotfiles + "/stela/local.reg").c_str(), 0640);
    std::filesystem::create_symlink(dotfiles + "/stela", dotfiles + "/current");
    std::filesystem::create_symlink("../../dotfiles/current/local.reg", path);

    EXPECT_EQ(save(kPortSetup), 0);
    EXPECT_TRUE(std::filesystem::is_symlink(path));
    EXPECT_NE(readFile(dotfiles + "/stela/local.reg").find("\"port\"=\"COM3\""), std::string::npos);
    struct stat info {};
    ASSERT_EQ(stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    EXPECT_FALSE(std::filesystem::exists(dotfiles + "/stela/local.reg.tmp"));

    chmod((dotfiles + "/stela/local.reg").c_str(), 0444);
    const std::string before = readFile(path);
    RegistryKey key(RegistryRoot::LocalMachine, "Software\\ORVENA\\ComPort");
    key.writeString("Port", "COM4");
    EXPECT_EQ(key.commit(), EACCES);
    EXPECT_EQ(key.failure().kind, StoreFailure::Kind::ReadOnlyFile);
    EXPECT_EQ(key.failure().path, dotfiles + "/stela/local.reg");
    EXPECT_EQ(readFile(path), before);
}

TEST_F(RegistryStoreTest, ReadOnlyFolderFailsWithTheOldFileWhole) {
    ASSERT_EQ(save(kPortSetup), 0);
    const std::string before = readFile(path);
    const std::string dirs[] = {home.path(), home.path() + "/stela", registryDirectory()};
    const int code = inChild([&] {
        // Root writes anywhere: drop to nobody, who may read the tree but not
        // write the folder.
        for (const std::string& dir : dirs) {
            chmod(dir.c_str(), 0555);
        }
        chmod(path.c_str(), 0644);
        if (geteuid() == 0 && (setresgid(65534, 65534, 65534) || setresuid(65534, 65534, 65534))) {
            return 99;
        }
        return save({{"Port", "COM4"}});
    });
    for (const std::string& dir : dirs) {
        chmod(dir.c_str(), 0700);
    }
    if (code == 99) {
        GTEST_SKIP() << "this sandbox does not let root become nobody";
    }
    EXPECT_EQ(code, EACCES);
    EXPECT_EQ(readFile(path), before);
}

TEST_F(RegistryStoreTest, FullDiskFailsWithTheOldFileWhole) {
    writeFile(path, kHandEdited);
    const int code = inChild([&] {
        // Writes past 64 bytes fail as on a full disk.
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{64, 64};
        setrlimit(RLIMIT_FSIZE, &limit);
        return save(kPortSetup);
    });
    EXPECT_EQ(code, EFBIG);
    EXPECT_EQ(readFile(path), kHandEdited);
    EXPECT_FALSE(std::filesystem::exists(path + ".tmp"));
}

TEST_F(RegistryStoreTest, CrashBeforeTheRenameLeavesTheOldFileAndNoTemporary) {
    writeFile(path, "old contents");
    writeFile(path + ".tmp", "left by an earlier crash");
    const int dirFd = open(registryDirectory().c_str(), O_RDONLY | O_DIRECTORY);
    ASSERT_GE(dirFd, 0);
    const RenameAtFunction crash = [](int, const char*, int, const char*) {
        errno = EIO;
        return -1;
    };
    EXPECT_EQ(replaceFileAt(dirFd, "HKEY_LOCAL_MACHINE.reg", "new contents", 0600, crash), EIO);
    EXPECT_EQ(readFile(path), "old contents");
    EXPECT_FALSE(std::filesystem::exists(path + ".tmp"));

    writeFile(path + ".tmp", "left by an earlier crash");
    EXPECT_EQ(replaceFileAt(dirFd, "HKEY_LOCAL_MACHINE.reg", "new contents", 0600), 0);
    EXPECT_EQ(readFile(path), "new contents");
    EXPECT_FALSE(std::filesystem::exists(path + ".tmp"));
    close(dirFd);
}

}  // namespace
}  // namespace stela
