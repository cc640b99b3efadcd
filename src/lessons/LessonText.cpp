// The text of the lessons. Every block here is typed into the router by the
// lesson walk test, in this order, from a reset router and a zeroed score:
// the tasks a block names must be the ones it earns, and the router lines it
// quotes must stand on the console right after it.
#include "lessons/Lessons.h"

namespace pellix {

namespace {

constexpr std::string_view kIntroduction =
    R"(Pellix imitates the console of Router1, one router of a small lab network. You type router commands; Pellix answers as that router would, keeps its running configuration, and scores 50 exercise tasks. These lessons lead you through all 50 in an order that builds one working router. Each lesson says why the step matters, what to type, what the router answers, and which tasks it earns.

- The console shows the last 21 lines; the bottom line is where you type, after the prompt. Enter runs the command. The Up and Down arrows bring back earlier commands. A display longer than the console scrolls off the top: scroll back to read its first lines (the mouse wheel, PgUp in the terminal and the browser, Shift+PgUp in the desktop window).
- `?` (no Enter needed) lists the commands this lab accepts in the mode you are in.
- `Ctrl-Z` leaves any configuration mode and returns to privileged EXEC mode (a real router also takes `end`).
- Show Network Plan (or F2) opens the drawing of the network. F1 opens these lessons at the next task you have not done (the terminal program shows that lesson's steps), and F3 shows your progress through the 50 tasks.
- The line under the console names the task you just completed, and the score shows how many of the 50 you have done.
- Finish (or F10) saves your score and ends the program. Your score is also saved after every command.
- Your files live in your data folder: `router1.cfg` is the router's startup configuration, `user.dat` your score, and TFTP copies are written there under the names you give.
- Three commands of user EXEC mode belong to the lab, not to a real router: `reset config` empties the saved configuration, `reset score` sets your score back to 0, and `reset passwords` removes the enable password and secret, in case you forget them.

Commands are exact here: the lab knows the commands of its exercise with the exercise's own addresses, in lower case, with single blanks. Anything else gets the router's answer to an unknown command, `Translating '...'... %Unknown command or computer name.` To follow the lessons from the start, type `reset config` and `reset score` in user EXEC mode, then restart the program.

On a real router, `Translating '...'` answers an unknown word only in the EXEC modes, where the router takes the word for the name of a host to connect to; the configuration modes answer `% Invalid input detected at '^' marker.`, with the caret under the first character they could not read. Where the lab answers a real router's form as unknown (`conf t`, `end`, `wr`), a hint under the console says what a real router does with it and which form this lab takes. Practising for the exam, turn the hints off: F4 in the desktop program, the terminal and the browser, or start with `--no-hints`.

Where the lab answers otherwise than a real router, the step says so under "On a real router". Learn the real router's answer for the exam; type the lab's form here.)";

// ---- The network plan ----

constexpr LessonBlock kPlanBlocks[] = {
    {
        "Press the Show Network Plan button (or F2), study the drawing, "
        "then close it.",
        "{Show Network Plan}\n{Close}",
        "50",
        "",
        "The score counts task 50 from the next prompt on.",
    },
};

// ---- Getting around ----

constexpr LessonBlock kGettingAroundBlocks[] = {
    {
        "The prompt `Router>` tells you two things: the router's name and, by the `>`, that you "
        "are in user EXEC mode. Ask what you may do here:",
        "{?}",
        "13",
        "Router>?\n"
        "These commands are available on this simulation:\n"
        "  enable\n"
        "  ping\n"
        "  show history\n"
        "  show version\n"
        "  reset config (Simulator only)\n"
        "  reset score (Simulator only)\n"
        "  reset passwords (Simulator only)\n"
        "Router>",
        "Every mode has its own list. The last three lines are the lab's own commands.",
    },
    {
        "Ask the router what it is:",
        "show version",
        "7",
        "1 Ethernet/IEEE 802.3 interface.\n"
        "1 Serial(sync/async) network interface.\n"
        "System/IO memory with parity disabled\n"
        "8K bytes of non-volatile configuration memory.\n"
        "4096K bytes of processor board PCMCIA flash (Read ONLY)\n"
        "Configuration register is 0x2102\n"
        "\n"
        "Router>",
        "The display names the software version, the uptime, the memory, the interfaces (one "
        "Ethernet, one serial) and the configuration register. 0x2102 is the normal value: boot "
        "the system image from flash and read the startup configuration from NVRAM.",
    },
    {
        "List the commands you typed so far:",
        "show history",
        "6",
        "Router>show history\n"
        " show version\n"
        " show history\n"
        "Router>",
        "",
    },
};

// ---- Privileged EXEC and configuration mode ----

constexpr LessonBlock kConfigurationBlocks[] = {
    {
        "Move up to privileged EXEC mode. No password is set yet, so the router lets you in at "
        "once and the prompt ends in `#`:",
        "enable",
        "",
        "Router>enable\n"
        "Router#",
        "",
    },
    {
        "Enter global configuration mode from the terminal:",
        "config t",
        "1",
        "Router#config t\n"
        "Enter configuration commands, one per line.  End with CNTL/Z.\n"
        "Router(config)#",
        "The prompt now ends in `(config)#`: what you type changes the running configuration.",
        "A word a configuration mode does not know is answered `% Invalid input detected at '^' "
        "marker.`, with a caret under it. The lab answers it with `Translating`, as the EXEC modes "
        "do.",
    },
    {
        "Give the router the name it has on the plan:",
        "hostname R1",
        "2",
        "Router(config)#hostname R1\n"
        "R1(config)#",
        "The new name shows in the very next prompt.",
    },
    {
        "Save your work: leave configuration mode with Ctrl-Z and copy the running configuration "
        "to the startup configuration, which the router loads when it starts. Lesson 9 explains "
        "the two; until then, end every lesson that changes the router this way:",
        "{Ctrl-Z}\ncopy running-config startup-config",
        "11 45",
        "R1(config)#^Z\n"
        "R1#copy running-config startup-config\n"
        "Building Configuration...\n"
        "[OK]\n"
        "R1#",
        "Ctrl-Z shows as `^Z` and takes you straight to privileged EXEC mode from any "
        "configuration mode. Whatever you do not save is gone when the program ends.",
    },
};

// ---- The enable password and secret ----

constexpr LessonBlock kEnablePasswordBlocks[] = {
    {
        "Go back into configuration mode and set both kinds of privileged password:",
        "config t\nenable password pelix\nenable secret tulip",
        "3 4",
        "R1#config t\n"
        "Enter configuration commands, one per line.  End with CNTL/Z.\n"
        "R1(config)#enable password pelix\n"
        "R1(config)#enable secret tulip\n"
        "R1(config)#",
        "",
        "The secret is kept only as its hash, so neither the configuration nor its file reveals "
        "it. This lab keeps it in clear in `router1.cfg`, and the hash that `show running-config` "
        "shows is the same whatever the secret.",
    },
    {
        "Remove them both again, as you would when handing the router over or when an old "
        "password must go:",
        "no enable password\nno enable secret",
        "9 10",
        "R1(config)#no enable password\n"
        "R1(config)#no enable secret\n"
        "R1(config)#",
        "",
    },
    {
        "Set the secret again, leave configuration mode with Ctrl-Z, drop back to user EXEC mode "
        "and prove that `enable` now asks for the secret:",
        "enable secret tulip\n{Ctrl-Z}\ndisable\nenable\ntulip",
        "",
        "R1(config)#enable secret tulip\n"
        "R1(config)#^Z\n"
        "R1#disable\n"
        "R1>enable\n"
        "Password:tulip\n"
        "R1#",
        "A wrong password three times sends you back to `R1>`.",
        "The password typed at `Password:` is not shown: the console line stays `Password:`.",
    },
    {
        "Save, so that the router asks for the secret after a restart too:",
        "copy running-config startup-config",
        "",
        "R1#copy running-config startup-config\n"
        "Building Configuration...\n"
        "[OK]\n"
        "R1#",
        "",
    },
};

// ---- Console and vty passwords ----

constexpr LessonBlock kLinePasswordBlocks[] = {
    {
        "Go back into configuration mode and protect the console line, the port a technician "
        "plugs a cable into:",
        "config t\nline con 0\npassword con\nlogin",
        "5",
        "R1#config t\n"
        "Enter configuration commands, one per line.  End with CNTL/Z.\n"
        "R1(config)#line con 0\n"
        "R1(config-line)#password con\n"
        "R1(config-line)#login\n"
        "R1(config-line)#",
        "The prompt `(config-line)#` shows that you are configuring a line.",
    },
    {
        "Do the same for the five virtual terminal lines, 0 to 4, that telnet sessions use:",
        "exit\nline vty 0 4\npassword vty\nlogin\nexit",
        "8",
        "R1(config)#line vty 0 4\n"
        "R1(config-line)#password vty\n"
        "R1(config-line)#login\n"
        "R1(config-line)#exit\n"
        "R1(config)#",
        "`exit` goes back one level, here from the line to global configuration mode.",
    },
    {
        "Check the passwords where they are kept: leave configuration mode and show the running "
        "configuration. It is longer than the console, so scroll back to read its first lines:",
        "{Ctrl-Z}\nshow running-config",
        "32",
        "line con 0\n"
        " password con\n"
        "line vty 0 4\n"
        "password vty\n"
        "\n"
        "R1#",
        "The last lines are the two lines with their passwords. Scrolled back, the display starts "
        "with the host name and the enable secret in its hashed form (`enable secret 5 ...`).",
        "Each line also shows `login` under its password, both passwords are indented by one "
        "blank, and the display begins `hostname R1`. The enable password `pelix` would show too: "
        "this lab leaves out the enable password and the `login` lines.",
    },
    {
        "Save:",
        "copy running-config startup-config",
        "",
        "R1#copy running-config startup-config\n"
        "Building Configuration...\n"
        "[OK]\n"
        "R1#",
        "",
    },
};

// ---- The Ethernet interface ----

constexpr LessonBlock kEthernetBlocks[] = {
    {
        "Go back into configuration mode, select Ethernet0 and give it its address and mask from "
        "the plan:",
        "config t\nint e0\nip address 172.10.0.1 255.255.0.0",
        "14",
        "R1#config t\n"
        "Enter configuration commands, one per line.  End with CNTL/Z.\n"
        "R1(config)#int e0\n"
        "R1(config-if)#ip address 172.10.0.1 255.255.0.0\n"
        "R1(config-if)#",
        "",
    },
    {
        "Bring the interface up and go back to global configuration mode:",
        "no shutdown\nexit",
        "15",
        "R1(config-if)#no shutdown\n"
        "R1(config-if)#exit\n"
        "R1(config)#",
        "",
        "Before `no shutdown`, `show interface ethernet 0` reads `Ethernet0 is administratively "
        "down, line protocol is down`. This lab never shows \"administratively down\": an "
        "interface not yet brought up reads `Ethernet0 is up, line protocol is down`.",
    },
    {
        "Leave configuration mode and save:",
        "{Ctrl-Z}\ncopy running-config startup-config",
        "",
        "R1(config)#^Z\n"
        "R1#copy running-config startup-config\n"
        "Building Configuration...\n"
        "[OK]\n"
        "R1#",
        "",
    },
};

// ---- The serial interface ----

constexpr LessonBlock kSerialBlocks[] = {
    {
        "Go back into configuration mode, select Serial0 and give it its address on the link to "
        "Router2:",
        "config t\nint s0\nip address 210.16.54.1 255.255.255.0",
        "16",
        "R1#config t\n"
        "Enter configuration commands, one per line.  End with CNTL/Z.\n"
        "R1(config)#int s0\n"
        "R1(config-if)#ip address 210.16.54.1 255.255.255.0\n"
        "R1(config-if)#",
        "",
    },
    {
        "Tell the router the link's speed in kilobits per second, and, as the DCE end of the "
        "cable, supply the clock in bits per second:",
        "bandwidth 56\nclock rate 56000",
        "18 19",
        "R1(config-if)#bandwidth 56\n"
        "R1(config-if)#clock rate 56000\n"
        "R1(config-if)#",
        "",
        "Without `clock rate` on the DCE end the line protocol stays down and no ping crosses the "
        "link. This lab brings Serial0 up and lets pings through without it, so a ping that works "
        "here does not prove that the clock is set.",
    },
    {
        "Bring the interface up and go back to privileged EXEC mode:",
        "no shutdown\nexit\nexit",
        "17",
        "R1(config-if)#no shutdown\n"
        "R1(config-if)#exit\n"
        "R1(config)#exit\n"
        "R1#",
        "",
    },
    {
        "Save:",
        "copy running-config startup-config",
        "",
        "R1#copy running-config startup-config\n"
        "Building Configuration...\n"
        "[OK]\n"
        "R1#",
        "",
    },
};

// ---- Checking the interfaces ----

constexpr LessonBlock kShowInterfaceBlocks[] = {
    {
        "Look at Ethernet0:",
        "sh int e0",
        "41",
        "     0 packets output, 0 bytes, 0 underruns\n"
        "     0 output errors, 47 collisions, 0 interface resets\n"
        "Note: statistics have been simulated for this exercise.\n"
        "R1#",
        "The first line of the display has scrolled off the top: scroll back to it, it is the one "
        "to read first: `Ethernet0 is up, line protocol is up`. The first \"up\" is the physical "
        "layer (the cable and the port), the second the data link layer (keepalives are "
        "answered). Below come the address `172.10.0.1/16`, the MTU, bandwidth and delay, the "
        "encapsulation, and the counters.",
    },
    {
        "Look at Serial0:",
        "sh int s0",
        "42",
        "     0 packets output, 0 bytes, 0 underruns\n"
        "     DCD=up  DSR=up  DTR=down  RTS=down  CTS=up\n"
        "Note: statistics have been simulated for this exercise.\n"
        "R1#",
        "Scrolled back, the display reads `Serial0 is up, line protocol is up`, `Internet address is "
        "210.16.54.1/24` and `Encapsulation HDLC`, the default for serial links. The last line of "
        "counters shows the signals of the serial cable.",
    },
};

// ---- Saving and restoring the configuration ----

constexpr LessonBlock kSavingBlocks[] = {
    {
        "Look at what you have configured so far:",
        "show running-config",
        "",
        "interface Serial0\n"
        " ip address 210.16.54.1 255.255.255.0\n"
        "line con 0\n"
        " password con\n"
        "line vty 0 4\n"
        "password vty\n"
        "\n"
        "R1#",
        "Scroll back to read it whole: the version, `HostName R1`, the enable secret in its "
        "hashed form, then the interfaces with their addresses, and the lines with their "
        "passwords.",
        "The display holds every setting: `hostname R1` in lower case, the enable password, the "
        "serial line's `bandwidth 56` and `clock rate 56000`, and later the static routes, "
        "`router rip` with its `network` lines and the access lists. This lab's display leaves "
        "those out: check the routes with `show ip route` and the lists with `show access-list`.",
    },
    {
        "Save it, so that the router comes back with it after a restart, as you have done at the "
        "end of every lesson so far:",
        "copy running-config startup-config",
        "",
        "R1#copy running-config startup-config\n"
        "Building Configuration...\n"
        "[OK]\n"
        "R1#",
        "",
    },
    {
        "Copy the saved configuration back into the running one:",
        "copy startup-config running-config",
        "12",
        "R1#copy startup-config running-config\n"
        "\n"
        "R1#",
        "Here the running configuration is now the saved one again.",
        "To undo an experiment, restart the router without saving (`reload`): copying the saved "
        "configuration over the running one keeps what you added since the save.",
    },
};

// ---- TFTP to and from ServerA ----

constexpr LessonBlock kTftpBlocks[] = {
    {
        "Send the running configuration to ServerA. The router asks two questions; answer each "
        "and press Enter:",
        "copy running-config tftp\n172.10.0.10\nR1-config",
        "20",
        "R1#copy running-config tftp\n"
        "Address or name of remote host []?172.10.0.10\n"
        "Destination filename [R1-confg]?R1-config\n"
        "!!\n"
        "1299 bytes copied in 1.132 secs (1299 bytes/sec)\n"
        "R1#",
        "Each `!` is a block of the file sent and acknowledged.",
    },
    {
        "Fetch the same file back into the running configuration. The third question asks you to "
        "confirm; any answer but one starting with `n` goes ahead:",
        "copy tftp running-config\n172.10.0.10\nR1-config\ny",
        "21",
        "R1#copy tftp running-config\n"
        "Address of remote host [255.255.255.255]?172.10.0.10\n"
        "Name of configuration file [R1-confg]?R1-config\n"
        "Configure using router1-confg from 255.255.255.255? [confirm]y\n"
        "!!\n"
        "1299 bytes copied in 1.132 secs (1299 bytes/sec)\n"
        "R1#",
        "",
        "The questions name the host you gave, `Configure using R1-config from 172.10.0.10?`, "
        "and the fetched commands are added to the running ones, as from the startup "
        "configuration.",
    },
    {
        "The fetched configuration is now the running one. Save it:",
        "copy running-config startup-config",
        "",
        "R1#copy running-config startup-config\n"
        "Building Configuration...\n"
        "[OK]\n"
        "R1#",
        "",
    },
};

// ---- Static routes ----

constexpr LessonBlock kStaticRouteBlocks[] = {
    {
        "Add a route to each network behind Router2, then return with Ctrl-Z:",
        "config t\n"
        "ip route 192.168.10.0 255.255.255.0 210.16.54.1\n"
        "ip route 192.168.50.0 255.255.255.0 210.16.54.1\n"
        "{Ctrl-Z}",
        "22 23",
        "R1#config t\n"
        "Enter configuration commands, one per line.  End with CNTL/Z.\n"
        "R1(config)#ip route 192.168.10.0 255.255.255.0 210.16.54.1\n"
        "R1(config)#ip route 192.168.50.0 255.255.255.0 210.16.54.1\n"
        "R1(config)#^Z\n"
        "R1#",
        "",
    },
    {
        "Read the routing table:",
        "show ip route",
        "43",
        "R1#show ip route\n"
        "C 172.10.0.1 is directly connected, Ethernet0\n"
        "C 210.16.54.0 is directly connected, Serial0\n"
        "S 192.168.50.0 [1/0] via 210.16.54.1\n"
        "S 192.168.10.0 [1/0] via 210.16.54.1\n"
        "R1#",
        "`C` marks the networks of the router's own interfaces, `S` the static routes. In "
        "`[1/0]` the 1 is the administrative distance (how much the router trusts the source of "
        "the route: 0 for connected, 1 for static, 100 for IGRP, 120 for RIP) and the 0 the "
        "metric.",
        "A connected line names the network and its prefix length, `C 172.10.0.0/16 is directly "
        "connected, Ethernet0`, and a static route its next hop, the neighbour: `S "
        "192.168.10.0/24 [1/0] via 210.16.54.2`. This lab shows Ethernet0's own address on its `C` "
        "line.",
    },
    {
        "Save:",
        "copy running-config startup-config",
        "",
        "R1#copy running-config startup-config\n"
        "Building Configuration...\n"
        "[OK]\n"
        "R1#",
        "",
    },
};

// ---- Testing with ping ----

constexpr LessonBlock kPingBlocks[] = {
    {
        "Ping Router2's address on the 192.168.50.0 network:",
        "ping 192.168.50.1",
        "34 46",
        "R1#ping 192.168.50.1\n"
        "\n"
        "Type escape sequence to abort.\n"
        "Sending 5, 100-byte ICMP Echoes to 192.168.50.1, timeout is 2 seconds:\n"
        "!!!!!\n"
        "Success rate is 100 percent (5/5)\n"
        "R1#",
        "Five echo requests of 100 bytes went out; each `!` is a reply that came back within the "
        "2 second timeout.",
    },
    {
        "Ping ServerX, then Router2's other address and HostZ:",
        "ping 192.168.50.8\nping 192.168.10.1\nping 192.168.10.20",
        "47 48 49",
        "R1#ping 192.168.10.20\n"
        "\n"
        "Type escape sequence to abort.\n"
        "Sending 5, 100-byte ICMP Echoes to 192.168.10.20, timeout is 2 seconds:\n"
        "!!!!!\n"
        "Success rate is 100 percent (5/5)\n"
        "R1#",
        "",
    },
    {
        "Now ping an address that is on no network of the plan, and read a failure:",
        "ping 192.168.20.1",
        "",
        "R1#ping 192.168.20.1\n"
        "\n"
        "Type escape sequence to abort.\n"
        "Sending 5, 100-byte ICMP Echoes to 192.168.20.1, timeout is 2 seconds:\n"
        ".....\n"
        "Success rate is 0 percent (0/5)\n"
        "R1#",
        "Each `.` is a request that timed out: no route, no reply.",
    },
};

// ---- RIP and IGRP ----

constexpr LessonBlock kRoutingProtocolBlocks[] = {
    {
        "Remove the two static routes; a routing protocol will find the networks instead:",
        "config t\n"
        "no ip route 192.168.10.0 255.255.255.0 210.16.54.1\n"
        "no ip route 192.168.50.0 255.255.255.0 210.16.54.1",
        "24 25",
        "R1(config)#no ip route 192.168.10.0 255.255.255.0 210.16.54.1\n"
        "R1(config)#no ip route 192.168.50.0 255.255.255.0 210.16.54.1\n"
        "R1(config)#",
        "",
    },
    {
        "Turn RIP on and name the two networks the router is directly connected to:",
        "router rip\nnetwork 210.16.54.0\nnetwork 172.10.0.0",
        "26 30 31",
        "R1(config)#router rip\n"
        "R1(config)#network 210.16.54.0\n"
        "R1(config)#network 172.10.0.0\n"
        "R1(config)#",
        "",
        "RIP sends and listens only on the interfaces its `network` statements cover: with "
        "`router rip` alone it announces nothing and learns nothing. This lab lets the remote "
        "pings succeed with `router rip` and no `network` statement, so check the statements "
        "themselves, not only the pings.",
    },
    {
        "Try IGRP in its place: turn RIP off, IGRP on with the same networks, and off again:",
        "no router rip\n"
        "router igrp\n"
        "network 210.16.54.0\n"
        "network 172.10.0.0\n"
        "no router igrp",
        "27 28 29",
        "R1(config)#no router rip\n"
        "R1(config)#router igrp\n"
        "R1(config)#network 210.16.54.0\n"
        "R1(config)#network 172.10.0.0\n"
        "R1(config)#no router igrp\n"
        "R1(config)#",
        "Turning a protocol off removes its network statements too.",
    },
    {
        "Leave the router with RIP running, so that the networks behind Router2 stay reachable:",
        "router rip\nnetwork 210.16.54.0\nnetwork 172.10.0.0",
        "",
        "R1(config)#router rip\n"
        "R1(config)#network 210.16.54.0\n"
        "R1(config)#network 172.10.0.0\n"
        "R1(config)#",
        "",
    },
    {
        "Check what the router now knows: leave configuration mode and read the routing table:",
        "{Ctrl-Z}\nshow ip route",
        "",
        "R1(config)#^Z\n"
        "R1#show ip route\n"
        "C 172.10.0.1 is directly connected, Ethernet0\n"
        "C 210.16.54.0 is directly connected, Serial0\n"
        "S 192.168.50.0 [1/0] via 210.16.54.1\n"
        "S 192.168.10.0 [1/0] via 210.16.54.1\n"
        "R1#",
        "Read the two lines for the networks behind Router2 as the routes RIP learned.",
        "The static routes are gone, so the table lists the networks RIP learned from Router2 as "
        "`R` routes with RIP's distance and the hop count, and the time since the last update: "
        "`R 192.168.10.0/24 [120/1] via 210.16.54.2, 00:00:12, Serial0`. This lab keeps showing "
        "them as the `S` lines of lesson 11.",
    },
    {
        "Save:",
        "copy running-config startup-config",
        "",
        "R1#copy running-config startup-config\n"
        "Building Configuration...\n"
        "[OK]\n"
        "R1#",
        "",
    },
};

// ---- A standard access list ----

constexpr LessonBlock kStandardAccessListBlocks[] = {
    {
        "Go back into configuration mode and build access list 3: first the host to stop, then "
        "everyone else:",
        "config t\naccess-list 3 deny 192.168.50.20 0.0.0.0\naccess-list 3 permit any",
        "35 36",
        "R1#config t\n"
        "Enter configuration commands, one per line.  End with CNTL/Z.\n"
        "R1(config)#access-list 3 deny 192.168.50.20 0.0.0.0\n"
        "R1(config)#access-list 3 permit any\n"
        "R1(config)#",
        "",
    },
    {
        "Apply it to Ethernet0, the interface nearest the hosts it protects:",
        "int e0\nip access-group 3\nexit",
        "37",
        "R1(config)#int e0\n"
        "R1(config-if)#ip access-group 3\n"
        "R1(config-if)#exit\n"
        "R1(config)#",
        "",
    },
    {
        "Check the list: leave configuration mode and list the access lists:",
        "{Ctrl-Z}\nshow access-list",
        "44",
        "R1(config)#^Z\n"
        "R1#show access-list\n"
        "standard IP access list 3\n"
        "    OK\n"
        "    OK\n"
        "\n"
        "R1#",
        "One line for each entry, in the order the router checks them.",
        "Each entry is shown as typed, with the number of packets it matched: `deny "
        "192.168.50.20` and `permit any`. This lab shows `OK` for each.",
    },
    {
        "Save:",
        "copy running-config startup-config",
        "",
        "R1#copy running-config startup-config\n"
        "Building Configuration...\n"
        "[OK]\n"
        "R1#",
        "",
    },
};

// ---- An extended access list ----

constexpr LessonBlock kExtendedAccessListBlocks[] = {
    {
        "Go back into configuration mode and build access list 101: stop web traffic (port 80) "
        "from the 172.10.0.0 network, let everything else through:",
        "config t\naccess-list 101 deny ip 172.10.0.0 0.0.255.255 eq 80\n"
        "access-list 101 permit ip any any",
        "38 39",
        "R1#config t\n"
        "Enter configuration commands, one per line.  End with CNTL/Z.\n"
        "R1(config)#access-list 101 deny ip 172.10.0.0 0.0.255.255 eq 80\n"
        "R1(config)#access-list 101 permit ip any any\n"
        "R1(config)#",
        "",
    },
    {
        "Apply it to Serial0, where that traffic leaves the router, and return with Ctrl-Z:",
        "int s0\nip access-group 101\n{Ctrl-Z}",
        "40",
        "R1(config)#int s0\n"
        "R1(config-if)#ip access-group 101\n"
        "R1(config-if)#^Z\n"
        "R1#",
        "",
    },
    {
        "List the access lists again, now both:",
        "show access-list",
        "",
        "R1#show access-list\n"
        "standard IP access list 3\n"
        "    OK\n"
        "    OK\n"
        "extended IP access list 101\n"
        "    OK\n"
        "    OK\n"
        "\n"
        "R1#",
        "",
    },
    {
        "Look at the running configuration once more, now with both lists applied:",
        "show running-config",
        "33",
        " ip access-group 3 out \n"
        "interface Serial0\n"
        " ip address 210.16.54.1 255.255.255.0\n"
        " ip access-group 101 out \n"
        "line con 0\n"
        " password con\n"
        "line vty 0 4\n"
        "password vty\n"
        "\n"
        "R1#",
        "Both interfaces now carry their `ip access-group` line.",
    },
    {
        "That is all 50 tasks. Save the finished router:",
        "copy running-config startup-config",
        "",
        "R1#copy running-config startup-config\n"
        "Building Configuration...\n"
        "[OK]\n"
        "R1#",
        "",
    },
};

constexpr Topic kTopics[] = {
    {
        "starting-again",
        "Starting again after a break",
        R"(Pellix keeps two things from one session to the next: the startup configuration, `router1.cfg`, and your score, `user.dat`. When the program starts again, the router loads the startup configuration, as a real router does when it is switched on, and you begin in user EXEC mode: `R1>` once you have saved the host name.

- What you saved is back: the host name, the passwords, the interfaces' addresses, the routes and the lists. That is why every lesson that changes the router ends by saving.
- What you did not save is gone. Retype it, or go back to the lesson that configures it: the pings of lesson 12 need Ethernet0 and Serial0 configured and the static routes of lesson 11.
- Once an enable secret is saved, `enable` asks for it: type `tulip` at `Password:`. Forgot it? `reset passwords` in user EXEC mode removes the enable password and secret.
- Your score is saved after every command: F3 shows the tasks done, and F1 opens the lesson of the next one.)",
        "Yesterday you typed the static routes of lesson 11 and ended the program without "
        "saving. Today `ping 192.168.50.1` fails. Why, and what do you type?",
        "The routes were only in the running configuration, which ended with the program. Type "
        "`enable` and the secret, `config t`, the two `ip route` commands, Ctrl-Z, and save with "
        "`copy running-config startup-config`.",
        "lesson-plan",
    },
    {
        "addresses-and-classes",
        "IP addresses, classes and default masks",
        R"(An IPv4 address is 32 bits, written as four decimal numbers of 8 bits each. The first number gives the address's class, and the class its default mask, which marks the network part of the address:

- Class A: 1 to 126, default mask 255.0.0.0 (/8). 127 is kept for the router's own loopback.
- Class B: 128 to 191, default mask 255.255.0.0 (/16). 172.10.0.0, the Ethernet network of the plan, is class B with its default mask.
- Class C: 192 to 223, default mask 255.255.255.0 (/24). The serial network 210.16.54.0 and both networks behind Router2, 192.168.50.0 and 192.168.10.0, are class C.
- 224 to 239 are class D (multicast), 240 to 255 class E (reserved).

Three ranges are private, never routed on the internet: 10.0.0.0/8, 172.16.0.0 to 172.31.255.255 (172.16.0.0/12), and 192.168.0.0/16. So 192.168.50.0 and 192.168.10.0 are private, while 172.10.0.0 (below 172.16) and 210.16.54.0 are public ranges that the exercise borrows.

A network of n host bits holds 2 to the power n, less 2, hosts: the address with all host bits 0 names the network and the one with all host bits 1 is its broadcast. A /24 holds 254 hosts (210.16.54.1 to 210.16.54.254), a /16 65534. RIP's and IGRP's `network` statements take a network in its class's form: `network 172.10.0.0` names the whole class B network.)",
        "Which class is 210.16.54.1, what is its default mask, and is it a private address?",
        "Class C: its first number, 210, lies between 192 and 223. Its default mask is "
        "255.255.255.0, and it is not private: the private class C addresses are 192.168.0.0/16.",
        "lesson-ethernet",
    },
    {
        "wildcard-masks",
        "Wildcard masks",
        R"(An access list entry names the addresses it matches with an address and a wildcard mask. A 0 bit of the wildcard means "this bit must match", a 1 bit "any value here". It is not a subnet mask; for a network it is the mask turned inside out: 255.255.255.255 less the mask.

- `0.0.0.0` matches one address: `192.168.50.20 0.0.0.0`, which a real router also takes as `host 192.168.50.20`.
- `0.0.0.255` matches a /24 network: `192.168.10.0 0.0.0.255` is every address of HostZ's network.
- `0.0.255.255` matches a /16 network: `172.10.0.0 0.0.255.255` is the whole Ethernet network of Router1, the source that access list 101 stops.
- `0.0.0.0 255.255.255.255` matches every address; `any` says the same in one word.

The lab's exercise takes only the entries of its lessons; the other forms here are for the exam and a real router.)",
        "Which wildcard mask matches the network 192.168.50.0/24, and which entry denies ServerX "
        "alone?",
        "`0.0.0.255`, as in `access-list 3 deny 192.168.50.0 0.0.0.255`. ServerX alone: "
        "`access-list 3 deny 192.168.50.8 0.0.0.0`, or `access-list 3 deny host 192.168.50.8`.",
        "lesson-standard-access-list",
    },
    {
        "access-list-placement",
        "Where an access list goes, and which way",
        R"(An access list filters only where it is applied: on one interface, in one direction. `in` checks packets as they arrive by the interface, before the router routes them; `out` checks them as they leave by it. Picture yourself inside the router: traffic from the hosts of 172.10.0.0 towards Router2 comes in at Ethernet0 and goes out at Serial0. Each interface takes one list per direction.

- A standard list sees only the source address, so it belongs close to the destination. Placed near the source, it would cut that host off from everything, not only from the network you protect. Access list 3 keeps 192.168.50.20 away from the 172.10.0.0 network: on Ethernet0, `out`, towards Switch1.
- An extended list can name the protocol, the destination and the port, so it belongs close to the source: unwanted packets are dropped before they cross the network. Access list 101 stops web traffic from 172.10.0.0 on Serial0, `out`, before the serial link carries it.
- An outgoing list does not check packets the router sends itself, such as its own pings.)",
        "Access list 3 (deny 192.168.50.20, permit any) is applied on Router2, inbound on its "
        "interface to 192.168.50.0. What does it stop?",
        "Everything 192.168.50.20 sends through Router2, not only its traffic to 172.10.0.0: a "
        "standard list sees only the source. That is why it belongs near the destination, on "
        "Router1's Ethernet0, outbound.",
        "lesson-standard-access-list",
    },
};

