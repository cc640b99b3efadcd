// The SSH side of the classroom server's door: the server's host key, kept
// in the class folder (made on the first start, then reused, so that the
// learners' clients recognise the server), and the SSH sessions of the
// connections the server accepts on its SSH port.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

struct ssh_bind_struct;
struct ssh_session_struct;

namespace pellix::serve {

// The host key's file in the class folder: only the server's user may read it.
inline constexpr std::string_view kHostKeyFile = "ssh_host_ed25519_key";

class SshHost {
  public:
    // The host key of the class folder, made when there is none; nothing,
    // with the reason in `error`, when it cannot be made or read.
    static std::unique_ptr<SshHost> Open(const std::filesystem::path& dir, std::string& error);
    ~SshHost();
    SshHost(const SshHost&) = delete;
    SshHost& operator=(const SshHost&) = delete;

    // An SSH session, not yet past its key exchange and not blocking, on the
    // accepted socket, which it owns from then on (closed when the session
    // is freed); nothing when it cannot be made (the socket is then closed).
    ssh_session_struct* Accept(int fd);

  private:
    explicit SshHost(ssh_bind_struct* bind) : bind_(bind) {}
    ssh_bind_struct* bind_;
};

}  // namespace pellix::serve
