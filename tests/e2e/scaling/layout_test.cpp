// The windows at every display scale: the 96-dpi design scaled, control by control. At 96 dpi the
// test records where every control of the wizard, the progress window and the confirmation dialog
// lies; at 120 and 144 dpi (CTest runs the 96-dpi test first) it compares with that record.
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>

#include "app/control_ids.h"
#include "driver/e2e_driver.h"
#include "edge/wide.h"

namespace {

// A control's bounds in its parent's client area and in its window's client area.
struct Place {
    int parent = 0;  // the parent's control id; 0 for the window itself
    RECT bounds{};
    RECT inWindow{};
};

struct WindowLayout {
    int clientWidth = 0;
    int clientHeight = 0;
    std::map<int, Place> controls;  // by control id
};

using Layout = std::map<std::string, WindowLayout>;  // by window class

const char* const kWindows[] = {"TfrmMain", "TfrmStatus", "TfrmCustomDlg"};

RECT RectIn(const e2e::Window& control, HWND reference) {
    RECT rect = control.ScreenRect();
    MapWindowPoints(nullptr, reference, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

WindowLayout ReadWindow(const e2e::Window& window) {
    WindowLayout layout;
    RECT client{};
    GetClientRect(window.Handle(), &client);
    layout.clientWidth = client.right;
    layout.clientHeight = client.bottom;
    for (const e2e::Window& control : window.Controls()) {
        HWND parent = GetParent(control.Handle());
        Place place;
        place.parent = parent == window.Handle() ? 0 : GetDlgCtrlID(parent);
        place.bounds = RectIn(control, parent);
        place.inWindow = RectIn(control, window.Handle());
        layout.controls[control.Id()] = place;
    }
    return layout;
}

// "window <class> <client width> <client height>" and "control <class> <id> <parent> <l t r b>" lines.
std::string Format(const Layout& layout) {
    std::ostringstream out;
    for (const auto& [name, window] : layout) {
        out << "window " << name << ' ' << window.clientWidth << ' ' << window.clientHeight << '\n';
        for (const auto& [id, place] : window.controls)
            out << "control " << name << ' ' << id << ' ' << place.parent << ' ' << place.bounds.left << ' '
                << place.bounds.top << ' ' << place.bounds.right << ' ' << place.bounds.bottom << '\n';
    }
    return out.str();
}

Layout Parse(std::istream& in) {
    Layout layout;
    std::string kind, name;
    while (in >> kind >> name) {
        WindowLayout& window = layout[name];
        if (kind == "window") {
            in >> window.clientWidth >> window.clientHeight;
        } else {
            int id = 0;
            Place place;
            in >> id >> place.parent >> place.bounds.left >> place.bounds.top >> place.bounds.right >> place.bounds.bottom;
            window.controls[id] = place;
        }
    }
    return layout;
}

std::string Describe(const RECT& r) {
    return "(" + std::to_string(r.left) + ", " + std::to_string(r.top) + ")-(" + std::to_string(r.right) + ", " +
           std::to_string(r.bottom) + ")";
}

// The scaled value lies within a pixel of the exact scale of the 96-dpi value.
bool WithinAPixel(int scaled, int at96) {
    return std::fabs(scaled - at96 * e2e::ScreenDpi() / 96.0) <= 1.0;
}

bool Overlap(const RECT& a, const RECT& b) {
    RECT common;
    return IntersectRect(&common, &a, &b) != FALSE;
}

std::string RecordPath(int dpi) {
    return e2e::ScreenshotFolder() + "Layout-" + std::to_string(dpi) + "dpi.txt";
}

// The program's icon (resource 1) has an image of exactly that size, so nothing is stretched.
bool HasIconImageOfSize(HMODULE program, int size) {
    HRSRC group = FindResourceW(program, MAKEINTRESOURCEW(1), reinterpret_cast<LPCWSTR>(RT_GROUP_ICON));
    const auto* directory = group ? static_cast<const BYTE*>(LockResource(LoadResource(program, group))) : nullptr;
    if (!directory) return false;
    const int count = directory[4] | directory[5] << 8;
    for (int i = 0; i < count; ++i)
        if (directory[6 + 14 * i] == size && directory[7 + 14 * i] == size) return true;
    return false;
}

// The program's icon at that size as the system draws it on the frames' face colour.
e2e::Image IconPicture(HMODULE program, int size) {
    e2e::Image picture;
    auto icon = static_cast<HICON>(LoadImageW(program, MAKEINTRESOURCEW(1), IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
    if (!icon) return picture;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof info.bmiHeader, size, -size, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    RECT all{0, 0, size, size};
    FillRect(memory, &all, GetSysColorBrush(COLOR_BTNFACE));
    DrawIconEx(memory, 0, 0, icon, size, size, 0, nullptr, DI_NORMAL);
    GdiFlush();
    const auto* pixels = static_cast<const BYTE*>(bits);
    picture.width = picture.height = size;
    for (int i = 0; i < size * size; ++i)
        picture.rgb.insert(picture.rgb.end(), {pixels[i * 4 + 2], pixels[i * 4 + 1], pixels[i * 4]});
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    DestroyIcon(icon);
    return picture;
}

class Layouts : public ::testing::Test {
protected:
    void SetUp() override {
        dist_ = e2e::MakeDistribution("layout", "sample");
        ASSERT_FALSE(dist_.empty());
        ASSERT_TRUE(setup_.Start(dist_ + "SETUP.EXE"));
        wizard_ = setup_.WaitWindow("TfrmMain", "サンプルアプリ セットアップ", 15000);
        ASSERT_TRUE(wizard_);
        ASSERT_TRUE(wizard_.ControlById(IDC_BTN_EVENT).WaitText("インストール続行(&C)"));
        ASSERT_TRUE(wizard_.ControlById(IDC_FRA_TITLE).WaitVisible());
    }

    // Leaves through the end button, so that the program removes its work folder.
    void TearDown() override {
        if (!wizard_ || !setup_.Running()) return;
        ASSERT_TRUE(wizard_.ControlById(IDC_BTN_END).Click());
        e2e::MsgBox box = setup_.WaitMessageBox();
        ASSERT_TRUE(box);
        ASSERT_TRUE(box.Answer(IDYES));
        EXPECT_TRUE(setup_.WaitForExit());
    }

    std::string dist_;
    e2e::TargetProcess setup_;
    e2e::Window wizard_;
};

}  // namespace

TEST_F(Layouts, EveryControlIsTheDesignScaled) {
    // The progress window and the dialog are made at start and wait hidden.
    Layout layout;
    for (const char* name : kWindows) {
        e2e::Window window = name == std::string("TfrmMain") ? wizard_ : setup_.FindTopWindow(name, {}, false);
        ASSERT_TRUE(window) << name;
        layout[name] = ReadWindow(window);
        ASSERT_FALSE(layout[name].controls.empty()) << name;
    }
    for (const auto& [name, window] : layout) {
        const RECT client{0, 0, window.clientWidth, window.clientHeight};
        for (const auto& [id, place] : window.controls) {
            EXPECT_TRUE(place.inWindow.left >= 0 && place.inWindow.top >= 0 && place.inWindow.right <= client.right &&
                        place.inWindow.bottom <= client.bottom)
                << name << " control " << id << " at " << Describe(place.inWindow) << " is not inside "
                << Describe(client);
        }
    }
    {
        std::ofstream record(RecordPath(e2e::ScreenDpi()), std::ios::trunc);
        record << Format(layout);
        ASSERT_TRUE(record.good());
    }
    if (e2e::ScreenDpi() == 96) return;  // the record the other scales are compared with

    std::ifstream file(RecordPath(96));
    ASSERT_TRUE(file.good()) << "no record of the 96-dpi layout: CTest runs e2e_scaling first";
    const Layout design = Parse(file);
    ASSERT_EQ(design.size(), layout.size());
    for (const auto& [name, window] : layout) {
        const WindowLayout& at96 = design.at(name);
        EXPECT_TRUE(WithinAPixel(window.clientWidth, at96.clientWidth) && WithinAPixel(window.clientHeight, at96.clientHeight))
            << name << " client area " << window.clientWidth << " x " << window.clientHeight << ", at 96 dpi "
            << at96.clientWidth << " x " << at96.clientHeight;
        ASSERT_EQ(window.controls.size(), at96.controls.size()) << name;
        for (const auto& [id, place] : window.controls) {
            ASSERT_EQ(at96.controls.count(id), 1u) << name << " control " << id;
            const Place& was = at96.controls.at(id);
            EXPECT_EQ(place.parent, was.parent) << name << " control " << id;
            const RECT& r = place.bounds;
            const RECT& d = was.bounds;
            EXPECT_TRUE(WithinAPixel(r.left, d.left) && WithinAPixel(r.top, d.top) &&
                        WithinAPixel(r.right - r.left, d.right - d.left) && WithinAPixel(r.bottom - r.top, d.bottom - d.top))
                << name << " control " << id << " at " << Describe(r) << ", at 96 dpi " << Describe(d);
            for (const auto& [otherId, other] : window.controls) {
                if (otherId <= id || other.parent != place.parent || !Overlap(r, other.bounds)) continue;
                EXPECT_TRUE(Overlap(d, at96.controls.at(otherId).bounds))
                    << name << " controls " << id << " and " << otherId << " overlap only when scaled";
            }
        }
    }
}

TEST_F(Layouts, TitleIconIsTheIconsOwnImageAtTheScaledSize) {
    e2e::Window icon = wizard_.ControlById(IDC_IMG_TITLE1);
    ASSERT_TRUE(icon.WaitVisible());
    const RECT rect = icon.ScreenRect();
    const int size = rect.right - rect.left;
    ASSERT_EQ(size, e2e::Scaled(32));
    ASSERT_EQ(rect.bottom - rect.top, size);

    HMODULE program = LoadLibraryExW(Wide(e2e::SetupExePath()).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_TRUE(program);
    EXPECT_TRUE(HasIconImageOfSize(program, size)) << "the program's icon has no image of " << size << " pixels";
    e2e::Image expected = IconPicture(program, size);
    FreeLibrary(program);
    ASSERT_EQ(expected.width, size);

    e2e::Image screen;
    ASSERT_TRUE(e2e::CaptureSettledScreen(screen));
    int different = 0;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            for (int c = 0; c < 3; ++c) {
                int seen = screen.rgb[(static_cast<size_t>(rect.top + y) * screen.width + rect.left + x) * 3 + c];
                int wanted = expected.rgb[(static_cast<size_t>(y) * size + x) * 3 + c];
                if (std::abs(seen - wanted) > 8) ++different;
            }
    EXPECT_EQ(different, 0) << "colour values of the title icon on screen that differ from the icon's own image";
}
