// A stand-in for an X11 session manager (XSMP, through libSM and libICE), for one client at a
// time, driven line by line on standard input:
//   save     SaveYourself, global and local, no shutdown: a checkpoint
//   logout   SaveYourself, global and local, with shutdown, interaction allowed: a logout
//   cancel   ShutdownCancelled: the user cancelled the logout
//   die      Die: the session ends
// It prints on standard output, a line each: "SESSION_MANAGER=<address>" once it listens (only
// on the local transport), "registered" once a client has registered and answered the first
// save that the protocol asks for a new client, "saved 1" or "saved 0" for each client's
// SaveYourselfDone, "cancelled", and "closed" when the client's connection ends. Anything
// unexpected goes to standard error and ends it with status 1.
#include <X11/ICE/ICElib.h>
#include <X11/SM/SMlib.h>
#include <poll.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

extern "C" int _IceTransNoListen(const char* protocol);  // libICE's, as session managers use it

namespace {

SmsConn g_client = nullptr;
IceConn g_ice = nullptr;
bool g_registered = false;

void Say(const char* line) {
    std::printf("%s\n", line);
    std::fflush(stdout);
}

[[noreturn]] void Die(const char* why) {
    std::fprintf(stderr, "fake_session_manager: %s\n", why);
    std::exit(1);
}

Bool AnyHost(char*) {
    return True;  // a test's own display and user: no authentication
}

Status RegisterClient(SmsConn conn, SmPointer, char* previousId) {
    char* id = SmsGenerateClientID(conn);
    std::string fallback = "1brindlecot-test-" + std::to_string(getpid());
    SmsRegisterClientReply(conn, id ? id : fallback.data());
    std::free(id);
    std::free(previousId);
    // A client new to the session is asked at once to save its state alone (XSMP, section
    // "Session management protocol": the first SaveYourself).
    SmsSaveYourself(conn, SmSaveLocal, False, SmInteractStyleNone, False);
    return 1;
}

void InteractRequest(SmsConn conn, SmPointer, int) {
    SmsInteract(conn);
}

void InteractDone(SmsConn, SmPointer, Bool) {}

void SaveYourselfRequest(SmsConn, SmPointer, int, Bool, int, Bool, Bool) {}

void Phase2Request(SmsConn conn, SmPointer) {
    SmsSaveYourselfPhase2(conn);
}

void SaveYourselfDone(SmsConn conn, SmPointer, Bool success) {
    if (!g_registered) {
        g_registered = true;
        SmsSaveComplete(conn);
        Say("registered");
        return;
    }
    Say(success ? "saved 1" : "saved 0");
}

void CloseConnection(SmsConn conn, SmPointer, int count, char** reasons) {
    SmFreeReasons(count, reasons);
    IceConn ice = SmsGetIceConnection(conn);
    SmsCleanUp(conn);
    IceSetShutdownNegotiation(ice, False);
    IceCloseConnection(ice);
    g_client = nullptr;
    g_ice = nullptr;
    g_registered = false;
    Say("closed");
}

void SetProperties(SmsConn, SmPointer, int count, SmProp** props) {
    for (int i = 0; i < count; ++i)
        SmFreeProperty(props[i]);
    std::free(props);
}

void DeleteProperties(SmsConn, SmPointer, int count, char** names) {
    for (int i = 0; i < count; ++i)
        std::free(names[i]);
    std::free(names);
}

void GetProperties(SmsConn conn, SmPointer) {
    SmsReturnProperties(conn, 0, nullptr);
}

Status NewClient(SmsConn conn, SmPointer, unsigned long* mask, SmsCallbacks* callbacks,
                 char** failureReason) {
    if (g_client) {
        *failureReason = strdup("one client at a time");
        return 0;
    }
    g_client = conn;
    std::memset(callbacks, 0, sizeof *callbacks);
    callbacks->register_client.callback = RegisterClient;
    callbacks->interact_request.callback = InteractRequest;
    callbacks->interact_done.callback = InteractDone;
    callbacks->save_yourself_request.callback = SaveYourselfRequest;
    callbacks->save_yourself_phase2_request.callback = Phase2Request;
    callbacks->save_yourself_done.callback = SaveYourselfDone;
    callbacks->close_connection.callback = CloseConnection;
    callbacks->set_properties.callback = SetProperties;
    callbacks->delete_properties.callback = DeleteProperties;
    callbacks->get_properties.callback = GetProperties;
    *mask = SmsRegisterClientProcMask | SmsInteractRequestProcMask | SmsInteractDoneProcMask |
            SmsSaveYourselfRequestProcMask | SmsSaveYourselfP2RequestProcMask |
            SmsSaveYourselfDoneProcMask | SmsCloseConnectionProcMask | SmsSetPropertiesProcMask |
            SmsDeletePropertiesProcMask | SmsGetPropertiesProcMask;
    return 1;
}

void Command(const std::string& line) {
    if (!g_client)
        Die(("no client for: " + line).c_str());
    if (line == "save") {
        SmsSaveYourself(g_client, SmSaveBoth, False, SmInteractStyleNone, False);
    } else if (line == "logout") {
        SmsSaveYourself(g_client, SmSaveBoth, True, SmInteractStyleAny, False);
    } else if (line == "cancel") {
        SmsShutdownCancelled(g_client);
        Say("cancelled");
    } else if (line == "die") {
        SmsDie(g_client);
    } else {
        Die(("unknown command: " + line).c_str());
    }
    IceFlush(g_ice);
}

}  // namespace

