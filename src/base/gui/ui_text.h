#pragma once
// Numbered strings of the string table as Qt strings, for the windows and dialogs.

#include <QString>

#include <array>
#include <initializer_list>
#include <string>

#include "base/message_format.h"
#include "editor/captions.h"
#include "model/memory_map.h"

namespace trovel {

QString toQString(std::u16string_view text);
std::u16string toU16(const QString& text);

// The numbered string `id` ("" when missing).
QString uiText(int id);
// The numbered string used as a printf-style format.
QString uiFormat(int id, std::initializer_list<MessageArg> args);

// The chart's text sources: the string table plus the two name tables of memname.ini.
TextSources chartTextSources(const std::array<std::u16string, MemoryMap::Size>& displayNames,
                             const std::array<std::u16string, MemoryMap::Size>& shortNames);

}  // namespace trovel
