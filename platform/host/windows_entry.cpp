// The Windows program's process entry: finds the show's data, then hands over
// to the system's WinMain with what Windows would have given it.
//
// The system reads data\ relative to the working folder. A shortcut with
// another "Start in" folder, or a command prompt elsewhere, starts the program
// in a folder without it; then the data\ beside velmora.exe serves, as the
// Linux program finds its data from its own folder. mingw's start-up calls
// main() when the program defines one, before any WinMain.
#include <windows.h>

namespace {

bool isFolder(const wchar_t* path) {
    const DWORD attributes = GetFileAttributesW(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Wide calls: a folder name the ANSI code page cannot spell still works.
void enterProgramFolderWhenNoData() {
    if (isFolder(L"data")) return;
    static wchar_t path[32768];
    const DWORD length = GetModuleFileNameW(nullptr, path, sizeof path / sizeof path[0]);
    if (length == 0 || length >= sizeof path / sizeof path[0] - 5) return;
    wchar_t* name = path + length;
    while (name > path && name[-1] != L'\\' && name[-1] != L'/') --name;
    if (name == path) return;
    lstrcpyW(name, L"data");
    if (!isFolder(path)) return;
    *name = L'\0';
    SetCurrentDirectoryW(path);
}

// The command line after the program's name, as WinMain receives it.
char* argumentsOf(char* line) {
    const bool quoted = *line == '"';
    if (quoted) ++line;
    while (*line && (quoted ? *line != '"' : *line != ' ' && *line != '\t')) ++line;
    if (quoted && *line == '"') ++line;
    while (*line == ' ' || *line == '\t') ++line;
    return line;
}

}  // namespace

int main() {
    enterProgramFolderWhenNoData();
    STARTUPINFOA startup;
    GetStartupInfoA(&startup);
    const int show = (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : SW_SHOWDEFAULT;
    return WinMain(GetModuleHandleA(nullptr), nullptr, argumentsOf(GetCommandLineA()), show);
}
