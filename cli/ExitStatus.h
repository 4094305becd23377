#pragma once
// The command line's exit statuses: one for each way a job can end, so that a script on the production line can
// tell them apart. --help and the manual page list them from this table.
#include <array>

namespace ExitStatus {

enum Code : int {
    Done = 0,
    Usage = 2,
    NoMonitor = 3,
    Refused = 4,
    FileError = 5,
    IdentityRefused = 6,
    Interrupted = 7,
};

struct Entry {
    Code code;
    const char* meaning;
};

inline const std::array<Entry, 7>& table() {
    static const std::array<Entry, 7> entries = {{
        {Done, "done"},
        {Usage, "usage error (unknown verb or option, missing argument)"},
        {NoMonitor, "no monitor found: the port could not be opened or nothing answered the search"},
        {Refused, "the monitor refused a request or an image record (or the download failed)"},
        {FileError, "a file could not be read or written (data file, image, log)"},
        {IdentityRefused, "refused: the file's identity check failed, or a question was not agreed with --yes"},
        {Interrupted, "interrupted: the monitor stopped answering, the port was lost, or Ctrl-C"},
    }};
    return entries;
}

// What a status means, as --help lists it.
inline const char* meaning(int code) {
    for (const Entry& e : table())
        if (e.code == code)
            return e.meaning;
    return "";
}

} // namespace ExitStatus
