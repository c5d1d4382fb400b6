// The driver selection page: a tree of the detected device categories and their devices, the list of the
// selected device's driver packages, and the button "开始卸载" that removes the package of the selected row.
//
// The main window makes it hidden at start-up, right after the start page:
//   m_selectionPage = std::make_unique<CDriverUninstallFunctionDlg>();
//   m_selectionPage->SetScale(s);
//   m_selectionPage->SetInventory(&m_inventory);
//   m_selectionPage->Create(CDriverUninstallFunctionDlg::kTemplateId, Hwnd());
//   m_selectionPage->MoveWindow(PageRect(s));        // ui/layout/PageLayout.h; stays hidden
// and on kMsgShowSelection (0x5F6) from the start page shows it, calls FillCategoryTree() and FocusTree().
#pragma once

#include "resources/resource.h"
#include "ui/PageDlg.h"
#include "ui/controls/ImageButton.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct DeviceRecord;
struct DriverPackageRecord;

class CDriverUninstallFunctionDlg : public CPageDlg {
public:
    static constexpr int kTemplateId = IDD_DRIVER_UNINSTALL_FUNCTION;

    explicit CDriverUninstallFunctionDlg(HWND parent = nullptr);
    ~CDriverUninstallFunctionDlg() override;

    // Rebuilds the tree: a node per non-empty category (in category order) with a node per device under it,
    // expanded, the first device selected and its packages listed. Called when the page is shown after a scan
    // that found drivers; empty without inventory.
    void FillCategoryTree();
    // Empties the tree and the list: a scan is about to rebuild the records they point at.
    void ClearContents();
    // Gives the keyboard focus to the tree, as the dialog manager does (the focus cue follows the keyboard).
    void FocusTree();

    // How the uninstall thread is started (StartUninstall unless a test stands in for it).
    using UninstallStarter = bool (*)(DriverInventory& inventory, int32_t category, const std::string& searchPattern,
                                      const DriverPackageRecord* package);
    void SetUninstallStarter(UninstallStarter starter) { m_startUninstall = starter; }

protected:
    void BindControls() override;
    BOOL OnInitDialog() override;
    void SetUpControls() override;
    void PlaceControls() override;
    bool OnCommand(int id, int code, HWND control) override;
    bool OnNotify(const NMHDR& header, LRESULT& result) override;
    // The columns of the list follow its width.
    void OnSize(UINT type, int width, int height) override;
    void OnDestroy() override;
    // The uninstall's result (0x5F8).
    UINT WorkResultMessage() const override;
    void OnWorkResult(WPARAM result) override;

private:
    void InsertColumns();
    void SizeColumns();
    void ShowPackagesOfSelection();
    void ShowPackagesOf(const DeviceRecord* device);
    void ClearPackageList();
    void StartUninstallOfSelection();

    HWND m_tree = nullptr;
    HWND m_list = nullptr;
    CImageButton m_uninstallButton;
    // The rows' copies of their packages (each row's item data points at its copy), and the device whose
    // packages the list shows: the tree's selection may have moved on to a category since.
    std::vector<std::unique_ptr<DriverPackageRecord>> m_rowPackages;
    const DeviceRecord* m_listedDevice = nullptr;
    UninstallStarter m_startUninstall;
};
