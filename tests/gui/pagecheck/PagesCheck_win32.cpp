// The pages' answers to every worker result and every failure, with stand-ins for the worker threads: the
// pages live in a window of this test, the stand-in workers report from threads of their own as the real ones
// do, and each prompt is read (text, one or two buttons) and answered by its own button. Needs a display: the
// GUI test test_pages_failures.py runs it.
#include "console/WorkerReport.h"
#include "discovery/DriverInventory.h"
#include "framework/WinApp.h"
#include "logging/LogSave.h"
#include "ui/DriverUninstallFunctionDlg.h"
#include "ui/DriverUninstallStartDlg.h"
#include "ui/layout/PageLayout.h"

#include <commctrl.h>

#include <gtest/gtest.h>

#include <atomic>
#include <deque>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

namespace {

// ---- prompts: seen and answered on the window thread ------------------------------------------------------------

struct SeenPrompt {
    std::wstring text;
    bool twoButtons = false;
    bool operator==(const SeenPrompt&) const = default;
};

void PrintTo(const SeenPrompt& prompt, std::ostream* out) {
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, prompt.text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, prompt.text.c_str(), -1, utf8.data(), size, nullptr, nullptr);
    *out << "{" << utf8.c_str() << (prompt.twoButtons ? ", two buttons}" : ", one button}");
}

std::vector<SeenPrompt> g_prompts;
std::deque<int> g_answers; // button to press per prompt: 1007 first, 1008 second; 1007 when none is queued
constexpr wchar_t kAnswered[] = L"PagesCheckAnswered"; // a window property: goes with the window

std::wstring TextOf(HWND hwnd) {
    wchar_t text[512] = {};
    ::GetWindowTextW(hwnd, text, 512);
    return text;
}

BOOL CALLBACK AnswerPrompt(HWND hwnd, LPARAM) {
    HWND label = ::GetDlgItem(hwnd, 1006);
    HWND first = ::GetDlgItem(hwnd, 1007);
    if (label == nullptr || first == nullptr || !::IsWindowVisible(hwnd)) {
        return TRUE;
    }
    if (::GetPropW(hwnd, kAnswered) != nullptr) {
        return TRUE;
    }
    ::SetPropW(hwnd, kAnswered, reinterpret_cast<HANDLE>(1));
    g_prompts.push_back({TextOf(label), ::IsWindowVisible(::GetDlgItem(hwnd, 1008)) != FALSE});
    int button = 1007;
    if (!g_answers.empty()) {
        button = g_answers.front();
        g_answers.pop_front();
    }
    ::PostMessageW(hwnd, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(hwnd, button)));
    return TRUE;
}

// A thread timer: its ticks are dispatched by whatever loop runs, the prompts' modal loops included.
void CALLBACK LookForPrompts(HWND, UINT, UINT_PTR, DWORD) {
    ::EnumThreadWindows(::GetCurrentThreadId(), AnswerPrompt, 0);
}

void Pump(DWORD milliseconds) {
    const DWORD end = ::GetTickCount() + milliseconds;
    while (static_cast<int>(end - ::GetTickCount()) > 0) {
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        MSG message;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (!CDialog::PreTranslateChain(message)) {
                ::TranslateMessage(&message);
                ::DispatchMessageW(&message);
            }
        }
    }
}

// ---- the log -----------------------------------------------------------------------------------------------------

