#include "cli/Verbs.h"

const std::vector<Verb>& verbs() {
    static const std::vector<Verb> table = {
        {"identify", "identify [--json]",
         "firmware version, class and family, boot-block version, model, serial and part numbers (and the boards'\n"
         "      on a CRT with board identity), operating time and cycles, capability; --json for a program",
         0, 0, runIdentify, true, identifyFailed},
        {"read", "read -o FILE.mdv [--scan-set N|all]",
         "read what Update All Data reads and save it as a monitor data file; the scan set the monitor runs,\n"
         "      scan set N (1 to 6) or all of them",
         0, 0, runRead},
        {"write", "write FILE.mdv [--yes]",
         "Write File to Monitor, with its identity checks; its question is refused without --yes", 1, 1, runWrite},
        {"flash", "flash IMAGE.hex [--yes]",
         "replace the monitor's firmware with an Intel-HEX image (checked whole first; asks, so --yes); Ctrl-C\n"
         "      aborts as the progress window's Abort does",
         1, 1, runFlash},
        {"sram", "sram IMAGE.hex", "load an Intel-HEX test program into the monitor's SRAM", 1, 1, runSram},
        {"testpoints", "testpoints [--watch SECONDS] [--csv FILE] [--json]",
         "one reading of the family's test points and voltages, by the windows' captions; with --watch, read them at\n"
         "      the window's interval for SECONDS; with --csv, save every reading (time, reading, value, unit) to\n"
         "      FILE; --json for a program",
         0, 0, runTestPoints},
        {"send", "send TEXT...", "each TEXT as one request through the queue; prints the monitor's answers", 1, -1,
         runSend},
        {"history", "history [SERIAL] [--json]",
         "the monitors in the history (or the one with this serial number), each connection with its snapshots,\n"
         "      changes and ends; no monitor needed",
         0, 1, runHistory, false},
        {"diff", "diff SNAPSHOT|FILE.mdv [--json]",
         "the monitor's values now beside a snapshot's (a unique beginning of its id) or a data file's, the\n"
         "      differences marked",
         1, 1, runDiff},
        {"restore", "restore SNAPSHOT [--yes] [--json]",
         "write a snapshot's values back with Write File to Monitor's sequence and checks; asks, so --yes", 1, 1,
         runRestore},
    };
    return table;
}

const Verb* findVerb(const QString& name) {
    for (const Verb& v : verbs())
        if (name == QLatin1String(v.name))
            return &v;
    return nullptr;
}
