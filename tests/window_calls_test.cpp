// The window calls, as one implementation serves every backend: here on
// the in-memory desktop.
#include <gtest/gtest.h>

#include <tuple>

#include "tests/test_window.h"

using namespace platform;

namespace {

TEST(SetWindowPos, DoesWhatItIsAskedOrReturnsZeroWithNothingDone) {
    constexpr UINT kInPlace = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
    struct Case { const char* name; HWND after; POINTAPI at, size; UINT flags; BOOL result; RECT rect; };
    const RECT stays{10, 20, 14, 23};
    const Case cases[] = {
        {"topmost where it stands, the program's call", HWND_TOPMOST, {0, 0}, {0, 0}, kInPlace, 1, stays},
        {"topmost and moved", HWND_TOPMOST, {-5, 7}, {0, 0}, SWP_NOSIZE | SWP_NOACTIVATE, 1, {-5, 7, -1, 10}},
        {"moved at the size it has", HWND_TOPMOST, {-5, 7}, {4, 3}, SWP_NOACTIVATE, 1, {-5, 7, -1, 10}},
        {"another size", HWND_TOPMOST, {-5, 7}, {5, 3}, SWP_NOACTIVATE, 0, stays},
        {"another place in the order", HWND{}, {0, 0}, {0, 0}, kInPlace, 0, stays},
        {"taking the focus", HWND_TOPMOST, {0, 0}, {0, 0}, SWP_NOMOVE | SWP_NOSIZE, 0, stays},
        {"a flag it does not know (SWP_NOZORDER)", HWND_TOPMOST, {0, 0}, {0, 0}, kInPlace | 0x4, 0, stays},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::PictureWindow window(test::PictureFromRows({"....", "....", "...."}));
        window.Headless().MoveTo(10, 20);
        const HWND handle = window.form->hWnd();
        EXPECT_EQ(SetWindowPos(handle, c.after, c.at.x, c.at.y, c.size.x, c.size.y, c.flags), c.result);
        RECT rect{};
        ASSERT_EQ(GetWindowRect(handle, &rect), 1);
        EXPECT_EQ(std::tie(rect.left, rect.top, rect.right, rect.bottom),
                  std::tie(c.rect.left, c.rect.top, c.rect.right, c.rect.bottom));
        EXPECT_EQ(window.Headless().Topmost(), c.result == 1);
    }
    EXPECT_EQ(SetWindowPos(HWND{0x7777}, HWND_TOPMOST, 0, 0, 0, 0, kInPlace), 0) << "no such window";
}

}  // namespace
