#include "base/gui/ui_text.h"

#include "base/resource_library.h"

namespace trovel {

QString toQString(std::u16string_view text) {
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

std::u16string toU16(const QString& text) {
    return std::u16string(reinterpret_cast<const char16_t*>(text.utf16()), static_cast<size_t>(text.size()));
}

static std::u16string numbered(int id) {
    if (id < 0 || id > 0xFFFF) return {};
    return resString(static_cast<uint16_t>(id));
}

QString uiText(int id) { return toQString(numbered(id)); }

QString uiFormat(int id, std::initializer_list<MessageArg> args) {
    const std::u16string format = numbered(id);
    return toQString(formatMessage(format, args));
}

}  // namespace trovel
