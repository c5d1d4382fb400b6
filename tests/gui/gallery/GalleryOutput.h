// One line of UTF-8 on standard output for the test that drives the gallery.
#pragma once

#include <string>

void Say(const std::wstring& line);
