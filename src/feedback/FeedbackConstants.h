// What the tool tells the feedback library about itself, and the addresses it opens through it.
#pragma once

#include <array>
#include <string_view>

// The tool's identity, passed to the library as strings.
inline constexpr wchar_t kToolId[] = L"10102";
inline constexpr wchar_t kToolVersion[] = L"1.1.21.104";

// The library file, expected in the program folder.
inline constexpr wchar_t kFeedbackLibraryFile[] = L"VarunelFeedbackInformation.dll";

// The entry points, in the order they are resolved; the library is usable only when all nine exist.
inline constexpr std::array<const char*, 9> kFeedbackEntryPoints = {"InitFreedbackDll",
                                                                    "FeedbackQuestion",
                                                                    "OpenUrl",
                                                                    "GetInterNetState",
                                                                    "CustomerFeedback",
                                                                    "CustomerFeedbackEx",
                                                                    "WriteCustomerFeedbackInfoFile",
                                                                    "GetToolIsNewVersion",
                                                                    "OpenToolDownUrl"};

// The knowledge base: its home page ("更多方案") and the article behind the more-tools button ("更多工具").
inline constexpr wchar_t kKnowledgeBaseHome[] = L"https://kb.varunel.com/";
inline constexpr wchar_t kKnowledgeBaseArticle[] = L"https://kb.varunel.com/detail/dc_172545.html";

// GetToolIsNewVersion's answer when a newer version of the tool exists; every other answer means none.
inline constexpr int kNewVersionAvailable = 3;

// The user's answer to "did the tool solve the problem", as CustomerFeedbackEx takes it.
enum class FeedbackChoice : int { Solved = 1, NotSolved = 2, Closed = 3 };
