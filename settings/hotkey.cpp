#include "settings/hotkey.h"

#include <cstdio>
#include <cstring>

namespace {

struct NamedKey {
    const char* name;
    uint32_t key;
};

const NamedKey kNamedKeys[] = {
    {"Space", kKeySpace},   {"PageUp", kKeyPageUp}, {"PageDown", kKeyPageDown}, {"End", kKeyEnd},
    {"Home", kKeyHome},     {"Insert", kKeyInsert}, {"Delete", kKeyDelete},     {"Pause", kKeyPause},
};

const NamedKey kModifiers[] = {
    {"Ctrl", kHotkeyCtrl}, {"Alt", kHotkeyAlt}, {"Shift", kHotkeyShift}, {"Win", kHotkeyWin}, {"Super", kHotkeyWin},
};

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

char Upper(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

bool SameName(const char* text, size_t length, const char* name)
{
    if (std::strlen(name) != length)
        return false;
    for (size_t i = 0; i < length; i++)
        if (Upper(text[i]) != Upper(name[i]))
            return false;
    return true;
}

// 0 when the name is no key.
uint32_t KeyOf(const char* text, size_t length)
{
    if (length == 1) {
        const char c = Upper(text[0]);
        if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))
            return static_cast<uint32_t>(c);
        return 0;
    }
    if (Upper(text[0]) == 'F' && length <= 3) {
        int32_t number = 0;
        for (size_t i = 1; i < length; i++) {
            if (text[i] < '0' || text[i] > '9')
                return 0;
            number = number * 10 + (text[i] - '0');
        }
        if (text[1] == '0' || number < 1 || number > kFunctionKeyCount)
            return 0;
        return kKeyF1 + static_cast<uint32_t>(number - 1);
    }
    for (const NamedKey& named : kNamedKeys)
        if (SameName(text, length, named.name))
            return named.key;
    return 0;
}

uint32_t ModifierOf(const char* text, size_t length)
{
    for (const NamedKey& modifier : kModifiers)
        if (SameName(text, length, modifier.name))
            return modifier.key;
    return 0;
}

bool NeedsModifier(uint32_t key)
{
    return (key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9') || key == kKeySpace;
}

}  // namespace

HotkeyParse ParseHotkey(const char* text, Hotkey* hotkey)
{
    const char* p = text;
    while (IsBlank(*p))
        p++;
    if (*p == 0)
        return kHotkeyOff;
    uint32_t modifiers = 0;
    for (;;) {
        const char* plus = std::strchr(p, '+');
        const char* end = plus ? plus : p + std::strlen(p);
        const char* first = p;
        while (first < end && IsBlank(*first))
            first++;
        const char* last = end;
        while (last > first && IsBlank(last[-1]))
            last--;
        const size_t length = static_cast<size_t>(last - first);
        if (length == 0)
            return kHotkeyUnreadable;
        if (plus) {
            // Every name before the last is a modifier, each named once.
            const uint32_t modifier = ModifierOf(first, length);
            if (!modifier || (modifiers & modifier))
                return kHotkeyUnreadable;
            modifiers |= modifier;
            p = plus + 1;
            continue;
        }
        const uint32_t key = KeyOf(first, length);
        if (!key || (modifiers == 0 && NeedsModifier(key)))
            return kHotkeyUnreadable;
        *hotkey = {modifiers, key};
        return kHotkeyValid;
    }
}

void FormatHotkey(char* buffer, int32_t size, const Hotkey& hotkey)
{
    if (size < 1)
        return;
    buffer[0] = 0;
    if (!hotkey.key)
        return;
    char key[16] = "";
    if ((hotkey.key >= 'A' && hotkey.key <= 'Z') || (hotkey.key >= '0' && hotkey.key <= '9')) {
        key[0] = static_cast<char>(hotkey.key);
    } else if (hotkey.key >= kKeyF1 && hotkey.key < kKeyF1 + kFunctionKeyCount) {
        std::snprintf(key, sizeof key, "F%u", static_cast<unsigned>(hotkey.key - kKeyF1 + 1));
    } else {
        for (const NamedKey& named : kNamedKeys)
            if (named.key == hotkey.key)
                std::snprintf(key, sizeof key, "%s", named.name);
    }
    std::snprintf(buffer, static_cast<size_t>(size), "%s%s%s%s%s", (hotkey.modifiers & kHotkeyCtrl) ? "Ctrl+" : "",
                  (hotkey.modifiers & kHotkeyAlt) ? "Alt+" : "", (hotkey.modifiers & kHotkeyShift) ? "Shift+" : "",
                  (hotkey.modifiers & kHotkeyWin) ? "Win+" : "", key);
}

Hotkey HotkeyFromSetting(int32_t found, const char* text)
{
    if (found != 1)
        return kDefaultHotkey;
    Hotkey hotkey = kDefaultHotkey;
    switch (ParseHotkey(text, &hotkey)) {
    case kHotkeyOff: return {0, 0};
    case kHotkeyValid: return hotkey;
    case kHotkeyUnreadable: break;
    }
    return kDefaultHotkey;
}
