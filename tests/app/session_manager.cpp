// A session manager of the tests' own, for one client. It prints the SESSION_MANAGER value to give the
// client, answers the client's registration with the first save every new client gets (local, no
// shutdown), asks for a checkpoint (a save of the whole state, the session going on) on each SIGUSR1,
// and prints one line for each event: "registered", "saved first", "saved checkpoint",
// "client gone". The test script kills it to play a session manager that dies under its client.
#include <X11/ICE/ICElib.h>
#include <X11/SM/SMlib.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include <poll.h>

namespace {

volatile std::sig_atomic_t checkpointAsked = 0;

extern "C" void OnCheckpointSignal(int) {
    checkpointAsked = 1;
}

void Say(const char* line) {
    std::printf("%s\n", line);
    std::fflush(stdout);
}

struct TManager {
    SmsConn Client = nullptr;
    bool Registered = false;
    bool Saving = false;
    bool FirstSave = true;
};

TManager manager;

void AskToSave(SmsConn c, bool first) {
    manager.Saving = true;
    manager.FirstSave = first;
    SmsSaveYourself(c, first ? SmSaveLocal : SmSaveBoth, False, SmInteractStyleNone, False);
}

Status RegisterClient(SmsConn c, SmPointer, char* previousId) {
    std::free(previousId);
    char* id = SmsGenerateClientID(c);
    static char fallback[] = "1dp-test-client";
    if (SmsRegisterClientReply(c, id != nullptr ? id : fallback) == 0) return 0;
    manager.Registered = true;
    Say("registered");
    AskToSave(c, true); // every new client gets this first save
    return 1;
}

void InteractRequest(SmsConn c, SmPointer, int) {
    SmsInteract(c);
}

void InteractDone(SmsConn, SmPointer, Bool) {}

void SaveYourselfRequest(SmsConn, SmPointer, int, Bool, int, Bool, Bool) {}

void SaveYourselfPhase2Request(SmsConn c, SmPointer) {
    SmsSaveYourselfPhase2(c);
}

void SaveYourselfDone(SmsConn c, SmPointer, Bool success) {
    manager.Saving = false;
    Say(!success ? "save failed" : manager.FirstSave ? "saved first" : "saved checkpoint");
    if (!manager.FirstSave) SmsSaveComplete(c);
}

void CloseConnection(SmsConn c, SmPointer, int count, char** reasons) {
    SmFreeReasons(count, reasons);
    SmsCleanUp(c);
    manager.Client = nullptr;
    Say("client gone");
}

void SetProperties(SmsConn, SmPointer, int count, SmProp** props) {
    for (int i = 0; i < count; ++i) SmFreeProperty(props[i]);
    std::free(props);
}

void DeleteProperties(SmsConn, SmPointer, int count, char** names) {
    for (int i = 0; i < count; ++i) std::free(names[i]);
    std::free(names);
}

void GetProperties(SmsConn c, SmPointer) {
    SmsReturnProperties(c, 0, nullptr);
}

Status NewClient(SmsConn c, SmPointer, unsigned long* mask, SmsCallbacks* callbacks, char** failure) {
    if (manager.Client != nullptr) {
        *failure = strdup("this session manager takes one client");
        return 0;
    }
    manager.Client = c;
    std::memset(callbacks, 0, sizeof *callbacks);
    callbacks->register_client.callback = RegisterClient;
    callbacks->interact_request.callback = InteractRequest;
    callbacks->interact_done.callback = InteractDone;
    callbacks->save_yourself_request.callback = SaveYourselfRequest;
    callbacks->save_yourself_phase2_request.callback = SaveYourselfPhase2Request;
    callbacks->save_yourself_done.callback = SaveYourselfDone;
    callbacks->close_connection.callback = CloseConnection;
    callbacks->set_properties.callback = SetProperties;
    callbacks->delete_properties.callback = DeleteProperties;
    callbacks->get_properties.callback = GetProperties;
    *mask = SmsRegisterClientProcMask | SmsInteractRequestProcMask | SmsInteractDoneProcMask |
            SmsSaveYourselfRequestProcMask | SmsSaveYourselfP2RequestProcMask | SmsSaveYourselfDoneProcMask |
            SmsCloseConnectionProcMask | SmsSetPropertiesProcMask | SmsDeletePropertiesProcMask |
            SmsGetPropertiesProcMask;
    return 1;
}

// Any local client may connect: the test's own, with no authority file.
Bool AcceptAnyHost(char*) {
    return True;
}

} // namespace

int main() {
    char error[256] = "";
    if (!SmsInitialize("dp-test", "1", NewClient, nullptr, AcceptAnyHost, sizeof error, error)) {
        std::fprintf(stderr, "session manager: %s\n", error);
        return 1;
    }
    int count = 0;
    IceListenObj* listeners = nullptr;
    if (!IceListenForConnections(&count, &listeners, sizeof error, error)) {
        std::fprintf(stderr, "session manager: %s\n", error);
        return 1;
    }
    for (int i = 0; i < count; ++i) IceSetHostBasedAuthProc(listeners[i], AcceptAnyHost);
    char* ids = IceComposeNetworkIdList(count, listeners);
    std::printf("SESSION_MANAGER=%s\n", ids);
    std::fflush(stdout);
    std::free(ids);

    struct sigaction action = {};
    action.sa_handler = OnCheckpointSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGUSR1, &action, nullptr);

    std::vector<IceConn> connections;
    for (;;) {
        std::vector<pollfd> fds;
        for (int i = 0; i < count; ++i)
            fds.push_back({IceGetListenConnectionNumber(listeners[i]), POLLIN, 0});
        for (IceConn conn : connections) fds.push_back({IceConnectionNumber(conn), POLLIN, 0});
        if (::poll(fds.data(), fds.size(), 100) < 0 && errno != EINTR) return 1;
        if (checkpointAsked && manager.Client != nullptr && manager.Registered && !manager.Saving) {
            checkpointAsked = 0;
            AskToSave(manager.Client, false);
        }
        for (int i = 0; i < count; ++i) {
            if ((fds[static_cast<size_t>(i)].revents & POLLIN) == 0) continue;
            IceAcceptStatus status;
            IceConn conn = IceAcceptConnection(listeners[i], &status);
            if (conn == nullptr || status != IceAcceptSuccess) continue;
            IceConnectStatus state = IceConnectPending;
            while ((state = IceConnectionStatus(conn)) == IceConnectPending)
                if (IceProcessMessages(conn, nullptr, nullptr) == IceProcessMessagesIOError) break;
            if (state == IceConnectAccepted)
                connections.push_back(conn);
            else
                IceCloseConnection(conn);
        }
        // Only the connections this round polled: one accepted just now waits for the next round.
        const size_t polled = fds.size() - static_cast<size_t>(count);
        for (size_t j = 0; j < polled; ++j) {
            if ((fds[static_cast<size_t>(count) + j].revents & (POLLIN | POLLHUP | POLLERR)) == 0) continue;
            if (IceProcessMessages(connections[j], nullptr, nullptr) == IceProcessMessagesIOError) {
                IceSetShutdownNegotiation(connections[j], False);
                IceCloseConnection(connections[j]);
                connections.erase(connections.begin() + static_cast<std::ptrdiff_t>(j));
                if (manager.Client != nullptr) {
                    SmsCleanUp(manager.Client);
                    manager.Client = nullptr;
                    Say("client gone");
                }
                break;
            }
        }
    }
}
