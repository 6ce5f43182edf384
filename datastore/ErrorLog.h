#pragma once
// The library's entries in error.log. The program writes its own entries (another banner, another
// date line and separator), so this writer stays inside the library.

#include "SqlText.h"

#include <string>

namespace wendlo {

inline constexpr const char* kLogRule = "%---------------------------------------------------%";
inline constexpr const char* kLogFrame = "%                                                   %";
inline constexpr const char* kLogShortRule = "%---------------------------------%";
inline constexpr const char* kLogInformation = "% Error Information %";
inline constexpr const char* kLogBanner = "              Wendlo - Error Log";

struct LogEntry {
    std::string nameLine; // the failing operation, e.g. "AddTrip - DLL Function"
    long number = 0;      // error number
    std::string description;
    bool initialization = false; // the entry of a failed object creation
};

// The bytes one entry adds to the file; newFile adds the header and changes the date line.
inline std::string ComposeLogEntry(const LogEntry& entry, bool newFile, const WendloDate& now) {
    std::string out;
    const auto line = [&out](const std::string& text) {
        out += text;
        out += "\r\n";
    };
    if (newFile) {
        line(kLogRule);
        line(kLogBanner);
        line(kLogRule);
    }
    line(kLogFrame);
    if (entry.initialization && !newFile)
        line(kLogInformation);
    line(FormatShortDate(now) + FormatTime(now) + (newFile ? " Error: " : "Error: ") + std::to_string(entry.number));
    line(entry.nameLine);
    line(kLogRule);
    line(entry.description);
    line(entry.initialization ? kLogShortRule : kLogRule);
    return out;
}

// Appends one entry to folder/error.log, creating the file with its header when it is absent.
// False when the file cannot be opened or written.
bool WriteLogEntry(const std::string& folder, const LogEntry& entry);

} // namespace wendlo