std::string LogText() {
    std::ifstream file(std::filesystem::path(CLogSave::GetInstance().LogFolder() + L"videzure.txt"), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

std::string Gbk(const wchar_t* text) {
    const int size = ::WideCharToMultiByte(936, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(size), '\0');
    ::WideCharToMultiByte(936, 0, text, -1, bytes.data(), size, nullptr, nullptr);
    bytes.resize(bytes.size() - 1);
    return bytes;
}

// ---- stand-in workers ----------------------------------------------------------------------------------------------

struct WorkerPlan {
    UINT resultMessage = 0;
    WPARAM result = 0;
    bool startFails = false;
    // What the uninstall stand-in makes of the refreshed device: its packages after the re-query.
    DeviceRecord* refreshed = nullptr;
    std::vector<DriverPackageRecord> packagesAfter;
};

WorkerPlan g_plan;
DWORD g_windowThread = 0;
std::atomic<int> g_started{0};
std::atomic<bool> g_workerDone{false};
std::wstring g_progressText;
HWND g_notified = nullptr;
int g_requestCategory = 0;
std::string g_requestPattern;
const DriverPackageRecord* g_requestPackage = nullptr;

BOOL CALLBACK FindProgress(HWND hwnd, LPARAM found) {
    HWND label = ::GetDlgItem(hwnd, 1000);
    if (label != nullptr && ::IsWindowVisible(hwnd)) {
        *reinterpret_cast<HWND*>(found) = label;
        return FALSE;
    }
    return TRUE;
}

DWORD WINAPI StandInWorker(void* parameter) {
    auto* inventory = static_cast<DriverInventory*>(parameter);
    // Like a real worker, it reports only after the page's progress window is up (it waits in its sends).
    HWND label = nullptr;
    for (int i = 0; i < 500 && label == nullptr; ++i) {
        ::EnumThreadWindows(g_windowThread, FindProgress, reinterpret_cast<LPARAM>(&label));
        ::Sleep(10);
    }
    g_progressText = label != nullptr ? TextOf(label) : L"";
    if (g_plan.refreshed != nullptr) {
        g_plan.refreshed->packages = g_plan.packagesAfter;
    }
    HWND target = static_cast<HWND>(inventory->NotifyWindow());
    g_notified = target;
    ::SendMessageW(target, kMsgWorkFinished, 0, 0);
    ::SendMessageW(target, g_plan.resultMessage, g_plan.result, 0);
    g_workerDone = true;
    return 0;
}

bool StartStandIn(DriverInventory& inventory) {
    ++g_started;
    if (g_plan.startFails) {
        return false;
    }
    g_workerDone = false;
    HANDLE thread = ::CreateThread(nullptr, 0, StandInWorker, &inventory, 0, nullptr);
    if (thread == nullptr) {
        return false;
    }
    ::CloseHandle(thread);
    return true;
}

bool StartScanStandIn(DriverInventory& inventory) {
    return StartStandIn(inventory);
}

bool StartUninstallStandIn(DriverInventory& inventory, int32_t category, const std::string& pattern,
                           const DriverPackageRecord* package) {
    g_requestCategory = category;
    g_requestPattern = pattern;
    g_requestPackage = package;
    inventory.requestCategory = category;
    inventory.requestSearchPattern = pattern;
    inventory.requestPackage = package;
    return StartStandIn(inventory);
}

void WaitForWorker() {
    for (int i = 0; i < 500 && !g_workerDone; ++i) {
        Pump(10);
    }
    Pump(100);
}

// ---- the main window's stand-in ----------------------------------------------------------------------------------

std::vector<WPARAM> g_switches;

LRESULT CALLBACK HostProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kMsgShowSelection) {
        g_switches.push_back(wParam);
        return 1;
    }
    return ::DefWindowProcW(hwnd, message, wParam, lParam);
}

class PagesTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_prompts.clear();
        g_answers.clear();
        g_switches.clear();
        g_plan = WorkerPlan{};
        g_started = 0;
        g_progressText.clear();
        g_notified = nullptr;
        g_windowThread = ::GetCurrentThreadId();
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = HostProc;
        windowClass.hInstance = ::GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"PagesCheckHost";
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        ::RegisterClassW(&windowClass);
        m_host = ::CreateWindowExW(0, L"PagesCheckHost", L"pages", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 20, 20, 820, 660,
                                   nullptr, nullptr, windowClass.hInstance, nullptr);
        ASSERT_NE(m_host, nullptr);
        m_timer = ::SetTimer(nullptr, 0, 30, LookForPrompts);
    }

    void TearDown() override {
        m_start.reset();
        m_selection.reset();
        ::KillTimer(nullptr, m_timer);
        ::DestroyWindow(m_host);
    }

    CDriverUninstallStartDlg& MakeStartPage(DriverInventory* inventory) {
        m_start = std::make_unique<CDriverUninstallStartDlg>();
        m_start->SetInventory(inventory);
        m_start->SetScanStarter(StartScanStandIn);
        m_start->Create(CDriverUninstallStartDlg::kTemplateId, m_host);
        m_start->MoveWindow(PageRect(1.0f));
        m_start->ShowWindow(SW_SHOW);
        return *m_start;
    }

    CDriverUninstallFunctionDlg& MakeSelectionPage(DriverInventory* inventory) {
        m_selection = std::make_unique<CDriverUninstallFunctionDlg>();
        m_selection->SetInventory(inventory);
        m_selection->SetUninstallStarter(StartUninstallStandIn);
        m_selection->Create(CDriverUninstallFunctionDlg::kTemplateId, m_host);
        m_selection->MoveWindow(PageRect(1.0f));
        m_selection->ShowWindow(SW_SHOW);
        return *m_selection;
    }

    static void Press(CWindow& page, int id) {
        page.Send(WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(page.GetDlgItem(id)));
    }

    HWND m_host = nullptr;
    UINT_PTR m_timer = 0;
    std::unique_ptr<CDriverUninstallStartDlg> m_start;
    std::unique_ptr<CDriverUninstallFunctionDlg> m_selection;
};

