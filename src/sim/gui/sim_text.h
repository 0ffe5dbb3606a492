#pragma once
// Texts for the simulator's windows: core strings as QString and the message-box caption.

#include <QString>

#include <string_view>

namespace trovel {

inline QString simQString(std::u16string_view text) {
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

// The caption every message box of the simulator carries: the application title.
QString simMessageCaption();

// A course's name in the language in use: the language pack's name for course `index`, else the
// name texture.ini gives it.
QString courseName(int index, std::u16string_view ownName);

}  // namespace trovel
