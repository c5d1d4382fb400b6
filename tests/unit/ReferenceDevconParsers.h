// The Device Console output parsers as they were before they were made linear and taught the output variants
// (older node headings, CR CR LF and bare CR line ends, wrapped lines, composite devices). Kept in the tests
// only, as the reference the current parsers must agree with on ordinary output.
#pragma once

#include "discovery/DriverInventory.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

namespace reference {

namespace detail {

constexpr std::string_view kInfFileLabel = "Inf file is ";
constexpr std::string_view kNodeHeading = "Driver node #";
constexpr std::string_view kProviderLabel = "Provider name is ";
constexpr std::string_view kDateLabel = "Driver date is ";
constexpr std::string_view kVersionLabel = "Driver version is ";

// The device's own part of the output: from the match onward, up to the next line that starts at column 0
// (the next device's instance ID or the summary line), "Driver node #" headings excepted. Output without the
// match text is used whole, so such a device collects what every listed device has.
inline std::string_view CutDeviceBlock(std::string_view output, std::string_view matchText) {
    const size_t match = output.find(matchText);
    if (match == std::string_view::npos)
        return output;
    std::string_view block = output.substr(match);
    size_t lineStart = block.find('\n');
    while (lineStart != std::string_view::npos) {
        ++lineStart;
        if (lineStart < block.size() && static_cast<unsigned char>(block[lineStart]) > ' ' &&
            block.substr(lineStart, kNodeHeading.size()) != kNodeHeading)
            return block.substr(0, lineStart);
        lineStart = block.find('\n', lineStart);
    }
    return block;
}

// The text of the line starting at `pos`, without its line break; `pos` moves to the line break, or to
// npos when the text ends inside the line.
inline std::string_view TakeLine(std::string_view text, size_t& pos) {
    size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) {
        const std::string_view rest = text.substr(pos);
        pos = std::string_view::npos;
        return rest;
    }
    size_t valueEnd = end;
    if (valueEnd > pos && text[valueEnd - 1] == '\r')
        --valueEnd;
    const std::string_view line = text.substr(pos, valueEnd - pos);
    pos = valueEnd;
    return line;
}

// The value after `label` within `node`, up to the line break; empty when the node lacks the label.
inline std::string LabelValue(std::string_view node, std::string_view label) {
    size_t pos = node.find(label);
    if (pos == std::string_view::npos)
        return {};
    pos += label.size();
    return std::string(TakeLine(node, pos)); // a value cut short by the end of the output is kept as it is
}

inline std::string_view TrimInfName(std::string_view value) {
    const size_t slash = value.rfind('\\');
    if (slash != std::string_view::npos)
        value.remove_prefix(slash + 1);
    while (!value.empty() && value.front() == ' ')
        value.remove_prefix(1);
    while (!value.empty() && (value.back() == '\r' || value.back() == '\n' || value.back() == ' '))
        value.remove_suffix(1);
    return value;
}

inline bool IsCurrent(std::string_view infName, std::string_view currentInfName) {
    return currentInfName.size() >= 2 && infName.find(currentInfName) != std::string_view::npos;
}

inline bool AlreadyListed(const std::vector<DriverPackageRecord>& packages, std::string_view infName) {
    return std::any_of(packages.begin(), packages.end(), [infName](const DriverPackageRecord& earlier) {
        return earlier.infName.find(infName) != std::string::npos;
    });
}

} // namespace detail

inline bool ParseDriverFiles(std::string_view output, std::string_view matchText, std::string& currentInfName) {
    std::string_view text = detail::CutDeviceBlock(output, matchText);
    for (size_t inf = text.find(".inf"); inf != std::string_view::npos; inf = text.find(".inf")) {
        const std::string_view head = text.substr(0, inf + 4);
        text.remove_prefix(inf + 4);
        const size_t slash = head.rfind('\\');
        if (slash == std::string_view::npos)
            continue;
        currentInfName = head.substr(slash + 1);
        if (currentInfName.find("oem") != std::string::npos)
            return true;
    }
    return !currentInfName.empty();
}

inline bool ParseDriverNodes(std::string_view output, std::string_view matchText, std::string_view currentInfName,
                             std::vector<DriverPackageRecord>& packages) {
    const std::string_view block = detail::CutDeviceBlock(output, matchText);
    size_t pos = block.find(detail::kInfFileLabel);
    while (pos != std::string_view::npos) {
        pos += detail::kInfFileLabel.size();
        const std::string_view infName = detail::TrimInfName(detail::TakeLine(block, pos));
        if (pos == std::string_view::npos)
            break; // the output ends inside the INF line: its name may be cut, so the node is not trusted

        // A node's labels are looked for only up to the next node, so a missing label leaves its field empty
        // instead of taking the next node's value.
        const size_t nextInf = block.find(detail::kInfFileLabel, pos);
        const size_t nextHeading = block.find(detail::kNodeHeading, pos);
        const std::string_view node = block.substr(pos, std::min(nextInf, nextHeading) - pos);
        pos = nextInf;

        if (infName.empty() || detail::AlreadyListed(packages, infName))
            continue;
        DriverPackageRecord record;
        record.infName = infName;
        record.provider = detail::LabelValue(node, detail::kProviderLabel);
        record.date = detail::LabelValue(node, detail::kDateLabel);
        record.version = detail::LabelValue(node, detail::kVersionLabel);
        record.isCurrent = detail::IsCurrent(infName, currentInfName) ? 1 : 0;
        packages.push_back(std::move(record));
    }
    return !packages.empty();
}

} // namespace reference
