#include "robot/robot_usb_id.h"

#include <string>

#include "model/text_record_file.h"

namespace trovel {

namespace {

template <typename Char>
std::optional<uint16_t> hexField(std::basic_string_view<Char> text) {
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) text.remove_prefix(2);
    if (text.empty() || text.size() > 4) return std::nullopt;
    unsigned value = 0;
    for (Char c : text) {
        int digit = -1;
        if (c >= '0' && c <= '9') digit = c - '0';
        else if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
        if (digit < 0) return std::nullopt;
        value = value * 16 + static_cast<unsigned>(digit);
    }
    if (value == 0) return std::nullopt;
    return static_cast<uint16_t>(value);
}

}  // namespace

std::optional<RobotUsbId> parseRobotUsbId(std::string_view text) {
    const size_t colon = text.find(':');
    if (colon == std::string_view::npos) return std::nullopt;
    const auto vendor = hexField(text.substr(0, colon));
    const auto product = hexField(text.substr(colon + 1));
    if (!vendor || !product) return std::nullopt;
    return RobotUsbId{*vendor, *product};
}

RobotUsbId loadRobotUsbId(const std::filesystem::path& appFolder) {
    RobotUsbId id;
    TextRecordFile file;
    if (!file.open(appFolder / "robot.ini", u"r")) return id;
    constexpr std::u16string_view kKey = u"_ROBOT_USB:";
    std::u16string line;
    while (file.readLine(line) > 0) {
        if (line.rfind(kKey, 0) != 0) continue;
        std::u16string vendor, product;
        const size_t next = nextField(line, kKey.size(), vendor);
        if (next == std::u16string::npos) continue;
        nextField(line, next, product);
        const auto v = hexField(std::u16string_view(vendor));
        const auto p = hexField(std::u16string_view(product));
        if (v && p) {
            id = {*v, *p};
            break;
        }
    }
    file.close();
    return id;
}

bool chooseRobotUsbId(std::string_view option, const std::filesystem::path& appFolder, RobotUsbId& id) {
    if (option.empty()) {
        id = loadRobotUsbId(appFolder);
        return true;
    }
    const auto parsed = parseRobotUsbId(option);
    if (!parsed) return false;
    id = *parsed;
    return true;
}

}  // namespace trovel
