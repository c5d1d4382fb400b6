// Resource and control ids of the page host (outside the program's own ranges).
#pragma once

#define IDD_PAGE_HOST 9101
#define IDC_H_AGREE 3001
