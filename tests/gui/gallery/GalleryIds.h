// Resource and control ids of the test gallery (outside the program's own ranges).
#pragma once

#define IDD_GALLERY_CONTROLS 9001
#define IDD_GALLERY_OWNER 9002

// Picture buttons
#define IDC_G_CONFIRM 2001
#define IDC_G_YES 2002
#define IDC_G_NO 2003
#define IDC_G_CANCEL 2004
#define IDC_G_CROSS 2005
#define IDC_G_MAIN_CLOSE 2006
#define IDC_G_MINIMISE 2007
#define IDC_G_FEEDBACK_CROSS 2008
#define IDC_G_DISABLED 2009
#define IDC_G_MISSING 2010
// Image buttons
#define IDC_G_SOLVED 2020
#define IDC_G_NOT_SOLVED 2021
#define IDC_G_MORE_SOLUTIONS 2022
#define IDC_G_MORE_TOOLS 2023
#define IDC_G_UNINSTALL 2024
#define IDC_G_STRIP 2025
#define IDC_G_STRIP_DISABLED 2026
#define IDC_G_IMAGE_MISSING 2027
// Check box and texts
#define IDC_G_CHECK 2030
#define IDC_G_TEXT0 2040
#define IDC_G_LINK 2046
#define IDC_G_STATE 2050
// The guard mode's label whose handler throws
#define IDC_G_THROWING 2060
