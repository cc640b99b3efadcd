// What every connection's thread does alike, whether it carries telnet or
// SSH: how long it sleeps, how it takes the server's wake-up, and how it
// keeps the session's output buffer once sent.
#pragma once

#include <chrono>
#include <cstddef>
#include <string>

#include "serve/Session.h"

namespace pellix::serve {

// The most read from a client at once.
inline constexpr std::size_t kReadChunk = 4096;
// The longest a connection's thread sleeps: the session's clock (its idle
// timeout) is looked at then.
inline constexpr auto kLongestWait = std::chrono::milliseconds(1000);

// How long to sleep until `wake`: at most kLongestWait.
std::chrono::milliseconds WaitUntil(Clock::time_point wake);
// Takes the wake-ups signalled on an eventfd.
void Consume(int eventFd);
// Drops what has been sent from the front of the output: all of it (the
// memory too, when the buffer grew beyond what a screen needs) once all is
// sent, else once more than half is.
void Compact(std::string& out, std::size_t& sent);

}  // namespace pellix::serve
