// Runs the settings store on the file beside this executable and prints what
// it read, so that the same steps can be compared natively (our ini code) and
// under Wine (the system's profile functions).
//   settings_probe raw               each entry as the reader gives it, fallback -7
//   settings_probe load              the seven fields after the load rules
//   settings_probe save name=value…  load, change the named fields, save all seven
//   settings_probe change [wait] name=value
//                                    load, change one field and save it alone, as
//                                    the settings window does; with wait, only
//                                    once a file named go appears beside the
//                                    settings file (another instance may save
//                                    in between); prints saved=1 or saved=0

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <chrono>

#include "settings/settings.h"

// The platform's start-up steps for the settings (settings_probe_win.cpp /
// _posix.cpp).
void PrepareSettingsPlatform();

namespace {

struct Field {
    const char* name;
    int32_t Settings::*member;
    const char* section;
};

struct FieldKey {
    const char* name;
    SettingKey key;
};
const FieldKey kKeys[] = {{"fps", kKeyFps},   {"cursor", kKeyCursor}, {"guides", kKeyGuides},
                          {"outw", kKeyOutw}, {"defw", kKeyDefw},     {"defh", kKeyDefh},
                          {"autocheck", kKeyAutocheck}, {"optimize", kKeyOptimize}};

const Field kFields[] = {
    {"fps", &Settings::fps, "settings"},       {"cursor", &Settings::cursor, "settings"},
    {"guides", &Settings::guides, "settings"}, {"outw", &Settings::outw, "settings"},
    {"defw", &Settings::defw, "settings"},     {"defh", &Settings::defh, "settings"},
    {"autocheck", &Settings::autocheck, "update"}, {"optimize", &Settings::optimize, "settings"},
};

void PrintFields()
{
    for (const Field& field : kFields)
        std::printf("%s=%d\n", field.name, static_cast<int>(settings.*field.member));
}

int Assign(const char* assignment)
{
    const char* equals = std::strchr(assignment, '=');
    if (!equals)
        return 0;
    for (const Field& field : kFields) {
        size_t length = std::strlen(field.name);
        if (static_cast<size_t>(equals - assignment) == length && std::strncmp(assignment, field.name, length) == 0) {
            settings.*field.member = static_cast<int32_t>(std::atoi(equals + 1));
            return 1;
        }
    }
    return 0;
}

void WaitForGo()
{
    char go[kSettingsPathSize];
    std::snprintf(go, sizeof go, "%s", settingsPath);
    char* slash = std::strrchr(go, '/');
    char* backslash = std::strrchr(go, '\\');
    char* last = slash > backslash ? slash : backslash;
    std::strcpy(last ? last + 1 : go, "go");
    std::printf("loaded\n");
    std::fflush(stdout);
    for (int i = 0; i < 300; i++) {
        if (FILE* file = std::fopen(go, "rb")) {
            std::fclose(file);
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
}

}  // namespace

int main(int argc, char** argv)
{
    PrepareSettingsPlatform();
    if (argc < 2) {
        std::fprintf(stderr, "usage: settings_probe raw | load | save name=value...\n");
        return 2;
    }
    LoadSettings();
    if (settingsPath[0] == 0) {
        std::printf("no settings file\n");
        return 1;
    }
    if (std::strcmp(argv[1], "raw") == 0) {
        for (const Field& field : kFields)
            std::printf("%s/%s=%d\n", field.section, field.name,
                        static_cast<int>(settingsApi.getInt(field.section, field.name, -7, settingsPath)));
        return 0;
    }
    if (std::strcmp(argv[1], "load") == 0) {
        PrintFields();
        return 0;
    }
    if (std::strcmp(argv[1], "save") == 0) {
        for (int i = 2; i < argc; i++) {
            if (!Assign(argv[i])) {
                std::fprintf(stderr, "unknown field: %s\n", argv[i]);
                return 2;
            }
        }
        SaveSettings();
        PrintFields();
        return 0;
    }
    if (std::strcmp(argv[1], "change") == 0 && argc >= 3) {
        const int wait = std::strcmp(argv[2], "wait") == 0;
        const char* assignment = argv[argc - 1];
        const FieldKey* found = nullptr;
        for (const FieldKey& k : kKeys)
            if (std::strncmp(assignment, k.name, std::strlen(k.name)) == 0 && assignment[std::strlen(k.name)] == '=')
                found = &k;
        if (!found || !Assign(assignment)) {
            std::fprintf(stderr, "unknown field: %s\n", assignment);
            return 2;
        }
        if (wait)
            WaitForGo();
        SaveSetting(found->key);
        std::printf("saved=%d\n", settingsSaveFailed ? 0 : 1);
        return 0;
    }
    std::fprintf(stderr, "unknown command: %s\n", argv[1]);
    return 2;
}
