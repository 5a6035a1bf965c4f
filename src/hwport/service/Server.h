// The service's socket, its clients and the requests they send.
#pragma once

#include "Backend.h"
#include "Client.h"

#include <sys/types.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace hwport::service {

struct ServerOptions {
    std::string runtimeDir;
    std::string device;
    uid_t allowedUid = 0;
    // System service: members of this group are admitted too, and the socket
    // is made readable and writable for the group. -1: only allowedUid.
    gid_t admittedGroup = gid_t(-1);
    // A socket handed over by the service manager, already listening.
    int inheritedSocket = -1;
    int idleExitSeconds = 0;  // 0: run until told to stop
};

class Server final : public EventSink {
public:
    Server(ServerOptions options, Backend& backend);
    ~Server() override;

    // True when a service listens on path.
    static bool answers(const std::string& path);
    // Creates the socket and the pid file. Returns false with a reason.
    // alreadyRunning is set when another service answers on the socket.
    bool listen(std::string& problem, bool& alreadyRunning);
    // Runs until stop is set or the idle time ran out.
    void run(const volatile int& stop);

    // Whether a peer with these credentials may use the service.
    bool admits(uid_t uid, gid_t gid) const;

    struct Answer {
        uint32_t op = 0;
        uint32_t status = 0;
        std::vector<unsigned char> data;
        int fd = -1;  // sent with the answer, then closed
    };
    // Takes a connected descriptor as a client without the credential check:
    // for the tests and the fuzzer, which have no listening socket.
    void adopt(int fd);
    // Decodes and performs one request message of the client on clientFd, as
    // it came off the socket (truncated: it did not fit the buffer). fd is a
    // descriptor that came with it; the decoder takes it or leaves it.
    Answer handle(int clientFd, const unsigned char* message, size_t length, bool truncated, int& fd);

    void interrupt(uint32_t line, uint32_t count) override;
    void key(uint8_t makeCode, bool released) override;

    static constexpr size_t maxClients = 64;
    static constexpr size_t maxMappings = 64;
    static constexpr size_t maxLockedBlocks = 4;
    static constexpr size_t maxQueuedKeys = 1000;

private:
    void accept();
    bool serve(Client& client);  // false: the client is gone
    Answer control(Client& client, uint32_t code, const unsigned char* in, uint32_t inLength, uint32_t outLength,
                   int& fd);
    Answer readKeys(Client& client, uint32_t outLength);
    void drop(Client& client);
    void updateWatches();
    bool openFolder(std::string& problem);
    bool bindSocket(std::string& problem);
    void writePidFile();
    void removeFiles();

    ServerOptions options_;
    Backend& backend_;
    int listen_ = -1;
    int folder_ = -1;  // the checked runtime folder; files are made relative to it
    bool ownFiles_ = false;
    std::string socketName_;
    std::string pidName_;
    std::string socketPath_;
    std::vector<std::unique_ptr<Client>> clients_;
    std::vector<unsigned char> buffer_;
};

}  // namespace hwport::service
