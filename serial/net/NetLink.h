#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>

#include "net/Rfc2217Client.h"
#include "net/Sockets.h"
#include "serial/ComDevice.h"
#include "serial/PortUrl.h"

namespace stela {

// One connection to a serial server, shared by the network device (on the
// port's thread) and its event watch (on the monitor's thread): the socket, the
// line data received and not yet read, the bytes waiting to go out, and for
// RFC 2217 the client's state. Any thread may call any member; each locks.
//
// Nobody reads the socket in the background: whoever needs to know (a read, a
// purge, the watch woken by the socket) first moves everything the socket holds
// through the decoder ("pumping"). Everything sent goes through one queue in
// order, so the negotiation's answers never split an escaped byte or a command.
//
// When the server closes the connection or it breaks (reset, keep-alive or user
// timeout), the link is down: reads still hand out what had arrived, and then
// every operation fails as Gone, as on a tty that hung up.
class NetLink {
public:
    using Clock = std::chrono::steady_clock;

    // Takes the connected, non-blocking socket.
    NetLink(int fd, PortScheme scheme);
    ~NetLink();
    NetLink(const NetLink&) = delete;
    NetLink& operator=(const NetLink&) = delete;

    // Brings the link up before `deadline`. RFC 2217: the server must take the
    // COM-PORT-OPTION (else NotRfc2217, also when it says nothing) and answer a
    // question, which proves it kept the connection; raw TCP: the connection
    // must survive `grace` (or what is left of it before `deadline`). A server
    // that closes the connection at once serves someone else (ser2net: "Port
    // already in use"): InUse. One that breaks the Telnet protocol (see fail()):
    // ProtocolBroken.
    PortFailure start(Clock::time_point deadline, Clock::duration grace);
    // Shuts the socket down at once; the link is down from here on.
    void close();

    PortFailure read(char* buffer, int capacity, int& received);
    // Hands the bytes to the socket, waiting for room until `deadline`; what
    // is not handed over by then is taken back (whole bytes: an escaped 0xFF is
    // never cut in two). `sent` counts the bytes handed over.
    PortFailure write(const char* data, int size, Clock::time_point deadline, int& sent);
    // Discards the line data received. RFC 2217: and asks the server to discard
    // what it holds from the line (PURGE-DATA).
    PortFailure purgeInput();
    // RFC 2217: sends the settings and waits (until `deadline`) for the server
    // to take them; Unsupported when it refuses one or answers another value,
    // TimedOut when it has not answered them all by then.
    PortFailure applySettings(const LineParameters& line, Clock::time_point deadline);
    PortFailure modemLines(TComSignals& lines);
    PortFailure lineErrors(bool parityCheck, TComErrors& errors);

    // For the event watch: a descriptor of the socket of its own (the caller
    // closes it), and one that becomes readable when wake() is called.
    int duplicateSocket() const;
    int wakeDescriptor() const { return wake_.get(); }
    void wake();
    // Forgets the event kinds gathered so far (a new watch starts).
    void resetEvents();
    // Pumps, then reports the event kinds since the previous call: received data,
    // what the server notified, the end of a write (evTxEmpty). False when the
    // link is down and there is nothing left to report.
    bool collect(std::uint32_t& kinds);

private:
    using Lock = std::unique_lock<std::mutex>;

    void pump();
    void flush();
    void queue(const std::string& bytes);
    // Queues what the server must be told (answers, commands) behind what it has
    // not read yet; fails the link when that has grown beyond reason.
    void tell(const std::string& bytes);
    // Ends the connection with a server that will not stop negotiating or will
    // not read what it asked for: the link is down, as if the server had gone.
    void fail();
    // Pumps until `done` holds (no failure), the link goes down (Gone) or
    // `deadline` passes (TimedOut), sleeping in between on the socket and on
    // other pumps' progress.
    PortFailure waitUntil(Lock& lock, Clock::time_point deadline,
                          const std::function<bool()>& done);

    mutable std::mutex mutex_;
    Socket fd_;
    const bool telnet_;
    const Socket progress_;  // wake-up: a pump took something from the socket
    const Socket wake_;      // wake-up: for the watch
    const int wakeupError_;  // why a wake-up could not be made, 0 when both were
    Rfc2217Client client_;
    std::string in_;   // line data, not yet read
    std::string out_;  // encoded, not yet sent
    std::uint64_t queuedTotal_ = 0;
    std::uint64_t sentTotal_ = 0;
    bool down_ = false;
    bool broken_ = false;   // down by fail()
    bool overrun_ = false;  // line data dropped: the input queue was full
    std::uint64_t arrivals_ = 0;
    std::uint64_t arrivalsReported_ = 0;
    std::uint32_t raised_ = 0;
};

}  // namespace stela