int main() {
    char error[256] = "";
    if (!SmsInitialize("brindlecot-test", "1.0", NewClient, nullptr, AnyHost, sizeof error, error))
        Die(error);
    _IceTransNoListen("tcp");
    int count = 0;
    IceListenObj* listeners = nullptr;
    if (!IceListenForConnections(&count, &listeners, sizeof error, error) || count == 0)
        Die(error);
    for (int i = 0; i < count; ++i)
        IceSetHostBasedAuthProc(listeners[i], AnyHost);
    char* address = IceComposeNetworkIdList(count, listeners);
    std::printf("SESSION_MANAGER=%s\n", address);
    std::fflush(stdout);
    std::free(address);

    std::string input;
    for (;;) {
        std::vector<pollfd> fds;
        fds.push_back({STDIN_FILENO, POLLIN, 0});
        for (int i = 0; i < count; ++i)
            fds.push_back({IceGetListenConnectionNumber(listeners[i]), POLLIN, 0});
        if (g_ice)
            fds.push_back({IceConnectionNumber(g_ice), POLLIN, 0});
        if (::poll(fds.data(), fds.size(), -1) < 0)
            Die("poll failed");
        if (fds[0].revents & (POLLIN | POLLHUP)) {
            char buffer[256];
            const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
            if (n <= 0)
                return 0;  // the test is over
            input.append(buffer, static_cast<size_t>(n));
            for (size_t end; (end = input.find('\n')) != std::string::npos;) {
                const std::string line = input.substr(0, end);
                input.erase(0, end + 1);
                if (!line.empty())
                    Command(line);
            }
        }
        for (int i = 0; i < count; ++i) {
            if (!(fds[1 + static_cast<size_t>(i)].revents & POLLIN))
                continue;
            IceAcceptStatus status;
            IceConn ice = IceAcceptConnection(listeners[i], &status);
            if (!ice)
                continue;
            IceConnectStatus state;
            while ((state = IceConnectionStatus(ice)) == IceConnectPending) {
                if (IceProcessMessages(ice, nullptr, nullptr) == IceProcessMessagesIOError)
                    break;
            }
            if (state != IceConnectAccepted) {
                IceCloseConnection(ice);
                continue;
            }
            if (g_ice)
                Die("a second client connected");
            g_ice = ice;
        }
        if (g_ice && fds.size() > static_cast<size_t>(1 + count) &&
            (fds.back().revents & (POLLIN | POLLHUP))) {
            IceConn ice = g_ice;
            if (IceProcessMessages(ice, nullptr, nullptr) == IceProcessMessagesIOError &&
                g_ice == ice) {
                if (g_client)
                    SmsCleanUp(g_client);
                IceSetShutdownNegotiation(ice, False);
                IceCloseConnection(ice);
                g_client = nullptr;
                g_ice = nullptr;
                g_registered = false;
                Say("closed");
            }
        }
    }
}
