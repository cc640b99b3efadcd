// From the bytes a telnet client sends (its terminal's keys, after the telnet
// protocol is taken out) to key codes as pellix-term reads them from curses:
// bytes 0 to 255, and the curses codes for the function and arrow keys.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace pellix::serve {

class KeyDecoder {
  public:
    // The longest escape sequence taken as one key; a longer one is dropped.
    static constexpr std::size_t kMaxSequence = 16;

    // Decodes the bytes; an escape sequence cut at the end stays pending.
    std::vector<int> Feed(std::string_view bytes);
    // A pending escape that no more bytes followed in time: the Esc key, and
    // what came after it as typed.
    std::vector<int> Flush();
    bool Pending() const { return !pending_.empty(); }

  private:
    void Decode(std::vector<int>& keys, bool flushing);

    std::string pending_;
    bool afterCarriageReturn_ = false;
};

}  // namespace pellix::serve
