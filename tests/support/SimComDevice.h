#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "serial/ComDevice.h"
#include "sim/SignModel.h"
#include "tests/support/VirtualClock.h"

namespace stela::test {

// A ComDevice whose ports are simulated in virtual time: signs (SignModels)
// and silent ports live under port names; every other name has no device.
// Written bytes leave on the wire one after another at 19200 bit/s 8N1, behind
// any still leaving, and reach the sign byte by byte. A write returns, as the
// driver's does, once its last byte is in the UART's transmit FIFO, which takes
// bytes at once while it has room; so a purge finds no output left to discard.
// Reads see the reply bytes whose arrival time has passed.
class SimComDevice final : public ComDevice {
public:
    static constexpr int kTransmitFifoBytes = 16;

    enum class Op { Open, LineParameters, Purge, Read, Write };

    struct Written {
        std::string port;
        std::string bytes;
        std::int64_t atMs;  // when the write was called
    };

    explicit SimComDevice(VirtualClock& clock) : clock_(clock) {}

    // A sign answering under `port`; the device owns it.
    SignModel& attachSign(const std::string& port);
    // A port that opens but where nothing ever answers.
    void addSilentPort(const std::string& port);
    SignModel* sign(const std::string& port);

    // From now on, `op` fails with the system's number `error` as this system
    // classifies it (0 to stop failing), or with `failure`, on `port` ("" for
    // every port).
    void failOn(Op op, int error, const std::string& port = "");
    void failOn(Op op, PortFailure failure, const std::string& port = "");

    // How long each read (a status query) takes; 0 by default, so that reads
    // cost no time.
    void setReadCost(SimTime cost) { readCost_ = cost; }

    const std::vector<Written>& written() const { return written_; }
    // The bytes of each write, in order.
    std::vector<std::string> framesWritten() const {
        std::vector<std::string> frames;
        for (const Written& w : written_) {
            frames.push_back(w.bytes);
        }
        return frames;
    }
    const std::string& openPort() const { return openPort_; }
    int openCount() const { return openCount_; }

    PortFailure open(const PortAddress& address) override;
    void close() override;
    bool isOpen() const override { return !openPort_.empty(); }
    PortFailure setQueueSizes(int inputSize, int outputSize) override;
    PortFailure setLineParameters(const LineParameters& line) override;
    PortFailure setTimeouts(const TimeoutValues&) override { return {}; }
    PortFailure purge(bool input, bool output) override;
    PortFailure abortTransfers() override { return {}; }
    PortFailure read(char* buffer, int capacity, int& received) override;
    PortFailure write(const char* data, int size, int& sent) override;
    PortFailure modemLines(TComSignals& lines) override;
    PortFailure lineErrors(TComErrors& errors) override;
    // The line lives in virtual time on the caller's thread: another thread has
    // nothing to wait for, so it reports no line events.
    PortFailure watchEvents(std::uint32_t, std::unique_ptr<LineEventWatch>&) override {
        return ownFailure(FailureKind::Unsupported);
    }
    // As a device whose lock folder cannot be used: `trouble` from now on.
    void setLockFolderTrouble(std::string trouble) { lockFolderTrouble_ = std::move(trouble); }
    std::string lockFolderTrouble() const override { return lockFolderTrouble_; }

    const LineParameters& lineParameters() const { return line_; }

private:
    struct SimPort {
        std::unique_ptr<SignModel> sign;  // null for a silent port
    };

    PortFailure failure(Op op) const;
    // Moves the reply bytes that have arrived by now into the input queue.
    void collectArrived();

    VirtualClock& clock_;
    std::map<std::string, SimPort> ports_;
    std::map<std::pair<Op, std::string>, PortFailure> failures_;
    std::string openPort_;
    std::string input_;
    LineParameters line_;
    std::vector<Written> written_;
    int openCount_ = 0;
    std::string lockFolderTrouble_;
    SimTime readCost_{};
    // The bytes on the wire since it was last idle: byte n (from 0) of this run
    // has left at runStart_ + wireTime(n + 1).
    SimTime runStart_{};
    std::int64_t runBytes_ = 0;
};

}  // namespace stela::test