constexpr Lesson kLessons[] = {
    {
        "lesson-plan",
        "The lab network",
        R"(Before you touch a router, know the network it sits in. Router1, the router you configure, has two interfaces. Ethernet0 (172.10.0.1) leads to Switch1, where HostA (172.10.55.20) and ServerA, the TFTP server (172.10.0.10), sit on the network 172.10.0.0 with mask 255.255.0.0. Serial0 (210.16.54.1) is a 56K leased line to Router2 (210.16.54.2) on the network 210.16.54.0/24. Behind Router2 lie two more networks: 192.168.50.0/24 with ServerX (192.168.50.8) and 192.168.10.0/24 with HostZ (192.168.10.20); Router2's own addresses there are 192.168.50.1 and 192.168.10.1.

Exam questions often hand you such a drawing and ask which address, mask, route or access list belongs where. Every command in these lessons takes its numbers from this plan.)",
        kPlanBlocks,
        "Which interface of Router1 would a packet for HostZ leave by, and which router receives "
        "it next?",
        "Serial0: HostZ (192.168.10.20) is behind Router2, which Router1 reaches over the serial "
        "link; Router2 (210.16.54.2) receives it next.",
        "- The plan opens from the button (or F2), not from a command.",
    },
    {
        "lesson-getting-around",
        "Getting around: modes, help, history",
        R"(A router's command line has levels. You start in user EXEC mode, prompt `>`, where you can look but not change anything. `enable` leads to privileged EXEC mode, prompt `#`, with every show command, the copy commands and the way into configuration. Knowing which mode a command belongs to is half the work in the exam's simulation questions.

Help is always one key away: `?` lists what the current mode accepts. The router remembers your last commands; `show history` lists them and the arrow keys recall them, which saves typing long addresses twice. `show version` is the first thing to look at on an unknown router: its software, memory, interfaces and how it booted.)",
        kGettingAroundBlocks,
        "You see the prompt `Router>`. Can you change the router's name from here?",
        "No. `>` is user EXEC mode, which only looks. Type `enable` for privileged EXEC mode, "
        "then enter configuration mode.",
        "- `?` always lists the commands of the whole mode and clears what you had typed: `show ?` "
        "does not list the words that may follow `show`.\n"
        "- The shortest forms accepted are `sh ver` and `sh h`: `sh v` is unknown here.\n"
        "- Commands are case-sensitive: `Show version` is unknown.",
    },
    {
        "lesson-configuration",
        "Configuration mode and the hostname",
        R"(Changes to a router are made in global configuration mode, entered from privileged EXEC mode with `configure terminal` ("configure from the terminal", as opposed to loading a file). Each change takes effect at once in the running configuration, held in RAM; nothing is saved until you copy it to the startup configuration.

The first thing to configure is the name. It appears in every prompt, so you always know which router you are typing into when you manage several, and it names the router's files on a TFTP server.)",
        kConfigurationBlocks,
        "Which prompt shows that you are in global configuration mode on a router named R1?",
        "`R1(config)#`.",
        "- `config t` is the form that earns task 1. `conf t`, which a real router accepts, is an "
        "unknown command here, and `configure terminal` enters configuration mode without the "
        "banner and without the task.\n"
        "- `conf` to `configure` alone ask `Configuring from terminal, memory, or network "
        "[terminal]?`; answering `terminal` enters configuration mode.\n"
        "- `hostname` alone is answered `Invalid Hostname`.",
    },
    {
        "lesson-enable-passwords",
        "The enable password and secret",
        R"(Privileged EXEC mode can change everything, so it needs a password. There are two kinds. The enable password is stored as typed and shows in clear text in the configuration. The enable secret is stored as a one-way hash (the `5` in `enable secret 5 ...`), so reading the configuration does not reveal it. When both are set, only the secret is accepted; the enable password then matters only to old software that knows no secrets. Use a secret, and make it different from the enable password.

`no` in front of a configuration command undoes it: `no enable password` removes the password.)",
        kEnablePasswordBlocks,
        "The enable password is `pelix` and the enable secret `tulip`. Which one opens "
        "privileged EXEC mode?",
        "Only `tulip`: when a secret is set, the router asks for the secret and ignores the enable "
        "password.",
        "- `en pass pelix` is accepted as a short form of `enable password pelix`.\n"
        "- The enable password and secret need at least two characters; shorter ones get "
        "`Invalid Password`.\n"
        "- The password you type at `Password:` is shown on the console here; a real router shows "
        "nothing.\n"
        "- `no enable password` and `no enable secret` earn their tasks even when nothing was "
        "set.\n"
        "- Forgot the secret? `reset passwords` in user EXEC mode removes both.",
    },
    {
        "lesson-line-passwords",
        "Console and vty passwords",
        R"(The enable passwords guard privileged mode; line passwords guard the way in. The console line (`line con 0`) is the router's physical console port, where a technician plugs in a cable, the vty lines (`line vty 0 4`, five at once) are the virtual terminals that telnet sessions land on. `password` sets the password of the line, and `login` tells the line to ask for it. A router whose vty lines have no password refuses every telnet session; that is a common reason why remote access fails.)",
        kLinePasswordBlocks,
        "Why does the vty command name `0 4`?",
        "A router offers five virtual terminal lines, numbered 0 to 4, so that up to five telnet "
        "sessions can be open at once; `line vty 0 4` configures them all together.",
        "- `login` is accepted but changes nothing in this lab; the password alone earns the "
        "task.\n"
        "- A line password may be a single character; `password` alone gets `Bad Password`.\n"
        "- `line con 0`, `line con0`, `line console 0` and `line console0` are all accepted; for "
        "the vty lines only `line vty 0 4`.",
    },
    {
        "lesson-ethernet",
        "The Ethernet interface",
        R"(An interface needs an IP address and a mask before it can carry IP traffic. The address 172.10.0.1 with mask 255.255.0.0 (a /16) puts Ethernet0 on the network 172.10.0.0, the network of HostA and ServerA; the hosts there use 172.10.0.1 as their default gateway.

A router's interfaces start administratively down. `no shutdown` brings the interface up; `shutdown` takes it down again, as you would before recabling. Forgetting `no shutdown` is the classic reason for an interface that shows "administratively down" and a ping that fails.)",
        kEthernetBlocks,
        "How many hosts can the network 172.10.0.0 with mask 255.255.0.0 hold?",
        "65534: 16 host bits give 65536 addresses, less the network address and the broadcast "
        "address.",
        "- Only the plan's own address and mask are accepted: the right address with a wrong mask "
        "gets `Invalid subnet`, any other address `Invalid IP address`.\n"
        "- `int e0`, `int e 0`, `interface ethernet0` and `interface ethernet 0` select the "
        "interface; `interface e0` does not.\n"
        "- `no shut` and `no s` are accepted short forms of `no shutdown`.",
    },
    {
        "lesson-serial",
        "The serial interface",
        R"(Serial0 joins Router1 to Router2 over a leased line, the network 210.16.54.0/24. A serial cable has two different ends: the DCE end supplies the clock that paces the bits, the DTE end follows it. In the lab Router1 holds the DCE end, so it must set `clock rate 56000`, in bits per second; without it the line protocol stays down.

`bandwidth 56`, in kilobits per second, does not change the line's speed at all. It tells the routing protocols how fast the link is, so that IGRP's metric, which is built from bandwidth and delay, comes out right. Mixing the two up (clock rate in bits, bandwidth in kilobits) is a favourite exam trap.)",
        kSerialBlocks,
        "Which end of a serial cable needs `clock rate`, and in what unit is it given?",
        "The DCE end, in bits per second: `clock rate 56000` for a 56K line.",
        "- Only `bandwidth 56` and `clock rate 56000` are accepted; other values are unknown "
        "commands.\n"
        "- Serial0 is addressed only with `210.16.54.1 255.255.255.0`.\n"
        "- To move from Ethernet0 to Serial0 you must `exit` first: `int s0` is unknown in "
        "interface mode.",
    },
    {
        "lesson-show-interface",
        "Checking the interfaces",
        R"(After configuring an interface, check it. `show interfaces` is the command for troubleshooting at the lower layers: its first line gives the state of the physical layer and of the line protocol. "up, line protocol is up" is what you want; "administratively down" means a missing `no shutdown`; "up, line protocol is down" on a serial link often means a missing clock rate or a mismatch of encapsulation with the far end.)",
        kShowInterfaceBlocks,
        "Serial0 reports `Serial0 is up, line protocol is down`. Name a likely cause.",
        "The physical link is there but the data link layer is not working: for example no clock "
        "rate on the DCE end, or different encapsulations at the two ends. (This lab shows that "
        "line only for an interface not yet brought up with `no shutdown`.)",
        "- Only these forms are accepted: `sh int e0`, `sh int e 0`, `show interface ethernet0` "
        "and `show interface ethernet 0`, likewise for Serial0 with `s0` and `serial`. `show int "
        "e0` is unknown here.\n"
        "- The counters are simulated, and the serial display keeps `BW 1544 Kbit` whatever "
        "bandwidth you set.",
    },
    {
        "lesson-saving",
        "Running and startup configuration",
        R"(A router keeps two configurations. The running configuration, in RAM, is what the router does now; every command you type changes it at once. The startup configuration, in NVRAM, is what the router loads when it starts. A router that loses power forgets whatever was not copied to the startup configuration. `copy running-config startup-config` saves; `copy startup-config running-config` merges the saved commands into the running configuration (this lab replaces the running configuration with the saved one).

`show running-config` shows the whole running configuration: the quickest way to check your work, and the display that exam questions quote most.)",
        kSavingBlocks,
        "You configured an interface and the router restarted before you saved. Is the address "
        "still there?",
        "No. The address was only in the running configuration; after a restart the router loads "
        "the startup configuration, which never had it. On a real router `copy startup-config "
        "running-config` would not remove an address added since the save either: it merges; "
        "only a restart without saving goes back.",
        "- The short forms `copy run start` and `copy start run` are accepted; other mixtures, "
        "such as `copy run startup-config`, are not.\n"
        "- `sh run` is accepted for `show running-config`.\n"
        "- The startup configuration is the file `router1.cfg` in your data folder; `reset "
        "config` empties it.",
    },
    {
        "lesson-tftp",
        "Backing up to ServerA with TFTP",
        R"(A configuration kept only on the router is lost with the router. TFTP, the Trivial File Transfer Protocol (UDP port 69, no login), copies it to a server and back. ServerA, 172.10.0.10, is the lab's TFTP server on the Ethernet network, so Ethernet0 must be addressed and up before the copy can work. The router suggests a file name made of its host name and `-confg`.)",
        kTftpBlocks,
        "The copy to 172.10.0.10 fails straight after a restart of an unconfigured router. Why?",
        "ServerA is reached through Ethernet0; until Ethernet0 has its address and is up, the "
        "router has no way to it.",
        "- Only ServerA's address, 172.10.0.10, is accepted as the server.\n"
        "- Enter alone accepts the suggested name; the file is then written as `R1-config`, with "
        "the \"i\", although the question shows `R1-confg`.\n"
        "- File names may hold letters, digits, `-` and `_`; a name with a dot or a blank ends in "
        "a `(Bad Name)` error.\n"
        "- The copies are files in your data folder.",
    },
    {
        "lesson-static-routes",
        "Static routes",
        R"(A router knows the networks of its own interfaces. For any other network it needs a route. A static route is one you type: the destination network, its mask, and where to send the packets. Static routes cost no bandwidth and no processor time, and they do what you say; but when the network changes, they change only when you change them. They suit small networks and stub networks with one way out, like the two networks behind Router2.)",
        kStaticRouteBlocks,
        "What does the `S` line `S 192.168.50.0 [1/0] via 210.16.54.1` tell you?",
        "That packets for the network 192.168.50.0 are sent by a static route (`S`) towards "
        "210.16.54.1, with administrative distance 1 and metric 0. On a real router the next hop "
        "is the neighbour, Router2: `S 192.168.50.0/24 [1/0] via 210.16.54.2`; a router refuses "
        "its own address, 210.16.54.1, as a next hop.",
        "- On a real router the next hop of these routes is the neighbour's address, 210.16.54.2 "
        "(or the exit interface, Serial0). This lab accepts only the form with 210.16.54.1, "
        "Router1's own serial address, as printed in these lessons.\n"
        "- The routing table shows Ethernet0's address, 172.10.0.1, where a real router shows "
        "its network, 172.10.0.0/16.\n"
        "- `sh ip route` and `show ip route` are accepted; `sh ip ro` is not.",
    },
    {
        "lesson-ping",
        "Testing with ping",
        R"(Ping sends ICMP echo requests and waits for echo replies. It answers the first question of every troubleshooting session: can this router reach that address at all? Read the marks: `!` is a reply, `.` a request that timed out, and the success rate sums them up. A remote network answers only when every step on the way has a route there and a route back.)",
        kPingBlocks,
        "A ping shows `.....` and `Success rate is 0 percent (0/5)`. What does the router know "
        "about why?",
        "Nothing more than that no reply came back in time: the request may have found no route, "
        "or the reply may have found no way back.",
        "- A ping here succeeds or fails whole: five `!` or five `.`. A real router often loses "
        "the first echo while it resolves the next hop's hardware address, and shows `.!!!!`.\n"
        "- Ping succeeds only for the nine addresses of the plan, once the interfaces and routes "
        "they need are configured.\n"
        "- `ping` must be followed by the address; a real router's question-and-answer ping "
        "(`ping` alone) is not offered.",
    },
    {
        "lesson-routing-protocols",
        "Dynamic routing with RIP and IGRP",
        R"(Routing protocols let routers tell each other which networks they can reach, so that routes follow changes in the network by themselves. RIP and IGRP are both distance-vector protocols: each router sends its table to its neighbours at regular intervals (RIP every 30 seconds). RIP counts hops and gives up at 16, so it fits small networks. IGRP builds its metric from bandwidth and delay (which is why the serial `bandwidth` matters) and reaches further.

`router rip` turns the protocol on; each `network` statement names one of the router's directly connected networks, in its classful form, and so tells the protocol which interfaces to send and listen on and which networks to announce.)",
        kRoutingProtocolBlocks,
        "Router1 runs RIP and has a static route to the same network. Which route is used?",
        "The static route: its administrative distance, 1, is lower than RIP's 120, and the "
        "source with the lower distance wins.",
        "- `router igrp` is accepted without an autonomous system number, and only so: `router "
        "igrp 100`, which a real router requires, is unknown here.\n"
        "- The `network` statements are typed at the `(config)#` prompt; a real router moves "
        "into router configuration mode, `(config-router)#`, after `router rip`.\n"
        "- Only the two networks of the plan are accepted; any other `network` gets `Invalid "
        "network`.\n"
        "- `no router rip` or `no router igrp` removes the network statements of both.",
    },
    {
        "lesson-standard-access-list",
        "A standard access list",
        R"(An access list is an ordered list of permit and deny entries; the router checks a packet against them from the top and acts on the first entry that matches. Every list ends with an invisible "deny everything", so a list with only deny entries blocks all traffic: end it with a permit. A standard list (numbers 1 to 99) looks only at the source address. The wildcard mask says which bits must match: 0.0.0.0 means all of them, one host.

A list does nothing until it is applied to an interface with `ip access-group`, in or out. Because a standard list cannot tell destinations apart, put it as close to the destination as you can, here on Ethernet0 in front of the 172.10.0.0 network, so that 192.168.50.20 can still reach everything else.)",
        kStandardAccessListBlocks,
        "What happens to every packet if you apply access list 3 with only its deny entry?",
        "Every packet is dropped: after the deny entry comes the implicit \"deny everything\", "
        "so nothing is permitted.",
        "- The entries must come in this order: the permit entry before the deny entry is "
        "answered with an empty line and not stored.\n"
        "- `ip access-group 3` is accepted without a direction and then applies to outgoing "
        "traffic, shown as `out` in the configuration; `ip access-group 3 out` is unknown here.\n"
        "- The host form `access-list 3 deny host 192.168.50.20` is not accepted.",
    },
    {
        "lesson-extended-access-list",
        "An extended access list",
        R"(An extended list (numbers 100 to 199) can match the protocol, the source, the destination and the port, so it can stop one service while letting the rest through. Port 80 is the web. Because it can be this exact, put an extended list close to the source of the traffic, so that unwanted packets are dropped before they cross the network. The exercise applies it on Serial0, outgoing, where traffic from the 172.10.0.0 network leaves Router1, before it crosses the serial link.

`show access-lists` lists the entries of every list, and `show running-config` shows where each is applied.)",
        kExtendedAccessListBlocks,
        "Why must access list 101 end with `permit ip any any`?",
        "Without it the implicit \"deny everything\" at the end would drop all traffic on Serial0, "
        "not only web traffic from 172.10.0.0.",
        "- The deny entry is accepted only as written here. On a real router a port can be "
        "matched only with tcp or udp and after a destination: `access-list 101 deny tcp "
        "172.10.0.0 0.0.255.255 any eq 80`.\n"
        "- The display command is `show access-list` (or `sh acce`, `show acce` and the forms "
        "between); `show access-lists` with the final s, the real command, is unknown here.\n"
        "- The lab lists each entry as `OK` instead of the entry's text and match counts.",
    },
};

}  // namespace

std::string_view LessonsIntroduction() {
    return kIntroduction;
}

std::span<const Lesson> Lessons() {
    return kLessons;
}

std::span<const Topic> Topics() {
    return kTopics;
}

}  // namespace pellix