const SeenPrompt kInternalError{L"工具内部错，请与软件提供商联系！", false};

// ---- the start page ----------------------------------------------------------------------------------------------

TEST_F(PagesTest, StartWithoutInventoryLogsInternalError1AndStartsNothing) {
    CDriverUninstallStartDlg& page = MakeStartPage(nullptr);
    const std::string before = LogText();
    Press(page, IDC_START);
    EXPECT_EQ(g_prompts, (std::vector<SeenPrompt>{kInternalError}));
    EXPECT_EQ(g_started, 0);
    const std::string added = LogText().substr(before.size());
    EXPECT_NE(added.find(Gbk(L"工具内部错1")), std::string::npos) << "log entry written";
    EXPECT_TRUE(page.IsVisible());
}

TEST_F(PagesTest, AScanThatCannotStartSaysSoAndTheNextPressTriesAgain) {
    DriverInventory inventory;
    CDriverUninstallStartDlg& page = MakeStartPage(&inventory);
    g_plan.startFails = true;
    const std::string before = LogText();
    Press(page, IDC_START);
    EXPECT_EQ(g_prompts, (std::vector<SeenPrompt>{{L"获取设备驱动失败！", false}}));
    EXPECT_EQ(LogText(), before) << "nothing to log";
    EXPECT_EQ(inventory.NotifyWindow(), page.Hwnd()) << "the page made itself the notify window first";
    Press(page, IDC_START);
    EXPECT_EQ(g_started, 2);
    EXPECT_TRUE(g_switches.empty());
}

TEST_F(PagesTest, DriversFoundCloseTheProgressWindowAndAskTheMainWindowToSwitch) {
    DriverInventory inventory;
    CDriverUninstallStartDlg& page = MakeStartPage(&inventory);
    g_plan.resultMessage = kMsgScanResult;
    g_plan.result = kResultSuccess;
    Press(page, IDC_START);
    WaitForWorker();
    EXPECT_EQ(g_progressText, L"正在检测驱动，请稍等");
    EXPECT_EQ(g_notified, page.Hwnd());
    EXPECT_EQ(g_switches, std::vector<WPARAM>{2});
    EXPECT_TRUE(g_prompts.empty());
}

TEST_F(PagesTest, NothingFoundSaysSoAfterTheProgressWindowAndTheNextPressScansAgain) {
    DriverInventory inventory;
    CDriverUninstallStartDlg& page = MakeStartPage(&inventory);
    g_plan.resultMessage = kMsgScanResult;
    g_plan.result = kResultFailure;
    for (int press = 1; press <= 2; ++press) {
        Press(page, IDC_START);
        WaitForWorker();
        EXPECT_EQ(g_started, press);
        EXPECT_EQ(g_progressText, L"正在检测驱动，请稍等");
        EXPECT_EQ(g_prompts.size(), static_cast<size_t>(press));
        EXPECT_EQ(g_prompts.back(), (SeenPrompt{L"获取设备驱动失败", false}));
    }
    EXPECT_TRUE(g_switches.empty());
    EXPECT_TRUE(page.IsVisible());
}

TEST_F(PagesTest, OtherScanResultsDoNothing) {
    DriverInventory inventory;
    CDriverUninstallStartDlg& page = MakeStartPage(&inventory);
    EXPECT_EQ(page.Send(kMsgScanResult, 0, 0), 1);
    EXPECT_EQ(page.Send(kMsgScanResult, 3, 0), 1);
    EXPECT_EQ(page.Send(kMsgWorkFinished, 0, 0), 1) << "no progress window: nothing to close";
    Pump(200);
    EXPECT_TRUE(g_prompts.empty());
    EXPECT_TRUE(g_switches.empty());
}

