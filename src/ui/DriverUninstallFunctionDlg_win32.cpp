// Driver selection page.
#include "ui/DriverUninstallFunctionDlg.h"

#include "base/WindowMessages.h"
#include "console/WorkerReport.h"
#include "discovery/DriverInventory.h"
#include "framework/GdiObjects.h"
#include "logging/LogSave.h"
#include "ui/ControlSetUp.h"
#include "ui/ExecutePromptDlg.h"
#include "ui/Prompts.h"
#include "ui/layout/PageContents.h"
#include "ui/layout/PageLayout.h"
#include "uninstall/UninstallThread.h"

#include <commctrl.h>

namespace {

constexpr wchar_t kInternalError[] = L"工具内部错，请与软件提供商联系！";
// Grid lines and full-row selection (0x21); a package name cut short by its column shows whole in a tooltip
// (the tree's own tooltips do the same for device descriptions).
constexpr DWORD kListExtendedStyle = LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT | LVS_EX_LABELTIP;

void InternalError(std::u8string_view logEntry, float scale) {
    LogToolFailure(logEntry);
    ShowMessagePrompt(nullptr, scale, kInternalError);
}

LPARAM ItemData(HWND tree, HTREEITEM item) {
    TVITEMW data{};
    data.mask = TVIF_PARAM | TVIF_HANDLE;
    data.hItem = item;
    return TreeView_GetItem(tree, &data) ? data.lParam : 0;
}

// Turns a control's drawing off while it is filled and back on afterwards with one repaint: every row added
// with drawing on repaints (and under Wine also scrolls) the control, which costs milliseconds per row.
class CRedrawOff {
public:
    explicit CRedrawOff(HWND control) : m_control(control) { ::SendMessageW(m_control, WM_SETREDRAW, FALSE, 0); }
    ~CRedrawOff() {
        ::SendMessageW(m_control, WM_SETREDRAW, TRUE, 0);
        ::RedrawWindow(m_control, nullptr, nullptr, RDW_ERASE | RDW_FRAME | RDW_INVALIDATE | RDW_ALLCHILDREN);
    }
    CRedrawOff(const CRedrawOff&) = delete;
    CRedrawOff& operator=(const CRedrawOff&) = delete;

private:
    HWND m_control;
};

// The widths the columns take in the list's client area.
PackageColumnWidths ColumnWidthsOf(HWND list, float scale) {
    RECT client{};
    ::GetClientRect(list, &client);
    return PackageColumns(client.right - client.left, scale);
}

HTREEITEM InsertNode(HWND tree, HTREEITEM parent, const std::wstring& label, LPARAM data) {
    TVINSERTSTRUCTW insert{};
    insert.hParent = parent;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_PARAM;
    insert.item.pszText = const_cast<wchar_t*>(label.c_str());
    insert.item.lParam = data;
    return TreeView_InsertItem(tree, &insert);
}

} // namespace

CDriverUninstallFunctionDlg::CDriverUninstallFunctionDlg(HWND parent)
    : CPageDlg(kTemplateId, parent, IDP_FUNCTION_BACKGROUND), m_startUninstall(&StartUninstall) {}

CDriverUninstallFunctionDlg::~CDriverUninstallFunctionDlg() = default;

void CDriverUninstallFunctionDlg::BindControls() {
    m_tree = GetDlgItem(IDC_CATEGORY_TREE);
    m_list = GetDlgItem(IDC_PACKAGE_LIST);
    Bind(m_uninstallButton, IDC_UNINSTALL);
}

BOOL CDriverUninstallFunctionDlg::OnInitDialog() {
    // Without its picture the page keeps the template's places, but the list still gets its columns.
    if (EnsureBackground()) {
        LayOutControls();
    }
    InsertColumns();
    return TRUE;
}

void CDriverUninstallFunctionDlg::SetUpControls() {
    m_uninstallButton.SetBackImage(Background());
    SetHotMargins(m_uninstallButton, Margins{});
    SetStateImages(m_uninstallButton, StateImagesFrom(IDP_UNINSTALL));
}

