// The forms a real router takes that this lab answers as unknown. Each row
// names what the learner may type, what a real router does with it and what
// this lab's exercise takes instead; tests/lessons/RealRouterTest.cpp runs
// every form and every lab command through the router.
#include "lessons/RealRouter.h"

#include "lessons/Lessons.h"

namespace pellix {

namespace {

constexpr ModeSet kUser = Modes({Mode::UserExec});
constexpr ModeSet kPrivileged = Modes({Mode::PrivilegedExec});
constexpr ModeSet kGlobal = Modes({Mode::GlobalConfig});
constexpr ModeSet kEthernet = Modes({Mode::Ethernet0Config});
constexpr ModeSet kSerial = Modes({Mode::Serial0Config});
constexpr ModeSet kInterfaces = kEthernet | kSerial;
constexpr ModeSet kLines = Modes({Mode::VtyLineConfig, Mode::ConsoleLineConfig});
constexpr ModeSet kConfig = kGlobal | kInterfaces | kLines;

constexpr RealRouterForm kForms[] = {
    {kUser, "conf t|config t|configure terminal|configure|config|conf|conf term",
     "refuses {} in user EXEC too: configuration starts from privileged EXEC",
     "type `enable` first, here as there", "enable", Mode::NotStarted, false},
    {kUser,
     "show running-config|show run|sh run|show startup-config|copy run start|"
     "copy running-config startup-config|wr|write|write memory",
     "takes {} only in privileged EXEC", "so does this lab: type `enable` first", "enable",
     Mode::NotStarted, false},
    {kUser,
     "show ip route|sh ip route|show interface*|sh int*|show ip interface brief|sh ip int br",
     "shows {} in user EXEC too", "this lab shows it in privileged EXEC only: type `enable` first",
     "enable", Mode::NotStarted, false},
    {kPrivileged, "conf t|conf term|conf terminal", "takes {} to configure from the terminal",
     "this lab takes `config t` or `configure terminal`", "config t|configure terminal"},
    {kPrivileged, "enable|en", "takes {} in privileged EXEC too and stays there",
     "this lab is in privileged EXEC already, as the `#` prompt says", ""},
    {kPrivileged,
     "wr|write|write memory|wr mem|write mem|copy run startup-config|copy running-config start|"
     "copy running start|copy run startup|copy running-config startup",
     "takes {} to save the running configuration as the startup configuration",
     "this lab takes `copy run start` or `copy running-config startup-config`",
     "copy run start|copy running-config startup-config"},
    {kPrivileged, "copy startup-config run|copy start running-config|copy startup running",
     "takes {} to merge the saved configuration into the running one",
     "this lab takes `copy start run` or `copy startup-config running-config`, and replaces the "
     "running configuration with the saved one",
     "copy start run|copy startup-config running-config"},
    {kPrivileged, "show startup-config|sh start|show start|sh startup-config",
     "takes {} to show the saved configuration",
     "this lab shows only the running one (`show run`); the saved one is the file router1.cfg",
     "show run"},
    {kPrivileged, "reload", "restarts on {} with the saved configuration",
     "this lab restarts when the program starts again: save first with `copy run start`",
     "copy run start"},
    {kPrivileged, "show access-lists|sh access-lists|show ip access-lists|sh ip access-lists",
     "takes {} to list the access lists with their entries",
     "this lab takes `show access-list` or `sh acce`", "show access-list|sh acce"},
    {kPrivileged,
     "show interfaces*|sh interfaces*|show interface|sh int|show int*|sh int ethernet*|"
     "sh int serial*",
     "takes {} to show interfaces, every one when none is named",
     "this lab takes one at a time: `sh int e0` or `show interface ethernet 0`, `sh int s0` or "
     "`show interface serial 0`",
     "sh int e0|show interface ethernet 0|sh int s0|show interface serial 0"},
    {kPrivileged,
     "show ip interface brief|sh ip int br|sh ip int brief|show ip int brief|show ip int br",
     "takes {} for a one-line summary of every interface",
     "this lab has no summary: `show interface ethernet 0` and `show interface serial 0` show "
     "each interface",
     "show interface ethernet 0|show interface serial 0"},
    {kPrivileged, "show ip protocols|sh ip protocols|sh ip prot",
     "takes {} to show the routing protocols and the networks they announce",
     "this lab does not have it: `show ip route` shows the routes", "show ip route"},
    {kConfig, "end", "takes {} to leave configuration for privileged EXEC",
     "this lab takes Ctrl-Z for that, or `exit` one mode at a time", "exit"},
    {kConfig,
     "wr|write|write memory|wr mem|copy run start|copy running-config startup-config|show run|"
     "sh run|show running-config|show ip route|sh ip route|show access-list|show access-lists|"
     "ping *",
     "takes {} in privileged EXEC, or here with `do` before it",
     "this lab takes it in privileged EXEC only: Ctrl-Z first", ""},
    {kConfig, "do *", "takes {} in configuration: `do` runs a privileged EXEC command there",
     "this lab has no `do`: leave configuration with Ctrl-Z and type the command at the # prompt",
     ""},
    {kGlobal,
     "ip route 192.168.50.0 255.255.255.0 210.16.54.2|"
     "ip route 192.168.50.0 255.255.255.0 Serial0|ip route 192.168.50.0 255.255.255.0 serial0|"
     "ip route 192.168.50.0 255.255.255.0 serial 0|ip route 192.168.50.0 255.255.255.0 s0",
     "takes {}: the next hop is the neighbour, 210.16.54.2, or the exit interface Serial0",
     "this lab's exercise takes `ip route 192.168.50.0 255.255.255.0 210.16.54.1`, Router1's "
     "own address, which a real router refuses",
     "ip route 192.168.50.0 255.255.255.0 210.16.54.1"},
    {kGlobal,
     "ip route 192.168.10.0 255.255.255.0 210.16.54.2|"
     "ip route 192.168.10.0 255.255.255.0 Serial0|ip route 192.168.10.0 255.255.255.0 serial0|"
     "ip route 192.168.10.0 255.255.255.0 serial 0|ip route 192.168.10.0 255.255.255.0 s0",
     "takes {}: the next hop is the neighbour, 210.16.54.2, or the exit interface Serial0",
     "this lab's exercise takes `ip route 192.168.10.0 255.255.255.0 210.16.54.1`, Router1's "
     "own address, which a real router refuses",
     "ip route 192.168.10.0 255.255.255.0 210.16.54.1"},
    {kGlobal, "router igrp *",
     "takes {}: the number names the autonomous system that all its routers share",
     "this lab takes `router igrp` without a number", "router igrp"},
    {kGlobal,
     "access-list 101 deny tcp 172.10.0.0 0.0.255.255 any eq 80|"
     "access-list 101 deny tcp 172.10.0.0 0.0.255.255 any eq www",
     "takes {}: port 80 is TCP's, so the entry names tcp, the source, the destination (`any`) "
     "and the port",
     "this lab's exercise takes `access-list 101 deny ip 172.10.0.0 0.0.255.255 eq 80`, which a "
     "real router refuses",
     "access-list 101 deny ip 172.10.0.0 0.0.255.255 eq 80"},
    {kGlobal, "access-list 3 deny host 192.168.50.20|access-list 3 deny 192.168.50.20",
     "takes {}: `host`, or no wildcard at all, means the wildcard 0.0.0.0, this one address",
     "this lab takes `access-list 3 deny 192.168.50.20 0.0.0.0`",
     "access-list 3 deny 192.168.50.20 0.0.0.0"},
    {kGlobal, "access-list 3 permit 0.0.0.0 255.255.255.255",
     "takes {}, the same as `any`: every address", "this lab takes `access-list 3 permit any`",
     "access-list 3 permit any"},
    {kGlobal,
     "int ethernet0|int ethernet 0|interface e0|interface e 0|int Ethernet0|int Ethernet 0|"
     "interface Ethernet0|interface Ethernet 0|int E0",
     "takes {}: any abbreviation of its words, in either case",
     "this lab takes `int e0` or `interface ethernet 0`", "int e0|interface ethernet 0"},
    {kGlobal,
     "int serial0|int serial 0|interface s0|interface s 0|int Serial0|int Serial 0|"
     "interface Serial0|interface Serial 0|int S0",
     "takes {}: any abbreviation of its words, in either case",
     "this lab takes `int s0` or `interface serial 0`", "int s0|interface serial 0"},
    {kGlobal, "line vty 0 15", "takes {} where it has sixteen terminal lines",
     "this lab's router has five: `line vty 0 4`", "line vty 0 4"},
    {kEthernet, "ip addr *|ip add *", "takes {}, an abbreviation of `ip address`",
     "this lab takes it spelt out: `ip address 172.10.0.1 255.255.0.0` on Ethernet0",
     "ip address 172.10.0.1 255.255.0.0"},
    {kSerial, "ip addr *|ip add *", "takes {}, an abbreviation of `ip address`",
     "this lab takes it spelt out: `ip address 210.16.54.1 255.255.255.0` on Serial0",
     "ip address 210.16.54.1 255.255.255.0"},
    {kEthernet, "ip access-group 3 out|ip access-group 3 in",
     "takes {}: the direction, in or out, says which traffic the list checks",
     "this lab takes `ip access-group 3`, without a direction", "ip access-group 3"},
    {kSerial, "ip access-group 101 out|ip access-group 101 in",
     "takes {}: the direction, in or out, says which traffic the list checks",
     "this lab takes `ip access-group 101`, without a direction", "ip access-group 101"},
    {kSerial, "clock rate *", "takes {} at the cable's DCE end, at any rate it supports",
     "this lab's exercise takes `clock rate 56000`", "clock rate 56000"},
    {kSerial, "bandwidth *", "takes {}, in kilobits per second, for the routing protocols' costs",
     "this lab's exercise takes `bandwidth 56`", "bandwidth 56"},
    {kSerial, "encapsulation *",
     "takes {}; both ends of a serial line must agree, and HDLC is the default",
     "this lab's serial line needs no encapsulation command", ""},
    {kInterfaces, "description *", "keeps the text after `description` as a note on the interface",
     "this lab keeps no descriptions: leave it out", ""},
    {kLines, "pass *", "takes {}, an abbreviation of `password`",
     "this lab takes `password` spelt out, followed by the password", ""},
    {kLines, "exec-timeout *|logging synchronous", "takes {} to tune the sessions on the line",
     "this lab's lines take only `password` and `login`", "login"},
};

std::string Quoted(std::string_view command) {
    std::string out = "`";
    out += command;
    out += '`';
    return out;
}

}  // namespace

std::span<const RealRouterForm> RealRouterForms() {
    return kForms;
}

bool MatchesRealForm(const RealRouterForm& form, std::string_view command) {
    std::string_view forms = form.real;
    while (!forms.empty()) {
        std::size_t bar = forms.find('|');
        std::string_view one = forms.substr(0, bar);
        forms = bar == std::string_view::npos ? std::string_view{} : forms.substr(bar + 1);
        if (!one.empty() && one.back() == '*') {
            one.remove_suffix(1);
            if (command.starts_with(one) && command.size() > one.size()) return true;
        } else if (command == one) {
            return true;
        }
    }
    return false;
}

namespace {

const RealRouterForm* FindForm(Mode mode, std::string_view command) {
    for (const RealRouterForm& form : kForms)
        if (InModes(form.modes, mode) && MatchesRealForm(form, command)) return &form;
    return nullptr;
}

}  // namespace

std::string CoachHintBrief(Mode mode, std::string_view command) {
    const RealRouterForm* form = FindForm(mode, command);
    if (!form) return {};
    std::string brief(form->lab);
    if (!brief.empty() && brief[0] >= 'a' && brief[0] <= 'z') brief[0] = char(brief[0] - 'a' + 'A');
    return brief + '.';
}

std::string CoachHint(Mode mode, std::string_view command) {
    if (const RealRouterForm* found = FindForm(mode, command)) {
        const RealRouterForm& form = *found;
        std::string hint = "A real router ";
        std::string_view does = form.realDoes;
        std::size_t at = does.find("{}");
        if (at == std::string_view::npos) {
            hint += does;
        } else {
            hint += does.substr(0, at);
            hint += Quoted(command);
            hint += does.substr(at + 2);
        }
        hint += "; ";
        hint += form.lab;
        hint += '.';
        return hint;
    }
    return {};
}

namespace {

bool Types(const LessonBlock& block, std::string_view labForms) {
    for (const LessonInput& input : BlockInputs(block)) {
        if (input.kind != LessonInput::Kind::Command) continue;
        std::string_view forms = labForms;
        while (!forms.empty()) {
            std::size_t bar = forms.find('|');
            if (input.text == forms.substr(0, bar)) return true;
            forms = bar == std::string_view::npos ? std::string_view{} : forms.substr(bar + 1);
        }
    }
    return false;
}

const LessonBlock* FirstBlockTyping(std::string_view labForms) {
    for (const Lesson& lesson : Lessons())
        for (const LessonBlock& block : lesson.blocks)
            if (Types(block, labForms)) return &block;
    return nullptr;
}

Mode FirstMode(ModeSet modes) {
    for (int k = 0; k < 64; ++k)
        if ((modes >> k) & 1) return static_cast<Mode>(k);
    return Mode::NotStarted;
}

}  // namespace

std::vector<std::string> RealRouterNotes(const LessonBlock& block) {
    std::vector<std::string> notes;
    if (!block.real.empty()) notes.emplace_back(block.real);
    for (const RealRouterForm& form : kForms) {
        if (!form.lessonNote || form.labForms.empty() || FirstBlockTyping(form.labForms) != &block)
            continue;
        std::string_view first = form.real.substr(0, form.real.find('|'));
        if (first.ends_with('*')) continue;  // no one command to quote
        notes.push_back(CoachHint(FirstMode(form.modes), first));
    }
    return notes;
}

}  // namespace pellix