TEST_F(PagesTest, TheStartButtonFollowsTheAgreement) {
    DriverInventory inventory;
    CDriverUninstallStartDlg& page = MakeStartPage(&inventory);
    HWND button = page.GetDlgItem(IDC_START);
    EXPECT_TRUE(::IsWindowEnabled(button));
    page.EnableStartButton(false);
    EXPECT_FALSE(::IsWindowEnabled(button));
    page.EnableStartButton(true);
    EXPECT_TRUE(::IsWindowEnabled(button));
}

// ---- the selection page ------------------------------------------------------------------------------------------

DriverPackageRecord Package(const char* inf, const char* version, bool current = false) {
    return {inf, "Intel Corporation", "3/24/2020", version, current};
}

std::unique_ptr<DeviceRecord> Graphics() {
    auto device = std::make_unique<DeviceRecord>();
    device->category = 1;
    device->description = "Intel(R) UHD Graphics 630";
    device->deviceKey = "8086_3E9B";
    device->searchPattern = "PCI\\VEN_8086^&DEV_3E9B";
    device->packages = {Package("oem12.inf", "26.20.100.7985", 1), Package("display.inf", "10.0.19041.1"),
                        Package("oem8.inf", "26.20.100.7158")};
    return device;
}

LPARAM ItemData(HWND tree, HTREEITEM item) {
    TVITEMW data{};
    data.mask = TVIF_PARAM | TVIF_HANDLE;
    data.hItem = item;
    return TreeView_GetItem(tree, &data) ? data.lParam : 0;
}

HTREEITEM FindNode(HWND tree, HTREEITEM first, const std::wstring& text) {
    for (HTREEITEM item = first; item != nullptr; item = TreeView_GetNextSibling(tree, item)) {
        wchar_t buffer[256] = {};
        TVITEMW data{};
        data.mask = TVIF_TEXT;
        data.hItem = item;
        data.pszText = buffer;
        data.cchTextMax = 255;
        TreeView_GetItem(tree, &data);
        if (text == buffer) {
            return item;
        }
        if (HTREEITEM found = FindNode(tree, TreeView_GetChild(tree, item), text)) {
            return found;
        }
    }
    return nullptr;
}

std::vector<std::wstring> Row(HWND list, int row) {
    std::vector<std::wstring> cells;
    for (int column = 0; column < 2; ++column) {
        wchar_t buffer[256] = {};
        ListView_GetItemText(list, row, column, buffer, 255);
        cells.emplace_back(buffer);
    }
    return cells;
}

std::vector<std::vector<std::wstring>> Rows(HWND list) {
    std::vector<std::vector<std::wstring>> rows;
    for (int row = 0; row < ListView_GetItemCount(list); ++row) {
        rows.push_back(Row(list, row));
    }
    return rows;
}

