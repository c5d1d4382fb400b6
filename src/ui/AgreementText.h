// The tool's usage agreement, as the agreement window shows it: plain text, lines separated by CR LF.
//
// Layout: the title and an empty line; "重要须知" and its notice paragraphs; then each section after an empty
// line, its heading followed by its numbered items ("1.") and lettered sub-items ("A."). Paragraphs, items and
// sub-items are one line each, indented by the width of four blanks (two ideographic spaces); headings are not
// indented. The text ends with the last item, without a line break.
#pragma once

#include <string>

std::wstring BuildAgreementText();
