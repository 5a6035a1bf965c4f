// A driver stand-in that records every request the library sends and answers
// from a small scripted machine: port values, physical memory, locked memory.
#pragma once

#include "Channel.h"
#include "protocol/Protocol.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstring>
#include <map>
#include <vector>

namespace hwport::testing {

struct SentRequest {
    uint32_t code;
    uint32_t function;  // 0 for codes outside the table
    std::vector<unsigned char> in;
    size_t outLength;
    bool withDescriptor;
};

class Recorder {
public:
    static constexpr uint32_t memorySize = 0x100000;

    Recorder()
    {
        memory_ = memfd_create("hwport-test-memory", MFD_CLOEXEC);
        if (memory_ >= 0 && ftruncate(memory_, memorySize) != 0) {
            ::close(memory_);
            memory_ = -1;
        }
        setBiosTable(0x378, 0, 0x278);
    }
    ~Recorder()
    {
        if (memory_ >= 0)
            ::close(memory_);
    }
    Recorder(const Recorder&) = delete;
    Recorder& operator=(const Recorder&) = delete;

    void setBiosTable(uint16_t a, uint16_t b, uint16_t c)
    {
        const uint16_t words[3] = {a, b, c};
        (void)!pwrite(memory_, words, sizeof words, 0x408);
    }

    std::vector<SentRequest> sent;
    std::map<uint32_t, uint32_t> portValues;  // answers to port reads
    std::vector<unsigned char> identify;      // answer to the disk request; empty: refused
    bool deviceExists = true;
    bool serviceStarts = false;
    int opens = 0;
    int startAttempts = 0;
    uint32_t nextHandle = 40;

    std::vector<SentRequest> sentOf(uint32_t function) const
    {
        std::vector<SentRequest> result;
        for (const SentRequest& r : sent)
            if (r.function == function)
                result.push_back(r);
        return result;
    }

    ControlResult answer(uint32_t code, const void* in, size_t inLength, void* out, size_t outLength, int sendFd)
    {
        namespace p = protocol;
        const auto function = p::functionOf(code);
        const auto* input = static_cast<const unsigned char*>(in);
        sent.push_back(SentRequest{code, function.value_or(0), std::vector<unsigned char>(input, input + inLength),
                                   outLength, sendFd >= 0});
        ControlResult result{true, outLength, -1};
        auto* output = static_cast<unsigned char*>(out);
        switch (function.value_or(0)) {
        case p::PortInByte:
        case p::PortInWord:
        case p::PortInLong:
            p::put32(output, portValues[p::get32(input)]);
            break;
        case p::FifoInByte:
        case p::FifoInWord:
        case p::FifoInLong:
            std::memmove(output, input, p::fifoHeaderSize);
            for (size_t i = p::fifoHeaderSize; i < outLength; ++i)
                output[i] = uint8_t(i);
            break;
        case p::FifoOutByte:
        case p::FifoOutWord:
        case p::FifoOutLong:
            std::memmove(output, input, inLength);
            break;
        case p::MapMemory:
            p::put32(output, nextHandle++);
            result.fd = duplicateMemory();
            break;
        case p::LockMemory: {
            std::memmove(output, input, 16);
            p::put32(output, 7);
            p::put32(output + 12, 8);
            const int locked = memfd_create("hwport-test-locked", MFD_CLOEXEC);
            if (locked >= 0 && ftruncate(locked, 8192) == 0)
                result.fd = locked;
            else if (locked >= 0)
                ::close(locked);
            break;
        }
        case p::HddIdentify:
            if (identify.size() != outLength)
                return ControlResult{false, 0, -1};
            std::memcpy(output, identify.data(), outLength);
            break;
        default:
            if (outLength > 0)
                std::memset(output, 0, outLength);
            break;
        }
        return result;
    }

private:
    int duplicateMemory() const { return memory_ >= 0 ? dup(memory_) : -1; }
    int memory_ = -1;
};

class RecordingChannel final : public Channel {
public:
    explicit RecordingChannel(Recorder& recorder) : recorder_(recorder) {}
    ControlResult control(uint32_t code, const void* in, size_t inLength, void* out, size_t outLength,
                          int sendFd) override
    {
        return recorder_.answer(code, in, inLength, out, outLength, sendFd);
    }
    size_t read(void*, size_t) override { return 0; }

private:
    Recorder& recorder_;
};

class RecordingOpener final : public DeviceOpener {
public:
    explicit RecordingOpener(Recorder& recorder) : recorder_(recorder) {}
    Channel* open(const char*) override
    {
        ++recorder_.opens;
        return recorder_.deviceExists ? new RecordingChannel(recorder_) : nullptr;
    }
    bool startService(const char*, const char*) override
    {
        ++recorder_.startAttempts;
        if (recorder_.serviceStarts)
            recorder_.deviceExists = true;
        return recorder_.serviceStarts;
    }

private:
    Recorder& recorder_;
};

}  // namespace hwport::testing
