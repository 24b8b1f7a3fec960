#pragma once

#include <string>

namespace avrtazu {

enum class RegistryStatus { Ok, KeyNotFound, ValueNotFound, FileNotFound, InvalidFile };

struct RegistryValue {
    RegistryStatus status = RegistryStatus::FileNotFound;
    std::string value;
    bool ok() const { return status == RegistryStatus::Ok; }
};

// Reads string values from the registry, kept here as a file in the .reg text format that the
// registry editor writes ("Windows Registry Editor Version 5.00", or REGEDIT4): [KEY] sections,
// "Name"="value" strings with \\ and \" escapes, @="value" default values. Key and value names
// compare without regard to case, as on Windows. The file is read on every call, so that
// changes show at once.
//
// The file: the one set with setFile() (tests), else $TAZU_REGISTRY, else the host's default.
class Registry {
public:
    // The host's default file (a Linux path).
    static void setDefaultFile(const std::string& linuxPath);
    // A file used before the environment and the default; empty removes it.
    static void setFile(const std::string& linuxPath);
    // The file in use; empty when none is configured.
    static std::string file();

    // A value of a key such as "HKEY_LOCAL_MACHINE\SOFTWARE\Atmel" ("HKLM\..." also works);
    // the empty value name reads the key's default value. A value that is not a string
    // (dword:, hex:) is found, with its text as written after the "=".
    static RegistryValue readString(const std::string& key, const std::string& valueName);
    // Whether the key exists.
    static bool keyExists(const std::string& key);

    // The same lookups on the given .reg text rather than a file.
    static RegistryValue readStringFromText(const std::string& regText, const std::string& key,
                                            const std::string& valueName);
};

} // namespace avrtazu
