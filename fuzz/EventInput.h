// The byte layout the event fuzzer reads, shared with the tool that turns
// event scripts into seed inputs.
//
//   byte 0      bits 0-1: how "router1.cfg" starts; bits 2-3: how "user.dat"
//               starts (FileKind)
//   per file    of kind Raw or Built, in that order: a 2-byte little-endian
//               length and that many bytes (cut short at the end of input)
//   then        events, one opcode byte each (EventOp, modulo kOpCount)
//               followed by the operand bytes the opcode names.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace pellix::fuzz {

enum class FileKind : std::uint8_t {
    Absent = 0,
    Raw = 1,        // the bytes are the file
    Built = 2,      // the bytes are built into a well-formed file (below)
    Directory = 3,  // a folder stands where the file should be
};

// Built "router1.cfg": the bytes split at LF give the texts of slots 1, 2,
// ... (an empty text: "-=-"), laid out as the router writes them, 100 lines.
// Built "user.dat": byte k-1 gives record k: 0 an empty entry, else the
// byte as a signed 8-bit entry; 50 records.

enum EventOp : std::uint8_t {
    OpKey = 0,           // 2 bytes: any key code, little endian
    OpPrintable = 1,     // 1 byte: a printable key, 32 + byte % 95
    OpEnter = 2,         // key 13
    OpLineFeed = 3,      // key 10
    OpCtrlZ = 4,         // key 26
    OpHelp = 5,          // key "?"
    OpBackspace = 6,     // key 8
    OpPlan = 7,          // "Show Network Plan"
    OpClosePlan = 8,     // the plan's "Close"
    OpFinish = 9,        // "Finish"; nothing happens after it
    OpClick = 10,        // 1 byte: a click on console line (signed byte)
    OpTick = 11,         // the focus timer
    OpCommand = 12,      // 1 byte: a known command (index modulo count), typed, then Enter
    OpType = 13,         // 1 byte n, then n bytes: each byte as a key
    OpCommandPart = 14,  // 1 byte: a known command typed without Enter
    OpTypeEnter = 15,    // as OpType, then Enter
    OpUp = 16,           // the Up arrow: history recall
    OpDown = 17,         // the Down arrow
    kOpCount = 18,
};

// Commands and answers of the exercise: every interpreter's commands, the
// dialogs' answers, and a few near misses.
inline constexpr std::string_view kCommands[] = {
    "enable",
    "en",
    "disable",
    "exit",
    "end",
    "configure",
    "configure terminal",
    "conf t",
    "terminal",
    "t",
    "memory",
    "network",
    "show history",
    "sh h",
    "show version",
    "sh ver",
    "show running-config",
    "sh run",
    "show interface ethernet0",
    "sh int e0",
    "show interface serial 0",
    "sh int s0",
    "show ip route",
    "show access-list",
    "sh acce",
    "ping 172.10.0.1",
    "ping 172.10.0.10",
    "ping 172.10.55.20",
    "ping 210.16.54.1",
    "ping 210.16.54.2",
    "ping 192.168.50.1",
    "ping 192.168.50.8",
    "ping 192.168.10.1",
    "ping 192.168.10.20",
    "ping",
    "reset config",
    "reset score",
    "reset passwords",
    "copy running-config startup-config",
    "copy run start",
    "copy startup-config running-config",
    "copy start run",
    "copy running-config tftp",
    "copy run tftp",
    "copy tftp running-config",
    "copy tftp run",
    "172.10.0.10",
    "255.255.255.255",
    "",
    "y",
    "n",
    "N",
    "backup",
    "Router-config",
    "router1",
    "a.b",
    "../escape",
    "/tmp/x",
    "x/y",
    "_`-09AZaz",
    "router1.cfg",
    "user.dat",
    "hostname R1",
    "hostname Lab,1",
    "hostname \"q\"",
    "hostname a.b",
    "hostname",
    "enable password pelix",
    "en pass c",
    "enable secret tulip",
    "no enable password",
    "no enable secret",
    "pelix",
    "class",
    "wrong",
    "interface ethernet0",
    "int e 0",
    "interface serial0",
    "int s0",
    "ip address 172.10.0.1 255.255.0.0",
    "ip address 172.10.0.1 255.255.255.0",
    "ip address 210.16.54.1 255.255.255.0",
    "ip address 1.2.3.4 255.0.0.0",
    "no shutdown",
    "no s",
    "shutdown",
    "bandwidth 56",
    "clock rate 56000",
    "ip access-group 3",
    "ip access-group 101",
    "line vty 0 4",
    "line con 0",
    "line console 0",
    "login",
    "password vty",
    "password c",
    "password",
    "ip route 192.168.10.0 255.255.255.0 210.16.54.1",
    "ip route 192.168.50.0 255.255.255.0 210.16.54.1",
    "no ip route 192.168.10.0 255.255.255.0",
    "no ip route 192.168.50.0 255.255.255.0",
    "router rip",
    "no router rip",
    "router igrp",
    "no router igrp",
    "network 172.10.0.0",
    "network 210.16.54.0",
    "network 10.0.0.0",
    "access-list 3 deny 192.168.50.20 0.0.0.0",
    "access-list 3 permit any",
    "access-list 101 deny ip 172.10.0.0 0.0.255.255 eq 80",
    "access-list 101 permit ip any any",
};
inline constexpr std::size_t kCommandCount = std::size(kCommands);

// Builds inputs in this layout, for the seed tool.
class EventInputWriter {
  public:
    void Files(FileKind config, std::string_view configBytes, FileKind score,
               std::string_view scoreBytes) {
        bytes_.push_back(
            static_cast<char>(static_cast<int>(config) | (static_cast<int>(score) << 2)));
        for (auto [kind, data] : {std::pair{config, configBytes}, std::pair{score, scoreBytes}}) {
            if (kind != FileKind::Raw && kind != FileKind::Built) continue;
            std::size_t n = std::min<std::size_t>(data.size(), 0xFFFF);
            bytes_.push_back(static_cast<char>(n & 0xFF));
            bytes_.push_back(static_cast<char>(n >> 8));
            bytes_.append(data.substr(0, n));
        }
    }
    void Op(EventOp op) { bytes_.push_back(static_cast<char>(op)); }
    void Key(std::uint16_t code) {
        Op(OpKey);
        bytes_.push_back(static_cast<char>(code & 0xFF));
        bytes_.push_back(static_cast<char>(code >> 8));
    }
    void Click(int line) {
        Op(OpClick);
        bytes_.push_back(static_cast<char>(line));
    }
    // Types text as keys, in pieces of at most 255 bytes.
    void Type(std::string_view text) {
        while (!text.empty()) {
            std::size_t n = std::min<std::size_t>(text.size(), 255);
            Op(OpType);
            bytes_.push_back(static_cast<char>(n));
            bytes_.append(text.substr(0, n));
            text.remove_prefix(n);
        }
    }
    const std::string& Bytes() const { return bytes_; }

  private:
    std::string bytes_;
};

}  // namespace pellix::fuzz
