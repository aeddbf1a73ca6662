// win32_app.cpp: the application services on Windows.
//
// Implements: App.PrevInstance (the single-copy mutex that RunProgram takes
// before any window exists), App.Path and App.EXEName (GetModuleFileNameW),
// Screen.Width (the primary monitor) and the monitors (EnumDisplayMonitors),
// in the program's pixels; the command line (GetCommandLineW) and End.
#include <string>
#include <vector>

#include "platform/contract/app.h"
#include "platform/shared/density.h"
#include "platform/win32/program_file.h"
#include "platform/win32/utf8.h"
#include "platform/win32/win32_desktop.h"

namespace platform {

namespace {

BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM monitors) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (::GetMonitorInfoW(monitor, &info)) {
        const ::RECT& r = info.rcMonitor;
        reinterpret_cast<std::vector<RECT>*>(monitors)->push_back(
            ProgramRect({r.left, r.top, r.right, r.bottom}, win32::ProgramDensity()));
    }
    return TRUE;
}

// The arguments: the command line without the program's name, which is
// quoted or ends at the first blank, and without the blanks after it.
std::wstring_view Arguments(std::wstring_view line) {
    std::size_t at = 0;
    if (!line.empty() && line[0] == L'"') {
        at = line.find(L'"', 1);
        at = at == std::wstring_view::npos ? line.size() : at + 1;
    }
    while (at < line.size() && line[at] != L' ' && line[at] != L'\t') ++at;
    while (at < line.size() && (line[at] == L' ' || line[at] == L'\t')) ++at;
    return line.substr(at);
}

}  // namespace

bool App::PrevInstance() { return win32::TheDesktop().anotherCopy; }

std::string App::Path() { return win32::ThisProgramFile().folder; }

std::string App::EXEName() {
    std::string name = win32::ThisProgramFile().name;
    const std::size_t dot = name.rfind('.');
    if (dot != std::string::npos) name.resize(dot);
    return name;
}

float Screen::Width() { return TwipsOf(::GetSystemMetrics(SM_CXSCREEN), win32::ProgramDensity()); }

std::vector<RECT> Screen::Monitors() {
    std::vector<RECT> monitors;
    ::EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&monitors));
    if (monitors.empty())
        monitors.push_back(ProgramRect({0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)},
                                       win32::ProgramDensity()));
    return monitors;
}

std::string Command() { return win32::Utf8Of(Arguments(::GetCommandLineW())); }

void End() { throw ProgramEnded{}; }

}  // namespace platform
