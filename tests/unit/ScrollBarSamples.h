// What the scroll bar tests share: the shipped skin's cell and scroll values made in one line.
#pragma once

#include "ui/layout/ScrollBarLayout.h"

constexpr int kCell = 117 / 9; // the shipped skin: 117 x 39 pixels, 9 x 3 cells

inline ScrollValues Values(int min, int max, int page, int pos) {
    ScrollValues v;
    v.min = min;
    v.max = max;
    v.page = page;
    v.pos = pos;
    return v;
}
