// Gallery modes of the agreement text window and the problem-solved feedback window.
//
//   gallery agreement [--scale s] [--missing-frame] [--short-text]
//       a stand-in main window (800 x 600 design pixels) with a link button that toggles the agreement window
//       at its place; a click on the stand-in's own area hides it. Reports "shown 0|1" and the text box's
//       scroll state ("scroll pos=.. max=.. page=.. bar=pos/max/page first=.. lines=.. last=<y>/<height>");
//       --short-text puts a text that fits into the box instead of the agreement.
//   gallery feedback [--no-bridge] [--missing-frame]
//       the feedback window, modal, reporting through the feedback library beside the gallery (or none);
//       exit code = the window's result.
#pragma once

#include <string>
#include <vector>

int RunAgreementMode(const std::vector<std::wstring>& args, float scale);
int RunFeedbackMode(const std::vector<std::wstring>& args);
