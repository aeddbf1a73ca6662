// idle_windows.cpp: a Windows program that does nothing: one window, a
// message loop and no timer. The yardstick of the face at rest under Wine,
// for the benchmark and the tests; its window, away from the face's place,
// is a window of Wine's that the pointer can cross.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace {

LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) PostQuitMessage(0);
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int main() {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = Procedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
    windowClass.lpszClassName = L"Idle";
    if (RegisterClassW(&windowClass) == 0) return 1;
    // At (20, 500), 200 x 150 screen pixels: below the face's place at the top centre.
    if (CreateWindowExW(0, L"Idle", L"Idle", WS_POPUP | WS_VISIBLE, 20, 500, 200, 150, nullptr, nullptr,
                        windowClass.hInstance, nullptr) == nullptr)
        return 1;
    MSG message{};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
    return 0;
}
