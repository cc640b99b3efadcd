#include "serve/SshConnection.h"

#include "serve/ConnectionLoop.h"

#include <libssh/libssh.h>
#include <libssh/server.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>

namespace pellix::serve {

namespace {

// The session's login text for a keyboard-interactive request: its lines
// without the prompt asked (which the client shows itself) and without blank
// lines at either end.
std::string Instruction(std::string text, const std::string& prompt) {
    if (!prompt.empty() && text.ends_with(prompt)) text.resize(text.size() - prompt.size());
    std::string lines;
    for (char c : text)
        if (c != '\r') lines += c;
    const auto first = lines.find_first_not_of(" \n");
    if (first == std::string::npos) return {};
    return lines.substr(first, lines.find_last_not_of(" \n") - first + 1);
}

class SshConnection {
  public:
    explicit SshConnection(const SshLink& link)
        : link_(link), ssh_(link.ssh), session_(link.session) {}
    ~SshConnection();
    SshConnection(const SshConnection&) = delete;
    SshConnection& operator=(const SshConnection&) = delete;

    // One wait and what follows it; false once the connection is over.
    bool Step();

  private:
    bool Pump(Clock::time_point now);
    void Handle(ssh_message message, Clock::time_point now);
    void HandleAuth(ssh_message message, Clock::time_point now);
    void HandleChannel(ssh_message message);
    void Hold(ssh_message message);
    void Respond(Clock::time_point now);
    void SayGoodbye(const std::string& text);
    bool ReadChannel(Clock::time_point now);
    bool Deliver(Clock::time_point now);
    bool Finished();

