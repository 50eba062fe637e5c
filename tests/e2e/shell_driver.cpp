// pixlo_shell_driver.exe: reports what a user of pixlo.exe cannot see by eye,
// for tests/e2e/windowed.sh. It runs in the same Wine prefix (and so under the
// same wineserver) as the program and reads its windows through Win32.
//
//   state                 print one "key=value" line per fact (see Report)
//   wait MS COND...       poll the state until every COND holds, for at most
//                         MS milliseconds; print the state; exit 0, or 1 at
//                         the deadline. COND is key=value (equal), key^=text
//                         (starts with) or key!=value (differs or is absent).
//   watch MS COND...      like wait, but reads only the status text and the
//                         buttons' enabled states, as fast as it can, and
//                         prints every combination it saw, in order: states
//                         of a few milliseconds are seen, unless a busy
//                         machine keeps the driver off the processor then
//   close                 post WM_CLOSE to the main window
//   hotkey                post the toggle key's WM_HOTKEY to the main window
//                         (Wine on Xvfb never delivers a real one)
//   take-hotkey MS        hold Alt+Shift+R for MS milliseconds, as another
//                         program would; prints "taken" or "refused" first
//
// It sends no input: the tests move the real pointer and press real keys
// with xdotool. Texts are printed as hex of their GBK bytes so that bash can
// compare them with iconv's output byte for byte.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {

using Report = std::map<std::string, std::string>;

std::string Hex(const char* bytes, int length)
{
    std::string out;
    char two[3];
    for (int i = 0; i < length; ++i) {
        std::snprintf(two, sizeof two, "%02x", static_cast<unsigned char>(bytes[i]));
        out += two;
    }
    return out;
}

std::string TextHex(HWND window)
{
    char text[1024] = {};
    int length = GetWindowTextA(window, text, sizeof text);
    return Hex(text, length > 0 ? length : 0);
}

// An edit control's current text lives in the other process: ask it.
std::string EditTextHex(HWND window)
{
    char text[1024] = {};
    LRESULT length = SendMessageA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    return Hex(text, length > 0 ? static_cast<int>(length) : 0);
}

