// hwport32d: the privileged half of libhwport32. It performs the library's
// device-control requests for the one user who started it, or, as the system
// service, for the members of a group.
//
//   hwport32d --device NAME [--virtual] [--foreground] [--idle-exit SECONDS]
//   hwport32d --system [--device NAME] [--group NAME] [--virtual] [--foreground]
//
// HWPORT32_VIRTUAL=1 selects the virtual bus as --virtual does;
// HWPORT32_VIRTUAL_LPT sets its BIOS parallel-port table ("0x378,0,0x278");
// HWPORT32_IDLE_EXIT ends the service after that many seconds without clients.
// A number that is not whole or lies outside its range ends it with status 2,
// as a wrong option does.
#include "CommandLine.h"
#include "LinuxBackend.h"
#include "Privilege.h"
#include "Server.h"
#include "VirtualBus.h"

#include "protocol/Protocol.h"

#include <fcntl.h>
#include <grp.h>
#include <sys/socket.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

namespace {

volatile int stopRequested = 0;

void onSignal(int) { stopRequested = 1; }

constexpr int readyTimeoutMs = 5000;

bool flagSet(const char* name) { return hwport::service::flagSet(std::getenv, name); }

int usage()
{
    std::fprintf(stderr, "usage: hwport32d --device NAME [--virtual] [--foreground] [--idle-exit SECONDS]\n"
                         "       hwport32d --system [--device NAME] [--group NAME] [--virtual] [--foreground]\n");
    return 2;
}

// The listening socket the service manager passed (the first one, at 3).
int inheritedSocket(int listenFds)
{
    if (listenFds < 1)
        return -1;
    unsetenv("LISTEN_PID");
    unsetenv("LISTEN_FDS");
    unsetenv("LISTEN_FDNAMES");
    int type = 0;
    socklen_t length = sizeof type;
    if (getsockopt(3, SOL_SOCKET, SO_TYPE, &type, &length) != 0 || type != SOCK_SEQPACKET)
        return -1;
    return 3;
}

// The first process stays until the service listens, so that whoever started
// it can connect as soon as it returns.
int detach(int& readyWrite)
{
    int ready[2];
    if (pipe2(ready, O_CLOEXEC) != 0)
        return -1;
    const pid_t child = fork();
    if (child < 0)
        return -1;
    if (child > 0) {
        ::close(ready[1]);
        pollfd pfd{ready[0], POLLIN, 0};
        char status = 1;
        if (poll(&pfd, 1, readyTimeoutMs) <= 0 || ::read(ready[0], &status, 1) != 1)
            status = 1;
        std::_Exit(status);
    }
    ::close(ready[0]);
    readyWrite = ready[1];
    setsid();
    if (chdir("/") != 0) {
    }
    const int null = open("/dev/null", O_RDWR | O_CLOEXEC);
    if (null >= 0) {
        dup2(null, STDIN_FILENO);
        dup2(null, STDOUT_FILENO);
        if (!flagSet("HWPORT32_DEBUG"))
            dup2(null, STDERR_FILENO);
        ::close(null);
    }
    return 0;
}

void tellStarter(int& readyWrite, char status)
{
    if (readyWrite >= 0) {
        (void)!::write(readyWrite, &status, 1);
        ::close(readyWrite);
        readyWrite = -1;
    }
}

}  // namespace

int main(int argc, char** argv)
{
    using namespace hwport;
    service::CommandLine line;
    std::string problem;
    switch (service::parseCommandLine(argc, argv, std::getenv, line, problem)) {
    case service::Parsed::Ok:
        break;
    case service::Parsed::Usage:
        return usage();
    case service::Parsed::BadNumber:
        std::fprintf(stderr, "hwport32d: %s\n", problem.c_str());
        return 2;
    }
    service::ServerOptions options;
    options.device = line.device;
    options.idleExitSeconds = line.idleExitSeconds;
    const bool system = line.system;
    const bool virtualBus = line.virtualBus;
    bool foreground = line.foreground;
    if (system) {
        // Started by the service manager as root: nobody else's ids to serve.
        if (getuid() != geteuid()) {
            std::fprintf(stderr, "hwport32d: --system is not for a set-user-ID copy\n");
            return 1;
        }
        const struct group* members = getgrnam(line.group.c_str());
        if (members == nullptr) {
            std::fprintf(stderr, "hwport32d: no group %s\n", line.group.c_str());
            return 1;
        }
        options.admittedGroup = members->gr_gid;
        options.inheritedSocket = inheritedSocket(line.listenFds);
        foreground = true;  // the service manager keeps it
    }
    // Descriptors of whoever started us (a test runner's pipes, say) must not
    // stay open for the life of a detached service.
    if (!foreground)
        close_range(3, ~0u, 0);

    // The user who started us, even when installed set-user-ID root.
    options.allowedUid = getuid();
    bool keepRoot = !virtualBus;
#ifdef HWPORT32_TEST_HOOKS
    // Test build: the virtual bus stands in for hardware that needs root.
    keepRoot = keepRoot || flagSet("HWPORT32_TEST_KEEP_ROOT");
#endif
    if (!keepRoot && geteuid() != getuid() && !service::privilege::dropForGood()) {
        // The virtual bus needs no privilege; do not keep it.
        std::fprintf(stderr, "hwport32d: cannot drop privileges\n");
        return 1;
    }
    // The folder is taken from the environment even when set-user-ID: the
    // service works in it with the user's ids only, and accepts it only when
    // it is the user's own with mode 0700.
    options.runtimeDir = system ? protocol::systemRuntimeDir() : protocol::runtimeDir();

    std::unique_ptr<service::Backend> backend;
    if (virtualBus) {
        auto bus = std::make_unique<service::VirtualBus>(line.parallelTable);
        if (!bus->ready()) {
            std::fprintf(stderr, "hwport32d: cannot create the virtual memory\n");
            return 1;
        }
        backend = std::move(bus);
    } else {
        auto machine = std::make_unique<service::LinuxBackend>();
        if (!machine->problem().empty()) {
            std::fprintf(stderr, "hwport32d: %s\n", machine->problem().c_str());
            return 1;
        }
        backend = std::move(machine);
    }
    // Port access is granted by now; root is taken back only to open devices.
    if (!service::privilege::lowerToUser()) {
        std::fprintf(stderr, "hwport32d: cannot drop privileges\n");
        return 1;
    }

    // Someone already serves this device: the starter can connect right away.
    if (options.inheritedSocket < 0 &&
        service::Server::answers(protocol::socketPath(options.runtimeDir, options.device)))
        return 0;

    int readyWrite = -1;
    if (!foreground && detach(readyWrite) != 0) {
        std::fprintf(stderr, "hwport32d: cannot detach\n");
        return 1;
    }

    sigset_t blocked;
    sigemptyset(&blocked);
    sigaddset(&blocked, SIGTERM);
    sigaddset(&blocked, SIGINT);
    sigaddset(&blocked, SIGHUP);
    sigprocmask(SIG_BLOCK, &blocked, nullptr);
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGHUP, &action, nullptr);
    signal(SIGPIPE, SIG_IGN);

    service::Server server(options, *backend);
    bool alreadyRunning = false;
    if (!server.listen(problem, alreadyRunning)) {
        // Someone else serves this device already: the starter can connect.
        tellStarter(readyWrite, alreadyRunning ? 0 : 1);
        if (!alreadyRunning)
            std::fprintf(stderr, "hwport32d: %s\n", problem.c_str());
        return alreadyRunning ? 0 : 1;
    }
    tellStarter(readyWrite, 0);
    server.run(stopRequested);
    return 0;
}