    const SshLink& link_;
    ssh_session ssh_;
    Session& session_;
    bool started_ = false;
    bool keyExchanged_ = false;
    std::string user_;
    bool nameGiven_ = false;
    // The keyboard-interactive request or answer waiting for the session's
    // next prompt (the answer to a wrong password waits a while).
    ssh_message held_ = nullptr;
    // The last words were sent as a request with no prompt; its answer (or
    // the farewell's deadline) ends the connection.
    bool goodbyeSent_ = false;
    bool authenticated_ = false;
    ssh_channel channel_ = nullptr;
    bool shell_ = false;
    bool closing_ = false;  // the channel closed from this side
    bool told_ = false;     // of the server's stop
    std::size_t sent_ = 0;
    Clock::time_point deadline_ = Clock::time_point::max();
};

SshConnection::~SshConnection() {
    if (held_) ssh_message_free(held_);
    if (channel_) ssh_channel_free(channel_);
    ssh_disconnect(ssh_);
    ssh_free(ssh_);
}

bool SshConnection::Step() {
    Clock::time_point wake;
    {
        std::lock_guard lock(session_.Mutex());
        wake = std::min(session_.NextTick(), deadline_);
    }
    auto wait = WaitUntil(wake);
    // The server's side of the key exchange (its first line) goes out at
    // once: some clients wait for it before they send theirs.
    if (!started_) wait = std::chrono::milliseconds(0);
    started_ = true;
    const bool writing = (ssh_get_status(ssh_) & SSH_WRITE_PENDING) != 0;
    pollfd fds[2] = {{ssh_get_fd(ssh_), static_cast<short>(POLLIN | (writing ? POLLOUT : 0)), 0},
                     {link_.wakeFd, POLLIN, 0}};
    poll(fds, 2, static_cast<int>(wait.count()));
    const Clock::time_point now = Clock::now();

    std::lock_guard lock(session_.Mutex());
    if (fds[1].revents & POLLIN) Consume(link_.wakeFd);
    if (link_.stopping && !told_) {
        told_ = true;
        session_.Shutdown();
        deadline_ = std::min(deadline_, now + link_.limits.shutdownGrace);
    }
    if (!Pump(now)) {
        session_.Abandon();  // the client has gone
        return false;
    }
    session_.Tick(now);
    if (!session_.LoggingIn()) link_.loggedIn();
    Respond(now);
    return Deliver(now);
}

// Takes in what the client has sent: the key exchange, requests, keys.
// False when the client has gone (or broke the protocol).
bool SshConnection::Pump(Clock::time_point now) {
    if (!keyExchanged_) {
        const int rc = ssh_handle_key_exchange(ssh_);
        if (rc == SSH_ERROR) return false;
        if (rc != SSH_OK) return true;  // more to come
        keyExchanged_ = true;
        ssh_set_auth_methods(ssh_, SSH_AUTH_METHOD_INTERACTIVE);
    }
    // Reading the channel may queue requests, and handling them may read.
    for (bool more = true; more;) {
        more = false;
        while (ssh_message message = ssh_message_get(ssh_)) {
            Handle(message, now);
            more = true;
        }
        while (ReadChannel(now)) more = true;
    }
    if (!ssh_is_connected(ssh_)) return false;
    if (channel_ && !closing_ && (ssh_channel_is_eof(channel_) || ssh_channel_is_closed(channel_)))
        return false;
    return true;
}

void SshConnection::Handle(ssh_message message, Clock::time_point now) {
    switch (ssh_message_type(message)) {
        case SSH_REQUEST_AUTH:
            return HandleAuth(message, now);
        case SSH_REQUEST_CHANNEL_OPEN:
            if (authenticated_ && !channel_ &&
                ssh_message_subtype(message) == SSH_CHANNEL_SESSION) {
                channel_ = ssh_message_channel_request_open_reply_accept(message);
                ssh_message_free(message);
                return;
            }
            break;
        case SSH_REQUEST_CHANNEL:
            if (channel_ && ssh_message_channel_request_channel(message) == channel_)
                return HandleChannel(message);
            break;
        default:
            break;
    }
    ssh_message_reply_default(message);
    ssh_message_free(message);
}

// The keyboard-interactive login: the SSH user is the learner's name; every
// prompt is the session's, answered by the learner.
void SshConnection::HandleAuth(ssh_message message, Clock::time_point now) {
    if (authenticated_ || ssh_message_subtype(message) != SSH_AUTH_METHOD_INTERACTIVE) {
        // Only keyboard-interactive is offered.
        ssh_message_auth_set_methods(message, SSH_AUTH_METHOD_INTERACTIVE);
        ssh_message_reply_default(message);
        ssh_message_free(message);
        return;
    }
    if (!ssh_message_auth_kbdint_is_response(message)) {
        // A new round: the name comes with the first; the prompt is asked again.
        if (user_.empty() && ssh_message_auth_user(message)) user_ = ssh_message_auth_user(message);
        Hold(message);
        return;
    }
    Hold(message);
    if (goodbyeSent_) {
        closing_ = true;  // the last words were read: the connection ends
        return;
    }
    const char* answer =
        ssh_userauth_kbdint_getnanswers(ssh_) > 0 ? ssh_userauth_kbdint_getanswer(ssh_, 0) : "";
    session_.Answer(answer ? answer : "", now);
}

void SshConnection::Hold(ssh_message message) {
    if (held_) ssh_message_free(held_);
    held_ = message;
}

// Answers the held request with what the session asks next: its next
// prompt, the learner in (authenticated), or its last words.
void SshConnection::Respond(Clock::time_point now) {
    if (!held_ || goodbyeSent_ || closing_) return;
    std::string& out = session_.Output();
    if (session_.Closed()) return SayGoodbye(Instruction(out, ""));
    if (!session_.LoggingIn()) {
        ssh_message_auth_reply_success(held_, 0);
        ssh_message_free(held_);
        held_ = nullptr;
        authenticated_ = true;
        return;
    }
    const std::string prompt = session_.Prompt();
    if (prompt.empty()) return;  // the answer to a wrong password waits
    if (session_.CurrentPhase() == Session::Phase::Name) {
        if (nameGiven_ || user_.empty()) {
            // The name was refused: the learner hears why and logs in anew
            // under another name.
            const std::string why = Instruction(out, prompt);
            session_.Abandon();
            return SayGoodbye(why);
        }
        nameGiven_ = true;
        out.resize(out.size() - std::min(out.size(), prompt.size()));
        session_.Answer(user_, now);
        return Respond(now);
    }
    const std::string instruction = Instruction(out, prompt);
    out.clear();
    const char* prompts[] = {prompt.c_str()};
    char echo[] = {0};
    ssh_message_auth_interactive_request(held_, "", instruction.c_str(), 1, prompts, echo);
    ssh_message_free(held_);
    held_ = nullptr;
}

// The last words before the learner is in: a request with no prompt, which
// the client shows; its answer ends the connection.
void SshConnection::SayGoodbye(const std::string& text) {
    session_.Output().clear();
    ssh_message_auth_interactive_request(held_, "", text.c_str(), 0, nullptr, nullptr);
    ssh_message_free(held_);
    held_ = nullptr;
    goodbyeSent_ = true;
}

// The shell channel's requests: its pty's size and terminal type, and the
// shell (the console); commands, subsystems and the like are refused.
// libssh hands these requests to callbacks only on a server whose requests
// all go to callbacks; this one holds a login request while the answer to a
// wrong password waits, and so reads them all as messages.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
void SshConnection::HandleChannel(ssh_message message) {
    bool ok = true;
    switch (ssh_message_subtype(message)) {
        case SSH_CHANNEL_REQUEST_PTY:
            if (const char* term = ssh_message_channel_request_pty_term(message))
                session_.SetTerminalType(term);
            [[fallthrough]];
        case SSH_CHANNEL_REQUEST_WINDOW_CHANGE:
            session_.Resize(ssh_message_channel_request_pty_height(message),
                            ssh_message_channel_request_pty_width(message));
            break;
        case SSH_CHANNEL_REQUEST_SHELL:
            ok = !shell_;
            shell_ = true;
            break;
        default:
            ok = false;
            break;
    }
    if (ok)
        ssh_message_channel_request_reply_success(message);
    else
        ssh_message_reply_default(message);
    ssh_message_free(message);
}
#pragma GCC diagnostic pop

// The learner's keys from the shell channel; true when some came.
bool SshConnection::ReadChannel(Clock::time_point now) {
    if (!channel_) return false;
    char buffer[kReadChunk];
    const int got = ssh_channel_read_nonblocking(channel_, buffer, sizeof buffer, 0);
    if (got <= 0) return false;
    if (shell_ && !closing_)
        session_.Receive(std::string_view(buffer, static_cast<std::size_t>(got)), now);
    return true;
}

// Sends what the session has written as far as the channel's window lets;
// false once the connection is over.
bool SshConnection::Deliver(Clock::time_point now) {
    std::string& out = session_.Output();
    if (shell_ && !closing_) {
        while (sent_ < out.size()) {
            const auto room = std::min<std::size_t>(ssh_channel_window_size(channel_), 32 * 1024);
            if (room == 0) break;
            const int n =
                ssh_channel_write(channel_, out.data() + sent_,
                                  static_cast<std::uint32_t>(std::min(room, out.size() - sent_)));
            if (n <= 0) break;
            sent_ += static_cast<std::size_t>(n);
        }
        Compact(out, sent_);
    }
    // After every Receive and Tick, as the session wants (a save it put off
    // is due by its clock too).
    session_.SaveAfterSending(now);
    if (out.size() - sent_ > link_.limits.maxBuffered) {
        link_.room.Log("the client at " + link_.client + " stopped reading; its session is closed");
        session_.Abandon();
        return false;
    }
    if (session_.Closed()) {
        if (Finished()) return false;
        if (deadline_ == Clock::time_point::max()) deadline_ = now + link_.limits.farewellGrace;
    }
    if (now >= deadline_) {
        session_.Abandon();
        return false;
    }
    return true;
}

// Once the session has ended: whether everything for the client has gone.
// The shell channel is closed after the last words.
bool SshConnection::Finished() {
    if (goodbyeSent_ && !closing_) return false;  // the client is reading the last words
    if (shell_ && !session_.Output().empty()) return false;
    if (channel_ && !closing_) {
        // The console's end is a shell's normal end to the client.
        ssh_channel_request_send_exit_status(channel_, 0);
        ssh_channel_send_eof(channel_);
        ssh_channel_close(channel_);
    }
    closing_ = true;
    return (ssh_get_status(ssh_) & SSH_WRITE_PENDING) == 0;
}

}  // namespace

void ServeSsh(const SshLink& link) {
    SshConnection connection(link);
    while (connection.Step()) {
    }
}

}  // namespace pellix::serve
