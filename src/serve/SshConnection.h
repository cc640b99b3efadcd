// One learner's SSH connection, in the thread the server gives it: the key
// exchange; the learner's name as the SSH user, with the class password and
// the PIN asked as keyboard-interactive prompts (the session's own login
// prompts, asked and checked by the session as over telnet); then the
// session's console on the learner's shell channel, with the window size of
// its pty. Sleeps in poll() on the socket and the wake-up descriptor between
// events, as a telnet connection's thread does.
#pragma once

#include <atomic>
#include <functional>
#include <string>

#include "serve/Classroom.h"
#include "serve/Server.h"
#include "serve/Session.h"

struct ssh_session_struct;

namespace pellix::serve {

struct SshLink {
    ssh_session_struct* ssh;  // from SshHost::Accept; freed (its socket closed) at the end
    Session& session;         // made with Framing::Raw
    int wakeFd;               // an eventfd: the server's stop, or the session's waker
    const std::string& client;
    const ServerLimits& limits;
    const std::atomic<bool>& stopping;
    Classroom& room;
    // Called (the session's lock held) once the learner is past the login.
    std::function<void()> loggedIn;
};

// Serves the connection until it is over: the learner released (the score
// saved, or the router kept) and the SSH session freed.
void ServeSsh(const SshLink& link);

}  // namespace pellix::serve
