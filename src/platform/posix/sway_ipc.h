// One message to sway over its IPC socket, and its reply, without ever blocking. The i3
// protocol frames both: "i3-ipc", the payload's length and the message type as native 32-bit
// integers, then the payload. An event loop waits on Fd() for what State() asks (the socket to
// take more, or to bring more) and then calls Send or Receive; the exchange never waits itself.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace brindlecot::platform {

class SwayIpcExchange {
  public:
    enum class State { Sending, Receiving, Done, Failed };

    // Connects without waiting and sends what the socket takes at once (mostly all of it).
    SwayIpcExchange(const std::string& socketPath, const std::string& payload, std::uint32_t type);
    ~SwayIpcExchange();
    SwayIpcExchange(const SwayIpcExchange&) = delete;
    SwayIpcExchange& operator=(const SwayIpcExchange&) = delete;

    int Fd() const { return m_fd; }
    State GetState() const { return m_state; }
    // Bytes gone out and come in so far: an exchange that has not moved for a while is stuck.
    std::size_t Transferred() const { return m_sent + m_in.size(); }

    // Sends what the socket takes now.
    State Send();
    // Reads what has come; Done once the whole reply is there, Failed when the socket ends or
    // the reply is not one to this message (another type, no "i3-ipc", or over 16 MiB).
    State Receive();
    // The reply's payload, once Done.
    const std::string& Reply() const { return m_reply; }

  private:
    int m_fd = -1;
    State m_state = State::Failed;
    std::string m_out;
    std::size_t m_sent = 0;
    std::string m_in;
    std::uint32_t m_type;
    std::string m_reply;
};

}  // namespace brindlecot::platform
