// Removing the tool from the user's disk when it closes. The program itself deletes the files it ships with
// that it can (each opened without following links and checked to be a plain file in the program folder), and
// starts a hidden command interpreter that waits until the process has ended, deletes what is left (the
// program's own file, which cannot go while it runs) and then the program folder when nothing else is left in
// it. A folder that also holds the user's own files keeps them, and with them itself. Nothing at all is deleted
// while another process runs from the program folder (a second instance, a Device Console that still runs).
//
// The folder never appears in the command text: the interpreter would expand %NAME% pairs in it even between
// quotes. It travels in the environment variable kSelfRemovalFolderVariable, which the interpreter expands once;
// every use is quoted, so blanks, &, ^, ( ) and a single % in the folder's name stay plain characters.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// Names of the files the tool ships with, in the order they are deleted (the program first).
inline constexpr std::wstring_view kShippedFiles[] = {L"TolvikDriverUninstallTool.exe", L"devcon.exe", L"devconx64.exe",
                                                      L"ParsingString.xml", L"VarunelFeedbackInformation.dll"};

// The environment variable that carries the program folder into the command.
inline constexpr wchar_t kSelfRemovalFolderVariable[] = L"TOLVIK_REMOVE_FOLDER";

// The folder part of a module path: everything before its last backslash ("" when there is none).
std::wstring_view FolderOfModule(std::wstring_view modulePath);

// True for a folder the tool may remove itself from: an absolute path "X:\…" or "\\server\share\…" below the
// root of its drive or share, without "." or ".." parts, device or long-path prefixes, forward slashes,
// wildcards, quotes, control characters or a pair of percent signs (see PercentNames). A drive or share root is
// never a program folder to remove.
bool IsRemovableProgramFolder(std::wstring_view folder);

// The texts between consecutive percent signs of `folder` ("" for "%%"): what the interpreter could take for a
// variable. Windows' interpreter expands the folder's variable once and leaves what it brings in alone, but
// Wine's expands again whatever a variable brought in, and whether a name is set cannot be known in advance:
// %CD%, %ERRORLEVEL%, %RANDOM% and %TIME% are made up as they are read. So a folder with any such pair is not
// removed (it stays, with the tool in it) rather than risk another path.
std::vector<std::wstring_view> PercentNames(std::wstring_view folder);

// True for a plain file name (no folder part, no % and no character the command could misread).
bool IsPlainFileName(std::wstring_view name);

// The arguments for cmd.exe that remove `files` (plain names, in the folder held by kSelfRemovalFolderVariable)
// after about three seconds and then the folder when it is empty. Nothing when the folder is not removable or a
// name is not plain. A name that has become a folder, or a link or junction to one, by the time the command runs
// is left alone: "del" would delete the files inside whatever it leads to.
std::optional<std::wstring> SelfRemovalArguments(std::wstring_view folder, std::span<const std::wstring> files);

// Windows builds only.
// Starts the hidden removal of the running program's shipped files and folder; does not wait for the command.
// False, with everything left in place, when the folder is refused, another process runs from it, or the
// interpreter could not be started. A shipped name that is a folder, a link, a junction or any other reparse
// point, or whose file lies anywhere but in the program folder itself, is never deleted.
bool StartSelfRemoval();
// The same for a given folder and file names (what StartSelfRemoval does after finding them).
bool StartSelfRemovalOf(const std::wstring& folder, std::span<const std::wstring> files);
