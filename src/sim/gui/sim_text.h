#pragma once
// Texts for the simulator's windows: the message-box caption and the course names.

#include <QString>

#include <string_view>

namespace trovel {

// The caption every message box of the simulator carries: the application title.
QString simMessageCaption();

// A course's name in the language in use: the language pack's name for course `index`, else the
// name texture.ini gives it.
QString courseName(int index, std::u16string_view ownName);

}  // namespace trovel
