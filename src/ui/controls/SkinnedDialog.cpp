// Skinned dialog base.
#include "ui/controls/SkinnedDialog.h"

bool CSkinnedDialog::PreTranslateMessage(MSG& message) {
    if (message.message == WM_KEYDOWN && (message.wParam == VK_ESCAPE || message.wParam == VK_RETURN)) {
        return true;
    }
    return CDialog::PreTranslateMessage(message);
}
