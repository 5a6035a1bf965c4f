// How the service comes up: the folder it accepts, the socket node it makes
// (never changed by path afterwards, so a link swapped in cannot hand over
// another file), the per-user fall-back folder, and the system service that
// the library tries first.
#include "ServiceFixture.h"
#include "hwport32.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <pwd.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

namespace hwport::testing {
namespace {

namespace p = protocol;
namespace fs = std::filesystem;

constexpr uid_t nobody = 65534;

struct Connection {
    HwPort32Connection* c = OpenHWPORT32(nullptr, driverName, deviceName);
    ~Connection()
    {
        CloseHWPORT32(c);
        std::free(c);
    }
    operator HwPort32Connection*() const { return c; }
};

std::string makeTempDir(const char* stem)
{
    std::string pattern = std::string("/tmp/") + stem + "-XXXXXX";
    return mkdtemp(pattern.data()) != nullptr ? pattern : std::string();
}

// Runs the detached service with the given runtime folder; its exit status
// tells whether it listens (0) or refused (1).
int startStatus(const std::string& runtimeDir, const char* device)
{
    const pid_t child = fork();
    if (child == 0) {
        setenv("XDG_RUNTIME_DIR", runtimeDir.c_str(), 1);
        execl(HWPORT32D_PATH, HWPORT32D_PATH, "--device", device, "--virtual", "--idle-exit", "5",
              static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void stopByPidFile(const std::string& pidFile)
{
    std::ifstream in(pidFile);
    pid_t pid = 0;
    if (in >> pid && pid > 1) {
        kill(pid, SIGTERM);
        for (int i = 0; i < 500 && kill(pid, 0) == 0; ++i) {
            waitpid(pid, nullptr, WNOHANG);
            usleep(10000);
        }
    }
}

// A per-user runtime folder is accepted only as the user's own with mode 0700.
TEST(StartUp, RuntimeFolderMustBeTheUsersOwnWithMode0700)
{
    const std::string parent = makeTempDir("hwport-folders");
    ASSERT_FALSE(parent.empty());
    struct Case {
        const char* name;
        mode_t mode;
        bool otherOwner;  // root only
        bool link;
        int status;
    };
    const Case cases[] = {
        {"own0700", 0700, false, false, 0},  {"own0755", 0755, false, false, 1},  {"own0710", 0710, false, false, 1},
        {"own0777", 0777, false, false, 1},  {"own1700", 01700, false, false, 1}, {"link", 0700, false, true, 1},
        {"other0700", 0700, true, false, 1},
    };
    for (const Case& c : cases) {
        if (c.otherOwner && geteuid() != 0) {
            continue;
        }
        const std::string dir = parent + "/" + c.name;
        std::string target = dir;
        if (c.link) {
            target = dir + "-target";
            ASSERT_EQ(symlink(target.c_str(), dir.c_str()), 0);
        }
        ASSERT_EQ(mkdir(target.c_str(), 0700), 0);
        ASSERT_EQ(chmod(target.c_str(), c.mode), 0);
        if (c.otherOwner) {
            ASSERT_EQ(chown(target.c_str(), nobody, nobody), 0);
        }
        EXPECT_EQ(startStatus(dir, c.name), c.status) << c.name;
        const std::string socket = p::socketPath(target, c.name);
        EXPECT_EQ(access(socket.c_str(), F_OK) == 0, c.status == 0) << c.name;
        stopByPidFile(p::pidPath(target, c.name));
    }
    fs::remove_all(parent);
}

// Without a session folder the fall-back lies in the home, where another
// user cannot make it first; a folder someone made in /tmp changes nothing.
class FallbackFolder : public ServiceTest {
protected:
    void SetUp() override
    {
        ServiceTest::SetUp();
        if (access(("/run/user/" + std::to_string(getuid())).c_str(), F_OK) == 0)
            GTEST_SKIP() << "a login session folder exists here; the fall-back is not used";
        home_ = makeTempDir("hwport-home");
        ASSERT_FALSE(home_.empty());
        if (const char* old = std::getenv("HOME"))
            oldHome_ = old;
        setenv("HOME", home_.c_str(), 1);
        unsetenv("XDG_RUNTIME_DIR");
        fs::remove_all(runtimeDir_);
        runtimeDir_ = home_ + "/.cache/hwport32";
    }
    void TearDown() override
    {
        ServiceTest::TearDown();
        setenv("HOME", oldHome_.c_str(), 1);
        std::error_code ignored;
        fs::remove_all(home_, ignored);
        if (!squatted_.empty())
            fs::remove_all(squatted_, ignored);
    }
    std::string home_;
    std::string oldHome_;
    std::string squatted_;
};

TEST_F(FallbackFolder, AFolderPreCreatedInTmpDoesNotBlockTheService)
{
    EXPECT_EQ(p::runtimeDir(), runtimeDir_);
    const std::string inTmp = "/tmp/hwport32-" + std::to_string(getuid());
    if (mkdir(inTmp.c_str(), 0777) == 0) {
        // Made as another user would: open to all, owned by someone else.
        squatted_ = inTmp;
        chmod(inTmp.c_str(), 0777);
        if (geteuid() == 0) {
            ASSERT_EQ(chown(inTmp.c_str(), nobody, nobody), 0);
        }
    }
    {
        Connection c;
        ASSERT_EQ(GetActiveHW(c), 1u) << "the service did not start in " << runtimeDir_;
        SetPortByte(c, 0x301, 0x5A);
        EXPECT_EQ(GetPortByte(c, 0x301), 0x5A);
    }
    struct stat folder {};
    ASSERT_EQ(lstat(runtimeDir_.c_str(), &folder), 0);
    EXPECT_EQ(folder.st_uid, getuid());
    EXPECT_EQ(folder.st_mode & 07777, 0700u);
    EXPECT_EQ(access(socketPath().c_str(), F_OK), 0);
    if (!squatted_.empty()) {
        EXPECT_NE(access(p::socketPath(inTmp, deviceName).c_str(), F_OK), 0);
    }
}

// A user made for the test, removed again when the test made it.
class TestUser {
public:
    static constexpr const char* name = "hwport32race";
    TestUser()
    {
        if (getpwnam(name) == nullptr) {
            const int status = std::system("useradd --system --no-create-home --user-group "
                                           "--shell /usr/sbin/nologin hwport32race >/dev/null 2>&1");
            created_ = status == 0;
        }
        if (const passwd* entry = getpwnam(name)) {
            uid = entry->pw_uid;
            gid = entry->pw_gid;
        }
    }
    ~TestUser()
    {
        if (created_)
            (void)!std::system("userdel hwport32race >/dev/null 2>&1");
    }
    bool exists() const { return uid != uid_t(-1) && uid != 0; }
    uid_t uid = uid_t(-1);
    gid_t gid = gid_t(-1);

private:
    bool created_ = false;
};

bool readByte(int fd, int timeoutMs)
{
    pollfd pfd{fd, POLLIN, 0};
    char byte = 0;
    return poll(&pfd, 1, timeoutMs) == 1 && ::read(fd, &byte, 1) == 1;
}

// The service runs as root for a user (as a set-user-ID copy would), pauses
// right after bind(), and the test swaps the socket path for a link to a
// file of root's. Whatever the service does next, the file must stay root's.
TEST(StartUp, SocketSwappedForALinkDuringStartUpHandsNothingOver)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "needs root: the race is the one of a service that runs as root for a user";
    TestUser user;
    if (!user.exists())
        GTEST_SKIP() << "cannot create the test user " << TestUser::name << " (useradd failed)";

    const std::string parent = makeTempDir("hwport-race");
    ASSERT_FALSE(parent.empty());
    ASSERT_EQ(chmod(parent.c_str(), 0755), 0);
    const std::string runtime = parent + "/run";
    ASSERT_EQ(mkdir(runtime.c_str(), 0700), 0);
    ASSERT_EQ(chown(runtime.c_str(), user.uid, user.gid), 0);
    const std::string target = parent + "/root-file";
    {
        std::ofstream(target) << "root's\n";
    }
    ASSERT_EQ(chmod(target.c_str(), 0644), 0);

    for (const bool swap : {false, true}) {
        SCOPED_TRACE(swap ? "swapped for a link" : "left alone");
        int told[2], go[2];
        ASSERT_EQ(pipe(told), 0);
        ASSERT_EQ(pipe(go), 0);
        const pid_t service = fork();
        ASSERT_GE(service, 0);
        if (service == 0) {
            ::close(told[0]);
            ::close(go[1]);
            const std::string fds = std::to_string(told[1]) + "," + std::to_string(go[0]);
            setenv("HWPORT32_TEST_PAUSE_AFTER_BIND", fds.c_str(), 1);
            setenv("HWPORT32_TEST_KEEP_ROOT", "1", 1);
            setenv("HWPORT32_IDLE_EXIT", "30", 1);  // gone by itself should the test stop early
            setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
            // The leak checker cannot stop the threads of a process whose ids
            // changed (it is no longer dumpable, as it should be).
            const char* asan = std::getenv("ASAN_OPTIONS");
            const std::string options = (asan != nullptr ? std::string(asan) + ":" : std::string()) + "detect_leaks=0";
            setenv("ASAN_OPTIONS", options.c_str(), 1);
            // Real ids of the user, effective and saved ids root's.
            if (setgroups(0, nullptr) != 0 || setresgid(user.gid, user.gid, user.gid) != 0 ||
                setresuid(user.uid, 0, 0) != 0)
                _exit(126);
            execl(HWPORT32D_TESTHOOKS_PATH, HWPORT32D_TESTHOOKS_PATH, "--device", "race", "--virtual", "--foreground",
                  static_cast<char*>(nullptr));
            _exit(127);
        }
        ::close(told[1]);
        ::close(go[0]);
        const bool bound = readByte(told[0], 10000);
        const std::string socket = p::socketPath(runtime, "race");
        struct stat node {};
        if (bound) {
            // Made with its final owner and mode: nothing to change by path.
            ASSERT_EQ(lstat(socket.c_str(), &node), 0);
            EXPECT_TRUE(S_ISSOCK(node.st_mode));
            EXPECT_EQ(node.st_uid, user.uid);
            EXPECT_EQ(node.st_mode & 0777, 0600u);
            if (swap) {
                const std::string link = runtime + "/link";
                ASSERT_EQ(symlink(target.c_str(), link.c_str()), 0);
                ASSERT_EQ(rename(link.c_str(), socket.c_str()), 0);
            }
        }
        (void)!::write(go[1], "g", 1);
        ::close(go[1]);
        ::close(told[0]);
        int status = 0;
        if (bound && !swap) {
            // It listens as the user; the pid file is the user's too.
            EXPECT_TRUE(waitForFile(p::pidPath(runtime, "race"), 5000));
            ASSERT_EQ(lstat(p::pidPath(runtime, "race").c_str(), &node), 0);
            EXPECT_EQ(node.st_uid, user.uid);
            kill(service, SIGTERM);
        }
        waitpid(service, &status, 0);
        ASSERT_TRUE(bound) << "the service did not reach bind() (status " << status << ")";
        if (swap)
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << "a replaced socket is refused";
        else
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

        struct stat file {};
        ASSERT_EQ(stat(target.c_str(), &file), 0);
        EXPECT_EQ(file.st_uid, 0u) << "the file behind the link changed owner";
        EXPECT_EQ(file.st_gid, 0u);
        EXPECT_EQ(file.st_mode & 07777, 0644u) << "the file behind the link changed mode";
        unlink(socket.c_str());
    }
    fs::remove_all(parent);
}

// The library looks for the system service first, unless the virtual bus is
// chosen, which is always the user's own.
TEST_F(ServiceTest, LibraryTriesTheSystemServiceFirst)
{
    const std::string systemDir = makeTempDir("hwport-system");
    ASSERT_FALSE(systemDir.empty());
    setenv("HWPORT32_SYSTEM_DIR", systemDir.c_str(), 1);
    const pid_t system = fork();
    ASSERT_GE(system, 0);
    if (system == 0) {
        execl(HWPORT32D_PATH, HWPORT32D_PATH, "--system", "--group", "root", "--virtual", static_cast<char*>(nullptr));
        _exit(127);
    }
    // Ended however the test ends: it holds the test's output open.
    struct Ender {
        pid_t pid;
        ~Ender()
        {
            if (pid > 0 && kill(pid, SIGKILL) == 0)
                waitpid(pid, nullptr, 0);
        }
    } ender{system};
    const std::string systemSocket = p::socketPath(systemDir, deviceName);
    bool listening = false;
    for (int waited = 0; waited < 10000 && !listening; waited += 20) {
        listening = RawClient(systemSocket).connected();
        if (!listening)
            usleep(20000);
    }
    ASSERT_TRUE(listening) << "the system service does not listen";
    struct stat node {};
    ASSERT_EQ(lstat(systemSocket.c_str(), &node), 0);
    EXPECT_EQ(node.st_mode & 0777, 0660u) << "the group may connect";
    if (geteuid() == 0) {
        EXPECT_EQ(node.st_gid, 0u);
    }

    unsetenv("HWPORT32_VIRTUAL");
    {
        Connection c;
        ASSERT_EQ(GetActiveHW(c), 1u);
        SetPortByte(c, 0x302, 0x3C);
        EXPECT_EQ(GetPortByte(c, 0x302), 0x3C);
    }
    EXPECT_NE(access(socketPath().c_str(), F_OK), 0) << "no service of our own was started";

    if (geteuid() == 0) {
        // Someone outside the group is turned away at the greeting.
        const pid_t outsider = fork();
        if (outsider == 0) {
            if (setgroups(0, nullptr) != 0 || setgid(nobody) != 0 || setuid(nobody) != 0)
                _exit(126);
            RawClient raw(systemSocket);
            _exit(raw.connected() && raw.hello() ? 1 : 0);
        }
        int status = 0;
        waitpid(outsider, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "nobody was admitted";
    }

    setenv("HWPORT32_VIRTUAL", "1", 1);
    {
        Connection c;
        ASSERT_EQ(GetActiveHW(c), 1u);
        EXPECT_EQ(GetPortByte(c, 0x302), 0) << "the virtual bus of our own, not the system's";
    }
    EXPECT_EQ(access(socketPath().c_str(), F_OK), 0);

    kill(system, SIGTERM);
    int status = 0;
    waitpid(system, &status, 0);
    ender.pid = -1;
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_NE(access(systemSocket.c_str(), F_OK), 0) << "the system service removes its socket";
    unsetenv("HWPORT32_SYSTEM_DIR");
    fs::remove_all(systemDir);
}

}  // namespace
}  // namespace hwport::testing
