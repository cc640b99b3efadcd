#include "serve/SshHost.h"

#include <fcntl.h>
#include <libssh/libssh.h>
#include <libssh/server.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace pellix::serve {

namespace {

// Writes the key's text to the file, readable by the server's user only:
// through a temporary file renamed over it, so that a key file is never torn.
std::string WriteKeyFile(const std::filesystem::path& file, std::string_view text) {
    const std::filesystem::path temporary = file.string() + ".new";
    const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) return std::strerror(errno);
    fchmod(fd, 0600);  // a leftover temporary file keeps its mode otherwise
    bool written = write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    int error = errno;
    written = written && fsync(fd) == 0;
    if (!written && error == 0) error = errno;
    close(fd);
    if (written && rename(temporary.c_str(), file.c_str()) == 0) return {};
    if (written) error = errno;
    unlink(temporary.c_str());
    return std::strerror(error ? error : EIO);
}

// A new Ed25519 key in the file.
std::string MakeHostKey(const std::filesystem::path& file) {
    ssh_key key = nullptr;
    if (ssh_pki_generate(SSH_KEYTYPE_ED25519, 0, &key) != SSH_OK)
        return "cannot make an SSH host key";
    char* text = nullptr;
    const int rc = ssh_pki_export_privkey_base64(key, nullptr, nullptr, nullptr, &text);
    ssh_key_free(key);
    if (rc != SSH_OK) return "cannot write out the SSH host key";
    std::string problem = WriteKeyFile(file, text);
    ssh_string_free_char(text);
    if (!problem.empty()) return "cannot write the SSH host key " + file.string() + ": " + problem;
    return {};
}

}  // namespace

std::unique_ptr<SshHost> SshHost::Open(const std::filesystem::path& dir, std::string& error) {
    const std::filesystem::path file = dir / kHostKeyFile;
    std::error_code ec;
    if (!std::filesystem::exists(std::filesystem::symlink_status(file, ec))) {
        error = MakeHostKey(file);
        if (!error.empty()) return nullptr;
    }
    ssh_key key = nullptr;
    if (ssh_pki_import_privkey_file(file.c_str(), nullptr, nullptr, nullptr, &key) != SSH_OK) {
        error = "cannot read the SSH host key " + file.string() +
                " (remove it for a new one; the learners' clients then warn once)";
        return nullptr;
    }
    ssh_bind bind = ssh_bind_new();
    if (!bind) {
        ssh_key_free(key);
        error = "cannot start the SSH listener";
        return nullptr;
    }
    // The server's own settings only, not the system's libssh server file.
    bool processConfig = false;
    ssh_bind_options_set(bind, SSH_BIND_OPTIONS_PROCESS_CONFIG, &processConfig);
    int quiet = SSH_LOG_NOLOG;
    ssh_bind_options_set(bind, SSH_BIND_OPTIONS_LOG_VERBOSITY, &quiet);
    // The server names itself, not the library and its version.
    ssh_bind_options_set(bind, SSH_BIND_OPTIONS_BANNER, "Pellix");
    // The bind owns the key from here on.
    if (ssh_bind_options_set(bind, SSH_BIND_OPTIONS_IMPORT_KEY, key) != SSH_OK) {
        ssh_key_free(key);
        ssh_bind_free(bind);
        error = "cannot use the SSH host key " + file.string();
        return nullptr;
    }
    return std::unique_ptr<SshHost>(new SshHost(bind));
}

SshHost::~SshHost() {
    ssh_bind_free(bind_);
}

ssh_session_struct* SshHost::Accept(int fd) {
    ssh_session session = ssh_new();
    if (!session) {
        close(fd);
        return nullptr;
    }
    if (ssh_bind_accept_fd(bind_, session, fd) != SSH_OK) {
        // Closed with the session when it got that far, else here.
        const bool held = ssh_get_fd(session) == fd;
        ssh_free(session);
        if (!held) close(fd);
        return nullptr;
    }
    ssh_set_blocking(session, 0);
    return session;
}

}  // namespace pellix::serve