void CDriverUninstallFunctionDlg::PlaceControls() {
    const FunctionPageLayout layout = LayOutFunctionPage(ClientRect(), m_scale);
    ::MoveWindow(m_tree, layout.tree.left, layout.tree.top, layout.tree.Width(), layout.tree.Height(), TRUE);
    ::MoveWindow(m_list, layout.list.left, layout.list.top, layout.list.Width(), layout.list.Height(), TRUE);
    SetBackSource(m_uninstallButton, layout.backSource);
    m_uninstallButton.MoveWindow(layout.button);
}

void CDriverUninstallFunctionDlg::SizeColumns() {
    const PackageColumnWidths widths = ColumnWidthsOf(m_list, m_scale);
    ListView_SetColumnWidth(m_list, 0, widths.file);
    ListView_SetColumnWidth(m_list, 1, widths.version);
}

void CDriverUninstallFunctionDlg::InsertColumns() {
    const PackageColumnWidths widths = ColumnWidthsOf(m_list, m_scale);
    ListView_SetExtendedListViewStyle(m_list, kListExtendedStyle);
    struct Column {
        const wchar_t* header;
        int format;
        int width;
    };
    const Column columns[] = {{L"驱动文件", LVCFMT_CENTER, widths.file}, {L"版本", LVCFMT_LEFT, widths.version}};
    for (int i = 0; i < 2; ++i) {
        LVCOLUMNW column{};
        column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
        column.fmt = columns[i].format;
        column.cx = columns[i].width;
        column.pszText = const_cast<wchar_t*>(columns[i].header);
        column.iSubItem = i;
        ListView_InsertColumn(m_list, i, &column);
    }
}

void CDriverUninstallFunctionDlg::OnSize(UINT type, int width, int height) {
    CPageDlg::OnSize(type, width, height);
    if (IsLaidOut()) {
        SizeColumns();
    }
}

void CDriverUninstallFunctionDlg::OnDestroy() {
    m_uninstallButton.ReleaseImages();
    ClearPackageList();
    CPageDlg::OnDestroy();
}

void CDriverUninstallFunctionDlg::ClearContents() {
    {
        CRedrawOff quiet(m_list);
        ClearPackageList();
        m_listedDevice = nullptr;
    }
    if (m_tree != nullptr) {
        CRedrawOff quiet(m_tree);
        TreeView_DeleteAllItems(m_tree);
    }
}

