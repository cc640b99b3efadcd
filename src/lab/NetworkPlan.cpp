#include "lab/NetworkPlan.h"

namespace pellix::lab {

const std::vector<std::string>& NetworkPlanRows() {
    // clang-format off
    static const std::vector<std::string> rows = {
        "  +--------------+                                     +---------------+",
        "  |    HostA     |                                     |    ServerA    |",
        "  | 172.10.55.20 |                                     |  172.10.0.10  |",
        "  +--------------+          +-------------+            |  TFTP Server  |",
        "         |                  |   Switch1   |            +---------------+",
        "         +------------------|             |--------------------+",
        "                            +-------------+",
        "                                   | 172.10.0.1  (Ethernet0)",
        "                            +-------------+",
        "                            |   Router1   |  the router you configure",
        "                            +-------------+",
        "                                   | 210.16.54.1  (Serial0)",
        "                                   |  56K serial link",
        "                                   | 210.16.54.2",
        "                            +-------------+  192.168.10.1  +---------------+",
        "                            |   Router2   |----------------|     HostZ     |",
        "                            +-------------+                | 192.168.10.20 |",
        "                                   | 192.168.50.1          +---------------+",
        "                           +--------------+        +----------------------+",
        "                           |  Token Ring  |--------| ServerX 192.168.50.8 |",
        "                           +--------------+        +----------------------+",
    };
    // clang-format on
    return rows;
}

}  // namespace pellix::lab
