// density_change.cpp: makes the running face behave as if it had reached a
// monitor of another density, through the hook in density_change_hook.dll.
// Usage: density_change.exe DPI X Y   (X, Y: the corner the system suggests)
// Prints the window's rectangle afterwards; exit code 0 once its size changed.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/wine_tools/density_change.h"

int main(int argc, char** argv) {
    if (argc != 4) return 2;
    const DensityChange change{std::atoi(argv[1]), std::atoi(argv[2]), std::atoi(argv[3])};
    HWND face = ::FindWindowW(nullptr, L"Quorl's Zwinkerle");
    if (face == nullptr) return 3;
    // The hook library beside this program.
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring library(path);
    library.replace(library.find_last_of(L'\\') + 1, std::wstring::npos, L"density_change_hook.dll");
    HMODULE hook = ::LoadLibraryW(library.c_str());
    const auto procedure = reinterpret_cast<HOOKPROC>(
        reinterpret_cast<void*>(::GetProcAddress(hook, "DensityChangeHook")));
    if (procedure == nullptr) return 4;
    HHOOK installed = ::SetWindowsHookExW(WH_GETMESSAGE, procedure, hook, ::GetWindowThreadProcessId(face, nullptr));
    if (installed == nullptr) return 5;
    RECT before{}, rect{};
    ::GetWindowRect(face, &before);
    ::PostMessageW(face, ::RegisterWindowMessageW(kDensityChangeRequest), 0, change.Packed());
    // Until the face's window takes another size, for 10 s at most.
    bool resized = false;
    for (int waited = 0; waited < 10000 && !resized; waited += 20) {
        ::Sleep(20);
        ::GetWindowRect(face, &rect);
        resized = rect.right - rect.left != before.right - before.left;
    }
    ::UnhookWindowsHookEx(installed);
    std::printf("%ld %ld %ld %ld\n", rect.left, rect.top, rect.right, rect.bottom);
    return resized ? 0 : 1;
}