void SelectRow(HWND list, int row) {
    ListView_SetItemState(list, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    ListView_SetSelectionMark(list, row);
}

class SelectionPageTest : public PagesTest {
protected:
    void SetUp() override {
        PagesTest::SetUp();
        m_inventory.Category(1).Insert(Graphics());
        m_device = m_inventory.Category(1).Find("8086_3E9B");
    }

    CDriverUninstallFunctionDlg& FilledPage() {
        CDriverUninstallFunctionDlg& page = MakeSelectionPage(&m_inventory);
        page.FillCategoryTree();
        m_tree = page.GetDlgItem(IDC_CATEGORY_TREE);
        m_list = page.GetDlgItem(IDC_PACKAGE_LIST);
        return page;
    }

    void SelectNode(const std::wstring& text) {
        HTREEITEM node = FindNode(m_tree, TreeView_GetRoot(m_tree), text);
        ASSERT_NE(node, nullptr);
        TreeView_SelectItem(m_tree, node);
    }

    DriverInventory m_inventory;
    DeviceRecord* m_device = nullptr;
    HWND m_tree = nullptr;
    HWND m_list = nullptr;
};

using Cells = std::vector<std::vector<std::wstring>>;

// The question names the package and its device on its second line.
const std::wstring kQuestionPrefix = L"是否要卸载该驱动？\n";
const std::wstring kQuestionOem12 = kQuestionPrefix + L"oem12.inf（Intel(R) UHD Graphics 630）";

TEST_F(SelectionPageTest, FillingWithoutInventoryAddsNothing) {
    CDriverUninstallFunctionDlg& page = MakeSelectionPage(nullptr);
    page.FillCategoryTree();
    EXPECT_EQ(TreeView_GetCount(page.GetDlgItem(IDC_CATEGORY_TREE)), 0u);
}

TEST_F(SelectionPageTest, NoRowChosenAsksForOneAndStartsNothing) {
    CDriverUninstallFunctionDlg& page = FilledPage();
    SelectNode(L"Intel(R) UHD Graphics 630");
    EXPECT_EQ(Rows(m_list), (Cells{{L"oem12.inf", L"26.20.100.7985-当前"}, {L"oem8.inf", L"26.20.100.7158"}}));
    Press(page, IDC_UNINSTALL);
    EXPECT_EQ(g_prompts, (std::vector<SeenPrompt>{{L"请选择要卸载的驱动文件！", false}}));
    EXPECT_EQ(g_started, 0);
}

TEST_F(SelectionPageTest, ARowWithoutItsPackageIsAnInternalError13) {
    CDriverUninstallFunctionDlg& page = FilledPage();
    LVITEMW item{};
    item.mask = LVIF_TEXT | LVIF_PARAM;
    item.pszText = const_cast<wchar_t*>(L"oem99.inf");
    item.lParam = 0;
    ListView_InsertItem(m_list, &item);
    SelectRow(m_list, 0);
    const std::string before = LogText();
    Press(page, IDC_UNINSTALL);
    EXPECT_EQ(g_prompts, (std::vector<SeenPrompt>{kInternalError}));
    EXPECT_NE(LogText().substr(before.size()).find(Gbk(L"工具内部错13")), std::string::npos);
    EXPECT_EQ(g_started, 0);
}

TEST_F(SelectionPageTest, RowsOfNoShownDeviceAreAnInternalError12) {
    // A page that has listed no device yet (a fill selects the first one).
    CDriverUninstallFunctionDlg& page = MakeSelectionPage(&m_inventory);
    m_list = page.GetDlgItem(IDC_PACKAGE_LIST);
    DriverPackageRecord stray = Package("oem5.inf", "1.0.0.0");
    LVITEMW item{};
    item.mask = LVIF_TEXT | LVIF_PARAM;
    item.pszText = const_cast<wchar_t*>(L"oem5.inf");
    item.lParam = reinterpret_cast<LPARAM>(&stray);
    ListView_InsertItem(m_list, &item);
    SelectRow(m_list, 0);
    const std::string before = LogText();
    Press(page, IDC_UNINSTALL);
    EXPECT_EQ(g_prompts, (std::vector<SeenPrompt>{kInternalError}));
    EXPECT_NE(LogText().substr(before.size()).find(Gbk(L"工具内部错12")), std::string::npos);
    EXPECT_EQ(g_started, 0);
    ListView_DeleteAllItems(m_list);
}

TEST_F(SelectionPageTest, AnsweringNoChangesNothing) {
    CDriverUninstallFunctionDlg& page = FilledPage();
    SelectNode(L"Intel(R) UHD Graphics 630");
    SelectRow(m_list, 1);
    g_answers = {IDC_PROMPT_SECOND};
    Press(page, IDC_UNINSTALL);
    EXPECT_EQ(g_prompts, (std::vector<SeenPrompt>{{kQuestionPrefix + L"oem8.inf（Intel(R) UHD Graphics 630）", true}}));
    EXPECT_EQ(g_started, 0);
    EXPECT_EQ(m_inventory.NotifyWindow(), nullptr) << "not even the notify window changed";
    EXPECT_EQ(ListView_GetSelectionMark(m_list), 1);
    EXPECT_EQ(Rows(m_list).size(), 2u);
}

TEST_F(SelectionPageTest, WithoutInventoryTheAnsweredQuestionIsAnInternalError11) {
    // A page without inventory, showing a device that the test put into its tree.
    CDriverUninstallFunctionDlg& page = MakeSelectionPage(nullptr);
    m_tree = page.GetDlgItem(IDC_CATEGORY_TREE);
    m_list = page.GetDlgItem(IDC_PACKAGE_LIST);
    TVINSERTSTRUCTW insert{};
    insert.hParent = TVI_ROOT;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_PARAM;
    insert.item.pszText = const_cast<wchar_t*>(L"显卡");
    HTREEITEM category = TreeView_InsertItem(m_tree, &insert);
    insert.hParent = category;
    insert.item.pszText = const_cast<wchar_t*>(L"device");
    insert.item.lParam = reinterpret_cast<LPARAM>(m_device);
    TreeView_SelectItem(m_tree, TreeView_InsertItem(m_tree, &insert));
    ASSERT_EQ(Rows(m_list).size(), 2u);
    SelectRow(m_list, 0);
    const std::string before = LogText();
    Press(page, IDC_UNINSTALL);
    EXPECT_EQ(g_prompts, (std::vector<SeenPrompt>{{kQuestionOem12, true}, kInternalError}));
    EXPECT_NE(LogText().substr(before.size()).find(Gbk(L"工具内部错11")), std::string::npos);
    EXPECT_EQ(g_started, 0);
}

TEST_F(SelectionPageTest, AnUninstallThatCannotStartSaysSo) {
    CDriverUninstallFunctionDlg& page = FilledPage();
    SelectNode(L"Intel(R) UHD Graphics 630");
    SelectRow(m_list, 0);
    g_plan.startFails = true;
    Press(page, IDC_UNINSTALL);
    EXPECT_EQ(g_prompts, (std::vector<SeenPrompt>{{kQuestionOem12, true}, {L"卸载驱动失败！", false}}));
    EXPECT_EQ(g_started, 1);
    EXPECT_EQ(Rows(m_list).size(), 2u);
}

TEST_F(SelectionPageTest, SuccessShowsTheRequeriedPackagesThenSaysSo) {
    CDriverUninstallFunctionDlg& page = FilledPage();
    SelectNode(L"Intel(R) UHD Graphics 630");
    SelectRow(m_list, 0);
    g_plan.resultMessage = kMsgUninstallResult;
    g_plan.result = kResultSuccess;
    g_plan.refreshed = m_device;
    g_plan.packagesAfter = {Package("oem8.inf", "26.20.100.7158", 1), Package("display.inf", "10.0.19041.1")};
    Press(page, IDC_UNINSTALL);
    WaitForWorker();
    EXPECT_EQ(g_requestCategory, 1);
    EXPECT_EQ(g_requestPattern, "PCI\\VEN_8086^&DEV_3E9B");
    ASSERT_NE(g_requestPackage, nullptr);
    EXPECT_NE(g_requestPackage, &m_device->packages[0]) << "the request names the row's own copy";
    EXPECT_EQ(g_progressText, L"正在卸载驱动，请稍等");
    EXPECT_EQ(g_notified, page.Hwnd());
    EXPECT_EQ(g_prompts, (std::vector<SeenPrompt>{{kQuestionOem12, true}, {L"卸载成功", false}}));
    EXPECT_EQ(Rows(m_list), (Cells{{L"oem8.inf", L"26.20.100.7158-当前"}}));
    EXPECT_EQ(ListView_GetSelectionMark(m_list), -1);
    EXPECT_EQ(m_inventory.requestPackage, nullptr) << "the freed copy is not left in the request";

    // Right away again: there is no row to uninstall any more.
    Press(page, IDC_UNINSTALL);
    EXPECT_EQ(g_prompts.back(), (SeenPrompt{L"请选择要卸载的驱动文件！", false}));
    EXPECT_EQ(g_started, 1);
}

TEST_F(SelectionPageTest, FailureSaysSoAndKeepsTheList) {
    CDriverUninstallFunctionDlg& page = FilledPage();
    SelectNode(L"Intel(R) UHD Graphics 630");
    SelectRow(m_list, 1);
    g_plan.resultMessage = kMsgUninstallResult;
    g_plan.result = kResultFailure;
    Press(page, IDC_UNINSTALL);
    WaitForWorker();
    EXPECT_EQ(g_prompts, (std::vector<SeenPrompt>{{kQuestionPrefix + L"oem8.inf（Intel(R) UHD Graphics 630）", true},
                                                  {L"卸载失败", false}}));
    EXPECT_EQ(Rows(m_list), (Cells{{L"oem12.inf", L"26.20.100.7985-当前"}, {L"oem8.inf", L"26.20.100.7158"}}));
    ASSERT_NE(g_requestPackage, nullptr);
    EXPECT_EQ(g_requestPackage->infName, "oem8.inf") << "the row at the selection mark";
}

TEST_F(SelectionPageTest, OtherResultsDoNothing) {
    CDriverUninstallFunctionDlg& page = FilledPage();
    SelectNode(L"Intel(R) UHD Graphics 630");
    EXPECT_EQ(page.Send(kMsgUninstallResult, 0, 0), 1);
    EXPECT_EQ(page.Send(kMsgUninstallResult, 7, 0), 1);
    Pump(200);
    EXPECT_TRUE(g_prompts.empty());
    EXPECT_EQ(Rows(m_list).size(), 2u);
}

TEST_F(SelectionPageTest, WithACategorySelectedTheRowsStillBelongToTheirDevice) {
    CDriverUninstallFunctionDlg& page = FilledPage();
    SelectNode(L"Intel(R) UHD Graphics 630");
    SelectNode(L"显卡");
    EXPECT_EQ(Rows(m_list).size(), 2u) << "a category node leaves the rows";
    SelectRow(m_list, 0);
    g_plan.resultMessage = kMsgUninstallResult;
    g_plan.result = kResultFailure;
    Press(page, IDC_UNINSTALL);
    WaitForWorker();
    EXPECT_EQ(g_requestPattern, m_device->searchPattern);
    EXPECT_EQ(g_prompts.back(), (SeenPrompt{L"卸载失败", false}));
}

TEST_F(SelectionPageTest, TreeShowsEachNonEmptyCategoryOnceWithItsDevicesExpanded) {
    auto audio = std::make_unique<DeviceRecord>();
    audio->category = 2;
    audio->description = "\xd3\xa2\xcc\xd8\xb6\xfb(R) \xcf\xd4\xca\xbe\xc6\xf7\xd2\xf4\xc6\xb5";
    audio->deviceKey = "8086_280B";
    audio->searchPattern = "INTELAUDIO\\FUNC_01^&VEN_8086^&DEV_280B";
    m_inventory.Category(2).Insert(std::move(audio));
    FilledPage();
    EXPECT_EQ(TreeView_GetCount(m_tree), 4u);
    HTREEITEM sound = FindNode(m_tree, TreeView_GetRoot(m_tree), L"声卡");
    ASSERT_NE(sound, nullptr);
    EXPECT_EQ(TreeView_GetPrevSibling(m_tree, sound), FindNode(m_tree, TreeView_GetRoot(m_tree), L"显卡"));
    EXPECT_NE(TreeView_GetItemState(m_tree, sound, TVIS_EXPANDED) & TVIS_EXPANDED, 0u);
    EXPECT_NE(FindNode(m_tree, TreeView_GetChild(m_tree, sound), L"英特尔(R) 显示器音频"), nullptr);
    SelectNode(L"英特尔(R) 显示器音频");
    EXPECT_TRUE(Rows(m_list).empty()) << "a device without packages has an empty list";
}

TEST_F(SelectionPageTest, ASecondFillAfterARescanRebuildsTheTreeOverTheNewRecords) {
    CDriverUninstallFunctionDlg& page = FilledPage();
    EXPECT_EQ(ItemData(m_tree, TreeView_GetSelection(m_tree)), reinterpret_cast<LPARAM>(m_device))
        << "the first device is selected after a fill";
    EXPECT_EQ(Rows(m_list).size(), 2u);
    // The rescan frees every record the tree and the list point at, then finds the device again.
    page.ClearContents();
    EXPECT_EQ(TreeView_GetCount(m_tree), 0u);
    EXPECT_TRUE(Rows(m_list).empty());
    m_inventory.Category(1).Clear();
    m_inventory.Category(1).Insert(Graphics());
    m_device = m_inventory.Category(1).Find("8086_3E9B");
    page.FillCategoryTree();
    page.FillCategoryTree(); // whatever repeats the switch
    EXPECT_EQ(TreeView_GetCount(m_tree), 2u) << "rebuilt, never appended";
    // Every node, selected in turn, shows the new record's packages.
    for (HTREEITEM node = TreeView_GetRoot(m_tree); node != nullptr;
         node = TreeView_GetNextItem(m_tree, node, TVGN_NEXTVISIBLE)) {
        TreeView_SelectItem(m_tree, node);
        if (TreeView_GetParent(m_tree, node) != nullptr) {
            EXPECT_EQ(ItemData(m_tree, node), reinterpret_cast<LPARAM>(m_device));
        }
        EXPECT_EQ(Rows(m_list), (Cells{{L"oem12.inf", L"26.20.100.7985-当前"}, {L"oem8.inf", L"26.20.100.7158"}}));
    }
}

} // namespace

int main(int argc, char** argv) {
    CWinApp app;
    app.StartGdiplus();
    CWinApp::InitCommonControls();
    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    app.ShutdownGdiplus();
    return result;
}
