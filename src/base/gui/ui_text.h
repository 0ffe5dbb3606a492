#pragma once
// Numbered strings of the string table as Qt strings, for the windows and dialogs.

#include <QString>

#include <initializer_list>
#include <string>

#include "base/message_format.h"

namespace trovel {

QString toQString(std::u16string_view text);
std::u16string toU16(const QString& text);

// The numbered string `id` ("" when missing).
QString uiText(int id);
// The numbered string used as a printf-style format.
QString uiFormat(int id, std::initializer_list<MessageArg> args);

}  // namespace trovel