std::string ClassOf(HWND window)
{
    char name[128] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

std::string Rect(const RECT& r)
{
    char text[96];
    std::snprintf(text, sizeof text, "%ld %ld %ld %ld", r.left, r.top, r.right - r.left, r.bottom - r.top);
    return text;
}

std::string Number(unsigned long long value, bool hex = false)
{
    char text[32];
    std::snprintf(text, sizeof text, hex ? "0x%llx" : "%llu", value);
    return text;
}

HWND FindMain()
{
    return FindWindowA("Pixlo", "Pixlo");
}

// Top-level windows of one process, in z-order from the top.
std::vector<HWND> TopLevelOf(DWORD process)
{
    std::vector<HWND> windows;
    for (HWND w = GetTopWindow(nullptr); w; w = GetWindow(w, GW_HWNDNEXT)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(w, &owner);
        if (owner == process)
            windows.push_back(w);
    }
    return windows;
}

// The file name field of a Save dialog: the edit control id 1152 (old
// style) or the edit inside combo box 1148 (explorer style).
HWND FileNameField(HWND dialog)
{
    HWND edit = GetDlgItem(dialog, 1152);
    if (edit)
        return edit;
    HWND combo = GetDlgItem(dialog, 1148);
    if (!combo)
        return nullptr;
    HWND inner = FindWindowExA(combo, nullptr, "ComboBox", nullptr);
    HWND field = FindWindowExA(inner ? inner : combo, nullptr, "Edit", nullptr);
    return field ? field : combo;
}

Report Snapshot()
{
    Report r;
    HWND main = FindMain();
    r["main"] = main ? "1" : "0";
    int grips = 0;
    for (HWND g = FindWindowExA(nullptr, nullptr, "PixloGrip", nullptr); g;
         g = FindWindowExA(nullptr, g, "PixloGrip", nullptr))
        ++grips;
    r["grips_exist"] = Number(grips);

    HWND foreground = GetForegroundWindow();
    r["foreground"] = foreground ? ClassOf(foreground) : "none";
    r["foreground_is_main"] = (main && foreground == main) ? "1" : "0";
    r["foreground_title"] = foreground ? TextHex(foreground) : "";
    if (!main)
        return r;

    RECT outer;
    GetWindowRect(main, &outer);
    r["outer"] = Rect(outer);
    RECT client;
    GetClientRect(main, &client);
    POINT origin = {0, 0};
    ClientToScreen(main, &origin);
    RECT clientScreen = {origin.x, origin.y, origin.x + client.right, origin.y + client.bottom};
    r["client"] = Rect(clientScreen);
    LONG_PTR style = GetWindowLongPtrA(main, GWL_STYLE);
    LONG_PTR exStyle = GetWindowLongPtrA(main, GWL_EXSTYLE);
    r["style"] = Number(static_cast<unsigned long long>(style) & 0xffffffffu, true);
    r["exstyle"] = Number(static_cast<unsigned long long>(exStyle) & 0xffffffffu, true);
    r["topmost"] = (exStyle & WS_EX_TOPMOST) ? "1" : "0";
    r["layered"] = (exStyle & WS_EX_LAYERED) ? "1" : "0";
    r["visible"] = IsWindowVisible(main) ? "1" : "0";
    r["iconic"] = IsIconic(main) ? "1" : "0";
    r["zoomed"] = IsZoomed(main) ? "1" : "0";
    r["title"] = TextHex(main);

    COLORREF key = 0;
    BYTE alpha = 0;
    DWORD flags = 0;
    if (GetLayeredWindowAttributes(main, &key, &alpha, &flags))
        r["colour_key"] = (flags & LWA_COLORKEY)
            ? Number(GetRValue(key)) + "," + Number(GetGValue(key)) + "," + Number(GetBValue(key)) : "none";

    DWORD process = 0;
    GetWindowThreadProcessId(main, &process);
    std::vector<HWND> top = TopLevelOf(process);

    // Grips by their index, found among the process's windows by owner and
    // position in z-order; the index is the one the program stored.
    std::string order;
    int dialogs = 0;
    int menus = 0;
    for (size_t z = 0; z < top.size(); ++z) {
        HWND w = top[z];
        std::string name = ClassOf(w);
        if (w == main) {
            order += " main";
        } else if (name == "PixloGrip") {
            LONG_PTR index = GetWindowLongPtrA(w, GWLP_USERDATA);
            std::string key = "grip" + Number(index);
            RECT g;
            GetWindowRect(w, &g);
            LONG_PTR gripEx = GetWindowLongPtrA(w, GWL_EXSTYLE);
            r[key] = Rect(g) + (IsWindowVisible(w) ? " visible" : " hidden");
            r[key + "_exstyle"] = Number(static_cast<unsigned long long>(gripEx) & 0xffffffffu, true);
            r[key + "_owner_is_main"] = GetWindow(w, GW_OWNER) == main ? "1" : "0";
            order += " " + Number(index);
        } else if (name == "#32768" && IsWindowVisible(w)) {
            // A popup menu (the system menu) runs a modal loop of its own.
            ++menus;
        } else if (name == "#32770" && IsWindowVisible(w)) {
            // Dialogs of the program (Save, its overwrite question), topmost first.
            std::string key = "dialog" + Number(dialogs++);
            RECT d;
            GetWindowRect(w, &d);
            r[key] = Rect(d);
            r[key + "_title"] = TextHex(w);
            HWND field = FileNameField(w);
            if (field)
                r[key + "_file"] = EditTextHex(field);
            HWND ok = GetDlgItem(w, IDOK);
            if (ok) {
                RECT b;
                GetWindowRect(ok, &b);
                r[key + "_ok"] = Rect(b);
            }
            // Message boxes carry their text in a STATIC with id 0xffff.
            HWND message = GetDlgItem(w, 0xffff);
            if (message)
                r[key + "_text"] = TextHex(message);
        }
    }
    r["zorder"] = order.empty() ? "" : order.substr(1);
    r["dialogs"] = Number(dialogs);
    r["menus"] = Number(menus);

    static const int kButtons[] = {1007, 1008, 1009, 1011};
    for (int id : kButtons) {
        HWND button = GetDlgItem(main, id);
        std::string key = "button" + Number(id);
        if (!button) {
            r[key] = "missing";
            continue;
        }
        RECT b;
        GetWindowRect(button, &b);
        r[key] = Rect(b);
        r[key + "_enabled"] = IsWindowEnabled(button) ? "1" : "0";
        r[key + "_text"] = TextHex(button);
    }
    HWND status = GetDlgItem(main, 1010);
    r["status"] = status ? TextHex(status) : "missing";
    return r;
}

void Print(const Report& r)
{
    for (const auto& [key, value] : r)
        std::printf("%s=%s\n", key.c_str(), value.c_str());
    std::fflush(stdout);
}

bool Holds(const Report& r, const std::string& condition)
{
    size_t at = condition.find_first_of("!^=");
    if (at == std::string::npos || at == 0)
        return false;
    std::string key = condition.substr(0, at);
    auto found = r.find(key);
    if (condition[at] == '!' && condition.compare(at, 2, "!=") == 0)
        return found == r.end() || found->second != condition.substr(at + 2);
    if (condition[at] == '^' && condition.compare(at, 2, "^=") == 0)
        return found != r.end() && found->second.compare(0, condition.size() - at - 2, condition, at + 2) == 0;
    if (condition[at] == '=')
        return found != r.end() && found->second == condition.substr(at + 1);
    return false;
}

int Wait(int argc, char** argv)
{
    if (argc < 3)
        return 2;
    DWORD deadline = GetTickCount() + static_cast<DWORD>(std::atoi(argv[2]));
    for (;;) {
        Report r = Snapshot();
        bool all = true;
        for (int i = 3; i < argc && all; ++i)
            all = Holds(r, argv[i]);
        if (all) {
            Print(r);
            return 0;
        }
        if (static_cast<LONG>(GetTickCount() - deadline) >= 0) {
            std::printf("timeout waiting for:");
            for (int i = 3; i < argc; ++i)
                std::printf(" %s%s", argv[i], Holds(r, argv[i]) ? "" : " (not yet)");
            std::printf("\n");
            Print(r);
            return 1;
        }
        Sleep(50);
    }
}

// The status line and the enabled states, cheap enough to read in a tight loop.
Report Controls(HWND main)
{
    Report r;
    r["main"] = main ? "1" : "0";
    if (!main)
        return r;
    static const int kButtons[] = {1007, 1008, 1009, 1011};
    for (int id : kButtons) {
        HWND button = GetDlgItem(main, id);
        r["button" + Number(id) + "_enabled"] = button && IsWindowEnabled(button) ? "1" : "0";
    }
    HWND status = GetDlgItem(main, 1010);
    r["status"] = status ? TextHex(status) : "missing";
    return r;
}

int Watch(int argc, char** argv)
{
    if (argc < 3)
        return 2;
    HWND main = FindMain();
    DWORD start = GetTickCount();
    DWORD deadline = start + static_cast<DWORD>(std::atoi(argv[2]));
    std::string last;
    for (;;) {
        if (main && !IsWindow(main))
            main = nullptr;
        Report r = Controls(main);
        std::string line = "status=" + r["status"] + " enabled=" + r["button1007_enabled"] + r["button1008_enabled"] +
                           r["button1009_enabled"] + r["button1011_enabled"];
        if (line != last) {
            std::printf("seen %lu %s\n", GetTickCount() - start, line.c_str());
            std::fflush(stdout);
            last = line;
        }
        bool all = true;
        for (int i = 3; i < argc && all; ++i)
            all = Holds(r, argv[i]);
        if (all)
            return 0;
        if (static_cast<LONG>(GetTickCount() - deadline) >= 0) {
            std::printf("timeout\n");
            return 1;
        }
        Sleep(0);
    }
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: pixlo_shell_driver state | wait MS COND... | watch MS COND... | close | hotkey | "
                             "take-hotkey MS\n");
        return 2;
    }
    std::string command = argv[1];
    if (command == "state") {
        Print(Snapshot());
        return 0;
    }
    if (command == "wait")
        return Wait(argc, argv);
    if (command == "watch")
        return Watch(argc, argv);
    if (command == "close") {
        HWND main = FindMain();
        if (!main)
            return 1;
        PostMessageA(main, WM_CLOSE, 0, 0);
        return 0;
    }
    if (command == "hotkey") {
        HWND main = FindMain();
        if (!main)
            return 1;
        PostMessageA(main, WM_HOTKEY, 1, MAKELPARAM(MOD_ALT | MOD_SHIFT, 'R'));
        return 0;
    }
    if (command == "take-hotkey" && argc >= 3) {
        const BOOL taken = RegisterHotKey(nullptr, 1, MOD_ALT | MOD_SHIFT, 'R');
        std::printf("%s\n", taken ? "taken" : "refused");
        std::fflush(stdout);
        Sleep(static_cast<DWORD>(std::atoi(argv[2])));
        return taken ? 0 : 1;
    }
    std::fprintf(stderr, "unknown command %s\n", command.c_str());
    return 2;
}
