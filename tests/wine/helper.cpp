// zelkor-test-helper.exe: the Windows side of the end-to-end tests under Wine.
//
//   window CLASS TITLE   keep a top-level window of CLASS open until stdin ends
//   hold PATH            keep PATH open without sharing until stdin ends
//   hide PATH            give PATH the hidden attribute
//   list PATTERN         print the names FindFirstFileA gives, in its order,
//                        each with its attribute bits
//   ini SECTION KEY FILE...  print what GetPrivateProfileStringA reads, as the
//                        program asks for it (no default, 80 bytes)
//   delete PATH...       DeleteFileA each PATH; print 0 or its error code
//   rmdir PATH...        the same with RemoveDirectoryA
//   default-caption      print the caption of a message box that has none
//   dialogs STEP...      answer the next message boxes of another process,
//                        one STEP each: ACTION|...|press=ID, where ACTION is
//                        delete=PATH (as another program might, while the box
//                        is up) or shot=PATH.bmp (a picture of the box)
//
// Each box is printed as one line: caption and text as hex bytes in the ANSI
// code page, the button ids and whether an icon shows.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <vector>

namespace {

DWORD WINAPI EndWithInput(LPVOID) {
    char buffer[256];
    DWORD read = 0;
    HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    while (ReadFile(input, buffer, sizeof buffer, &read, nullptr) && read > 0) {
    }
    ExitProcess(0);
}

void SayReady() {
    std::printf("ready\n");
    std::fflush(stdout);
}

int OpenWindow(const char* className, const char* title) {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = className;
    if (!RegisterClassA(&windowClass)) return 3;
    HWND window = CreateWindowExA(0, className, title, WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr,
                                  nullptr, windowClass.hInstance, nullptr);
    if (!window) return 3;
    SayReady();
    CreateThread(nullptr, 0, EndWithInput, nullptr, 0, nullptr);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
    return 0;
}

int Hold(const char* path) {
    HANDLE file = CreateFileA(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 3;
    SayReady();
    EndWithInput(nullptr);
    return 0;
}

std::string Hex(const std::string& bytes) {
    std::string hex;
    char pair[3];
    for (unsigned char c : bytes) {
        std::snprintf(pair, sizeof pair, "%02X", c);
        hex += pair;
    }
    return hex;
}

std::string TextOf(HWND window) {
    int length = GetWindowTextLengthA(window);
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    int got = GetWindowTextA(window, &text[0], length + 1);
    text.resize(static_cast<std::size_t>(got > 0 ? got : 0));
    return text;
}

struct Box {
    HWND window = nullptr;
    std::string caption;
    std::string text;
    std::vector<std::pair<int, HWND>> buttons;
    bool icon = false;
};

struct Search {
    std::set<HWND>* seen;
    DWORD self;
    HWND found;
};

BOOL CALLBACK FindBox(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<Search*>(context);
    char className[64] = {};
    GetClassNameA(window, className, sizeof className);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (std::strcmp(className, "#32770") == 0 && IsWindowVisible(window) && process != search->self &&
        !search->seen->count(window)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK ReadControl(HWND control, LPARAM context) {
    auto* box = reinterpret_cast<Box*>(context);
    char className[64] = {};
    GetClassNameA(control, className, sizeof className);
    if (!IsWindowVisible(control)) return TRUE;
    LONG style = GetWindowLongA(control, GWL_STYLE);
    if (_stricmp(className, "Button") == 0) {
        box->buttons.emplace_back(GetDlgCtrlID(control), control);
    } else if (_stricmp(className, "Static") == 0) {
        if ((style & SS_TYPEMASK) == SS_ICON) {
            box->icon = box->icon || SendMessageA(control, STM_GETICON, 0, 0) != 0;
        } else {
            std::string text = TextOf(control);
            if (!text.empty()) box->text = text;
        }
    }
    return TRUE;
}

// Writes the screen area of `window` as a 24-bit BMP.
bool Shoot(HWND window, const char* path) {
    RECT area;
    if (!GetWindowRect(window, &area)) return false;
    int width = area.right - area.left;
    int height = area.bottom - area.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    void* pixels = nullptr;
    HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY);
    GdiFlush();
    DWORD rowBytes = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
    DWORD imageBytes = rowBytes * static_cast<DWORD>(height);
    BITMAPFILEHEADER header = {};
    header.bfType = 0x4D42;
    header.bfOffBits = sizeof header + sizeof info.bmiHeader;
    header.bfSize = header.bfOffBits + imageBytes;
    bool written = false;
    if (FILE* file = std::fopen(path, "wb")) {
        written = std::fwrite(&header, sizeof header, 1, file) == 1 &&
                  std::fwrite(&info.bmiHeader, sizeof info.bmiHeader, 1, file) == 1 &&
                  std::fwrite(pixels, imageBytes, 1, file) == 1;
        std::fclose(file);
    }
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return written;
}

int AnswerDialogs(int count, char** steps) {
    std::set<HWND> seen;
    for (int s = 0; s < count; ++s) {
        Search search = {&seen, GetCurrentProcessId(), nullptr};
        for (int waited = 0; !search.found; waited += 50) {
            if (waited > 60000) {
                std::printf("timeout\n");
                return 2;
            }
            Sleep(50);
            EnumWindows(FindBox, reinterpret_cast<LPARAM>(&search));
        }
        Sleep(300);  // let it finish drawing
        Box box;
        box.window = search.found;
        seen.insert(box.window);
        box.caption = TextOf(box.window);
        EnumChildWindows(box.window, ReadControl, reinterpret_cast<LPARAM>(&box));
        std::printf("dialog caption=%s text=%s buttons=", Hex(box.caption).c_str(), Hex(box.text).c_str());
        for (std::size_t b = 0; b < box.buttons.size(); ++b) {
            std::printf("%s%d", b ? "," : "", box.buttons[b].first);
        }
        std::printf(" icon=%d\n", box.icon ? 1 : 0);

        std::string step = steps[s];
        int press = 0;
        for (std::size_t start = 0; start <= step.size();) {
            std::size_t end = step.find('|', start);
            if (end == std::string::npos) end = step.size();
            std::string action = step.substr(start, end - start);
            start = end + 1;
            if (action.rfind("delete=", 0) == 0) {
                std::printf("deleted=%d\n", DeleteFileA(action.c_str() + 7) ? 1 : 0);
            } else if (action.rfind("shot=", 0) == 0) {
                std::printf("shot=%d\n", Shoot(box.window, action.c_str() + 5) ? 1 : 0);
            } else if (action.rfind("press=", 0) == 0) {
                press = std::atoi(action.c_str() + 6);
            }
        }
        std::fflush(stdout);
        HWND button = nullptr;
        for (const auto& candidate : box.buttons) {
            if (candidate.first == press) button = candidate.second;
        }
        PostMessageA(box.window, WM_COMMAND, MAKEWPARAM(press, BN_CLICKED),
                     reinterpret_cast<LPARAM>(button));
    }
    std::printf("done\n");
    return 0;
}

int List(const char* pattern) {
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA(pattern, &entry);
    if (search == INVALID_HANDLE_VALUE) return 3;
    do {
        std::printf("%s %lX\n", Hex(entry.cFileName).c_str(), entry.dwFileAttributes);
    } while (FindNextFileA(search, &entry));
    FindClose(search);
    return 0;
}

int ReadIni(int count, char** arguments) {
    for (int i = 2; i < count; ++i) {
        char value[80];
        std::memset(value, 0x7F, sizeof value);  // shows what the call leaves untouched
        DWORD length = GetPrivateProfileStringA(arguments[0], arguments[1], nullptr, value, sizeof value,
                                                arguments[i]);
        std::printf("%lu %s\n", length, Hex(std::string(value, strnlen(value, sizeof value))).c_str());
    }
    return 0;
}

int Remove(BOOL(WINAPI* remove)(LPCSTR), int count, char** paths) {
    for (int i = 0; i < count; ++i) {
        std::printf("%lu\n", remove(paths[i]) ? 0ul : GetLastError());
    }
    return 0;
}

DWORD WINAPI ShowUncaptioned(LPVOID) {
    MessageBoxA(nullptr, "probe", nullptr, MB_OK);
    return 0;
}

int DefaultCaption() {
    HANDLE thread = CreateThread(nullptr, 0, ShowUncaptioned, nullptr, 0, nullptr);
    for (int tries = 0; tries < 400; ++tries) {
        Sleep(50);
        HWND box = FindWindowA("#32770", nullptr);
        DWORD process = 0;
        GetWindowThreadProcessId(box, &process);
        if (box && process == GetCurrentProcessId()) {
            std::printf("caption=%s\n", Hex(TextOf(box)).c_str());
            PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
            WaitForSingleObject(thread, 5000);
            return 0;
        }
    }
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    std::string command = argc > 1 ? argv[1] : "";
    if (command == "window" && argc == 4) return OpenWindow(argv[2], argv[3]);
    if (command == "hold" && argc == 3) return Hold(argv[2]);
    if (command == "hide" && argc == 3) return SetFileAttributesA(argv[2], FILE_ATTRIBUTE_HIDDEN) ? 0 : 3;
    if (command == "list" && argc == 3) return List(argv[2]);
    if (command == "ini" && argc >= 4) return ReadIni(argc - 2, argv + 2);
    if (command == "delete") return Remove(DeleteFileA, argc - 2, argv + 2);
    if (command == "rmdir") return Remove(RemoveDirectoryA, argc - 2, argv + 2);
    if (command == "default-caption" && argc == 2) return DefaultCaption();
    if (command == "dialogs") return AnswerDialogs(argc - 2, argv + 2);
    std::fprintf(stderr, "usage: see the top of helper.cpp\n");
    return 64;
}
