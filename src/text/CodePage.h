// Conversions between UTF-16 window texts and the narrow texts of devices, consoles and logs.
//
// Device texts (registry values, catalogue markers, console output) and log texts are byte strings in the
// system's ANSI code page, which on the machines the tool serves is the simplified-Chinese code page 936.
// None of these conversions touch the C runtime's locale, so they are safe on any thread.
#pragma once

#include <string>
#include <string_view>

// Code page 936 to UTF-16 (UTF-32 on the native build). Invalid bytes become U+FFFD; never fails.
std::wstring WidenGbk(std::string_view gbk);

// UTF-16 to code page 936. Characters 936 cannot hold become "?".
std::string NarrowGbk(std::wstring_view wide);

// UTF-16 to the ANSI code page, as registry value names and data are compared.
std::string NarrowAnsi(std::wstring_view wide);

// Console (OEM code page) bytes to UTF-16, as search patterns are handed to the package query.
std::wstring WidenOem(std::string_view oem);

// Console output (the console's output code page, which commands write in; the OEM code page for a program
// without a console) as code page 936 text, the narrow text the engine keeps. Unchanged when the console's code
// page is 936, as on the target systems.
std::string GbkFromConsole(std::string bytes);

// UTF-8 for files and redirected output.
std::string ToUtf8(std::wstring_view wide);
std::wstring FromUtf8(std::string_view utf8);