void CDriverUninstallFunctionDlg::FillCategoryTree() {
    // Rebuilt from scratch: the nodes and rows of an earlier fill point at records a later scan freed.
    ClearContents();
    if (m_inventory == nullptr) {
        return;
    }
    // The page is painted first (empty tree and list, the button), so that it never stands unpainted while the
    // tree fills; the filled tree is then drawn once.
    if (IsVisible()) {
        ::RedrawWindow(m_hwnd, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    }
    HTREEITEM firstDevice = nullptr;
    {
        CRedrawOff quiet(m_tree);
        for (const CategoryBranch& branch : CategoryTreeOf(*m_inventory)) {
            HTREEITEM category = InsertNode(m_tree, TVI_ROOT, branch.label, 0);
            if (category == nullptr) {
                continue;
            }
            for (const DeviceRecord* device : branch.devices) {
                HTREEITEM node = InsertNode(m_tree, category, DeviceLabel(*device), reinterpret_cast<LPARAM>(device));
                if (firstDevice == nullptr) {
                    firstDevice = node;
                }
            }
            TreeView_Expand(m_tree, category, TVE_EXPAND);
        }
        // The first device is selected, so that the arrow keys work at once and its packages show.
        if (firstDevice != nullptr) {
            TreeView_SelectItem(m_tree, firstDevice);
        }
        // Expanding may have scrolled to the last devices; the user starts reading at the first category.
        if (HTREEITEM first = TreeView_GetRoot(m_tree)) {
            TreeView_Select(m_tree, first, TVGN_FIRSTVISIBLE);
        }
    }
}

void CDriverUninstallFunctionDlg::FocusTree() {
    ::SetFocus(m_tree);
}

void CDriverUninstallFunctionDlg::ShowPackagesOfSelection() {
    HTREEITEM selected = TreeView_GetSelection(m_tree);
    // A category node (or nothing) leaves the rows of the device shown last.
    if (selected == nullptr || TreeView_GetParent(m_tree, selected) == nullptr) {
        return;
    }
    ShowPackagesOf(reinterpret_cast<const DeviceRecord*>(ItemData(m_tree, selected)));
}

void CDriverUninstallFunctionDlg::ClearPackageList() {
    if (m_list != nullptr) {
        ListView_DeleteAllItems(m_list);
    }
    // The uninstall thread has reported by now; its request must not point at a freed copy.
    if (m_inventory != nullptr) {
        for (const auto& copy : m_rowPackages) {
            if (m_inventory->requestPackage == copy.get()) {
                m_inventory->requestPackage = nullptr;
            }
        }
    }
    m_rowPackages.clear();
}

void CDriverUninstallFunctionDlg::ShowPackagesOf(const DeviceRecord* device) {
    CRedrawOff quiet(m_list);
    ClearPackageList();
    m_listedDevice = device;
    if (device == nullptr) {
        return;
    }
    std::vector<PackageRow> rows = PackageRowsOf(*device);
    ListView_SetItemCount(m_list, static_cast<int>(rows.size()));
    for (PackageRow& row : rows) {
        auto copy = std::make_unique<DriverPackageRecord>(*row.package);
        LVITEMW item{};
        item.mask = LVIF_TEXT | LVIF_PARAM;
        item.iItem = ListView_GetItemCount(m_list);
        item.pszText = row.file.data();
        item.lParam = reinterpret_cast<LPARAM>(copy.get());
        const int index = ListView_InsertItem(m_list, &item);
        if (index < 0) {
            continue;
        }
        m_rowPackages.push_back(std::move(copy));
        ListView_SetItemText(m_list, index, 1, row.version.data());
    }
}

bool CDriverUninstallFunctionDlg::OnNotify(const NMHDR& header, LRESULT& result) {
    if (header.idFrom == IDC_CATEGORY_TREE && (header.code == TVN_SELCHANGEDW || header.code == TVN_SELCHANGEDA)) {
        ShowPackagesOfSelection();
        result = 0;
        return true;
    }
    return CPageDlg::OnNotify(header, result);
}

bool CDriverUninstallFunctionDlg::OnCommand(int id, int code, HWND control) {
    if (id == IDC_UNINSTALL) {
        StartUninstallOfSelection();
        return true;
    }
    return CPageDlg::OnCommand(id, code, control);
}

void CDriverUninstallFunctionDlg::StartUninstallOfSelection() {
    const int row = ListView_GetSelectionMark(m_list);
    if (row < 0) {
        ShowMessagePrompt(nullptr, m_scale, L"请选择要卸载的驱动文件！");
        return;
    }
    LVITEMW item{};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    const auto* package =
        ListView_GetItem(m_list, &item) ? reinterpret_cast<const DriverPackageRecord*>(item.lParam) : nullptr;
    if (package == nullptr) {
        InternalError(u8"工具内部错13", m_scale);
        return;
    }
    // The rows belong to the device shown last, whatever the tree's selection is now.
    const DeviceRecord* device = m_listedDevice;
    if (device == nullptr) {
        InternalError(u8"工具内部错12", m_scale);
        return;
    }
    if (!AskYesNo(nullptr, m_scale, UninstallQuestion(*package, *device))) {
        return;
    }
    if (m_inventory == nullptr) {
        InternalError(u8"工具内部错11", m_scale);
        return;
    }
    m_inventory->SetNotifyWindow(m_hwnd);
    if (!m_startUninstall(*m_inventory, device->category, device->searchPattern, package)) {
        ShowMessagePrompt(nullptr, m_scale, L"卸载驱动失败！");
        return;
    }
    // Returns once the uninstall thread's 0x5F5 has closed it; its result follows as 0x5F8.
    WaitForWorker(L"正在卸载驱动，请稍等");
}

UINT CDriverUninstallFunctionDlg::WorkResultMessage() const {
    return kMsgUninstallResult;
}

void CDriverUninstallFunctionDlg::OnWorkResult(WPARAM result) {
    if (result == kResultSuccess) {
        // The thread has re-queried the device's packages: show them as they are now.
        ShowPackagesOf(m_listedDevice);
        ShowMessagePrompt(m_hwnd, m_scale, L"卸载成功");
    } else if (result == kResultFailure) {
        ShowMessagePrompt(m_hwnd, m_scale, L"卸载失败");
    }
}
