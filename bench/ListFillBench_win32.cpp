// The selection page's package list filled with many rows, side by side with the same list view filled the
// plain way (drawing on while the rows go in). Each fill is timed until the list is painted on the screen.
// Needs a display: run it through bench/list_fill_bench.py.
//
//   bench_list_fill [rows [rounds]]         defaults: 1000 rows, 5 rounds; prints one line per way of filling
#include "discovery/DriverInventory.h"
#include "framework/WinApp.h"
#include "resources/resource.h"
#include "ui/DriverUninstallFunctionDlg.h"
#include "ui/layout/PageLayout.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <memory>
#include <string>
#include <vector>

namespace {

double Now() {
    LARGE_INTEGER counter;
    LARGE_INTEGER frequency;
    ::QueryPerformanceCounter(&counter);
    ::QueryPerformanceFrequency(&frequency);
    return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Standard output of a window program, as the GUI harness reads it.
template <typename... Args> void Say(const char* format, Args... args) {
    char line[256];
    const int length = std::snprintf(line, sizeof line, format, args...);
    DWORD written = 0;
    ::WriteFile(::GetStdHandle(STD_OUTPUT_HANDLE), line, static_cast<DWORD>(std::max(0, length)), &written, nullptr);
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Handles what is queued (the paint the fill left behind included), so that a fill counts until it is seen.
void Settle(HWND window) {
    ::RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
}

HWND MakeHost(int left, const wchar_t* title) {
    return ::CreateWindowExW(0, L"STATIC", title, WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, left, 40, 800, 600, nullptr,
                             nullptr, ::GetModuleHandleW(nullptr), nullptr);
}

std::unique_ptr<DeviceRecord> DeviceWithPackages(int count) {
    auto device = std::make_unique<DeviceRecord>();
    device->category = 1;
    device->description = "Bench Graphics";
    device->deviceKey = "0000";
    device->searchPattern = "PCI\\VEN_8086^&DEV_3E9B";
    for (int i = 0; i < count; ++i) {
        DriverPackageRecord package;
        package.infName = "oem" + std::to_string(i) + ".inf";
        package.provider = "Bench";
        package.date = "01/01/2020";
        package.version = "10.0." + std::to_string(i) + ".1";
        package.isCurrent = i == 0 ? 1 : 0;
        device->packages.push_back(package);
    }
    return device;
}

// The list as a page would have made it before, filled one row at a time with drawing on.
class PlainList {
public:
    explicit PlainList(HWND host, const Rect& place) {
        m_list = ::CreateWindowExW(0, WC_LISTVIEWW, L"", WS_CHILD | WS_VISIBLE | WS_BORDER | LVS_REPORT, place.left,
                                   place.top, place.Width(), place.Height(), host, nullptr, ::GetModuleHandleW(nullptr),
                                   nullptr);
        ListView_SetExtendedListViewStyle(m_list, LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
        const wchar_t* headers[] = {L"驱动文件", L"版本"};
        for (int i = 0; i < 2; ++i) {
            LVCOLUMNW column{};
            column.mask = LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
            column.cx = 110 * (i + 1);
            column.pszText = const_cast<wchar_t*>(headers[i]);
            column.iSubItem = i;
            ListView_InsertColumn(m_list, i, &column);
        }
    }

    void Fill(const DeviceRecord& device) {
        ListView_DeleteAllItems(m_list);
        for (const DriverPackageRecord& package : device.packages) {
            std::wstring file(package.infName.begin(), package.infName.end());
            std::wstring version(package.version.begin(), package.version.end());
            LVITEMW item{};
            item.mask = LVIF_TEXT;
            item.iItem = ListView_GetItemCount(m_list);
            item.pszText = file.data();
            const int index = ListView_InsertItem(m_list, &item);
            ListView_SetItemText(m_list, index, 1, version.data());
        }
    }

    HWND Hwnd() const { return m_list; }

private:
    HWND m_list = nullptr;
};

class CBenchApp : public CWinApp {
public:
    BOOL InitInstance() override {
        StartGdiplus();
        InitCommonControls();
        int count = 0;
        wchar_t** argv = ::CommandLineToArgvW(::GetCommandLineW(), &count);
        const int rows = count > 1 ? std::max(1, _wtoi(argv[1])) : 1000;
        const int rounds = count > 2 ? std::max(1, _wtoi(argv[2])) : 5;
        ::LocalFree(argv);

        DriverInventory inventory;
        inventory.Category(1).Insert(DeviceWithPackages(rows));
        // The plain way costs milliseconds per row once the list scrolls: fewer rows keep its rounds short, and
        // the costs are set side by side per row.
        const int plainRows = std::min(rows, 100);
        const std::unique_ptr<DeviceRecord> plainDevice = DeviceWithPackages(plainRows);

        HWND pageHost = MakeHost(20, L"page");
        HWND plainHost = MakeHost(840, L"plain");
        const Rect pageRect = PageRect(1.0f);
        CDriverUninstallFunctionDlg page;
        page.SetInventory(&inventory);
        if (!page.Create(CDriverUninstallFunctionDlg::kTemplateId, pageHost)) {
            Say("the page could not be made\n");
            return FALSE;
        }
        page.MoveWindow(pageRect);
        page.ShowWindow(SW_SHOW);
        page.FillCategoryTree();
        HWND tree = ::GetDlgItem(page.Hwnd(), IDC_CATEGORY_TREE);
        HWND list = ::GetDlgItem(page.Hwnd(), IDC_PACKAGE_LIST);
        HTREEITEM deviceNode = TreeView_GetChild(tree, TreeView_GetRoot(tree));
        RECT listRect{};
        ::GetWindowRect(list, &listRect);
        ::MapWindowPoints(nullptr, pageHost, reinterpret_cast<POINT*>(&listRect), 2);
        PlainList plain(plainHost, {listRect.left, listRect.top, listRect.right, listRect.bottom});
        Settle(pageHost);
        Settle(plainHost);

        std::vector<double> pageTimes;
        std::vector<double> plainTimes;
        std::vector<double> fillTimes;
        for (int round = 0; round < rounds; ++round) {
            // Selecting the device refills the list; a category node in between leaves it as it is.
            TreeView_SelectItem(tree, TreeView_GetRoot(tree));
            Settle(pageHost);
            const double pageStart = Now();
            TreeView_SelectItem(tree, deviceNode);
            const double filled = Now();
            Settle(pageHost);
            pageTimes.push_back(Now() - pageStart);
            fillTimes.push_back(filled - pageStart);

            const double plainStart = Now();
            plain.Fill(*plainDevice);
            Settle(plainHost);
            plainTimes.push_back(Now() - plainStart);
        }
        const int shown = ListView_GetItemCount(list);
        const double pageMedian = Median(pageTimes);
        const double plainMedian = Median(plainTimes);
        Say("rows %d (page list holds %d), %d rounds, medians:\n", rows, shown, rounds);
        Say("  page list (drawing off while filling) %9.1f ms  %7.1f us/row\n", pageMedian * 1000,
            pageMedian * 1e6 / rows);
        Say("  of which the rows going in            %9.1f ms\n", Median(fillTimes) * 1000);
        Say("  plain list (drawing on), %4d rows     %9.1f ms  %7.1f us/row\n", plainRows, plainMedian * 1000,
            plainMedian * 1e6 / plainRows);
        Say("  plain / page, per row                 %9.1f x\n", (plainMedian / plainRows) / (pageMedian / rows));
        page.DestroyWindow();
        ::DestroyWindow(plainHost);
        ::DestroyWindow(pageHost);
        return FALSE;
    }
};

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    CBenchApp app;
    return app.Run();
}
