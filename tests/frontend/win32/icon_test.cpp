// The program's icon at the screen's density: the icon file holds an image for each size the
// system asks for at 100, 150 and 200 %, and the window, the About box and the notification
// area get the image drawn for their size. The same tests run at 96 dpi and, in a Wine prefix
// of their own, at 192 dpi (BRINDLECOT_TEST_DPI names the density the run is set up for).
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "app/brindlecot_dlg.h"
#include "resources/resource.h"
#include "tests/frontend/win32/win32_harness.h"

namespace brindlecot::win32::testing {
namespace {

HMODULE Module() {
    return ::GetModuleHandleA(nullptr);
}

#pragma pack(push, 2)
// RT_GROUP_ICON's records: the icon file's directory, with resource ids for file offsets.
struct GroupIconEntry {
    BYTE width;  // 0 for 256
    BYTE height;
    BYTE colours;
    BYTE reserved;
    WORD planes;
    WORD bitCount;
    DWORD bytes;
    WORD id;  // of the RT_ICON resource
};
struct GroupIconHeader {
    WORD reserved;
    WORD type;
    WORD count;
};
#pragma pack(pop)

std::vector<GroupIconEntry> IconImages(int resourceId) {
    const HRSRC found = ::FindResourceA(Module(), MAKEINTRESOURCEA(resourceId), RT_GROUP_ICON);
    if (!found)
        return {};
    const auto* header =
        static_cast<const GroupIconHeader*>(::LockResource(::LoadResource(Module(), found)));
    const auto* entries = reinterpret_cast<const GroupIconEntry*>(header + 1);
    return {entries, entries + header->count};
}

// An icon made straight from the image of the given width, at that size, not scaled.
HICON IconFromImage(int resourceId, int width) {
    for (const GroupIconEntry& e : IconImages(resourceId)) {
        if ((e.width == 0 ? 256 : e.width) != width)
            continue;
        const HRSRC found = ::FindResourceA(Module(), MAKEINTRESOURCEA(e.id), RT_ICON);
        auto* bits = static_cast<BYTE*>(::LockResource(::LoadResource(Module(), found)));
        return ::CreateIconFromResourceEx(bits, ::SizeofResource(Module(), found), TRUE, 0x00030000,
                                          width, width, LR_DEFAULTCOLOR);
    }
    return nullptr;
}

// An icon's colour image, as 32-bit pixels top down, and its size.
struct Pixels {
    int width = 0;
    int height = 0;
    std::vector<DWORD> argb;
};

Pixels PixelsOf(HICON icon) {
    Pixels p;
    ICONINFO info{};
    if (!icon || !::GetIconInfo(icon, &info))
        return p;
    BITMAP bitmap{};
    ::GetObjectA(info.hbmColor, sizeof bitmap, &bitmap);
    p.width = bitmap.bmWidth;
    p.height = bitmap.bmHeight;
    BITMAPINFO format{};
    format.bmiHeader.biSize = sizeof format.bmiHeader;
    format.bmiHeader.biWidth = p.width;
    format.bmiHeader.biHeight = -p.height;
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    format.bmiHeader.biCompression = BI_RGB;
    p.argb.resize(static_cast<size_t>(p.width) * static_cast<size_t>(p.height));
    const HDC screen = ::GetDC(nullptr);
    ::GetDIBits(screen, info.hbmColor, 0, static_cast<UINT>(p.height), p.argb.data(), &format,
                DIB_RGB_COLORS);
    ::ReleaseDC(nullptr, screen);
    ::DeleteObject(info.hbmColor);
    ::DeleteObject(info.hbmMask);
    return p;
}

// `icon` is the program's image for `size` pixels, shown at that size: not another image
// scaled to it.
void ExpectImageOfSize(HICON icon, int size, const char* what) {
    SCOPED_TRACE(what);
    const Pixels shown = PixelsOf(icon);
    EXPECT_EQ(shown.width, size);
    EXPECT_EQ(shown.height, size);
    const HICON original = IconFromImage(IDR_MAINFRAME, size);
    ASSERT_NE(original, nullptr) << "no image of " << size << " px";
    const Pixels image = PixelsOf(original);
    ::DestroyIcon(original);
    EXPECT_TRUE(shown.argb == image.argb) << "not the " << size << " px image";
}

int ExpectedDpi() {
    const char* dpi = std::getenv("BRINDLECOT_TEST_DPI");
    return dpi ? std::atoi(dpi) : 96;
}

TEST(Win32Icons, TheRunIsAtTheDensityItWasSetUpFor) {
    const HDC screen = ::GetDC(nullptr);
    EXPECT_EQ(::GetDeviceCaps(screen, LOGPIXELSX), ExpectedDpi());
    ::ReleaseDC(nullptr, screen);
    EXPECT_EQ(::GetSystemMetrics(SM_CXICON), 32 * ExpectedDpi() / 96);
}

TEST(Win32Icons, TheIconFileHoldsTheSizesOfOneToTwoTimesTheStandardDensity) {
    std::vector<int> widths;
    for (const GroupIconEntry& e : IconImages(IDR_MAINFRAME)) {
        widths.push_back(e.width == 0 ? 256 : e.width);
        EXPECT_EQ(e.width, e.height);
        EXPECT_EQ(e.bitCount, 32);
    }
    EXPECT_EQ(widths, (std::vector<int>{16, 24, 32, 48, 64, 256}));
}

TEST(Win32Icons, ThePlatformKeepsOneSmallCopyOfItsIconAndPassesOthersThrough) {
    Win32Platform p(Module());
    const platform::IconHandle big = p.LoadIconResource(IDR_MAINFRAME);
    const HICON small = p.SmallIcon(big);
    ASSERT_NE(small, nullptr);
    EXPECT_NE(small, reinterpret_cast<HICON>(big));
    EXPECT_EQ(p.SmallIcon(big), small);
    ExpectImageOfSize(small, ::GetSystemMetrics(SM_CXSMICON), "small");
    const HICON other = ::LoadIconA(nullptr, MAKEINTRESOURCEA(32512));  // IDI_APPLICATION
    EXPECT_EQ(p.SmallIcon(reinterpret_cast<platform::IconHandle>(other)), other);
}

TEST(Win32Icons, TheWindowTheTrayAndTheAboutBoxShowTheImageDrawnForTheirSize) {
    const int big = ::GetSystemMetrics(SM_CXICON);
    const int small = ::GetSystemMetrics(SM_CXSMICON);
    Harness h;
    HICON aboutIcon = nullptr;
    RECT aboutIconRect{};
    h.onDialog = [&](HWND about) {
        const HWND control = ::GetDlgItem(about, IDC_ABOUT_ICON);
        aboutIcon = reinterpret_cast<HICON>(::SendMessageA(control, STM_GETICON, 0, 0));
        ::GetClientRect(control, &aboutIconRect);
    };
    h.Run([&](Harness& h) {
        ExpectImageOfSize(
            reinterpret_cast<HICON>(::SendMessageA(h.Main(), WM_GETICON, ICON_BIG, 0)), big,
            "window, big");
        ExpectImageOfSize(
            reinterpret_cast<HICON>(::SendMessageA(h.Main(), WM_GETICON, ICON_SMALL, 0)), small,
            "window, small");
        const auto& tray = h.Platform().trayRequests;
        ASSERT_FALSE(tray.empty());
        ExpectImageOfSize(tray[0].second.hIcon, small, "tray");
        ::SendMessageA(h.Main(), WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
        ExpectImageOfSize(aboutIcon, big, "About box");
        EXPECT_EQ(aboutIconRect.right, big);
        EXPECT_EQ(aboutIconRect.bottom, big);
    });
}

}  // namespace
}  // namespace brindlecot::win32::testing
